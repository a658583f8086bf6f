#pragma once

#include <optional>
#include <string>

#include "draw/sweep_colours.h"

namespace draw {

class PlotData;

// The size the plot is drawn at when none is asked for, in CSS pixels.
inline constexpr double kPlotWidth = 960;
inline constexpr double kPlotHeight = 680;

// Where the plot's panels lie in a picture of a given size, and how frequency maps onto their
// common x axis: for turning a click into a frequency, or a frequency into a position.
struct PlotLayout {
  double width = kPlotWidth, height = kPlotHeight;  // the whole picture
  double left = 0.0, right = 0.0;                   // the panels' left and right edges
  double top = 0.0, bottom = 0.0;  // the top of the upper panel, the bottom of the lower one
  // The frequency axis: from `low_hz` at `left` to `high_hz` at `right`, logarithmic or linear.
  double low_hz = 0.0, high_hz = 1.0;
  bool log = false;

  // The x position of a frequency (outside the panels for one outside the axis).
  double XOf(double hz) const;
  // The frequency at an x position, held to the axis's ends.
  double FrequencyAt(double x) const;
  // Whether a position lies on one of the panels.
  bool OnPanels(double x, double y) const;
};

// What can be added to the plot.
struct PlotOptions {
  // A vertical line across both panels at this frequency (the sweep window's cursor).
  std::optional<double> cursor_hz;
  SweepColours colours;
};

// The layout of the plot of `data` in a picture of `width` × `height` CSS pixels.
PlotLayout LayoutPlot(const PlotData& data, double width = kPlotWidth, double height = kPlotHeight);

// The plot as a whole SVG document of `width` × `height` CSS pixels (its view box is the same):
// without a two-port, the mismatch loss with its range at any phase over the return loss; with
// one, the mismatch loss at both planes with their ranges over the transducer gain. Frequency
// runs along x, logarithmic over two decades or more. Unbounded values sit in a tinted band at
// the top of their panel marked ∞; values beyond the axis run to the panel's edge, where they
// are clipped and marked. A title too long for the picture loses its middle; each panel's legend
// takes the corner where it covers the fewest points.
std::string PlotSvg(const PlotData& data, double width = kPlotWidth, double height = kPlotHeight,
                    const PlotOptions& options = {});

}  // namespace draw
