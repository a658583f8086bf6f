#pragma once

#include <string>

#include "calc/calculate_texts.h"
#include "calc/two_port.h"

namespace cli {

// The single-point results as JSON: the eight display texts, the figures as numbers (the string
// "infinite" for an unbounded one, null for one that is not defined) and the labelled lines;
// with a two-port between, its figures ("through") and lines too.
std::string JsonFor(const calc::Calculation& c, const calc::ThroughResult* through = nullptr);

}  // namespace cli
