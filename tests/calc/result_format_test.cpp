#include "calc/result_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using calc::Figure;
using calc::Reason;

constexpr double kInf = std::numeric_limits<double>::infinity();

// One quantity through every output: the window's box (as the mismatch loss), a labelled line
// (as a port's VSWR), the spoken results (as the mismatch loss), JSON, CSV and the plot.
struct FormatCase {
  const char* name;
  Figure figure;
  const char* box;
  const char* line;
  const char* spoken;
  const char* json;
  const char* csv;
  double plot;  // NaN: a gap
};

TEST(ResultFormat, EveryOutputOfValueInfiniteAndNotDefined) {
  const FormatCase cases[] = {
      {"value", Figure::Number(2.875), "2.88", "VSWR S = 2.88", "mismatch loss 2.88 dB", "2.875",
       "2.875", 2.875},
      {"negative value rounding to zero", Figure::Number(-0.001), "0.00", "VSWR S = 0.00",
       "mismatch loss 0.00 dB", "-0.001", "-0.001", -0.001},
      {"infinite", Figure::Infinite(Reason::kNoPowerReachesLoad), "\u221e",
       "VSWR S = infinite (no power reaches the load)", "mismatch loss infinite", "\"infinite\"",
       "inf", kInf},
      {"negative infinite", Figure::Infinite(Reason::kNotComputable, true), "-\u221e",
       "VSWR S = minus infinite", "mismatch loss minus infinite", "\"-infinite\"", "-inf", -kInf},
      {"not defined, with a reason", Figure::NotDefined(Reason::kProductNotBelowOne), "",
       "VSWR S = not defined: |\u0393S||\u0393L| \u2265 1",
       "mismatch loss not defined: |\u0393S||\u0393L| \u2265 1", "null", "", std::nan("")},
      {"not defined", Figure::NotDefined(), "", "VSWR S = not defined", "mismatch loss not defined",
       "null", "", std::nan("")},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    calc::Results results;
    results.mismatch_loss_db = c.figure;
    results.return_loss_db = Figure::Number(6.0206);
    EXPECT_EQ(calc::BoxTexts(results)[calc::kMismatchLoss], c.box);
    calc::PortFigures port;
    port.vswr = c.figure;
    EXPECT_EQ(calc::PortLines(port, calc::Port::kSource)[0], c.line);
    const std::string spoken = calc::SpokenResults(results);
    EXPECT_NE(spoken.find(std::string(", ") + c.spoken + ", "), std::string::npos) << spoken;
    EXPECT_EQ(calc::JsonValue(c.figure), c.json);
    std::string csv = "x,";
    calc::AppendCsvField(csv, c.figure);
    EXPECT_EQ(csv, std::string("x,") + c.csv);
    const double plot = calc::PlotValue(c.figure);
    EXPECT_TRUE(std::isnan(c.plot) ? std::isnan(plot) : plot == c.plot) << plot;
  }
}

// The eight results of a perfect match and of a short, in the window, the lines and in words.
TEST(ResultFormat, UnboundedLossesAndReactanceSigns) {
  calc::Results match;
  match.mismatch_loss_db = Figure::Number(-0.0);
  match.return_loss_db = Figure::Infinite(Reason::kPerfectMatch);
  match.source_impedance = {Figure::Number(68.345), Figure::Number(-0.0)};
  match.load_impedance = {Figure::Number(-150.0), Figure::Number(-0.04)};
  EXPECT_EQ(calc::BoxTexts(match),
            (calc::ResultTexts{">100", "0.00", "68.3", "0.0", "+", "-150.0", "0.0", "-"}));
  EXPECT_EQ(calc::ResultLines(match),
            (std::vector<std::string>{"RL = >100 dB", "ML = 0.00 dB", "ZS = 68.3 + j0.0 \u03a9",
                                      "ZL = -150.0 - j0.0 \u03a9"}));
  EXPECT_EQ(calc::SpokenResults(match),
            "Return loss more than 100 dB, mismatch loss 0.00 dB, source impedance 68.3 plus j 0.0 "
            "ohms, load impedance -150.0 minus j 0.0 ohms.");

  calc::Results short_circuit = match;
  short_circuit.mismatch_loss_db = Figure::Infinite(Reason::kNoPowerReachesLoad);
  short_circuit.return_loss_db = Figure::Number(-0.0);
  EXPECT_EQ(calc::ResultLines(short_circuit)[0], "RL = 0.00 dB");
  EXPECT_EQ(calc::ResultLines(short_circuit)[1], "ML = \u221e dB");
}

// The two-port's lines for a coefficient that could not be computed, a plane without a value and
// one whose loss has no bound.
TEST(ResultFormat, ThroughLines) {
  calc::ThroughFigures t;
  t.gamma_out_magnitude = Figure::Number(0.61376);
  t.gamma_out_angle_deg = Figure::Number(-179.996);
  t.gain_db = Figure::Infinite(Reason::kNoPowerReachesLoad, true);
  t.source_plane = {false, {}, {}, {}, "\u0393in cannot be computed"};
  t.load_plane = {true,
                  Figure::Infinite(Reason::kNoPowerReachesLoad),
                  Figure::Number(0.005),
                  Figure::NotDefined(Reason::kProductNotBelowOne),
                  {}};
  EXPECT_EQ(
      calc::ThroughLines(t),
      (std::vector<std::string>{
          "\u0393out = 0.6138 at -180.00\u00b0", "\u0393in = not defined",
          "Gt = minus infinite (no power reaches the load)",
          "ML source plane = not defined: \u0393in cannot be computed", "ML load plane = \u221e dB",
          "ML load plane at any phase = not defined: |\u0393S||\u0393L| \u2265 1"}));
}

}  // namespace
