#include "ui/common/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QList>
#include <QStringList>
#include <algorithm>

namespace ui {

namespace {

// In order of preference. The windows were drawn for MS Sans Serif; Liberation Sans (Debian's
// fonts-liberation2, which the package asks for) and the other faces with Arial's or Helvetica's
// widths come nearest to it (Nimbus Sans comes with ghostscript's URW fonts); DejaVu Sans is on
// nearly every Linux desktop but wider, so captions are shrunk to fit where it stands in. No
// family is asked for that maps Latin letters to Greek ones (Symbol, for which Linux has Standard
// Symbols PS): Γ and Ω are written as the Greek letters themselves and must come from a face that
// has them.
constexpr const char16_t* kCandidates[] = {
    u"MS Sans Serif", u"Liberation Sans", u"Arial",     u"Arimo",
    u"Nimbus Sans",   u"DejaVu Sans",     u"Noto Sans",
};

// Whether the face is installed under its own name (not only reached through an alias) and
// covers Greek, so that it draws Γ and Ω itself. Both come from the font database's list, which
// is cheaper than loading the face to look.
bool DrawsGreek(const QStringList& installed, const QString& family) {
  // The database lists a family as "Family", or as "Family [Foundry]" where several foundries
  // make one.
  const QString withFoundry = family + QStringLiteral(" [");
  for (const QString& name : installed) {
    if ((name.compare(family, Qt::CaseInsensitive) == 0 ||
         name.startsWith(withFoundry, Qt::CaseInsensitive)) &&
        QFontDatabase::writingSystems(name).contains(QFontDatabase::Greek)) {
      return true;
    }
  }
  return false;
}

QString FindTextFamily() {
  const QStringList installed = QFontDatabase::families();
  for (const char16_t* candidate : kCandidates) {
    const QString family = QString::fromUtf16(candidate);
    if (DrawsGreek(installed, family)) return family;
  }
  // None of them: the desktop's own font, from which Qt borrows missing letters elsewhere.
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

// Whether the text, drawn from the top left of room, leaves nothing outside it: not its advance
// nor the ink of its glyphs, nor the underline. Faces with generous line spacing may still fit
// where their lines are taller than room.
bool FitsIn(const QFont& font, const QString& text, QSize room) {
  const QFontMetrics metrics(font);
  const QRect ink = metrics.tightBoundingRect(text);  // about the baseline
  if (std::max(metrics.horizontalAdvance(text), ink.right() + 1) > room.width()) return false;
  int bottom = metrics.ascent() + ink.bottom() + 1;
  if (font.underline()) {
    bottom = std::max(bottom, metrics.ascent() + metrics.underlinePos() + metrics.lineWidth());
  }
  return bottom <= room.height();
}

}  // namespace

QString TextFamily() {
  static const QString family = FindTextFamily();
  return family;
}

QFont TextFont(int pixels, QFont::Weight weight, bool italic, bool underline) {
  QFont font(TextFamily());
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  font.setWeight(weight);
  font.setItalic(italic);
  font.setUnderline(underline);
  return font;
}

QFont FitFont(const QFont& font, const QString& text, QSize room) {
  QFont fitted = font;
  for (int pixels = font.pixelSize(); pixels > kMinimumTextPixels; --pixels) {
    fitted.setPixelSize(pixels);
    if (FitsIn(fitted, text, room)) return fitted;
  }
  fitted.setPixelSize(std::min(font.pixelSize(), kMinimumTextPixels));
  return fitted;
}

}  // namespace ui
