#pragma once

class QWidget;

namespace ui {

// Draws a dark ring, two pixels wide, along the inside of the control's edge while it has the
// keyboard focus, so that the focus shows clearly against the light colours (well above 3 : 1
// against the same pixels without the focus), whatever the style draws itself.
void AddFocusRing(QWidget* control);

}  // namespace ui
