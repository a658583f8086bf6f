#pragma once

#include <ostream>

#include "cli/options.h"

namespace cli {

// The calculation of one point, written as labelled lines or JSON; returns the exit status.
int SinglePoint(const Options& o, std::ostream& out, std::ostream& err);

}  // namespace cli
