#pragma once

#include <ostream>

#include "cli/options.h"
#include "cli/run.h"

namespace cli {

// The sweep over two Touchstone files, written as a table and pictures; returns the exit status.
int Sweep(const Options& o, std::ostream& out, std::ostream& err, const PlotWriter& plot,
          const SmithWriter& smith);

}  // namespace cli
