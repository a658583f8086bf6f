#pragma once

#include <QFont>
#include <QLineEdit>
#include <QString>

namespace ui {

// A box of the main window. Its text stays exactly what was typed or written into it; only the
// way it is shown adapts to the narrow box: a text that does not fit is drawn in a smaller font,
// down to a readable minimum. Beyond that, while the box does not have the focus, a number is
// drawn in a compact scientific form that keeps its size, marked as shortened ("≈9.99995e6",
// "≈3.0e150"), and other text from its start with a cut mark "…" at the end. The box then offers
// the whole text in its tooltip and accessible description after its explanation; selecting and
// copying always take the whole text. There is no length limit.
class TextBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit TextBox(QWidget* parent = nullptr);

  // The font the layout gives the box; it must be sized in pixels.
  void setDesignFont(const QFont& font);

  // What the box holds, first in its tooltip and accessible description.
  void setExplanation(const QString& explanation);
  QString explanation() const { return explanation_; }

  // More lines after the explanation, for example figures behind a result; empty for none.
  void setDetails(const QString& details);
  QString details() const { return details_; }

  // Whether the whole text fits into the box at its current font.
  bool showsWholeText() const { return whole_; }

  // What the box shows while it does not have the focus: the whole text, a number's compact
  // form, or the text's start and "…".
  QString shownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Selects the whole text: a number is one word, not the digits on either side of its point.
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void fitText();
  void updateHelp();
  // Where the line edit draws the line of text, inside its frame and margins.
  QRect lineRect() const;

  QFont design_font_;
  QString explanation_;
  QString details_;
  bool whole_ = true;
};

}  // namespace ui
