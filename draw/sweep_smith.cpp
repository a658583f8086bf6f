#include "draw/sweep_smith.h"

#include "draw/svg.h"

namespace draw {

std::string SweepSmithSvg(const SmithData& data, double width, double height,
                          const SweepSmithOptions& /*options*/) {
  SvgWriter svg(width, height, data.title(), "");
  return svg.Finish();
}

}  // namespace draw
