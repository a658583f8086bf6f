// The Smith chart's points and circles: above all, that every load on the circle of the same
// mismatch loss does give that loss.
#include "calc/smith_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace {

// The chart's points in the library's complex numbers, which the checks below work in.
std::complex<double> C(calc::Complex z) {
  return {z.re, z.im};
}

double MismatchFactor(std::complex<double> s, std::complex<double> l) {
  return (1.0 - std::norm(s)) * (1.0 - std::norm(l)) / std::norm(1.0 - s * l);
}

struct Case {
  double m1, a1, m2, a2;
};

TEST(SmithGeometry, SameLossCircleHoldsTheLoadsOfTheSameMismatch) {
  const Case cases[] = {
      {0.5, 30, 0.3, -45},    {0.0, 0, 0.4, 120},   // a matched source: the circle |Γ| = |ΓL|
      {0.9, 170, 0.2, 10},    {-0.5, 30, 0.3, 60},  // a negative magnitude is a half turn
      {0.3, 45, 0.3, -45},                          // the conjugate match: a point
      {0.999, 0, 0.999, 180}, {0.2, 0, 0.95, 0},
  };
  for (const Case& c : cases) {
    const calc::SmithGeometry g = calc::ComputeSmithGeometry(c.m1, c.a1, c.m2, c.a2);
    SCOPED_TRACE(testing::Message() << c.m1 << "@" << c.a1 << " " << c.m2 << "@" << c.a2);
    EXPECT_NEAR(std::abs(C(g.source)), std::fabs(c.m1), 1e-12);
    EXPECT_EQ(C(g.conjugate), std::conj(C(g.source)));
    EXPECT_EQ(g.source_radius, std::fabs(c.m1));
    ASSERT_TRUE(g.same_loss);
    const double m = MismatchFactor(C(g.source), C(g.load));
    EXPECT_NEAR(std::abs(C(g.load) - C(g.same_loss->centre)), g.same_loss->radius, 1e-9);
    for (int k = 0; k < 12; ++k) {
      const std::complex<double> on =
          C(g.same_loss->centre) + std::polar(g.same_loss->radius, k * std::numbers::pi / 6);
      EXPECT_NEAR(MismatchFactor(C(g.source), on), m, 1e-9) << "at " << k * 30 << " degrees";
    }
  }
}

TEST(SmithGeometry, NoSameLossCircleForActiveOrTotallyReflectingPorts) {
  const Case cases[] = {
      {1.0, 90, 0.2, 0}, {0.2, 0, 1.0, 0}, {2, 0, 0.5, 0}, {0.5, 0, 1.5, 0}, {1e300, 0, 0.5, 0}};
  for (const Case& c : cases) {
    EXPECT_FALSE(calc::ComputeSmithGeometry(c.m1, c.a1, c.m2, c.a2).same_loss)
        << c.m1 << " " << c.m2;
  }
}

}  // namespace
