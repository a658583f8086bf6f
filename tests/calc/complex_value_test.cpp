#include "calc/complex_value.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "platform/errors.h"
#include "platform/fp_check.h"

namespace {

using calc::ComplexValue;
using platform::ErrorKind;

::testing::AssertionResult SameBits(double actual, double expected) {
  if (std::bit_cast<std::uint64_t>(actual) == std::bit_cast<std::uint64_t>(expected)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << std::hexfloat << actual << " is not bit for bit " << expected << std::defaultfloat
         << " (" << actual << " vs " << expected << ")";
}

TEST(Pi, IsTheFloatNearestToFifteenDigitDecimal) {
  EXPECT_EQ(std::bit_cast<std::uint64_t>(calc::kPi), 0x400921FB54442D11u);
  EXPECT_EQ(calc::kPi, 3.14159265358979);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(calc::kPi / 2.0), 0x3FF921FB54442D11u);
}

struct RectCase {
  double re, im;
  double magnitude, angle;
};

TEST(RectToPolar, QuadrantTable) {
  const double kHalfPi = 1.570796326794895;
  const RectCase cases[] = {
      {0.0, 0.0, 0.0, 0.0},
      {-0.0, -0.0, 0.0, 0.0},
      {0.0, 5.0, 5.0, kHalfPi},
      {0.0, -2.0, 2.0, -kHalfPi},
      {-0.0, 5.0, 5.0, kHalfPi},
      {3.0, 4.0, 5.0, 0.9272952180016122},
      {-1.0, 0.0, 1.0, 3.14159265358979},
      {-1.0, -0.0, 1.0, 3.14159265358979},
      {-1.0, -1.0, 1.4142135623730951, -2.3561944901923417},
      {1.0, -1.0, 1.4142135623730951, -0.7853981633974483},
      {-1.0, -1e-20, 1.0, -3.14159265358979},
      {-1.0, 1e-20, 1.0, 3.14159265358979},
      {2.0, 0.0, 2.0, 0.0},
      {2.0, -0.0, 2.0, -0.0},  // -0 counts as >= 0: arctan(-0 / 2) is a negative zero
  };
  for (const RectCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.re << ", " << c.im << ")");
    // Stale polar fields must be ignored.
    const ComplexValue in{123.0, -7.0, c.re, c.im};
    const ComplexValue out = calc::RectToPolar(in);
    EXPECT_TRUE(SameBits(out.Magnitude, c.magnitude));
    EXPECT_TRUE(SameBits(out.Angle, c.angle));
    EXPECT_TRUE(SameBits(out.Real, c.re));  // copied bit for bit, negative zeros included
    EXPECT_TRUE(SameBits(out.Imag, c.im));
  }
}

TEST(RectToPolar, OverflowIsRaised) {
  const ComplexValue cases[] = {
      {0, 0, 1e-300, 1e10},  // the quotient overflows
      {0, 0, 2e154, 0.0},    // the sum of squares overflows
      {0, 0, -3e200, -1.0},
      {0, 0, 1.0, 1e155},
  };
  for (const ComplexValue& z : cases) {
    SCOPED_TRACE(testing::Message() << "(" << z.Real << ", " << z.Imag << ")");
    platform::ClearFpFlags();
    try {
      calc::RectToPolar(z);
      ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
      EXPECT_EQ(e.kind(), ErrorKind::Overflow);
    }
  }
}

TEST(PolarToRect, Table) {
  struct Case {
    double magnitude, angle, re, im;
  };
  const Case cases[] = {
      {1.0, calc::kPi, -1.0, 3.2310891488651735e-15},
      {-0.5, 0.0, -0.5, -0.0},
      {0.0, 1.0, 0.0, 0.0},
      {2.0, 0.0, 2.0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.magnitude << " at " << c.angle);
    platform::ClearFpFlags();
    const ComplexValue out = calc::PolarToRect(ComplexValue{c.magnitude, c.angle, 99.0, -99.0});
    EXPECT_TRUE(SameBits(out.Real, c.re));
    EXPECT_TRUE(SameBits(out.Imag, c.im));
    EXPECT_TRUE(SameBits(out.Magnitude, c.magnitude));
    EXPECT_TRUE(SameBits(out.Angle, c.angle));
  }
}

TEST(SafeLog10, Table) {
  struct Case {
    double x;
    double expected;
  };
  const Case cases[] = {
      {0.0, -std::numeric_limits<double>::infinity()},
      {-0.0, -std::numeric_limits<double>::infinity()},
      {1.0, 0.0},
      {100.0, 2.0},
      {1000.0, 2.9999999999999996},  // ln x / ln 10, not log10
      {0.5, -0.30102999566398114},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    platform::ClearFpFlags();
    EXPECT_TRUE(SameBits(calc::SafeLog10(c.x), c.expected));
  }
  // A subnormal argument is no error.
  platform::ClearFpFlags();
  EXPECT_NEAR(calc::SafeLog10(1e-320), -320.0, 1e-4);
}

TEST(SafeLog10, NegativeArgumentIsAnError) {
  for (double x : {-1.0, -1e-300, -1e300}) {
    platform::ClearFpFlags();
    try {
      calc::SafeLog10(x);
      ADD_FAILURE() << x;
    } catch (const platform::Error& e) {
      EXPECT_EQ(e.kind(), ErrorKind::LogarithmArgument);
    }
  }
}

}  // namespace
