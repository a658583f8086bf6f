#pragma once

#include <QFont>
#include <QSize>
#include <QString>

namespace ui {

// The family for every caption and box of both windows: the first installed of the faces the
// windows were drawn for and their nearest stand-ins that draws Γ and Ω itself. Looked up once,
// at the first call.
QString TextFamily();

// A font of the text family, sized in pixels so that it keeps to the fixed pixel layout whatever
// the font resolution of the desktop.
QFont TextFont(int pixels, QFont::Weight weight, bool italic = false, bool underline = false);

// The smallest pixel size fitted text is shrunk to.
inline constexpr int kMinimumTextPixels = 9;

// font, or the same font in the largest smaller pixel size (not below kMinimumTextPixels) in
// which text, drawn on one line from the top left of room, fits into it. font must be sized in
// pixels.
QFont FitFont(const QFont& font, const QString& text, QSize room);

}  // namespace ui
