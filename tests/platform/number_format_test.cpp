#include "platform/number_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

using platform::FormatNumber;

const std::string kLoss = "###0.00";
const std::string kImpedance = "#####0.0";

struct Case {
  double value;
  std::string pattern;
  std::string expected;
};

TEST(FormatNumber, PatternsAndRounding) {
  const Case cases[] = {
      // Plain values in the program's two patterns.
      {0.0, kLoss, "0.00"},
      {6.0205999132796242, kLoss, "6.02"},
      {1.2493873660829995, kLoss, "1.25"},
      {120.0, kLoss, "120.00"},
      {50.0, kImpedance, "50.0"},
      {-150.0, kImpedance, "-150.0"},
      {16.666666666666668, kImpedance, "16.7"},
      {30.000000000000004, kImpedance, "30.0"},
      {123456.78, kImpedance, "123456.8"},
      {-123456.78, kImpedance, "-123456.8"},
      {0.5, kLoss, "0.50"},
      {-0.5, kLoss, "-0.50"},

      // Halves of the displayed digits go away from zero, judged on the 15-digit decimal.
      {2.675, kLoss, "2.68"},  // binary 2.67499999999999982...
      {1.005, kLoss, "1.01"},
      {0.045, kLoss, "0.05"},
      {0.015, kLoss, "0.02"},
      {0.025, kLoss, "0.03"},
      {-2.675, kLoss, "-2.68"},
      {0.005, kLoss, "0.01"},
      {-0.005, kLoss, "-0.01"},
      {0.125, kImpedance, "0.1"},
      {0.15, kImpedance, "0.2"},
      {0.05, kImpedance, "0.1"},
      {-0.05, kImpedance, "-0.1"},
      {0.95, kImpedance, "1.0"},

      // Carries through every digit.
      {9.995, kLoss, "10.00"},
      {99.995, kLoss, "100.00"},
      {-99.995, kLoss, "-100.00"},
      {9.95, kImpedance, "10.0"},
      {99999.95, kImpedance, "100000.0"},
      {999999999999999.9, kImpedance, "1000000000000000.0"},

      // Rounded to 15 significant digits first: the 16th and later digits never count.
      {0.04999999999999999, kImpedance, "0.1"},  // 15 digits: 0.0500000000000000
      {1.4999999999999998, "#0", "2"},
      {0.00499999999999999, kLoss, "0.00"},  // 15 digits: 0.00499999999999999
      {1234567890123.4548, kLoss, "1234567890123.45"},
      {123456789012345678.0, kLoss, "123456789012346000.00"},
      // ... and that first rounding is to nearest even on the exact binary value.
      {1000000000000005.0, kLoss, "1000000000000000.00"},
      {1000000000000015.0, kLoss, "1000000000000020.00"},
      {1.5e15, kLoss, "1500000000000000.00"},
      {1e16, kLoss, "10000000000000000.00"},

      // No minus sign when every digit shown is zero.
      {-0.0, kLoss, "0.00"},
      {-0.004, kLoss, "0.00"},
      {0.04, kImpedance, "0.0"},
      {-0.04, kImpedance, "0.0"},
      {-0.0499, kImpedance, "0.0"},
      {-0.4, "#0", "0"},

      // Tiny values.
      {1e-300, kLoss, "0.00"},
      {5e-324, kLoss, "0.00"},
      {-5e-324, kLoss, "0.00"},
      {DBL_MIN, kImpedance, "0.0"},

      // Huge values: the whole integer part, zeros past the 15th significant digit.
      {-1e100, kLoss, "-1" + std::string(100, '0') + ".00"},
      {1e100, "#0", "1" + std::string(100, '0')},
      {DBL_MAX, kLoss, "179769313486232" + std::string(294, '0') + ".00"},
      {-DBL_MAX, kImpedance, "-179769313486232" + std::string(294, '0') + ".0"},

      // The pattern is read, not recognised.
      {1.0005, "0.000", "1.001"},
      {0.5, "0.000", "0.500"},
      {-0.0004, "0.000", "0.000"},
      {2.5, "#0", "3"},
      {-2.5, "#0", "-3"},
      {0.4, "#0", "0"},
      {5.0, "000.0", "005.0"},
      {1234.5, "000.0", "1234.5"},
      {1.0 / 3.0, "0.0000000000000000000000", "0.3333333333333330000000"},
      {5e-324, "0." + std::string(330, '0'), "0." + std::string(323, '0') + "4940656"},
      {7.0, "", "7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hexfloat << c.value << " \"" << c.pattern << '"');
    EXPECT_EQ(FormatNumber(c.value, c.pattern), c.expected);
  }
}

TEST(FormatNumber, NonFiniteValuesDoNotCrash) {
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN(), kLoss), "nan");
  EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::quiet_NaN(), kLoss), "nan");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity(), kImpedance), "inf");
  EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity(), kImpedance), "-inf");
}

// An independent model of the rule in integer arithmetic: printf's "%.14e" gives the 15 digits
// as an integer m and an exponent, which is then rounded to `decimals` places halves up.
std::string Model(double value, int decimals) {
  char text[40];
  std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
  std::string digits;
  for (const char* p = text; *p != 'e'; ++p) {
    if (*p != '.') digits += *p;
  }
  const std::int64_t m = std::strtoll(digits.c_str(), nullptr, 10);
  const int exponent = std::atoi(std::strchr(text, 'e') + 1);
  // value = m * 10^(exponent - 14); scaled to units of 10^-decimals.
  int shift = exponent - 14 + decimals;
  std::int64_t units = m;
  if (shift >= 0) {
    while (shift-- > 0) units *= 10;
  } else if (shift < -16) {
    units = 0;
  } else {
    std::int64_t divisor = 1;
    while (shift++ < 0) divisor *= 10;
    units = (m + divisor / 2) / divisor;
  }
  std::int64_t scale = 1;
  for (int k = 0; k < decimals; ++k) scale *= 10;
  char out[64];
  std::snprintf(out, sizeof out, "%s%" PRId64 ".%0*" PRId64,
                units != 0 && std::signbit(value) ? "-" : "", units / scale, decimals,
                units % scale);
  return out;
}

TEST(FormatNumber, AgreesWithAnIntegerModelOnRandomValues) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> exponent(-6.0, 14.0);
  std::uniform_int_distribution<int> sign(0, 1);
  for (int n = 0; n < 100000; ++n) {
    double value = std::pow(10.0, exponent(random)) * (sign(random) ? -1.0 : 1.0);
    // Values on a grid of halves exercise the ties.
    if (n % 4 == 0) value = std::round(value * 200.0) / 200.0;
    if (n % 4 == 1) value = std::round(value * 20.0) / 20.0;
    ASSERT_EQ(FormatNumber(value, kLoss), Model(value, 2)) << std::hexfloat << value;
    ASSERT_EQ(FormatNumber(value, kImpedance), Model(value, 1)) << std::hexfloat << value;
  }
}

// The shortest text is the standard library's, character for character, for every kind of
// double: random bit patterns, everyday values, short decimals and their neighbours, powers of two
// and their neighbours (whose rounding interval is lopsided), whole numbers, subnormals.
TEST(Shortest, WritesWhatTheStandardLibraryWrites) {
  const auto expect_same = [](double x) {
    char expected[64];
    const std::to_chars_result r = std::to_chars(expected, expected + sizeof expected, x);
    ASSERT_EQ(platform::Shortest(x), std::string(expected, r.ptr)) << std::hexfloat << x;
  };
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> everyday(-1000.0, 1000.0);
  for (int n = 0; n < 200000; ++n) {
    expect_same(std::bit_cast<double>(random()));
    expect_same(everyday(random));
    expect_same(std::ldexp(everyday(random), static_cast<int>(random() % 140) - 70));
    expect_same(static_cast<double>(random() % 100000000000) / std::pow(10.0, random() % 14));
  }
  for (int e = -325; e <= 308; ++e) {
    for (const double m : {1.0, 1.5, 2.0, 9.99, 123.0, 4.0625, 9007199254740991.0}) {
      const double x = m * std::pow(10.0, e);
      for (const double y : {x, std::nextafter(x, 0.0), std::nextafter(x, HUGE_VAL)}) {
        expect_same(y);
        expect_same(-y);
      }
    }
  }
  for (int e = -1074; e <= 1023; ++e) {
    const double x = std::ldexp(1.0, e);
    for (const double y : {x, std::nextafter(x, 0.0), std::nextafter(x, HUGE_VAL)}) expect_same(y);
  }
}

// The compact form of a long number keeps its order of magnitude; texts that are no plain
// decimal number have none.
TEST(CompactDecimal, Table) {
  const struct {
    std::string text;
    int significant;
    std::string compact;
  } cases[] = {
      {"9999950.0", 15, "9.99995e6"},
      {"9999950.0", 5, "1.0e7"},  // rounded off: the carry reaches the first digit
      {"3" + std::string(150, '0') + ".0", 8, "3.0e150"},
      {"-123456789.5", 4, "-1.235e8"},
      {"-123456789.5", 1, "-1.2e8"},  // never fewer than two digits
      {"0.000012345", 3, "1.23e-5"},
      {"0.00", 3, "0.0e0"},
      {"42", 6, "4.2e1"},
      {"", 6, ""},
      {">100", 6, ""},
      {"1e5", 6, ""},
      {"1.2.3", 6, ""},
      {"5.", 6, ""},
      {"\u221e", 6, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::CompactDecimal(c.text, c.significant), c.compact)
        << c.text << " " << c.significant;
  }
}

}  // namespace
