#include "calc/two_port.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "calc/result_format.h"

namespace {

using calc::Complex;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kMinusInf = -kInfinity;

// The edges of the two-port; its values over real files are checked against scikit-rf
// (tests/cli/check_through_skrf.py).
struct Case {
  const char* what;
  calc::TwoPortS s;
  double source_magnitude, source_angle, load_magnitude, load_angle;
  Complex gamma_out, gamma_in;  // NaN: not computed
  double gain_db;               // NaN: not defined
  // The mismatch loss at each plane, from the coefficients that meet there:
  // −10·log10[(1 − |Γ1|²)(1 − |Γ2|²)/|1 − Γ1Γ2|²] worked out by hand. NaN: not computed.
  double source_plane_db, load_plane_db;
  const char* warning;  // a part of it; "" for none
};

const Case kCases[] = {
    {"an ideal through: each side sees the other, Gt is the mismatch factor",
     {{0, 0}, {1, 0}, {1, 0}, {0, 0}},
     0.5,
     0,
     0.3,
     180,
     {0.5, 0},
     {-0.3, 0},
     10 * std::log10(0.75 * 0.91 / (1.15 * 1.15)),
     2.872930249944297,  // 0.5 meets -0.3 on either side
     2.872930249944297,
     ""},
    {"a matched 6 dB pad between matched ports",
     {{0, 0}, {0.5, 0}, {0.5, 0}, {0, 0}},
     0,
     0,
     0,
     0,
     {0, 0},
     {0, 0},
     20 * std::log10(0.5),
     0.0,
     0.0,
     ""},
    {"no transmission: the load sees S22, no power reaches it",
     {{0.2, 0}, {0, 0}, {0, 0}, {0.1, 0}},
     0.5,
     0,
     0.5,
     0,
     {0.1, 0},
     {0.2, 0},
     kMinusInf,
     0.5115252244738131,  // 0.5 meets 0.2
     0.8475075258844561,  // 0.1 meets 0.5
     ""},
    {"1 − S11·ΓS = 0: Γout and the load plane are not defined",
     {{1, 0}, {0.5, 0}, {0.5, 0}, {0, 0}},
     1,
     0,
     0.5,
     0,
     {kNaN, kNaN},
     {1.125, 0},
     kMinusInf,
     // Total reflection at the source: no power crosses the source plane. Only the losses are
     // shown, so the source's infinite impedance is no failure here.
     kInfinity,
     kNaN,
     "\u0393out cannot be computed (division by zero in 1 \u2212 S11\u00b7\u0393S)"},
    {"one port active, the other passive: Gt is not defined",
     {{0, 0}, {1, 0}, {1, 0}, {0, 0}},
     1.5,
     0,
     0.5,
     90,
     {1.5, 0},
     {0, 0.5},
     kNaN,
     kNaN,
     kNaN,
     "Gt cannot be computed (one port is active and the other passive)"},
    // Each plane's words name the coefficient seen through the two-port, not the far port.
    {"an active load: the source plane meets it as Γin",
     {{0, 0}, {1, 0}, {1, 0}, {0, 0}},
     0.5,
     90,
     1.5,
     0,
     {0, 0.5},
     {1.5, 0},
     kNaN,
     kNaN,
     kNaN,
     "at the source plane: Γin is active (|Γin| > 1) and ΓS passive"},
    {"an active load: the load plane meets Γout",
     {{0, 0}, {1, 0}, {1, 0}, {0, 0}},
     0.5,
     90,
     1.5,
     0,
     {0, 0.5},
     {1.5, 0},
     kNaN,
     kNaN,
     kNaN,
     "at the load plane: ΓL is active (|ΓL| > 1) and Γout passive"},
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.what;
}

class TwoPort : public testing::TestWithParam<Case> {};

void ExpectNear(double got, double want, const char* what) {
  SCOPED_TRACE(what);
  if (std::isnan(want)) {
    EXPECT_TRUE(std::isnan(got)) << got;
  } else if (std::isinf(want)) {
    EXPECT_EQ(got, want);
  } else {
    EXPECT_NEAR(got, want, 1e-12);
  }
}

TEST_P(TwoPort, SeesEachSideThroughIt) {
  const Case& c = GetParam();
  const calc::ThroughResult t = calc::EvaluateThrough(c.s, c.source_magnitude, c.source_angle,
                                                      c.load_magnitude, c.load_angle, 50.0);
  const Complex none{kNaN, kNaN};
  ExpectNear(t.gamma_out.value_or(none).re, c.gamma_out.re, "Γout re");
  ExpectNear(t.gamma_out.value_or(none).im, c.gamma_out.im, "Γout im");
  ExpectNear(t.gamma_in.value_or(none).re, c.gamma_in.re, "Γin re");
  ExpectNear(t.gamma_in.value_or(none).im, c.gamma_in.im, "Γin im");
  ExpectNear(calc::PlotValue(t.gain_db), c.gain_db, "Gt");
  EXPECT_EQ(t.source_plane.computed, !std::isnan(c.source_plane_db));
  EXPECT_EQ(t.load_plane.computed, !std::isnan(c.load_plane_db));
  if (t.source_plane.computed) {
    ExpectNear(t.source_plane.result.MismatchLossDb, c.source_plane_db, "source plane");
  }
  if (t.load_plane.computed) {
    ExpectNear(t.load_plane.result.MismatchLossDb, c.load_plane_db, "load plane");
  }
  if (*c.warning == '\0') {
    EXPECT_FALSE(calc::ThroughFailed(t)) << calc::ThroughWarning(t);
  } else {
    EXPECT_TRUE(calc::ThroughFailed(t));
    EXPECT_NE(calc::ThroughWarning(t).find(c.warning), std::string::npos)
        << calc::ThroughWarning(t);
  }
}

INSTANTIATE_TEST_SUITE_P(Calc, TwoPort, testing::ValuesIn(kCases));

}  // namespace
