#include "draw/sweep_smith.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "draw/plot_axes.h"
#include "draw/smith_grid.h"
#include "draw/svg.h"
#include "draw/text_width.h"

namespace draw {

namespace {

// The room of the titles above the chart, and of the legend below it.
constexpr double kTitles = 60, kLegendRoom = 130;

using calc::Finite;

class Chart {
 public:
  Chart(SvgWriter& svg, const SmithFrame& frame, const SweepColours& colours)
      : svg_(svg), frame_(frame), c_(colours) {}

  // One coefficient over frequency, with a gap where it has no value.
  void Trace(const std::vector<SmithPoint>& points, calc::Complex SmithPoint::*field,
             Colour colour) {
    std::vector<std::vector<Point>> runs(1);
    for (const SmithPoint& pt : points) {
      const calc::Complex g = pt.*field;
      if (!Finite(g)) {
        if (!runs.back().empty()) runs.emplace_back();
        continue;
      }
      runs.back().push_back(frame_.At(g.re, g.im));
    }
    std::erase_if(runs, [](const auto& run) { return run.size() < 2; });
    svg_.Path(PathData(runs), std::nullopt, Pen{colour, 2.0, false, true});
  }

  // The start of a curve marked with a dot and its end with a square, each with its frequency
  // on a white ground, staggered per curve so that curves starting at one place keep their
  // labels apart.
  void Marks(const std::vector<SmithPoint>& points, calc::Complex SmithPoint::*field, Colour colour,
             int label_row) {
    const SmithPoint* first = nullptr;
    const SmithPoint* last = nullptr;
    for (const SmithPoint& pt : points) {
      if (!Finite(pt.*field)) continue;
      if (first == nullptr) first = &pt;
      last = &pt;
    }
    if (first == nullptr) return;
    const Point a = frame_.At((first->*field).re, (first->*field).im);
    const Point b = frame_.At((last->*field).re, (last->*field).im);
    svg_.Circle(a, 5.5, colour, Pen{c_.mark_edge, 1.2});
    svg_.Rect(b.x - 5, b.y - 5, 10, 10, colour, Pen{c_.mark_edge, 1.2});
    // The first frequency to the left of its mark, the last to the right, so that the two stay
    // apart on a curve that ends near its start.
    Label(a, FrequencyText(first->frequency_hz), true, label_row, colour);
    if (last != first) Label(b, FrequencyText(last->frequency_hz), false, label_row, colour);
  }

  // The cursor's point on a curve: a ring round it.
  void Cursor(const SmithPoint& point, calc::Complex SmithPoint::*field, Colour colour) {
    if (!Finite(point.*field)) return;
    const Point at = frame_.At((point.*field).re, (point.*field).im);
    svg_.Circle(at, 8, std::nullopt, Pen{c_.title, 2.4});
    svg_.Circle(at, 4, colour, Pen{c_.mark_edge, 1});
  }

 private:
  void Label(Point at, const std::string& text, bool left, int row, Colour colour) {
    const Font font{12, true};
    const double width = TextWidth(text, font.pixels, true);
    const double x = left ? at.x - 9 - width : at.x + 9;
    const Point pos{x, at.y + 4 + (row - 1) * (kLineHeight * font.pixels + 1)};
    svg_.Rect(pos.x - 2, pos.y - kAscent * font.pixels - 1, width + 4,
              kLineHeight * font.pixels + 2, c_.label_ground);
    svg_.Text(pos, text, font, colour);
  }

  SvgWriter& svg_;
  SmithFrame frame_;
  const SweepColours& c_;
};

}  // namespace

std::string SweepSmithSvg(const SmithData& data, double width, double height,
                          const SweepSmithOptions& options) {
  SvgWriter svg(width, height, data.title(),
                "The source and load reflection coefficients over frequency on a Smith chart");
  const SweepColours& c = options.colours;
  svg.Rect(0, 0, width, height, c.ground);
  const Font title_font{16, true};
  svg.Text({width / 2, 24 + kAscent * title_font.pixels / 2 - 1},
           ElideMiddle(data.title(), width - 24, title_font.pixels, true), title_font, c.title,
           Anchor::kMiddle);
  const Font font{13};
  // The note on the circles, where the picture is wide enough for it.
  const std::string note =
      "Smith chart: impedance circles normalised to the source's reference impedance";
  if (TextWidth(note, font.pixels) <= width - 16) {
    svg.Text({width / 2, 48 + kAscent * font.pixels / 2 - 1}, note, font, c.ink, Anchor::kMiddle);
  }

  // Drawn for 760 × 820 pixels: the chart between the titles and the legend, which keep their
  // room at any size; the chart scales with what is left.
  const double scale = std::max(
      0.1, std::min(width / kSweepSmithWidth, (height - kTitles - kLegendRoom) /
                                                  (kSweepSmithHeight - kTitles - kLegendRoom)));
  const SmithFrame frame{{width / 2, kTitles + 330 * scale}, 300 * scale};
  DrawSmithGrid(svg, frame, c.grid, Pen{c.ink, 1.5}, GridLabels{Font{12}, c.ink});
  Chart chart(svg, frame, c);
  const std::vector<SmithPoint> points = data.Points();
  // The curves first, then their marks and labels over all of them.
  chart.Trace(points, &SmithPoint::source, c.source);
  chart.Trace(points, &SmithPoint::load, c.load);
  if (data.through()) chart.Trace(points, &SmithPoint::out, c.out);
  chart.Marks(points, &SmithPoint::source, c.source, 0);
  chart.Marks(points, &SmithPoint::load, c.load, 1);
  if (data.through()) chart.Marks(points, &SmithPoint::out, c.out, 2);
  if (options.cursor) {
    chart.Cursor(*options.cursor, &SmithPoint::source, c.source);
    chart.Cursor(*options.cursor, &SmithPoint::load, c.load);
    if (data.through()) chart.Cursor(*options.cursor, &SmithPoint::out, c.out);
  }

  // The legend under the chart.
  std::vector<std::pair<std::string, Colour>> entries = {{"\u0393S, the source", c.source},
                                                         {"\u0393L, the load", c.load}};
  if (data.through()) {
    entries.emplace_back("\u0393out, the source seen through the two-port", c.out);
  }
  const double step = kLineHeight * font.pixels + 6;
  double widest = 0;
  for (const auto& entry : entries) widest = std::max(widest, TextWidth(entry.first, font.pixels));
  const double across = width / kSweepSmithWidth;
  const double left = std::max(8.0, width / 2 - 230 * across);
  double right = std::max(width / 2 + 100 * across, left + 45 + widest + 3);
  double y = kTitles + 680 * scale;
  for (const auto& [text, colour] : entries) {
    svg.Line({left, y}, {left + 35, y}, Pen{colour, 2.5});
    svg.Text({left + 45, y + kAscent * font.pixels / 2 - 2}, text, font, c.ink);
    y += step;
  }
  // The marks beside the curves' names, or under them where the picture is too narrow.
  double marks_y = kTitles + 680 * scale;
  if (right + 15 + TextWidth("first frequency", font.pixels) > width - 8) {
    right = left + 17;
    marks_y = y;
  }
  svg.Circle({right, marks_y}, 5.5, c.ink, Pen{c.mark_edge, 1.2});
  svg.Rect(right - 5, marks_y + step - 5, 10, 10, c.ink, Pen{c.mark_edge, 1.2});
  svg.Text({right + 15, marks_y + kAscent * font.pixels / 2 - 2}, "first frequency", font, c.ink);
  svg.Text({right + 15, marks_y + step + kAscent * font.pixels / 2 - 2}, "last frequency", font,
           c.ink);
  if (options.cursor) {
    svg.Circle({right, marks_y + 2 * step}, 6, std::nullopt, Pen{c.title, 2.4});
    svg.Text({right + 15, marks_y + 2 * step + kAscent * font.pixels / 2 - 2},
             "cursor, " + FrequencyText(options.cursor->frequency_hz), font, c.ink);
  }
  return svg.Finish();
}

}  // namespace draw
