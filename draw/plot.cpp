#include "draw/plot.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "draw/plot_axes.h"
#include "draw/plot_data.h"
#include "draw/svg.h"
#include "draw/text_width.h"

namespace draw {

namespace {

constexpr double kTopLimitDb = 100.0;  // the top of a decibel axis: higher values are clipped
// The height of the band at the top of a panel where unbounded values are drawn.
constexpr double kInfinityBand = 30.0;
constexpr long long kMaxTicks = 100;
// The least span of the frequency axis, relative to its frequencies: points closer than this are
// drawn as one.
constexpr double kMinRelativeSpan = 1e-6;
// The panels' margins: the title above, the frequency labels and the axis's title below, the
// decibel labels to the left; the rest is shared between the panels as 330 to 200.
constexpr double kLeft = 86, kRight = 24, kTop = 52, kBottom = 72, kGap = 26;
constexpr double kUpperShare = 330.0 / 530.0;
// Where values beyond the axis leave the panel, marks at its edge: at most this many per curve.
constexpr int kMaxBeyondMarks = 50;

// A y axis from 0 (or the least value below it) to the greatest finite value, on whole steps.
Axis DecibelAxis(const std::vector<double>& values, double& step) {
  double lo = 0.0, hi = 0.0;
  for (const double v : values) {
    if (!std::isfinite(v)) continue;
    lo = std::min(lo, v);
    hi = std::max(hi, std::min(v, kTopLimitDb));
  }
  if (hi - lo < 0.1) hi = lo + 0.1;
  step = NiceStep(hi - lo, 5);
  // A little room above the highest value, so that a peak does not run into the frame.
  return {std::floor(lo / step) * step, std::ceil((hi + 0.03 * (hi - lo)) / step) * step, false};
}

bool AnyUnbounded(const std::vector<double>& values) {
  return std::any_of(values.begin(), values.end(), [](double v) { return std::isinf(v); });
}

struct LegendEntry {
  std::string label;
  Colour colour;
  bool band;
};

class Panel {
 public:
  // With `infinity_band`, the panel keeps a band at its top for unbounded values, marked "∞".
  Panel(SvgWriter& svg, const SweepColours& colours, const Axis& x, const Rect& r,
        bool infinity_band = false)
      : svg_(svg),
        c_(colours),
        x_(x),
        r_(r),
        data_(r.Adjusted(0, infinity_band ? kInfinityBand : 0, 0, 0)) {}

  double X(double hz) const { return x_.Map(hz, r_.left, r_.right()); }
  double Y(const Axis& y, double db) const {
    // Unbounded values sit in the middle of the band; finite ones are clipped with the panel.
    if (db == INFINITY) return (r_.top + data_.top) / 2;
    if (db == -INFINITY) return r_.bottom();
    return y.Map(db, data_.bottom(), data_.top);
  }
  bool HasBand() const { return data_.top > r_.top; }
  // Where curves are drawn: the panel, with room for the marks of points at its sides and bottom;
  // the top is its edge, where values beyond the axis leave it.
  Rect Clip() const { return r_.Adjusted(-3, 0, 3, 3); }

  // The band of unbounded values: tinted, ruled off from the axis and labelled "∞".
  void InfinityBand() {
    if (!HasBand()) return;
    svg_.Rect(r_.left, r_.top, r_.width, data_.top - r_.top, c_.infinity_fill);
    svg_.Line({r_.left, data_.top}, {r_.right(), data_.top}, Pen{c_.ink, 1, true});
    const Font font{16, true};
    svg_.Text({r_.left - 8, (r_.top + data_.top) / 2 + kAscent * font.pixels / 2 - 2}, "\u221e",
              font, c_.ink, Anchor::kEnd);
  }

  // A curve with a gap wherever it has no value; values beyond the axis run to the panel's top
  // edge, which is marked there by a small arrowhead.
  void Curve(const std::vector<PlotPoint>& points, const Axis& y, double PlotPoint::*field,
             Colour colour) {
    std::vector<std::vector<Point>> runs(1);
    for (const PlotPoint& pt : points) {
      const double v = pt.*field;
      if (std::isnan(v)) {
        if (!runs.back().empty()) runs.emplace_back();
        continue;
      }
      runs.back().push_back({X(pt.frequency_hz), Y(y, v)});
    }
    std::vector<std::vector<Point>> inside;
    for (const auto& run : runs) {
      for (auto& part : ClipPolyline(run, Clip())) inside.push_back(std::move(part));
    }
    svg_.Path(PathData(inside), std::nullopt, Pen{colour, 1.8, false, true});
    // Few points: mark each one. Unbounded points are always marked, so that a single one
    // among many shows.
    for (const PlotPoint& pt : points) {
      const double v = pt.*field;
      if (std::isinf(v) || (points.size() <= 40 && !std::isnan(v))) {
        const Point at{X(pt.frequency_hz), Y(y, v)};
        if (Clip().Contains(at)) svg_.Circle(at, 2.5, colour, Pen{colour, 1});
      }
    }
    BeyondMarks(points, y, field, colour);
  }

  // The band between the range's edges, in one piece per run of points that have both.
  void Band(const std::vector<PlotPoint>& points, const Axis& y, double PlotPoint::*min,
            double PlotPoint::*max, Colour colour) {
    std::string path;
    std::size_t i = 0;
    while (i < points.size()) {
      std::size_t j = i;
      while (j < points.size() && !std::isnan(points[j].*min) && !std::isnan(points[j].*max)) {
        ++j;
      }
      if (j > i) {
        std::vector<Point> polygon;
        for (std::size_t k = i; k < j; ++k) {
          polygon.push_back({X(points[k].frequency_hz), Y(y, points[k].*min)});
        }
        for (std::size_t k = j; k-- > i;) {
          polygon.push_back({X(points[k].frequency_hz), Y(y, points[k].*max)});
        }
        if (j - i == 1) {  // a single point: a short bar
          const double x = polygon[0].x, y0 = polygon[0].y, y1 = polygon[1].y;
          polygon = {{x - 2, y0}, {x + 2, y0}, {x + 2, y1}, {x - 2, y1}};
        }
        const std::vector<Point> cut = ClipPolygon(polygon, Clip());
        if (cut.size() >= 3) {
          if (!path.empty()) path += ' ';
          path += PathData({cut}) + " Z";
        }
      }
      i = j + 1;
    }
    svg_.Path(path, colour);
  }

  // `title` turned beside the axis, or `short_title` where the panel is too low for it.
  void Grid(const Axis& y, double step, const std::string& title, const std::string& short_title,
            bool x_labels) {
    const Font font{12};
    InfinityBand();
    // Horizontal lines and the decibel labels.
    // Ticks by index: a step too small to move a value on would never end the loop.
    const long long first_tick = std::llround(y.lo / step);
    const long long last_tick = std::llround(y.hi / step);
    for (long long n = first_tick; n <= last_tick && n - first_tick <= kMaxTicks; ++n) {
      const double v = static_cast<double>(n) * step;
      const double py = Y(y, v);
      svg_.Line({r_.left, py}, {r_.right(), py}, Pen{c_.grid, 1});
      svg_.Text({r_.left - 8, py + kAscent * font.pixels / 2 - 1}, DecimalText(v, step), font,
                c_.ink, Anchor::kEnd);
    }
    // Vertical lines and the frequency labels.
    std::vector<std::pair<double, std::string>> ticks;
    if (x_.log) {
      for (double decade = std::pow(10.0, std::floor(std::log10(x_.lo)));
           decade <= x_.hi * 1.000001; decade *= 10.0) {
        for (int m = 1; m < 10; ++m) {
          const double f = decade * m;
          if (f < x_.lo * 0.999999 || f > x_.hi * 1.000001) continue;
          svg_.Line({X(f), r_.top}, {X(f), r_.bottom()}, Pen{m == 1 ? c_.grid : c_.minor_grid, 1});
          if (m == 1) {
            const Prefix prefix = PrefixFor(f);
            ticks.emplace_back(f, SignificantText(f / prefix.hz) + " " + std::string(prefix.unit));
          }
        }
      }
    } else {
      const double fstep = NiceStep(x_.hi - x_.lo, 8);
      const Prefix prefix = PrefixFor(std::max(std::fabs(x_.lo), std::fabs(x_.hi)));
      const double first = std::ceil(x_.lo / fstep);
      const double last = std::floor(x_.hi / fstep + 1e-6);
      for (double n = first; n <= last && n - first <= kMaxTicks; ++n) {
        const double f = n * fstep;
        svg_.Line({X(f), r_.top}, {X(f), r_.bottom()}, Pen{c_.grid, 1});
        ticks.emplace_back(f, DecimalText(f / prefix.hz, fstep / prefix.hz));
      }
    }
    if (x_labels) {
      for (const auto& [f, label] : ticks) {
        svg_.Text({X(f), r_.bottom() + 6 + kAscent * font.pixels}, label, font, c_.ink,
                  Anchor::kMiddle);
      }
    }
    svg_.Rect(r_.left, r_.top, r_.width, r_.height, std::nullopt, Pen{c_.ink, 1});
    // The y axis title, turned.
    const Font title_font{13};
    svg_.Text({r_.left - 52, r_.top + r_.height / 2},
              TextWidth(title, title_font.pixels) <= r_.height ? title : short_title, title_font,
              c_.ink, Anchor::kMiddle, -90);
  }

  // Legend entries in the corner of the panel where they cover the fewest points of the curves
  // (the top right when several are free): a line, or a filled box for a band.
  void Legend(const std::vector<LegendEntry>& entries, const std::vector<PlotPoint>& points,
              const Axis& y_axis, const std::vector<double PlotPoint::*>& fields) {
    const Font font{12};
    double width = 0;
    for (const auto& e : entries) width = std::max(width, TextWidth(e.label, font.pixels));
    const double line_height = kLineHeight * font.pixels + 4;
    const double w = width + 44, h = line_height * static_cast<double>(entries.size()) + 8;
    const Rect corners[] = {
        {r_.right() - w - 8, data_.top + 8, w, h},
        {r_.left + 8, data_.top + 8, w, h},
        {r_.right() - w - 8, r_.bottom() - h - 8, w, h},
        {r_.left + 8, r_.bottom() - h - 8, w, h},
    };
    Rect box = corners[0];
    long long fewest = -1;
    for (const Rect& corner : corners) {
      // A little margin, so that a curve does not run along the legend's edge.
      const Rect area = corner.Adjusted(-4, -4, 4, 4);
      long long covered = 0;
      for (const PlotPoint& pt : points) {
        for (const auto field : fields) {
          const double v = pt.*field;
          // Values beyond the axis count where they leave the panel, at its top edge.
          const Point at{X(pt.frequency_hz), std::max(Y(y_axis, v), r_.top + 6)};
          if (!std::isnan(v) && area.Contains(at)) ++covered;
        }
      }
      if (fewest < 0 || covered < fewest) {
        fewest = covered;
        box = corner;
      }
    }
    svg_.Rect(box.left, box.top, box.width, box.height, c_.legend_ground, Pen{c_.grid, 1});
    double y = box.top + 4 + line_height / 2;
    for (const auto& [label, colour, band] : entries) {
      if (band) {
        svg_.Rect(box.left + 8, y - 6, 24, 12, colour);
      } else {
        svg_.Line({box.left + 8, y}, {box.left + 32, y}, Pen{colour, 2});
      }
      svg_.Text({box.left + 38, y + kAscent * font.pixels / 2 - 2}, label, font, c_.ink);
      y += line_height;
    }
  }

 private:
  // Where a run of values beyond the axis leaves the panel through its top edge: an arrowhead
  // there, with the run's greatest value beside it.
  void BeyondMarks(const std::vector<PlotPoint>& points, const Axis& y, double PlotPoint::*field,
                   Colour colour) {
    const auto beyond = [&](std::size_t k) {
      const double v = points[k].*field;
      return std::isfinite(v) && Y(y, v) < r_.top;
    };
    const Font font{11};
    int marks = 0;
    std::size_t i = 0;
    while (i < points.size() && marks < kMaxBeyondMarks) {
      if (!beyond(i)) {
        ++i;
        continue;
      }
      const std::size_t start = i;
      double highest = points[i].*field;
      for (; i < points.size() && beyond(i); ++i) highest = std::max(highest, points[i].*field);
      // The crossing of the edge, from the point before the run where it has one.
      double x = X(points[start].frequency_hz);
      if (start > 0 && std::isfinite(points[start - 1].*field)) {
        const Point a{X(points[start - 1].frequency_hz), Y(y, points[start - 1].*field)};
        const Point b{x, Y(y, points[start].*field)};
        x = a.x + (b.x - a.x) * (r_.top - a.y) / (b.y - a.y);
      }
      x = std::clamp(x, r_.left + 6, r_.right() - 6);
      svg_.Polygon({{x, r_.top + 1}, {x - 5, r_.top + 10}, {x + 5, r_.top + 10}}, colour,
                   Pen{c_.ground, 1});
      const std::string text = DecimalText(highest, 0.01) + " dB";
      const bool right = x + 8 + TextWidth(text, font.pixels) < r_.right() - 4;
      svg_.Text({right ? x + 8 : x - 8, r_.top + 10}, text, font, colour,
                right ? Anchor::kStart : Anchor::kEnd);
      ++marks;
    }
  }

  SvgWriter& svg_;
  const SweepColours& c_;
  const Axis& x_;
  Rect r_;
  Rect data_;  // where finite values are drawn: the panel without the band
};

struct Panels {
  Rect top, bottom;
};

Panels PanelsOf(const PlotLayout& layout) {
  const double shared = std::max(40.0, layout.bottom - layout.top - kGap);
  const double upper = shared * kUpperShare;
  const double width = std::max(1.0, layout.right - layout.left);
  return {{layout.left, layout.top, width, upper},
          {layout.left, layout.top + upper + kGap, width, shared - upper}};
}

// Source and load met directly: the mismatch loss with its range, and the return loss.
void DrawDirect(SvgWriter& svg, const SweepColours& c, const std::vector<PlotPoint>& points,
                const Axis& x, const Panels& panels) {
  std::vector<double> loss, ret;
  for (const PlotPoint& pt : points) {
    loss.insert(loss.end(), {pt.ml_db, pt.ml_min_db, pt.ml_max_db});
    ret.push_back(pt.rl_db);
  }
  double loss_step = 1, return_step = 1;
  const Axis loss_axis = DecibelAxis(loss, loss_step);
  const Axis return_axis = DecibelAxis(ret, return_step);

  Panel top(svg, c, x, panels.top, AnyUnbounded(loss));
  top.Grid(loss_axis, loss_step, "Mismatch loss (dB)", "ML (dB)", false);
  svg.BeginClip(top.Clip().left, top.Clip().top, top.Clip().width, top.Clip().height);
  top.Band(points, loss_axis, &PlotPoint::ml_min_db, &PlotPoint::ml_max_db, c.loss_band);
  top.Curve(points, loss_axis, &PlotPoint::ml_db, c.loss);
  svg.EndClip();
  top.Legend({{"ML", c.loss, false}, {"ML at any phase (range)", c.loss_band, true}}, points,
             loss_axis, {&PlotPoint::ml_db, &PlotPoint::ml_min_db, &PlotPoint::ml_max_db});

  Panel bottom(svg, c, x, panels.bottom, AnyUnbounded(ret));
  bottom.Grid(return_axis, return_step, "Return loss (dB)", "RL (dB)", true);
  svg.BeginClip(bottom.Clip().left, bottom.Clip().top, bottom.Clip().width, bottom.Clip().height);
  bottom.Curve(points, return_axis, &PlotPoint::rl_db, c.return_loss);
  svg.EndClip();
  bottom.Legend({{"RL", c.return_loss, false}}, points, return_axis, {&PlotPoint::rl_db});
}

// A two-port between: the mismatch loss at its two planes with their ranges, and the
// transducer gain.
void DrawThrough(SvgWriter& svg, const SweepColours& c, const std::vector<PlotPoint>& points,
                 const Axis& x, const Panels& panels) {
  std::vector<double> loss, gain;
  for (const PlotPoint& pt : points) {
    loss.insert(loss.end(), {pt.source_plane_db, pt.source_plane_min_db, pt.source_plane_max_db,
                             pt.load_plane_db, pt.load_plane_min_db, pt.load_plane_max_db});
    gain.push_back(pt.gain_db);
  }
  double loss_step = 1, gain_step = 1;
  const Axis loss_axis = DecibelAxis(loss, loss_step);
  const Axis gain_axis = DecibelAxis(gain, gain_step);

  Panel top(svg, c, x, panels.top, AnyUnbounded(loss));
  top.Grid(loss_axis, loss_step, "Mismatch loss (dB)", "ML (dB)", false);
  svg.BeginClip(top.Clip().left, top.Clip().top, top.Clip().width, top.Clip().height);
  top.Band(points, loss_axis, &PlotPoint::source_plane_min_db, &PlotPoint::source_plane_max_db,
           c.loss_band);
  top.Band(points, loss_axis, &PlotPoint::load_plane_min_db, &PlotPoint::load_plane_max_db,
           c.load_band);
  top.Curve(points, loss_axis, &PlotPoint::source_plane_db, c.loss);
  top.Curve(points, loss_axis, &PlotPoint::load_plane_db, c.load_plane);
  svg.EndClip();
  top.Legend({{"ML at the source plane (\u0393S, \u0393in)", c.loss, false},
              {"its range at any phase", c.loss_band, true},
              {"ML at the load plane (\u0393out, \u0393L)", c.load_plane, false},
              {"its range at any phase", c.load_band, true}},
             points, loss_axis,
             {&PlotPoint::source_plane_db, &PlotPoint::source_plane_min_db,
              &PlotPoint::source_plane_max_db, &PlotPoint::load_plane_db,
              &PlotPoint::load_plane_min_db, &PlotPoint::load_plane_max_db});

  Panel bottom(svg, c, x, panels.bottom);
  bottom.Grid(gain_axis, gain_step, "Transducer gain (dB)", "Gt (dB)", true);
  svg.BeginClip(bottom.Clip().left, bottom.Clip().top, bottom.Clip().width, bottom.Clip().height);
  bottom.Curve(points, gain_axis, &PlotPoint::gain_db, c.gain);
  svg.EndClip();
  bottom.Legend({{"Gt", c.gain, false}}, points, gain_axis, {&PlotPoint::gain_db});
}

}  // namespace

double PlotLayout::XOf(double hz) const {
  return Axis{low_hz, high_hz, log}.Map(hz, left, right);
}

double PlotLayout::FrequencyAt(double x) const {
  const double t = right > left ? std::clamp((x - left) / (right - left), 0.0, 1.0) : 0.0;
  return log ? low_hz * std::pow(high_hz / low_hz, t) : low_hz + t * (high_hz - low_hz);
}

bool PlotLayout::OnPanels(double x, double y) const {
  return x >= left && x <= right && y >= top && y <= bottom;
}

PlotLayout LayoutPlot(const PlotData& data, double width, double height) {
  PlotLayout layout;
  layout.width = width;
  layout.height = height;
  layout.left = kLeft;
  layout.right = std::max(kLeft + 1, width - kRight);
  layout.top = kTop;
  layout.bottom = std::max(kTop + 40 + kGap, height - kBottom);
  layout.low_hz = data.first_hz();
  layout.high_hz = data.last_hz();
  layout.log = data.log_axis();
  const double least_span = std::max(
      kMinRelativeSpan * std::max(std::fabs(layout.low_hz), std::fabs(layout.high_hz)), 1e-3);
  if (!(layout.high_hz - layout.low_hz >= least_span)) {
    // A single frequency, or a span too small to draw: room on either side of the middle.
    const double middle = layout.low_hz / 2 + layout.high_hz / 2;
    const double room =
        layout.high_hz > layout.low_hz ? least_span / 2 : std::max(std::fabs(middle) * 0.01, 1.0);
    layout.low_hz = middle - room;
    layout.high_hz = middle + room;
    layout.log = false;
  }
  return layout;
}

std::string PlotSvg(const PlotData& data, double width, double height, const PlotOptions& options) {
  const PlotLayout layout = LayoutPlot(data, width, height);
  SvgWriter svg(width, height, data.title(),
                data.through() ? "Mismatch loss at both planes of the two-port, with their ranges "
                                 "at any phase, and transducer gain against frequency"
                               : "Mismatch loss, its range at any phase, and return loss against "
                                 "frequency");
  svg.Rect(0, 0, width, height, options.colours.ground);
  // A title too long for the picture loses its middle, so that both files stay named.
  const Font title_font{16, true};
  svg.Text({width / 2, 24 + kAscent * title_font.pixels / 2 - 1},
           ElideMiddle(data.title(), width - 24, title_font.pixels, true), title_font,
           options.colours.title, Anchor::kMiddle);

  // Two slivers of the sweep for each unit of the panels' width: a picture shown at its size, or
  // exported at twice, looks the same as with every sliver, and is drawn much faster.
  const std::vector<PlotPoint> points =
      data.Points(static_cast<std::size_t>(std::max(2.0, 2 * (layout.right - layout.left))));
  const Axis x{layout.low_hz, layout.high_hz, layout.log};
  const Panels panels = PanelsOf(layout);
  if (data.through()) {
    DrawThrough(svg, options.colours, points, x, panels);
  } else {
    DrawDirect(svg, options.colours, points, x, panels);
  }
  if (options.cursor_hz) {
    const double cx = layout.XOf(*options.cursor_hz);
    if (cx >= layout.left && cx <= layout.right) {
      for (const Rect& r : {panels.top, panels.bottom}) {
        svg.Line({cx, r.top}, {cx, r.bottom()}, Pen{options.colours.title, 1.5});
      }
    }
  }

  std::string axis_title = "Frequency";
  if (!x.log) {
    axis_title +=
        " (" + std::string(PrefixFor(std::max(std::fabs(x.lo), std::fabs(x.hi))).unit) + ")";
  } else {
    axis_title += " (logarithmic)";
  }
  const Font axis_font{13};
  svg.Text({(layout.left + layout.right) / 2, height - 28 + kAscent * axis_font.pixels / 2 - 1},
           axis_title, axis_font, options.colours.ink, Anchor::kMiddle);
  return svg.Finish();
}

}  // namespace draw
