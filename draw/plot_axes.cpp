#include "draw/plot_axes.h"

#include <algorithm>
#include <cmath>

#include "platform/number_format.h"

namespace draw {

double Axis::Map(double v, double from, double to) const {
  const double t = log ? std::log(v / lo) / std::log(hi / lo) : (v - lo) / (hi - lo);
  return from + t * (to - from);
}

double NiceStep(double span, int count) {
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0}) {
    if (raw <= m * power) return m * power;
  }
  return 10.0 * power;
}

namespace {

std::string Fixed(double value, int decimals) {
  std::string pattern = "0.";
  pattern.append(static_cast<std::size_t>(decimals), '0');
  return platform::FormatNumber(value, pattern);
}

}  // namespace

std::string DecimalText(double value, double step) {
  return Fixed(value, std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 15));
}

std::string SignificantText(double value, int significant) {
  if (value == 0.0 || !std::isfinite(value)) return "0";
  const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  std::string text = Fixed(value, std::clamp(significant - 1 - magnitude, 0, 15));
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

Prefix PrefixFor(double hz) {
  if (hz >= 1e9) return {1e9, "GHz"};
  if (hz >= 1e6) return {1e6, "MHz"};
  if (hz >= 1e3) return {1e3, "kHz"};
  return {1.0, "Hz"};
}

std::string FrequencyText(double hz) {
  const Prefix prefix = PrefixFor(std::fabs(hz));
  return SignificantText(hz / prefix.hz) + " " + std::string(prefix.unit);
}

std::vector<std::vector<Point>> ClipPolyline(const std::vector<Point>& points, const Rect& clip) {
  std::vector<std::vector<Point>> runs;
  std::vector<Point> run;
  const auto close = [&] {
    if (run.size() >= 2) runs.push_back(std::move(run));
    run.clear();
  };
  if (points.size() == 1) {
    if (clip.Contains(points[0])) runs.push_back(points);
    return runs;
  }
  for (std::size_t i = 1; i < points.size(); ++i) {
    // Liang and Barsky: the part of the segment a→b inside, as t0..t1 of its length.
    const Point a = points[i - 1], b = points[i];
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t0 = 0.0, t1 = 1.0;
    bool inside = true;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x - clip.left, clip.right() - a.x, a.y - clip.top, clip.bottom() - a.y};
    for (int k = 0; k < 4 && inside; ++k) {
      if (p[k] == 0.0) {
        if (q[k] < 0.0) inside = false;
      } else {
        const double t = q[k] / p[k];
        if (p[k] < 0.0) {
          t0 = std::max(t0, t);
        } else {
          t1 = std::min(t1, t);
        }
        if (t0 > t1) inside = false;
      }
    }
    if (!inside) {
      close();
      continue;
    }
    const Point from{a.x + t0 * dx, a.y + t0 * dy}, to{a.x + t1 * dx, a.y + t1 * dy};
    if (t0 > 0.0 || run.empty()) {
      close();
      run.push_back(from);
    }
    run.push_back(to);
    if (t1 < 1.0) close();
  }
  close();
  return runs;
}

std::vector<Point> ClipPolygon(const std::vector<Point>& polygon, const Rect& clip) {
  // Sutherland and Hodgman: cut by each edge of the rectangle in turn.
  std::vector<Point> out = polygon;
  for (int edge = 0; edge < 4 && !out.empty(); ++edge) {
    const auto inside = [&](Point p) {
      switch (edge) {
        case 0:
          return p.x >= clip.left;
        case 1:
          return p.x <= clip.right();
        case 2:
          return p.y >= clip.top;
        default:
          return p.y <= clip.bottom();
      }
    };
    const auto cross = [&](Point a, Point b) {
      const double bound = edge == 0   ? clip.left
                           : edge == 1 ? clip.right()
                           : edge == 2 ? clip.top
                                       : clip.bottom();
      const double t = edge < 2 ? (bound - a.x) / (b.x - a.x) : (bound - a.y) / (b.y - a.y);
      return Point{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
    };
    std::vector<Point> in = std::move(out);
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
      const Point a = in[(i + in.size() - 1) % in.size()], b = in[i];
      if (inside(b)) {
        if (!inside(a)) out.push_back(cross(a, b));
        out.push_back(b);
      } else if (inside(a)) {
        out.push_back(cross(a, b));
      }
    }
  }
  return out;
}

}  // namespace draw
