#pragma once

#include <QPalette>

namespace ui {

// The light colour scheme both windows keep whatever the desktop's scheme: the captions and lines
// are drawn over a fixed light picture, so a dark or high-contrast scheme would leave them
// unreadable. Black text on white boxes and light grey buttons, as the windows were designed.
QPalette LightPalette();

}  // namespace ui
