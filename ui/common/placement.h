#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// Where the top-left corner of a window frame of frameSize goes, given where it was designed to
// go and the screen's available area (without panels and docks): the designed position when the
// frame fits into the area there; otherwise moved just enough to fit. A frame wider or higher
// than the area goes to the area's left or top edge, so that its title bar stays reachable.
QPoint FitFrameIntoArea(QPoint designed, QSize frameSize, const QRect& available);

// Puts a top-level window's client area with its top-left corner at designedClient, or, where
// the window's frame would reach beyond the available area of the screen there, as near to it as
// keeps the frame inside. Call when the window is built: it places the window at once and again
// at its first paint, when the window system has put its frame around it.
void PlaceWindow(QWidget* window, QPoint designedClient);

}  // namespace ui
