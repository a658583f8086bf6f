#include "draw/plot.h"

#include <algorithm>
#include <cmath>

#include "draw/plot_data.h"
#include "draw/svg.h"

namespace draw {

double PlotLayout::XOf(double hz) const {
  const double t =
      log ? std::log(hz / low_hz) / std::log(high_hz / low_hz) : (hz - low_hz) / (high_hz - low_hz);
  return left + t * (right - left);
}

double PlotLayout::FrequencyAt(double x) const {
  const double t = std::clamp((x - left) / (right - left), 0.0, 1.0);
  return log ? low_hz * std::pow(high_hz / low_hz, t) : low_hz + t * (high_hz - low_hz);
}

bool PlotLayout::OnPanels(double x, double y) const {
  return x >= left && x <= right && y >= top && y <= bottom;
}

PlotLayout LayoutPlot(const PlotData& data, double width, double height) {
  PlotLayout layout;
  layout.width = width;
  layout.height = height;
  layout.left = 86;
  layout.right = width - 24;
  layout.top = 52;
  layout.bottom = height - 72;
  layout.low_hz = data.first_hz();
  layout.high_hz = data.last_hz();
  layout.log = data.log_axis();
  return layout;
}

std::string PlotSvg(const PlotData& data, double width, double height,
                    const PlotOptions& /*options*/) {
  SvgWriter svg(width, height, data.title(), "");
  return svg.Finish();
}

}  // namespace draw
