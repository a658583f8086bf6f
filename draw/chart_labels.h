#pragma once

#include <vector>

#include "draw/plot_axes.h"

namespace draw {

// What a label should stay clear of: the marks of the points, and a circle (a chart's rim) that
// its box should not cross.
struct LabelObstacles {
  std::vector<Point> marks;
  double mark_radius = 0.0;
  Point rim_centre;
  double rim_radius = 0.0;  // 0: no rim
  Rect area;                // where labels may go
};

// Places boxes of the given sizes, each beside its anchor, in one of the positions round it (right
// above, left above, right below, left below, right, left, above, below, then the same farther
// out) inside the area: the nearest clear of the boxes placed before it, of the marks and of the
// rim. A box goes a little farther out to stay off the rim, farther to stay off the marks, and
// covers another box only where nothing else is left. Returns the boxes in the order given.
std::vector<Rect> PlaceLabels(const std::vector<Point>& anchors,
                              const std::vector<Point>& sizes,  // width, height
                              const LabelObstacles& obstacles);

// Whether two boxes overlap, and whether a box crosses a circle's line.
bool Overlap(const Rect& a, const Rect& b);
bool CrossesCircle(const Rect& box, Point centre, double radius);

}  // namespace draw
