#pragma once

#include <string>
#include <string_view>

#include "calc/calculate_texts.h"
#include "calc/two_port.h"

namespace cli {

// The single-point results as JSON: the eight display texts with their numbers at full precision
// (RL_dB, ML_dB, and re_ohm and im_ohm of ZS and ZL), the figures and the labelled lines; with a
// two-port between, its figures ("through") and lines too. Every value follows one rule: a
// number, "infinite" or "-infinite" for an unbounded one, null for one that is not defined.
std::string JsonFor(const calc::Calculation& c, const calc::ThroughResult* through = nullptr);

// {"error": {"warning": TEXT}}: what a calculation that failed writes instead of its results.
std::string JsonError(std::string_view warning);

}  // namespace cli
