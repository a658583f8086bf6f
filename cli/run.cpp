#include "cli/run.h"

#include <string>
#include <vector>

#include "cli/budget_command.h"
#include "cli/help.h"
#include "cli/options.h"
#include "cli/single_point.h"
#include "cli/sweep_command.h"
#include "draw/plot.h"
#include "draw/sweep_smith.h"

#ifndef VORANTH_VERSION
#define VORANTH_VERSION "unknown"
#endif

namespace cli {

std::string DrawPlot(const PlotData& data) {
  return draw::PlotSvg(data);
}

std::string DrawSmith(const SmithData& data) {
  return draw::SweepSmithSvg(data);
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const PlotWriter& plot, const SmithWriter& smith) {
  Options o;
  try {
    o = ParseOptions(args);
  } catch (const UsageError& e) {
    err << kProgram << ": " << e.what() << "\n(" << kProgram << " --help tells how to use it)\n";
    return kUsage;
  }
  if (o.help) {
    out << HelpText();
    return out.flush() ? kSuccess : kFileError;
  }
  if (o.version) {
    out << kProgram << ' ' << VORANTH_VERSION << '\n';
    return out.flush() ? kSuccess : kFileError;
  }
  if (o.budget()) return RunBudget(o, out, err);
  return o.sweep() ? Sweep(o, out, err, plot, smith) : SinglePoint(o, out, err);
}

}  // namespace cli
