#pragma once

#include <optional>

#include "draw/svg.h"

namespace draw {

// Where a Smith chart lies in a picture: Γ = 0 at `centre`, |Γ| = 1 at `radius` pixels from it;
// up is the positive imaginary part.
struct SmithFrame {
  Point centre;
  double radius = 1.0;
  Point At(double re, double im) const { return {centre.x + radius * re, centre.y - radius * im}; }
};

// The impedance grid inside the unit circle: the circles of constant resistance and the arcs of
// constant reactance (0.2, 0.5, 1, 2 and 5, normalised to the reference impedance), the real
// axis, and the rim. With `labels`, the resistances along the real axis and the reactances
// outside the rim ("+j1", "−j0.5") in that font and colour.
struct GridLabels {
  Font font;
  Colour colour;
};
void DrawSmithGrid(SvgWriter& svg, const SmithFrame& frame, Colour grid, const Pen& rim,
                   std::optional<GridLabels> labels);

}  // namespace draw
