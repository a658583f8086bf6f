#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "calc/budget.h"
#include "calc/input_text.h"

namespace cli {

struct Options;

// The mismatch budget from the command line: magnitudes without angles (the phase unknown),
// "max" before a data-sheet limit, and a two-port by its four magnitudes.

// True when the value of --source or --load is a magnitude alone ("0.2", "VSWR 1.5", "1.5:1",
// "RL 23 dB", "max VSWR 1.5"): no angle, and not FILE:PP unless it reads as a magnitude.
bool IsBudgetMagnitude(const std::string& value);

// True when the value of --through is four magnitudes without angles.
bool IsBudgetThrough(const std::string& value);

// Checks a command line with magnitudes alone; raises UsageError. `ports` is whether
// --source-ports or --load-ports was given.
void CheckBudgetOptions(const Options& options, bool ports);

// One magnitude as typed: "max" taken off, the rest read by the boxes' rule.
struct BudgetReading {
  bool limit = false;
  calc::MagnitudeReading reading;
};
// Raises platform::Error as calc::ReadMagnitude does.
BudgetReading ReadBudgetMagnitude(const std::string& text);

// The four fields of "S11 S21 S12 S22", each a magnitude as typed ("max VSWR 1.05", "-0.1 dB");
// nothing when the text does not hold exactly four.
std::optional<std::array<std::string, 4>> SplitThroughMagnitudes(const std::string& value);

// The budget's lines, or with --json its JSON; exit status as Run's.
int RunBudget(const Options& options, std::ostream& out, std::ostream& err);

// The budget as JSON: inputs, terms, combined, worst case, Monte Carlo, and the lines followed by
// `notes` (what a VSWR or a value in dB was read as).
std::string BudgetJson(const calc::BudgetInputs& inputs, const calc::Budget& budget,
                       const std::vector<std::string>& notes);

// The budget's part of --help.
std::string BudgetHelpText();

}  // namespace cli
