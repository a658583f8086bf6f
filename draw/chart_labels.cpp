#include "draw/chart_labels.h"

#include <algorithm>
#include <cmath>

namespace draw {

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

bool CrossesCircle(const Rect& box, Point centre, double radius) {
  // The nearest and the farthest point of the box from the centre.
  const double nx = std::clamp(centre.x, box.left, box.right());
  const double ny = std::clamp(centre.y, box.top, box.bottom());
  const double fx = std::max(std::fabs(box.left - centre.x), std::fabs(box.right() - centre.x));
  const double fy = std::max(std::fabs(box.top - centre.y), std::fabs(box.bottom() - centre.y));
  const double near = std::hypot(nx - centre.x, ny - centre.y);
  const double far = std::hypot(fx, fy);
  return near < radius && far > radius;
}

namespace {

bool Inside(const Rect& box, const Rect& area) {
  return box.left >= area.left && box.right() <= area.right() && box.top >= area.top &&
         box.bottom() <= area.bottom();
}

bool HitsMark(const Rect& box, Point mark, double radius) {
  const double nx = std::clamp(mark.x, box.left, box.right());
  const double ny = std::clamp(mark.y, box.top, box.bottom());
  return std::hypot(nx - mark.x, ny - mark.y) < radius;
}

}  // namespace

std::vector<Rect> PlaceLabels(const std::vector<Point>& anchors, const std::vector<Point>& sizes,
                              const LabelObstacles& obstacles) {
  // The directions round an anchor, in order of preference.
  constexpr double kDirections[][2] = {{1, -1}, {-1, -1}, {1, 1},  {-1, 1},
                                       {1, 0},  {-1, 0},  {0, -1}, {0, 1}};
  std::vector<Rect> placed;
  for (std::size_t i = 0; i < anchors.size(); ++i) {
    const Point a = anchors[i];
    const double w = sizes[i].x, h = sizes[i].y;
    std::vector<Rect> candidates;
    std::vector<double> steps;  // how far out each candidate is, in steps
    double step = 0;
    for (const double distance : {7.0, 16.0, 28.0, 44.0, 64.0, 90.0, 120.0, 160.0}) {
      ++step;
      for (const auto& d : kDirections) {
        // The box's near corner or edge at `distance` from the anchor in that direction.
        const double left = d[0] > 0 ? a.x + distance : d[0] < 0 ? a.x - distance - w : a.x - w / 2;
        const double top = d[1] > 0   ? a.y + distance * 0.6
                           : d[1] < 0 ? a.y - distance * 0.6 - h
                                      : a.y - h / 2;
        const Rect box{left, top, w, h};
        if (Inside(box, obstacles.area)) {
          candidates.push_back(box);
          steps.push_back(step);
        }
      }
    }
    if (candidates.empty()) {
      const Rect& area = obstacles.area;
      candidates.push_back(
          {std::clamp(a.x + 7, area.left, std::max(area.left, area.right() - w)),
           std::clamp(a.y - h - 4, area.top, std::max(area.top, area.bottom() - h)), w, h});
    }
    // The nearest position clear of everything; a few steps farther out to stay off the rim, more
    // to stay off the marks, and anything rather than cover another label.
    const Rect* chosen = &candidates.front();
    double least = INFINITY;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
      const Rect& box = candidates[k];
      double cost = steps.empty() ? 0.0 : steps[k];
      if (std::any_of(placed.begin(), placed.end(),
                      [&](const Rect& other) { return Overlap(box, other); })) {
        cost += 1000;
      }
      if (std::any_of(obstacles.marks.begin(), obstacles.marks.end(),
                      [&](Point m) { return HitsMark(box, m, obstacles.mark_radius); })) {
        cost += 50;
      }
      if (obstacles.rim_radius > 0 &&
          CrossesCircle(box, obstacles.rim_centre, obstacles.rim_radius)) {
        cost += 3;
      }
      if (cost < least) {
        least = cost;
        chosen = &box;
      }
    }
    placed.push_back(*chosen);
  }
  return placed;
}

}  // namespace draw
