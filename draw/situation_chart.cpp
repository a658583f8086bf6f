#include "draw/situation_chart.h"

#include <algorithm>
#include <cmath>

#include "calc/reflection.h"
#include "draw/chart_labels.h"
#include "draw/smith_grid.h"
#include "draw/text_width.h"
#include "platform/number_format.h"

namespace draw {

namespace {

constexpr double kMargin = 8, kLegendLines = 3;
constexpr double kMarkRadius = 4.5;

using calc::Finite;
using calc::Magnitude;
using Gamma = calc::Complex;

// The same point: equal to the last bits that a chart or a reader could tell apart.
bool Coincide(Gamma a, Gamma b) {
  return Magnitude(calc::Sub(a, b)) <= 1e-12 * std::max(1.0, Magnitude(a));
}

// One point of the chart, or several that coincide: their names joined ("ΓS = ΓS*").
struct Spot {
  Gamma at;
  std::string name;
  Colour colour;
};

struct ChartPoint {
  Gamma at;
  const char* name;
  Colour colour;
  bool filled;
};

std::vector<ChartPoint> PointsOf(const calc::SmithGeometry& g, const SituationStyle& style) {
  return {{g.source, "\u0393S", style.source, true},
          {g.conjugate, "\u0393S*", style.source, false},
          {g.load, "\u0393L", style.load, true}};
}

std::vector<Spot> SpotsOf(const std::vector<ChartPoint>& points) {
  std::vector<Spot> spots;
  for (const ChartPoint& p : points) {
    if (!Finite(p.at)) continue;
    const auto same = std::find_if(spots.begin(), spots.end(),
                                   [&](const Spot& s) { return Coincide(s.at, p.at); });
    if (same != spots.end()) {
      same->name += " = " + std::string(p.name);
    } else {
      spots.push_back({p.at, p.name, p.colour});
    }
  }
  return spots;
}

std::string MagnitudeText(double v) {
  return platform::FormatNumber(v, "0.00");
}

// The angle of a point in degrees, from −180 to 180.
std::string AngleText(Gamma z) {
  return platform::FormatNumber(calc::AngleDegrees(z), "0.0") + "\u00b0";
}

std::string PolarText(Gamma z) {
  return MagnitudeText(Magnitude(z)) + " \u2220 " + AngleText(z);
}

struct Frame {
  SmithFrame chart;
  Rect view;
  double reach = 1.08;
};

Frame FrameOf(const std::optional<calc::SmithGeometry>& geometry, double width, double height,
              const SituationStyle& style) {
  const double line = kLineHeight * style.font_px;
  const double side =
      std::max(10.0, std::min(width - 2 * kMargin, height - 2 * kMargin - kLegendLines * line));
  Frame f;
  f.view = {(width - side) / 2, kMargin, side, side};
  // Active ports lie outside the unit circle: the view reaches a little beyond the farthest
  // point, up to a little beyond |Γ| = 2; points farther out are shown by arrows at its edge.
  if (geometry) {
    const double farthest = std::max(geometry->source_radius, geometry->load_radius);
    if (std::isfinite(farthest)) f.reach = std::clamp(farthest * 1.08, 1.08, 2.16);
    if (!std::isfinite(farthest)) f.reach = 2.16;
  }
  f.chart = {{f.view.left + side / 2, f.view.top + side / 2}, side / (2.0 * f.reach)};
  return f;
}

Point ToPicture(const SmithFrame& frame, Gamma z) {
  return frame.At(z.re, z.im);
}

bool InView(const Frame& f, Point p) {
  return f.view.Adjusted(kMarkRadius, kMarkRadius, -kMarkRadius, -kMarkRadius).Contains(p);
}

// The tip of the arrow towards a point beyond the view: where the ray from the centre towards it
// meets the view's edge, a little inside.
EdgeArrow ArrowTowards(const Frame& f, Gamma z) {
  const double towards = std::atan2(z.im, z.re);
  const double dx = std::cos(towards), dy = -std::sin(towards);
  const double half = f.view.width / 2 - 3;
  const double t = std::min(std::fabs(dx) > 1e-12 ? half / std::fabs(dx) : INFINITY,
                            std::fabs(dy) > 1e-12 ? half / std::fabs(dy) : INFINITY);
  return {f.chart.centre.x + t * dx, f.chart.centre.y + t * dy, towards};
}

struct Placed {
  SituationLayout layout;
  std::vector<Colour> label_colours;
  Frame frame;
};

Placed Place(const std::optional<calc::SmithGeometry>& geometry, double width, double height,
             const SituationStyle& style) {
  Placed out;
  out.frame = FrameOf(geometry, width, height, style);
  const Frame& f = out.frame;
  SituationLayout& layout = out.layout;
  layout.centre_x = f.chart.centre.x;
  layout.centre_y = f.chart.centre.y;
  layout.scale = f.chart.radius;
  layout.view_left = f.view.left;
  layout.view_top = f.view.top;
  layout.view_side = f.view.width;
  layout.reach = f.reach;
  if (!geometry) return out;

  std::vector<Point> anchors, sizes, marks;
  std::vector<std::string> texts;
  std::vector<Spot> beyond;
  const double height_of_label = kLineHeight * style.font_px + 2;
  for (const Spot& s : SpotsOf(PointsOf(*geometry, style))) {
    const Point p = ToPicture(f.chart, s.at);
    if (!InView(f, p)) {
      beyond.push_back(s);
      continue;
    }
    marks.push_back(p);
    anchors.push_back(p);
    texts.push_back(s.name);
    out.label_colours.push_back(s.colour);
  }
  for (const Spot& s : beyond) {
    const EdgeArrow arrow = ArrowTowards(f, s.at);
    layout.arrows.push_back(arrow);
    // The value beside the arrow's tail, towards the centre.
    anchors.push_back(
        {arrow.tip_x - 22 * std::cos(arrow.towards), arrow.tip_y + 22 * std::sin(arrow.towards)});
    texts.push_back(s.name + " = " + PolarText(s.at));
    out.label_colours.push_back(s.colour);
  }
  for (const std::string& t : texts) {
    sizes.push_back({TextWidth(t, style.font_px) + 4, height_of_label});
  }
  LabelObstacles obstacles;
  obstacles.marks = marks;
  obstacles.mark_radius = kMarkRadius + 2;
  obstacles.rim_centre = f.chart.centre;
  obstacles.rim_radius = f.chart.radius;
  obstacles.area = f.view.Adjusted(2, 2, -2, -2);
  const std::vector<Rect> boxes = PlaceLabels(anchors, sizes, obstacles);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    layout.labels.push_back(
        {texts[i], boxes[i].left, boxes[i].top, boxes[i].width, boxes[i].height});
  }
  return out;
}

}  // namespace

SituationStyle LightSituationStyle() {
  return {};
}

SituationStyle DarkSituationStyle() {
  SituationStyle s;
  s.ground = {0x2a, 0x2a, 0x2a};
  s.grid = {0xee, 0xee, 0xee, 0.28};
  s.text = {0xee, 0xee, 0xee};
  s.legend_text = {0xee, 0xee, 0xee};
  s.source = {255, 128, 110};
  s.load = {120, 176, 255};
  s.same_loss = {110, 220, 130};
  return s;
}

SituationLayout LayoutSituation(const std::optional<calc::SmithGeometry>& geometry, double width,
                                double height, const SituationStyle& style) {
  return Place(geometry, width, height, style).layout;
}

std::string SituationSvg(const std::optional<calc::SmithGeometry>& geometry, double width,
                         double height, const SituationStyle& style) {
  const Placed placed = Place(geometry, width, height, style);
  const Frame& f = placed.frame;
  SvgWriter svg(width, height, "Smith chart", SituationDescription(geometry));
  svg.BeginClip(f.view.left, f.view.top, f.view.width, f.view.height);
  svg.Circle(f.chart.centre, f.chart.radius, style.ground);
  DrawSmithGrid(svg, f.chart, style.grid, Pen{style.text, 1.2}, std::nullopt);
  if (geometry) {
    const calc::SmithGeometry& g = *geometry;
    // Circles that would leave the view are not drawn: nothing else clips them in every viewer.
    const auto ring = [&](double radius, Colour colour) {
      if (radius > 0 && radius <= f.reach) {
        svg.Circle(f.chart.centre, radius * f.chart.radius, std::nullopt, Pen{colour, 1.6, true});
      }
    };
    ring(g.source_radius, style.source);
    ring(g.load_radius, style.load);
    if (g.same_loss) {
      svg.Circle(ToPicture(f.chart, g.same_loss->centre), g.same_loss->radius * f.chart.radius,
                 std::nullopt, Pen{style.same_loss, 2.2});
    }
    // ΓS* open, under the filled points; a larger ring where a filled point covers it.
    for (const ChartPoint& p : PointsOf(g, style)) {
      if (!Finite(p.at)) continue;
      const Point at = ToPicture(f.chart, p.at);
      if (!InView(f, at)) continue;
      const bool covered = !p.filled && (Coincide(p.at, g.source) || Coincide(p.at, g.load));
      if (covered) {
        svg.Circle(at, kMarkRadius + 3, std::nullopt, Pen{p.colour, 2.0});
      } else {
        svg.Circle(at, kMarkRadius, p.filled ? p.colour : style.ground, Pen{p.colour, 2.0});
      }
    }
    const SituationLayout& layout = placed.layout;
    for (std::size_t i = 0; i < layout.arrows.size(); ++i) {
      const EdgeArrow& a = layout.arrows[i];
      const Colour colour = placed.label_colours[layout.labels.size() - layout.arrows.size() + i];
      const double c = std::cos(a.towards), s = -std::sin(a.towards);  // on the picture
      const Point tip{a.tip_x, a.tip_y};
      svg.Line({tip.x - 18 * c, tip.y - 18 * s}, tip, Pen{colour, 2.0});
      svg.Polygon({tip,
                   {tip.x - 9 * c + 5 * s, tip.y - 9 * s - 5 * c},
                   {tip.x - 9 * c - 5 * s, tip.y - 9 * s + 5 * c}},
                  colour);
    }
    const Font font{style.font_px};
    Colour label_ground = style.ground;
    label_ground.alpha = 0.8;
    for (std::size_t i = 0; i < layout.labels.size(); ++i) {
      const ChartLabel& l = layout.labels[i];
      svg.Rect(l.left, l.top, l.width, l.height, label_ground);
      svg.Text({l.left + 2, l.top + 1 + kAscent * style.font_px}, l.text, font,
               placed.label_colours[i]);
    }
  }
  svg.EndClip();

  // The legend: a swatch and its words, in lines as wide as the picture allows.
  struct Entry {
    Colour colour;
    bool dashed;
    const char* words;
  };
  const Entry entries[] = {
      {style.source, false, "\u0393S (filled), \u0393S* (open)"},
      {style.load, false, "\u0393L"},
      {style.source, true, "|\u0393| = |\u0393S|"},
      {style.load, true, "|\u0393| = |\u0393L|"},
      {style.same_loss, false, "loads with the mismatch loss of \u0393L"},
  };
  const double line = kLineHeight * style.font_px;
  const double swatch = 22;
  double x = kMargin;
  double y = f.view.bottom() + kMargin;
  for (const Entry& e : entries) {
    const double needed = swatch + 6 + TextWidth(e.words, style.font_px) + 14;
    if (x > kMargin && x + needed > width - kMargin) {
      x = kMargin;
      y += line;
    }
    svg.Line({x, y + line / 2}, {x + swatch, y + line / 2}, Pen{e.colour, 2.2, e.dashed});
    svg.Text({x + swatch + 6, y + kAscent * style.font_px}, e.words, Font{style.font_px},
             style.legend_text);
    x += needed;
  }
  return svg.Finish();
}

namespace {

// Where a point lies, in the words of the chart.
std::string Whereabouts(Gamma z) {
  const double m = Magnitude(z);
  if (m == 0.0) return "at the centre (matched)";
  std::string where;
  if (z.im == 0.0 || std::fabs(z.im) <= 1e-12 * m) {
    where = "on the real axis (resistive)";
  } else {
    where = z.im > 0 ? "in the upper half (inductive)" : "in the lower half (capacitive)";
  }
  if (m > 1.0) return where + ", outside the unit circle (an active port)";
  if (m == 1.0) return where + ", on the rim (total reflection)";
  return where;
}

}  // namespace

std::string SituationDescription(const std::optional<calc::SmithGeometry>& geometry) {
  if (!geometry) return "Smith chart: no results yet.";
  const calc::SmithGeometry& g = *geometry;
  if (!Finite(g.source) || !Finite(g.load)) return "Smith chart: the points cannot be drawn.";
  std::string text = "Smith chart. \u0393S, the source, is at " + PolarText(g.source) + ", " +
                     Whereabouts(g.source) + ". ";
  if (Coincide(g.source, g.conjugate)) {
    text += "\u0393S* coincides with it. ";
  } else {
    text += "\u0393S*, the load of a conjugate match, is its mirror image at " +
            PolarText(g.conjugate) + ". ";
  }
  text += "\u0393L, the load, is at " + PolarText(g.load) + ", " + Whereabouts(g.load);
  if (Coincide(g.load, g.conjugate)) {
    text += g.source_radius < 1.0 ? ", on \u0393S*: a conjugate match" : ", on \u0393S*";
  }
  text += ".";
  // The dashed circles that the chart shows: those inside its view.
  const double reach = std::clamp(std::max(g.source_radius, g.load_radius) * 1.08, 1.08, 2.16);
  const bool source_ring = g.source_radius > 0 && g.source_radius <= reach;
  const bool load_ring = g.load_radius > 0 && g.load_radius <= reach;
  if (source_ring && load_ring && g.source_radius == g.load_radius) {
    text += " The dashed circle |\u0393| = " + MagnitudeText(g.source_radius) +
            " passes through \u0393S and \u0393L.";
  } else if (source_ring && load_ring) {
    text += " The dashed circles are |\u0393| = " + MagnitudeText(g.source_radius) +
            " through \u0393S and |\u0393| = " + MagnitudeText(g.load_radius) + " through \u0393L.";
  } else if (source_ring || load_ring) {
    text += " The dashed circle is |\u0393| = " +
            MagnitudeText(source_ring ? g.source_radius : g.load_radius) + " through " +
            (source_ring ? "\u0393S." : "\u0393L.");
  }
  if (g.same_loss) {
    text += " The green circle, centred at " + PolarText(g.same_loss->centre) + " with radius " +
            MagnitudeText(g.same_loss->radius) +
            ", holds the loads that give the same mismatch loss as \u0393L against this source.";
  }
  if (std::max(g.source_radius, g.load_radius) > 2.0) {
    text += " Points beyond |\u0393| = 2 are shown by arrows at the edge of the chart.";
  }
  return text;
}

}  // namespace draw
