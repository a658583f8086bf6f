#include "draw/situation_chart.h"

namespace draw {

SituationStyle LightSituationStyle() {
  return {};
}

SituationStyle DarkSituationStyle() {
  SituationStyle s;
  return s;
}

SituationLayout LayoutSituation(const std::optional<calc::SmithGeometry>& /*geometry*/,
                                double /*width*/, double /*height*/,
                                const SituationStyle& /*style*/) {
  return {};
}

std::string SituationSvg(const std::optional<calc::SmithGeometry>& /*geometry*/, double width,
                         double height, const SituationStyle& /*style*/) {
  SvgWriter svg(width, height, "Smith chart", "");
  return svg.Finish();
}

std::string SituationDescription(const std::optional<calc::SmithGeometry>& /*geometry*/) {
  return {};
}

}  // namespace draw
