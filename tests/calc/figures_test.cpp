#include "calc/figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "calc/calculate_texts.h"
#include "calc/result_format.h"
#include "platform/fp_check.h"

namespace {

using calc::Figure;

constexpr std::nullopt_t kNone = std::nullopt;
using Value = std::optional<double>;  // nullopt: no finite value

// Expected values from an independent computation: mpmath at 40 digits, with the reflection
// coefficients as complex numbers, the loss range as a sum of logarithms
// −10·log10(1 − |ΓS|²) − 10·log10(1 − |ΓL|²) + 20·log10(1 ∓ |ΓS||ΓL|), itself checked against
// a search over 3600 phases.
struct FigureCase {
  calc::InputTexts in;
  Value m_pct, ml_min, ml_max, unc_low_db, unc_high_db, unc_low_pct, unc_high_pct;
  Value vswr_s, rl_s, power_s, vswr_l, rl_l, power_l;
};

void ExpectFigure(const Figure& f, Value expected, Figure::Kind kind_without, const char* what) {
  SCOPED_TRACE(what);
  if (!expected) {
    EXPECT_EQ(f.kind, kind_without);
    return;
  }
  ASSERT_EQ(f.kind, Figure::kNumber);
  EXPECT_NEAR(f.value, *expected, 1e-12 * std::fmax(1.0, std::fabs(*expected)));
}

TEST(Figures, AgainstIndependentValues) {
  const FigureCase cases[] = {
      {{"50", "0.5", "30", "0.3", "-45"},
       93.145799521110339,
       0.2473519571579182,
       2.8729302499442972,
       -1.4116214857141453,
       1.2139568070722337,
       -27.75,
       32.25,
       3.0,
       6.0205999132796239,
       25.0,
       1.8571428571428571,
       10.457574905606751,
       9.0},
      {{"50", "0.05", "10", "0.02", "-170"},
       99.522958497643467,
       0.0039182463876636058,
       0.021290031454390245,
       -0.0086902354803538261,
       0.0086815495863728134,
       -0.1999,
       0.2001,
       1.1052631578947368,
       26.020599913279624,
       0.25,
       1.0408163265306122,
       33.979400086720376,
       0.04},
      // A negative magnitude counts as its absolute value.
      {{"50", "-0.5", "0", "0.3", "90"},
       66.748166259168704,
       0.2473519571579182,
       2.8729302499442972,
       -1.4116214857141453,
       1.2139568070722337,
       -27.75,
       32.25,
       3.0,
       6.0205999132796239,
       25.0,
       1.8571428571428571,
       10.457574905606751,
       9.0},
      // A matched source: infinite port return loss, a range of one value.
      {{"50", "0", "0", "0.7", "45"},
       51.0,
       2.9242982390206363,
       2.9242982390206363,
       0.0,
       0.0,
       0.0,
       0.0,
       1.0,
       kNone,
       0.0,
       5.6666666666666667,
       3.0980391997148634,
       49.0},
      {{"50", "0.999", "0", "0.001", "0"},
       0.2002997991994005,
       26.983194860865338,
       27.000549274135434,
       -0.0086815409004831797,
       0.0086728723696128992,
       -0.1997001999,
       0.1998998001,
       1999.0,
       0.0086902354803538261,
       99.8001,
       1.002002002002002,
       60.0,
       0.0001},
      // Total reflection: infinite VSWR and an infinite loss at every phase.
      {{"50", "1", "180", "0.5", "0"},
       0.0,
       kNone,
       kNone,
       -6.0205999132796239,
       3.5218251811136248,
       -75.0,
       125.0,
       kNone,
       0.0,
       100.0,
       3.0,
       6.0205999132796239,
       25.0},
  };
  for (const FigureCase& c : cases) {
    SCOPED_TRACE(c.in[1] + "@" + c.in[2] + " " + c.in[3] + "@" + c.in[4]);
    const calc::Calculation calc = calc::Calculate(c.in);
    EXPECT_EQ(calc::BoxTexts(calc.results),
              calc::CalculateTexts(c.in));  // the eight results are untouched
    const calc::MismatchFigures& m = calc.figures.mismatch;
    ExpectFigure(m.delivered_pct, c.m_pct, Figure::kNotDefined, "M");
    ExpectFigure(m.loss_min_db, c.ml_min, Figure::kInfinite, "ML min");
    ExpectFigure(m.loss_max_db, c.ml_max, Figure::kInfinite, "ML max");
    ExpectFigure(m.uncertainty_low_db, c.unc_low_db, Figure::kNotDefined, "low dB");
    ExpectFigure(m.uncertainty_high_db, c.unc_high_db, Figure::kNotDefined, "high dB");
    ExpectFigure(m.uncertainty_low_pct, c.unc_low_pct, Figure::kNotDefined, "low %");
    ExpectFigure(m.uncertainty_high_pct, c.unc_high_pct, Figure::kNotDefined, "high %");
    ExpectFigure(calc.figures.source.vswr, c.vswr_s, Figure::kInfinite, "VSWR S");
    ExpectFigure(calc.figures.source.return_loss_db, c.rl_s, Figure::kInfinite, "RL S");
    ExpectFigure(calc.figures.source.reflected_power_pct, c.power_s, Figure::kNotDefined, "P S");
    ExpectFigure(calc.figures.load.vswr, c.vswr_l, Figure::kInfinite, "VSWR L");
    ExpectFigure(calc.figures.load.return_loss_db, c.rl_l, Figure::kInfinite, "RL L");
    ExpectFigure(calc.figures.load.reflected_power_pct, c.power_l, Figure::kNotDefined, "P L");
  }
}

// u = √2·|ΓS||ΓL| for the U-shaped mismatch term, in % and in dB (10·log10(e)·u), and U = 2u;
// expected values from mpmath at 40 digits, with the magnitudes as the exact decimals typed
// (10^(−14/20) for RL 14).
TEST(Figures, StandardUncertaintyAgainstIndependentValues) {
  struct Case {
    calc::InputTexts in;
    Value u_pct, u_db, expanded_pct, expanded_db;
  } const cases[] = {
      {{"50", "0.5", "30", "0.3", "-45"},
       21.213203435596426,
       0.92127771955706314,
       42.426406871192851,
       1.8425554391141263},
      {{"50", "0.05", "10", "0.02", "-170"},
       0.1414213562373095,
       0.0061418514637137543,
       0.28284271247461901,
       0.012283702927427509},
      {{"50", "VSWR 1.5", "0", "RL 14", "90"},
       5.6434540526418553,
       0.24509209539369014,
       11.286908105283711,
       0.49018419078738028},
      {{"50", "0", "0", "0.7", "45"}, 0.0, 0.0, 0.0, 0.0},
      // Total reflection at one port still has a spread about the matched value.
      {{"50", "1", "180", "0.5", "0"},
       70.710678118654752,
       3.0709257318568771,
       141.4213562373095,
       6.1418514637137543},
      // Not defined: |ΓS||ΓL| ≥ 1, or one port active and the other passive.
      {{"50", "2", "0", "2", "0"}, kNone, kNone, kNone, kNone},
      {{"50", "1.5", "0", "0.5", "90"}, kNone, kNone, kNone, kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in[1] + "@" + c.in[2] + " " + c.in[3] + "@" + c.in[4]);
    const calc::MismatchFigures m =
        calc::ComputeMismatchFigures(calc::ConvertInput(c.in, calc::kSourceMagnitude),
                                     calc::ConvertInput(c.in, calc::kLoadMagnitude), 0.5);
    ExpectFigure(m.standard_uncertainty_pct, c.u_pct, Figure::kNotDefined, "u %");
    ExpectFigure(m.standard_uncertainty_db, c.u_db, Figure::kNotDefined, "u dB");
    ExpectFigure(m.expanded_uncertainty_pct, c.expanded_pct, Figure::kNotDefined, "U %");
    ExpectFigure(m.expanded_uncertainty_db, c.expanded_db, Figure::kNotDefined, "U dB");
  }
}

TEST(Figures, RangeOfAMatchedPortIsTheMismatchLossItself) {
  const calc::Calculation c = calc::Calculate({"50", "0", "0", "0.7", "45"});
  EXPECT_EQ(c.figures.mismatch.loss_min_db.value, c.evaluation.MismatchLossDb);
  EXPECT_EQ(c.figures.mismatch.loss_max_db.value, c.evaluation.MismatchLossDb);
}

TEST(Figures, LinesWithWordsForInfiniteAndUndefined) {
  const calc::Calculation typical = calc::Calculate({"50", "0.5", "30", "0.3", "-45"});
  EXPECT_EQ(
      calc::AllLines(typical.results, typical.figures),
      (std::vector<std::string>{
          "RL = 11.64 dB", "ML = 0.31 dB", "ZS = 97.7 + j65.1 \u03a9", "ZL = 68.3 - j31.9 \u03a9",
          "M = 93.15 %", "ML at any phase = 0.25 to 2.87 dB",
          "Mismatch uncertainty = +1.21 / -1.41 dB", "Mismatch uncertainty = +32.25 / -27.75 %",
          "Standard uncertainty = 21.21 % (0.92 dB)",
          "Expanded uncertainty (k = 2) = 42.43 % (1.84 dB)",
          "Coverage interval (95 %, Monte Carlo) = -1.21 to +1.41 dB", "VSWR S = 3.00",
          "Return loss S = 6.02 dB", "Reflected power S = 25.00 %", "VSWR L = 1.86",
          "Return loss L = 10.46 dB", "Reflected power L = 9.00 %"}));

  // Both ports active: the window computes the eight results, the figures say what is missing.
  const calc::Figures active = calc::Calculate({"50", "2", "0", "2", "0"}).figures;
  EXPECT_EQ(calc::MismatchLines(active.mismatch),
            (std::vector<std::string>{
                "M = 100.00 %", "ML at any phase = not defined: |\u0393S||\u0393L| \u2265 1",
                "Mismatch uncertainty = not defined: |\u0393S||\u0393L| \u2265 1",
                "Mismatch uncertainty = not defined: |\u0393S||\u0393L| \u2265 1",
                "Standard uncertainty = not defined: |\u0393S||\u0393L| \u2265 1",
                "Expanded uncertainty (k = 2) = not defined: |\u0393S||\u0393L| \u2265 1"}));
  EXPECT_EQ(calc::PortLines(active.load, calc::Port::kLoad),
            (std::vector<std::string>{"VSWR L = infinite (total reflection or active port)",
                                      "Return loss L = -6.02 dB", "Reflected power L = 400.00 %"}));

  const calc::Figures open = calc::Calculate({"50", "1", "180", "0", "0"}).figures;
  EXPECT_EQ(calc::MismatchLines(open.mismatch)[1],
            "ML at any phase = infinite (total reflection at a port)");
  EXPECT_EQ(calc::MismatchLines(open.mismatch)[3], "Mismatch uncertainty = +0.00 / -0.00 %");
  EXPECT_EQ(calc::PortLines(open.load, calc::Port::kLoad)[1],
            "Return loss L = infinite (no reflection)");
  const std::vector<std::string> active_passive =
      calc::MismatchLines(calc::ComputeMismatchFigures(1.5, 0.5, 0.5));
  EXPECT_EQ(active_passive[1],
            "ML at any phase = not defined: one port is active, the other passive");
  EXPECT_EQ(active_passive[4],
            "Standard uncertainty = not defined: one port is active, the other passive");
}

TEST(Figures, NeverRaiseAndNeverLeaveAFlagSet) {
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {0.0,   -0.0,  1.0, -1.0, 1e-320,       1e154,
                           1e200, 1e308, inf, -inf, std::nan(""), 1.0 - 1e-16};
  for (const double a : values) {
    for (const double b : values) {
      const calc::Figures f = calc::ComputeFigures(a, b, a * b);
      for (const Figure* x : {&f.source.vswr, &f.source.return_loss_db, &f.load.reflected_power_pct,
                              &f.mismatch.loss_min_db, &f.mismatch.loss_max_db,
                              &f.mismatch.uncertainty_low_db, &f.mismatch.delivered_pct}) {
        if (x->kind == Figure::kNumber) {
          EXPECT_TRUE(std::isfinite(x->value)) << a << " " << b;
        }
      }
      EXPECT_EQ(platform::RaisedFpFlags(), 0) << a << " " << b;
      EXPECT_EQ(calc::AllLines({}, f).size(), 17u);
    }
  }
}

}  // namespace
