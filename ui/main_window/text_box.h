#pragma once

#include <QFont>
#include <QLineEdit>
#include <QString>
#include <functional>

namespace ui {

// A box of the main window. Its text stays exactly what was typed or written into it; only the
// way it is shown adapts to the narrow box: a text that does not fit is drawn in a smaller font,
// down to a readable minimum. Beyond that, while the box does not have the focus, a result that
// is a number is drawn in a compact scientific form that keeps its size, marked as shortened
// ("≈9.99995e6", "≈3.0e150"), and any other text, what the user typed included, from its start
// with a cut mark "…" at the end. The box then offers the whole text in its tooltip and
// accessible description after its explanation; selecting and copying always take the whole
// text. There is no length limit.
class TextBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit TextBox(QWidget* parent = nullptr);

  // The font the layout gives the box; it must be sized in pixels.
  void setDesignFont(const QFont& font);

  // What the box holds, first in its tooltip and accessible description.
  void setExplanation(const QString& explanation);
  QString explanation() const { return explanation_; }

  // Where more lines after the explanation come from, for example the figures behind a result
  // (empty for none). They are asked for only when the help is shown or read.
  void setDetailsSource(std::function<QString()> source);
  QString details() const;
  // The details have changed: the help is built again when it is next shown, at once only for
  // assistive technology, which reads the description at any time.
  void detailsChanged();

  // The whole help: the explanation, the details and, for a cut text, the whole value. The
  // accessible description holds it; the tooltip holds it broken into lines of readable length.
  QString help() const;

  // Whether a number too long for the box is shown in its compact form (results) or, as any other
  // text, cut (what the user typed, which is shown as typed). Off at first.
  void setCompactNumbers(bool compact);

  // Whether the text still belongs to what the other boxes show. A box that is not current keeps
  // its text but draws it dimmed (yet at 4.5 : 1 or more against the box), says so in its
  // accessible description and tooltip, and leaves out the details and the full value, which
  // belong to what it was computed from.
  void setCurrent(bool current);
  bool isCurrent() const { return current_; }

  // Whether the whole text fits into the box at its current font.
  bool showsWholeText() const { return whole_; }

  // What the box shows while it does not have the focus: the whole text, a number's compact
  // form, or the text's start and "…".
  QString shownText() const;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  // Selects the whole text: a number is one word, not the digits on either side of its point.
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void fitText();
  bool plainlyFits(const QString& text, int room) const;
  void updateHelp();
  // Draws the text shortened or cut, while the box does not have the focus (see shownText).
  void paintShortened();
  void invalidateHelp();
  // Where the line edit draws the line of text, inside its frame and margins.
  QRect lineRect() const;

  QFont design_font_;
  int narrow_advance_ = 0;  // see plainlyFits
  int room_ = -1;           // the width of the line, or -1 until it is measured
  QString explanation_;
  std::function<QString()> details_;
  bool whole_ = true;
  bool help_stale_ = false;  // the tooltip and description wait for updateHelp
  bool compact_numbers_ = false;
  bool current_ = true;
};

}  // namespace ui
