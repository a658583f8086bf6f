#include "ui/main_window/text_box_accessible.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <vector>

namespace ui {

namespace {

// The offsets where the pieces of the text begin, and the text's length last. A word's piece runs
// from its start to the start of the next word, as screen readers expect of AT-SPI's words: the
// blanks and signs after a word belong to it (anything before the first word is a piece of its
// own). The finder moves forward only, so this ends after one pass whatever the text.
std::vector<int> Cuts(const QString& text, QTextBoundaryFinder::BoundaryType type) {
  const int length = static_cast<int>(text.size());
  std::vector<int> cuts{0};
  QTextBoundaryFinder finder(type, text);
  for (qsizetype at = finder.toNextBoundary(); at > cuts.back() && at < length;
       at = finder.toNextBoundary()) {
    if (type != QTextBoundaryFinder::Word ||
        (finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem)) {
      cuts.push_back(static_cast<int>(at));
    }
  }
  cuts.push_back(length);
  return cuts;
}

int Shift(TextPiece which) {
  return which == TextPiece::kBefore ? -1 : which == TextPiece::kAfter ? 1 : 0;
}

class TextBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
 public:
  explicit TextBoxAccessible(QLineEdit* box) : QAccessibleWidget(box, QAccessible::EditableText) {
    addControllingSignal(QStringLiteral("textChanged(QString)"));
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface) {
      return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return box()->text();
    return QAccessibleWidget::text(t);
  }

  void setText(QAccessible::Text t, const QString& text) override {
    if (t == QAccessible::Value) {
      box()->setText(text);
    } else {
      QAccessibleWidget::setText(t, text);
    }
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = box()->isReadOnly();
    state.editable = !state.readOnly;
    state.selectableText = true;
    return state;
  }

  // The text.

  QString text(int startOffset, int endOffset) const override {
    const QString whole = box()->text();
    if (endOffset < 0) endOffset = static_cast<int>(whole.size());
    const int start = clamped(startOffset);
    const int end = clamped(endOffset);
    return start < end ? whole.mid(start, end - start) : QString();
  }

  int characterCount() const override { return static_cast<int>(box()->text().size()); }

  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                           int* endOffset) const override {
    return piece(offset, boundary, TextPiece::kBefore, startOffset, endOffset);
  }

  QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                       int* endOffset) const override {
    return piece(offset, boundary, TextPiece::kAt, startOffset, endOffset);
  }

  QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                          int* endOffset) const override {
    return piece(offset, boundary, TextPiece::kAfter, startOffset, endOffset);
  }

  // A box has no attributes of its own: one run, empty, over the whole text, wherever asked.
  QString attributes(int /*offset*/, int* startOffset, int* endOffset) const override {
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
  }

  // The cursor and the selection.

  int cursorPosition() const override { return box()->cursorPosition(); }

  void setCursorPosition(int position) override { box()->setCursorPosition(clamped(position)); }

  int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }

  void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !box()->hasSelectedText()) return;
    *startOffset = box()->selectionStart();
    *endOffset = box()->selectionEnd();
  }

  void addSelection(int startOffset, int endOffset) override {
    setSelection(0, startOffset, endOffset);
  }

  void removeSelection(int selectionIndex) override {
    if (selectionIndex == 0) box()->deselect();
  }

  void setSelection(int selectionIndex, int startOffset, int endOffset) override {
    if (selectionIndex != 0) return;
    const int start = clamped(startOffset);
    box()->setSelection(start, clamped(endOffset) - start);
  }

  // Where the characters are on the screen.

  QRect characterRect(int offset) const override {
    const QString whole = box()->text();
    if (offset < 0 || offset >= whole.size()) return {};
    // Measured from the cursor, wherever the box has scrolled or aligned its text to.
    const QFontMetrics metrics(box()->font());
    const QRect cursor = box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int cursorAt = box()->cursorPosition();
    const int x = cursor.x() + metrics.horizontalAdvance(whole.left(offset)) -
                  metrics.horizontalAdvance(whole.left(cursorAt));
    const QRect r(x, cursor.y(), metrics.horizontalAdvance(whole.mid(offset, 1)), metrics.height());
    return {box()->mapToGlobal(r.topLeft()), r.size()};
  }

  int offsetAtPoint(const QPoint& point) const override {
    const QPoint inside = box()->mapFromGlobal(point);
    if (!box()->rect().contains(inside)) return -1;
    return box()->cursorPositionAt(inside);
  }

  void scrollToSubstring(int startIndex, int endIndex) override {
    box()->setCursorPosition(clamped(endIndex));
    box()->setCursorPosition(clamped(startIndex));
  }

  // Editing, as an assistive technology asks for it. Offsets beyond the text are taken as its
  // end: a wrong offset never fills the box with blanks.

  void deleteText(int startOffset, int endOffset) override {
    replaceText(startOffset, endOffset, QString());
  }

  void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }

  void replaceText(int startOffset, int endOffset, const QString& text) override {
    const int start = clamped(startOffset);
    const int end = std::max(start, clamped(endOffset));
    box()->setText(box()->text().replace(start, end - start, text));
  }

 private:
  QLineEdit* box() const { return static_cast<QLineEdit*>(widget()); }

  int clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }

  QString piece(int offset, QAccessible::TextBoundaryType boundary, TextPiece which,
                int* startOffset, int* endOffset) const {
    const QString whole = box()->text();
    // -2 asks about the cursor's position.
    if (offset == -2) offset = box()->cursorPosition();
    const TextSpan span = PieceOfText(whole, offset, boundary, which);
    *startOffset = span.start;
    *endOffset = span.end;
    return span.start < span.end ? whole.mid(span.start, span.end - span.start) : QString();
  }
};

}  // namespace

TextSpan PieceOfText(const QString& text, int offset, QAccessible::TextBoundaryType boundary,
                     TextPiece which) {
  const int length = static_cast<int>(text.size());
  if (offset < 0 || offset > length) return {-1, -1};
  QTextBoundaryFinder::BoundaryType type = QTextBoundaryFinder::Grapheme;
  switch (boundary) {
    case QAccessible::CharBoundary:
      break;
    case QAccessible::WordBoundary:
      type = QTextBoundaryFinder::Word;
      break;
    case QAccessible::SentenceBoundary:
      type = QTextBoundaryFinder::Sentence;
      break;
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary:
    case QAccessible::NoBoundary:
      // One line holds the whole text.
      if (which == TextPiece::kBefore) return {0, 0};
      if (which == TextPiece::kAfter) return {length, length};
      return {0, length};
  }
  if (length == 0) return {0, 0};
  const std::vector<int> cuts = Cuts(text, type);
  const int pieces = static_cast<int>(cuts.size()) - 1;
  int index;
  if (offset == length) {
    // After the last character there is none; the word or sentence there is the last one.
    index = boundary == QAccessible::CharBoundary ? pieces : pieces - 1;
  } else {
    index = static_cast<int>(std::upper_bound(cuts.begin(), cuts.end(), offset) - cuts.begin()) - 1;
  }
  index += Shift(which);
  if (index < 0) return {0, 0};
  if (index >= pieces) return {length, length};
  return {cuts[index], cuts[index + 1]};
}

QAccessibleInterface* MakeTextBoxAccessible(QObject* box) {
  return new TextBoxAccessible(static_cast<QLineEdit*>(box));
}

}  // namespace ui
