#include "cli/point_lines.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "calc/result_format.h"
#include "platform/number_format.h"

namespace cli {

namespace {

// "0.1234 at 45.00°": a reflection coefficient seen through the two-port.
std::string Coefficient(double magnitude, double angle_deg) {
  if (std::isnan(magnitude)) return "not defined";
  return platform::FormatNumber(magnitude, "0.0000") + " at " +
         platform::FormatNumber(angle_deg, "##0.00") + "\u00b0";
}

// A plane's mismatch loss and its range at any phase, or the window's warning.
void PlaneLines(std::vector<std::string>& lines, const std::string& label,
                const calc::PlaneMismatch& p) {
  if (!p.computed) {
    lines.push_back(label + " = not defined: " + p.warning);
    return;
  }
  // The window's text of the mismatch loss: "0.35" or "∞".
  const calc::ResultTexts texts = calc::BoxTexts(calc::ResultsOf(p.result));
  lines.push_back(label + " = " + texts[calc::kMismatchLoss] + " dB");
  for (const std::string& line : calc::MismatchLines(p.figures)) {
    if (line.rfind("ML at any phase = ", 0) == 0) lines.push_back(label + line.substr(2));
  }
}

// The two-port's lines of a single point, after the window's.
std::vector<std::string> ThroughLines(const calc::ThroughResult& t) {
  std::vector<std::string> lines = {
      "\u0393out = " + Coefficient(t.gamma_out_magnitude, t.gamma_out_angle_deg),
      "\u0393in = " + Coefficient(t.gamma_in_magnitude, t.gamma_in_angle_deg),
      calc::FigureLine("Gt", calc::FigureOf(t.gain_db, calc::Reason::kNoPowerReachesLoad),
                       "###0.00", "dB"),
  };
  PlaneLines(lines, "ML source plane", t.source_plane);
  PlaneLines(lines, "ML load plane", t.load_plane);
  return lines;
}

}  // namespace

std::vector<std::string> OutputLines(const calc::Calculation& c,
                                     const calc::ThroughResult* through) {
  std::vector<std::string> lines = calc::AllLines(c.results, c.figures);
  if (through != nullptr) {
    for (std::string& line : ThroughLines(*through)) lines.push_back(std::move(line));
  }
  for (std::string& line : calc::ReadingLines(c.reading1, c.reading2)) {
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace cli
