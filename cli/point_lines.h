#pragma once

#include <string>
#include <vector>

#include "calc/calculate_texts.h"
#include "calc/two_port.h"

namespace cli {

// The lines of a single point: every result and figure, the two-port's (if any), then what a
// magnitude given as a VSWR or a return loss was read as ("|ΓS| = 0.2 (VSWR 1.5:1)").
std::vector<std::string> OutputLines(const calc::Calculation& c,
                                     const calc::ThroughResult* through);

}  // namespace cli
