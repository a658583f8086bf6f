#include "platform/fp_check.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <optional>

namespace {

using platform::Checked;
using platform::ErrorKind;
using platform::kNoSubject;
using platform::Opaque;

std::optional<ErrorKind> KindRaised(double (*step)()) {
  platform::ClearFpFlags();
  try {
    step();
  } catch (const platform::Error& e) {
    return e.kind();
  }
  return std::nullopt;
}

// Each step runs with constant operands hidden from the optimiser: in a Release build a
// folded or reordered operation would escape the check and the row would fail.
TEST(FpCheck, EachConditionIsRaisedAtItsCheck) {
  struct Row {
    const char* name;
    double (*step)();
    std::optional<ErrorKind> expected;
  };
  const Row rows[] = {
      {"overflowing product", [] { return Checked(Opaque(1e308) * 10.0, kNoSubject); },
       ErrorKind::Overflow},
      {"overflowing sum", [] { return Checked(Opaque(1.7e308) + 1.7e308, kNoSubject); },
       ErrorKind::Overflow},
      {"division by zero", [] { return Checked(Opaque(1.0) / Opaque(0.0), kNoSubject); },
       ErrorKind::DivisionByZero},
      {"zero by zero", [] { return Checked(Opaque(0.0) / Opaque(0.0), kNoSubject); },
       ErrorKind::InvalidOperation},
      {"infinity minus infinity",
       [] { return Checked(Opaque(INFINITY) - Opaque(INFINITY), kNoSubject); },
       ErrorKind::InvalidOperation},
      {"underflow is no error", [] { return Checked(Opaque(1e-300) * 1e-300, kNoSubject); },
       std::nullopt},
      {"subnormal result is no error", [] { return Checked(Opaque(1e-310) / 3.0, kNoSubject); },
       std::nullopt},
      {"inexact is no error", [] { return Checked(Opaque(1.0) / 3.0, kNoSubject); }, std::nullopt},
      // Sticky: an unchecked operation earlier is reported by the next check.
      {"sticky after an unchecked square root",
       [] {
         volatile double r = std::sqrt(Opaque(-1.0));
         (void)r;
         return Checked(Opaque(2.0) + 2.0, kNoSubject);
       },
       ErrorKind::InvalidOperation},
      {"sticky after an unchecked overflow",
       [] {
         volatile double r = Opaque(1e300) * 1e300;
         (void)r;
         return Checked(Opaque(2.0) * 2.0, kNoSubject);
       },
       ErrorKind::Overflow},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(KindRaised(row.step), row.expected);
  }
}

TEST(FpCheck, ClearingForgetsEarlierConditions) {
  volatile double r = Opaque(1e300) * 1e300;
  (void)r;
  platform::ClearFpFlags();
  EXPECT_NO_THROW(platform::CheckFpFlags(kNoSubject));
}

TEST(FpCheck, ErrorsNameTheSubject) {
  constexpr platform::Subject kSubject = 5;
  platform::ClearFpFlags();
  try {
    Checked(Opaque(1.0) / Opaque(0.0), kSubject);
    FAIL();
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::DivisionByZero);
    EXPECT_EQ(e.subject(), kSubject);
  }
}

}  // namespace
