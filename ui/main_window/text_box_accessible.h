#pragma once

#include <QAccessible>
#include <QString>

class QAccessibleInterface;
class QObject;

namespace ui {

// Where a piece of a box's text begins and ends, as offsets in UTF-16 code units.
struct TextSpan {
  int start = 0;
  int end = 0;
};

// Which piece, relative to the one at the offset.
enum class TextPiece { kBefore, kAt, kAfter };

// The piece of a one-line text at an offset, as a screen reader asks for it:
// - a character (grapheme); at the end of the text, the empty piece there;
// - a word with the blanks and signs after it (what comes before the first word is a piece of its
//   own); at the end of the text, the last one;
// - a sentence; at the end of the text, the last one;
// - a line or a paragraph: the whole text, which is one line.
// The piece before the first and after the last is empty, at the start or the end of the text.
// An offset outside the text gives {-1, -1}. Every answer takes one pass over the text at most.
TextSpan PieceOfText(const QString& text, int offset, QAccessible::TextBoundaryType boundary,
                     TextPiece which);

// The accessible interface of a box of the main window (ui::TextBox), for the window's
// accessibility factory: an editable text whose every question about its text is answered,
// at every offset, and whose attributes are one run over the whole text.
QAccessibleInterface* MakeTextBoxAccessible(QObject* box);

}  // namespace ui
