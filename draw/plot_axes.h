#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "draw/svg.h"

namespace draw {

struct Rect {
  double left = 0.0, top = 0.0, width = 0.0, height = 0.0;
  double right() const { return left + width; }
  double bottom() const { return top + height; }
  bool Contains(Point p) const {
    return p.x >= left && p.x <= right() && p.y >= top && p.y <= bottom();
  }
  Rect Adjusted(double dl, double dt, double dr, double db) const {
    return {left + dl, top + dt, width - dl + dr, height - dt + db};
  }
};

// An axis from `lo` to `hi`, linear or logarithmic.
struct Axis {
  double lo = 0.0, hi = 1.0;
  bool log = false;
  double Map(double v, double from, double to) const;
};

// A step of 1, 2 or 5 times a power of ten giving about `count` intervals over `span`.
double NiceStep(double span, int count);

// `value` with as many decimals as `step` needs ("0.5", "10"), whatever the process locale.
std::string DecimalText(double value, double step);

// `value` with at most `significant` significant digits and no trailing zeros ("1.5", "123.457").
std::string SignificantText(double value, int significant = 6);

// A frequency prefix that suits a value: its size in hertz and its unit.
struct Prefix {
  double hz;
  std::string_view unit;
};
Prefix PrefixFor(double hz);

// "1.5 GHz": a frequency with six significant digits and the prefix that suits it.
std::string FrequencyText(double hz);

// The parts of the lines through `points` inside `clip`: one run per stretch that stays inside.
std::vector<std::vector<Point>> ClipPolyline(const std::vector<Point>& points, const Rect& clip);

// The polygon cut to `clip` (empty when nothing of it is inside).
std::vector<Point> ClipPolygon(const std::vector<Point>& polygon, const Rect& clip);

}  // namespace draw
