#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "calc/budget.h"
#include "calc/figures.h"
#include "calc/input_text.h"
#include "calc/results.h"
#include "calc/two_port.h"

namespace calc {

// The one formatter: every text or number that any output makes of a result or a figure comes
// from here, so that each rule (the rounding patterns, ">100", "∞", the words for an infinite or
// undefined figure, "inf" in a table) is written once. All texts are UTF-8.

// The eight result texts of the window, in the order they are written.
enum Output : int {
  kReturnLoss = 0,           // dB with two decimals, or ">100"
  kMismatchLoss = 1,         // dB with two decimals, or "∞"
  kSourceResistance = 2,     // ohms, one decimal
  kSourceReactance = 3,      // the magnitude of the source reactance, one decimal
  kSourceReactanceSign = 4,  // "+" or "-"
  kLoadResistance = 5,       // as the source's
  kLoadReactance = 6,        //
  kLoadReactanceSign = 7,    //
};
inline constexpr int kOutputCount = 8;
using ResultTexts = std::array<std::string, kOutputCount>;

// The window's texts: "6.02", ">100", "1.25", "∞", "150.0", "0.0", "+".
ResultTexts BoxTexts(const Results& results);

// The eight results as labelled lines, with the window's texts, captions and units:
// "RL = 6.02 dB", "ML = ∞ dB", "ZS = 150.0 + j0.0 Ω", "ZL = 50.0 - j12.5 Ω".
std::vector<std::string> ResultLines(const Results& results);

// The junction's figures: "M = 75.00 %", "ML at any phase = 0.58 to 2.21 dB",
// "Mismatch uncertainty = +1.34 / -1.48 dB", "Mismatch uncertainty = +36.00 / -29.30 %",
// "Standard uncertainty = 21.21 % (0.92 dB)", "Expanded uncertainty (k = 2) = 42.43 % (1.84 dB)".
// A figure without a value says why in words ("not defined: |ΓS||ΓL| ≥ 1").
std::vector<std::string> MismatchLines(const MismatchFigures& figures);

enum class Port { kSource, kLoad };

// One port's figures: "VSWR S = 3.00", "Return loss S = 6.02 dB", "Reflected power S = 25.00 %"
// (L for the load). An infinite figure says so in words ("VSWR L = infinite (total reflection
// or active port)").
std::vector<std::string> PortLines(const PortFigures& figures, Port port);

// One figure as a line with its unit, written with `pattern` ("Gt = -2.61 dB"), or in words
// when it has no finite value ("Gt = minus infinite (no power reaches the load)").
std::string FigureLine(std::string_view label, const Figure& figure, std::string_view pattern,
                       std::string_view unit);

// The two-port's lines: "Γout = 0.1234 at 45.00°", "Γin = not defined", "Gt = -2.61 dB",
// "ML source plane = 0.35 dB", "ML source plane at any phase = 0.10 to 0.62 dB" and the load
// plane's, or "ML load plane = not defined: " and why.
std::vector<std::string> ThroughLines(const ThroughFigures& figures);

// The 95 % Monte Carlo coverage interval of the delivered power with the phase unknown (GUM
// Supplement 1), beside the standard and expanded uncertainty:
// "Coverage interval (95 %, Monte Carlo) = -1.19 to +1.38 dB", or why it is not defined.
// Made only when asked for: the first call in a process draws the Monte Carlo (some
// milliseconds), later ones cost two logarithms.
std::string CoverageLine(const MismatchFigures& figures);

// Every line: the eight results, the junction and its coverage interval, the source port, the
// load port.
std::vector<std::string> AllLines(const Results& results, const Figures& figures);

// The numbers a calculation was made from, as they were read from the five input texts.
struct Inputs {
  double reference_impedance = 0.0;       // ohms
  double magnitude1 = 0.0, angle1 = 0.0;  // source reflection coefficient, angle in degrees
  double magnitude2 = 0.0, angle2 = 0.0;  // load reflection coefficient
  MagnitudeReading reading1, reading2;    // what the magnitude texts were read as
};

// The inputs as lines, each number in the shortest text that reads back to it: "Z0 = 50 Ω",
// "ΓS = 0.5 ∠ 30°", "ΓL = 0.2 ∠ -90°"; a magnitude typed as a VSWR or a return loss adds what it
// was read as after its coefficient: "|ΓS| = 0.2 (VSWR 1.5:1)".
std::vector<std::string> InputLines(const Inputs& inputs);

// The inputs, the results and the figures as a table for a spreadsheet, one quantity a row: a
// label, a value and a unit. The value is one number wherever the quantity has one (a reactance
// with its sign, each bound of a range on a row of its own); otherwise it is "infinite",
// "-infinite" or "not defined", without a unit.
struct TableRow {
  std::string label;
  std::string value;
  std::string unit;
};
std::vector<TableRow> TableRows(const Inputs& inputs, const Results& results,
                                const Figures& figures);

// The mismatch budget of a chain whose phases are unknown (calc/budget.h) as lines: the table of
// contributions (term, limit, distribution, divisor, u, share of the variance), the combined
// and expanded uncertainty, the worst case, the Monte Carlo's standard deviation and coverage
// interval, and a sentence where k = 2 claims more than the worst case or the Monte Carlo.
// Relative figures in % with two decimals, decibels with three (the budget compares intervals
// a few hundredths of a dB apart).
std::vector<std::string> BudgetLines(const Budget& budget);

// The eight results in words, for a screen reader: "Return loss 6.02 dB, mismatch loss 1.25 dB,
// source impedance 30.0 plus j 40.0 ohms, load impedance 50.0 minus j 0.0 ohms." An unbounded
// return loss is "more than 100 dB", an unbounded mismatch loss "infinite".
std::string SpokenResults(const Results& results);

// Why a figure has no finite value, in words: "no power reaches the load", "not defined:
// |ΓS||ΓL| ≥ 1".
std::string_view ReasonText(Reason reason);

// Machine-readable forms, at full precision (the shortest text that reads back to the same
// value):
// - JSON: the number, "infinite" or "-infinite" as a string, null when not defined.
std::string JsonValue(const Figure& figure);
// - CSV: the number, "inf" or "-inf", an empty field when not defined.
void AppendCsvField(std::string& out, const Figure& figure);
//   WriteCsvField writes it at `p`, where platform::kShortestSpace bytes are free; returns its end.
char* WriteCsvField(char* p, const Figure& figure);
// - a plot: the number, +inf or -inf, NaN when not defined (a gap).
double PlotValue(const Figure& figure) noexcept;

}  // namespace calc
