#include "draw/smith_grid.h"

#include <cmath>
#include <string>
#include <vector>

#include "calc/complex_value.h"
#include "draw/plot_axes.h"

namespace draw {

namespace {

constexpr double kGridValues[] = {0.2, 0.5, 1.0, 2.0, 5.0};

}  // namespace

void DrawSmithGrid(SvgWriter& svg, const SmithFrame& frame, Colour grid, const Pen& rim,
                   std::optional<GridLabels> labels) {
  const Pen pen{grid, 1};
  for (const double r : kGridValues) {
    // Centre r/(1 + r) on the real axis, radius 1/(1 + r): inside the rim throughout.
    svg.Circle(frame.At(r / (1.0 + r), 0.0), frame.radius / (1.0 + r), std::nullopt, pen);
  }
  // The reactance arcs inside the rim, as Γ = (z − 1)/(z + 1) for z = r + jx with r from 0 to far
  // beyond 1: they need no clipping.
  std::vector<std::vector<Point>> arcs;
  for (const double x : kGridValues) {
    for (const double sign : {1.0, -1.0}) {
      std::vector<Point> arc;
      for (int i = 0; i <= 200; ++i) {
        const double r = std::tan(i * (calc::kPi / 2 - 1e-3) / 200);
        const double im = sign * x;
        const double d = (r + 1) * (r + 1) + im * im;
        arc.push_back(
            frame.At(((r - 1) * (r + 1) + im * im) / d, (im * (r + 1) - (r - 1) * im) / d));
      }
      arc.push_back(frame.At(1.0, 0.0));
      arcs.push_back(std::move(arc));
    }
  }
  svg.Path(PathData(arcs), std::nullopt, pen);
  svg.Line(frame.At(-1.0, 0.0), frame.At(1.0, 0.0), pen);
  svg.Circle(frame.centre, frame.radius, std::nullopt, rim);
  if (!labels) return;

  for (const double r : {0.0, 0.2, 0.5, 1.0, 2.0, 5.0}) {
    const Point at = frame.At((r - 1.0) / (r + 1.0), 0.0);
    svg.Text({at.x + 3, at.y - 4}, SignificantText(r), labels->font, labels->colour);
  }
  for (const double x : kGridValues) {
    for (const double sign : {1.0, -1.0}) {
      // z = jx on the rim: Γ = (x² − 1 + 2jx)/(x² + 1).
      const double d = x * x + 1.0;
      const double re = (x * x - 1.0) / d, im = sign * 2.0 * x / d;
      const Point rim_at = frame.At(re * 1.06, im * 1.06);
      svg.Text({rim_at.x, rim_at.y + kAscent * labels->font.pixels / 2 - 1},
               (sign > 0 ? "+j" : "\u2212j") + SignificantText(x), labels->font, labels->colour,
               Anchor::kMiddle);
    }
  }
}

}  // namespace draw
