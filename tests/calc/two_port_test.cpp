#include "calc/two_port.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using calc::Complex;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMinusInf = -std::numeric_limits<double>::infinity();

// The edges of the two-port; its values over real files are checked against scikit-rf
// (tests/cli/check_through_skrf.py).
struct Case {
  const char* what;
  calc::TwoPortS s;
  double source_magnitude, source_angle, load_magnitude, load_angle;
  Complex gamma_out, gamma_in;  // NaN: not computed
  double gain_db;               // NaN: not defined
  bool source_plane, load_plane;
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
     true,
     true,
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
     true,
     true,
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
     true,
     true,
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
     false,
     false,
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
     false,
     false,
     "Gt cannot be computed (one port is active and the other passive)"},
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
  ExpectNear(t.gamma_out.re, c.gamma_out.re, "Γout re");
  ExpectNear(t.gamma_out.im, c.gamma_out.im, "Γout im");
  ExpectNear(t.gamma_in.re, c.gamma_in.re, "Γin re");
  ExpectNear(t.gamma_in.im, c.gamma_in.im, "Γin im");
  ExpectNear(t.gain_db, c.gain_db, "Gt");
  EXPECT_EQ(t.source_plane.computed, c.source_plane);
  EXPECT_EQ(t.load_plane.computed, c.load_plane);
  if (*c.warning == '\0') {
    EXPECT_EQ(t.warning, "");
  } else {
    EXPECT_NE(t.warning.find(c.warning), std::string::npos) << t.warning;
  }
  // Where both planes are computed the mismatch at each equals the window's for the two
  // coefficients that meet there.
  if (t.source_plane.computed) {
    const calc::MismatchResult direct =
        calc::EvaluateMismatch([] { return 50.0; }, c.source_magnitude, c.source_angle,
                               t.gamma_in_magnitude, t.gamma_in_angle_deg);
    EXPECT_EQ(t.source_plane.result.MismatchLossDb, direct.MismatchLossDb);
  }
}

INSTANTIATE_TEST_SUITE_P(Calc, TwoPort, testing::ValuesIn(kCases));

}  // namespace
