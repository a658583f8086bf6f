#pragma once

class QWidget;

namespace ui {

// Draws a ring two pixels wide round the control of the window that has the keyboard focus, just
// outside its edge, in the colour of the window's text: it stands out against the window's
// background as the text does (far above 3 : 1) in light and dark colour schemes alike, whatever
// the style draws for the focus itself.
void OutlineFocus(QWidget* window);

}  // namespace ui
