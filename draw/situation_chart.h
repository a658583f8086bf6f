#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calc/smith_geometry.h"
#include "draw/svg.h"

namespace draw {

// How the chart of one situation looks: the window's colours and type size.
struct SituationStyle {
  Colour ground{255, 255, 255};  // inside the unit circle
  Colour grid{0, 0, 0, 0.28};
  Colour text{0, 0, 0};         // the rim and the point labels' ground is `ground`
  Colour legend_text{0, 0, 0};  // the words of the legend
  Colour source{192, 40, 30};
  Colour load{20, 80, 190};
  Colour same_loss{20, 130, 50};
  double font_px = 13.0;  // the type size, in CSS pixels
};

// The light and dark colours the window uses.
SituationStyle LightSituationStyle();
SituationStyle DarkSituationStyle();

// A label beside a point, or the value of a point beyond the view beside its arrow: its text and
// the box it takes, in the picture's CSS pixels (y downwards).
struct ChartLabel {
  std::string text;
  double left = 0.0, top = 0.0, width = 0.0, height = 0.0;
};

// A point beyond the view, shown by an arrow at the edge pointing towards it.
struct EdgeArrow {
  double tip_x = 0.0, tip_y = 0.0;  // the arrow's tip, at the view's edge
  double towards = 0.0;             // the direction to the point, radians counter-clockwise
};

// Where the chart's parts go in a picture of a given size.
struct SituationLayout {
  double centre_x = 0.0, centre_y = 0.0, scale = 1.0;       // Γ = 0, and pixels per unit of |Γ|
  double view_left = 0.0, view_top = 0.0, view_side = 0.0;  // the square that shows the chart
  double reach = 1.08;                                      // the |Γ| at the view's edge
  // The points' labels (points that coincide share one, "ΓS = ΓS*"), placed apart from each
  // other, from the points and from the rim where there is room; then the values of points beyond
  // the view, with `arrows` in the same order.
  std::vector<ChartLabel> labels;
  std::vector<EdgeArrow> arrows;
};

// The layout of the chart in a picture of `width` × `height` CSS pixels; nothing but the grid
// for no geometry.
SituationLayout LayoutSituation(const std::optional<calc::SmithGeometry>& geometry, double width,
                                double height, const SituationStyle& style);

// The Smith chart of one situation as a whole SVG document of `width` × `height` CSS pixels: the
// grid of constant resistance and reactance, ΓS (filled), ΓS* (open) and ΓL, the circles |Γ| = |ΓS|
// and |Γ| = |ΓL| dashed, the circle of loads with the mismatch loss of ΓL, and a legend below.
std::string SituationSvg(const std::optional<calc::SmithGeometry>& geometry, double width,
                         double height, const SituationStyle& style);

// The chart in words, for a screen reader: where ΓS, ΓS* and ΓL are and what the circles are.
std::string SituationDescription(const std::optional<calc::SmithGeometry>& geometry);

}  // namespace draw
