#include "cli/single_point.h"

#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "calc/two_port.h"
#include "calc/warning_text.h"
#include "cli/json.h"
#include "cli/point_lines.h"
#include "cli/run.h"
#include "platform/errors.h"
#include "platform/number_text.h"
#include "sweep/side_text.h"

namespace cli {

int SinglePoint(const Options& o, std::ostream& out, std::ostream& err) {
  const calc::InputTexts inputs = {o.z0.value_or("50"), o.source_point->magnitude,
                                   o.source_point->angle, o.load_point->magnitude,
                                   o.load_point->angle};
  std::optional<calc::TwoPortS> two_port;
  if (o.through_point) {
    try {
      two_port = sweep::ThroughOf(*o.through_point);
    } catch (const UsageError& e) {
      err << kProgram << ": " << e.what() << '\n';
      return kUsage;
    }
  }
  calc::Calculation c;
  try {
    c = calc::Calculate(inputs);
  } catch (const platform::Error& error) {
    const std::string warning = calc::WarningText(error);
    err << warning << '\n';
    if (o.json) out << JsonError(warning) << '\n' << std::flush;
    return kWarning;
  }
  std::optional<calc::ThroughResult> through;
  // The reference impedance only names the impedances of each plane, which are not shown.
  if (two_port)
    through =
        calc::EvaluateThrough(*two_port, c.magnitude1, c.angle1, c.magnitude2, c.angle2, 50.0);
  if (o.json) {
    out << JsonFor(c, through ? &*through : nullptr) << '\n';
  } else {
    for (const std::string& line : OutputLines(c, through ? &*through : nullptr)) {
      out << line << '\n';
    }
  }
  if (through && calc::ThroughFailed(*through)) {
    err << kProgram << ": " << calc::ThroughWarning(*through) << '\n';
    out.flush();
    return kWarning;
  }
  out.flush();
  if (!out) {
    err << kProgram << ": cannot write the results\n";
    return kFileError;
  }
  return kSuccess;
}

}  // namespace cli
