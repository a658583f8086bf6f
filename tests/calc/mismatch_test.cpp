#include "calc/mismatch.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "calc/quantity.h"
#include "calc/warning_text.h"
#include "platform/errors.h"

namespace {

using calc::EvaluateMismatch;
using calc::MismatchResult;
using calc::Quantity;
using platform::ErrorKind;

bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// An unbounded loss: no power reaches the load (M = 0), or a perfect match (M = 1).
constexpr double kInf = std::numeric_limits<double>::infinity();

MismatchResult Evaluate(double z0, double m1, double a1, double m2, double a2) {
  return EvaluateMismatch([z0] { return z0; }, m1, a1, m2, a2);
}

// Expected values. Exact ones are compared bit for bit; the others to a relative tolerance
// that matches the digits they are known to.
struct Expect {
  double value;
  bool exact;
};
Expect Exact(double v) {
  return {v, true};
}
Expect Near(double v) {
  return {v, false};
}

void Check(const char* what, double actual, const Expect& e) {
  if (e.exact) {
    EXPECT_TRUE(SameBits(actual, e.value))
        << what << ": " << std::hexfloat << actual << " vs " << e.value << std::defaultfloat;
  } else {
    EXPECT_NEAR(actual, e.value, std::fabs(e.value) * 1e-9 + 1e-12) << what;
  }
}

struct EvalCase {
  const char* name;
  double z0, m1, a1, m2, a2;
  Expect m, ml, rl, z1re, z1im, z2re, z2im;
};

TEST(EvaluateMismatch, ResultsTable) {
  const EvalCase cases[] = {
      // The worked example; every figure bit for bit, so Debug and Release must agree.
      {"worked example", 50, 0.5, 0, 0.2, 90, Exact(0x1.6cfd7720f353bp-1),
       Exact(0x1.784aa172ffc2ep+0), Exact(0x1.5ad4b9d4e557ep+2), Exact(150.0), Exact(0.0),
       Exact(0x1.713b13b13b13fp+5), Exact(0x1.33b13b13b13b5p+4)},
      {"0.5 and nothing", 50, 0.5, 0, 0, 0, Exact(0.75), Near(1.249387366), Near(6.020599913),
       Exact(150.0), Exact(0.0), Exact(50.0), Exact(0.0)},
      {"0.5 at 90", 50, 0.5, 90, 0, 0, Exact(0.75), Near(1.249387366), Near(6.020599913),
       Exact(0x1.e000000000009p+4), Exact(0x1.4000000000007p+5), Exact(50.0), Exact(0.0)},
      {"0.5 at -90", 50, 0.5, -90, 0, 0, Exact(0.75), Near(1.249387366), Near(6.020599913),
       Near(30.0), Near(-40.0), Exact(50.0), Exact(0.0)},
      {"all zero", 50, 0, 0, 0, 0, Exact(1.0), Exact(-0.0), Exact(kInf), Exact(50.0), Exact(0.0),
       Exact(50.0), Exact(0.0)},
      {"conjugates 0.3 at +-45", 50, 0.3, 45, 0.3, -45, Exact(1.0), Exact(-0.0), Exact(kInf),
       Exact(0x1.1161b50f081c3p+6), Exact(0x1.fdd422c96d2ebp+4), Exact(0x1.1161b50f081c3p+6),
       Exact(-0x1.fdd422c96d2ebp+4)},
      {"conjugates 0.5 at +-30", 50, 0.5, 30, 0.5, -30, Exact(1.0), Exact(-0.0), Exact(kInf),
       Near(97.66271094), Near(65.10847396), Near(97.66271094), Near(-65.10847396)},
      {"tiny second coefficient", 50, 0, 0, 0.000001, 0, Exact(0x1.fffffffffdcd1p-1),
       Exact(0x1.3199ced720bc8p-38), Exact(0x1.e000192f72de6p+6), Exact(50.0), Exact(0.0),
       Near(50.0001000001), Exact(0.0)},
      {"0.5 at 180", 50, 0.5, 180, 0, 0, Exact(0.75), Near(1.249387366), Near(6.020599913),
       Near(16.66666667), Near(7.1801981085892751e-14), Exact(50.0), Exact(0.0)},
      {"0.5 at -180", 50, 0.5, -180, 0, 0, Exact(0.75), Near(1.249387366), Near(6.020599913),
       Near(16.66666667), Near(-7.1801981085892751e-14), Exact(50.0), Exact(0.0)},
      {"-0.5 at 0", 50, -0.5, 0, 0, 0, Exact(0.75), Near(1.249387366), Near(6.020599913),
       Near(16.66666667), Exact(-0.0), Exact(50.0), Exact(0.0)},
      {"1 at 90", 50, 1, 90, 0, 0, Exact(0.0), Exact(kInf), Exact(-0.0),
       Near(3.0616169978683878e-15), Near(50.0), Exact(50.0), Exact(0.0)},
      {"1 at 360", 50, 1, 360, 0, 0, Exact(0.0), Exact(kInf), Exact(-0.0), Near(-26.5409653),
       Near(-1.5474658140448106e16), Exact(50.0), Exact(0.0)},
      {"2 and 2", 50, 2, 0, 2, 0, Exact(1.0), Exact(-0.0), Exact(kInf), Exact(-150.0),
       Near(-4.8466337232977597e-13), Exact(-150.0), Near(-4.8466337232977597e-13)},
      {"Z0 = 0", 0, 0.5, 0, 0.2, 90, Exact(0x1.6cfd7720f353bp-1), Exact(0x1.784aa172ffc2ep+0),
       Exact(0x1.5ad4b9d4e557ep+2), Exact(0.0), Exact(0.0), Exact(0.0), Exact(0.0)},
      {"Z0 = -50", -50, 0.5, 0, 0.2, 90, Exact(0x1.6cfd7720f353bp-1), Exact(0x1.784aa172ffc2ep+0),
       Exact(0x1.5ad4b9d4e557ep+2), Near(-150.0), Near(4.8466337232977597e-13), Near(-46.15384615),
       Near(-19.23076923)},
  };
  for (const EvalCase& c : cases) {
    SCOPED_TRACE(c.name);
    const MismatchResult r = Evaluate(c.z0, c.m1, c.a1, c.m2, c.a2);
    Check("M", r.MismatchFactor, c.m);
    Check("ML", r.MismatchLossDb, c.ml);
    Check("RL", r.ReturnLossDb, c.rl);
    Check("Z1.Real", r.Impedance1.Real, c.z1re);
    Check("Z1.Imag", r.Impedance1.Imag, c.z1im);
    Check("Z2.Real", r.Impedance2.Real, c.z2re);
    Check("Z2.Imag", r.Impedance2.Imag, c.z2im);
  }
}

TEST(EvaluateMismatch, ImpedancesCarryBothForms) {
  const MismatchResult r = Evaluate(50, 0.5, 0, 0.2, 90);
  EXPECT_EQ(r.Impedance1.Magnitude, 150.0);
  EXPECT_EQ(r.Impedance1.Angle, 0.0);
  EXPECT_NEAR(r.Impedance2.Magnitude, 50.0, 1e-10);
  EXPECT_NEAR(r.Impedance2.Angle, 0.3947911197, 1e-10);
  // 1 at 360 degrees does not fail: the sine of twice this pi is not zero.
  EXPECT_NEAR(Evaluate(50, 1, 360, 0, 0).Impedance1.Magnitude, 1.5e16, 0.05e16);
}

TEST(EvaluateMismatch, HugeAnglesStayFinite) {
  // degrees * pi leaves the 64-bit range; the quotient by 180 does not.
  for (double degrees : {1e308, -1e308, 1.7976931348623157e308, 5.8e307}) {
    SCOPED_TRACE(degrees);
    const MismatchResult r = Evaluate(50, 0.5, degrees, 0.2, -degrees);
    EXPECT_TRUE(std::isfinite(r.Impedance1.Angle));
    EXPECT_TRUE(std::isfinite(r.Impedance1.Real));
    EXPECT_TRUE(std::isfinite(r.ReturnLossDb));
  }
}

// Every failure the evaluation can reach, with the facts its warning must state (and one it
// must not: the explanation has to fit the step that failed and the values it had).
struct FailCase {
  const char* name;
  double z0, m1, a1, m2, a2;
  ErrorKind kind;
  Quantity quantity;
  const char* fact1;
  const char* fact2;
  const char* untrue;
};

TEST(EvaluateMismatch, FailureTable) {
  constexpr const char* kLimit = "the limit is about 1.3e154";
  const FailCase cases[] = {
      {"magnitude 1 at 0, source", 50, 1, 0, 0, 0, ErrorKind::DivisionByZero,
       Quantity::SourceImpedance, "while computing the source impedance", "exactly 1 is an open",
       "load"},
      {"magnitude 1 at 0, load", 50, 0, 0, 1, 0, ErrorKind::DivisionByZero, Quantity::LoadImpedance,
       "while computing the load impedance", "open circuit", "source"},
      {"magnitude 1 just off 0: |1 - G|^2 underflows", 50, 1, 1e-200, 0, 0,
       ErrorKind::DivisionByZero, Quantity::SourceImpedance,
       "|1 - \u0393S| is only about 1.75e-202", "not exactly 1", "open circuit"},
      {"both 1 at 0: the mismatch factor fails first, 0 by 0", 50, 1, 0, 1, 0,
       ErrorKind::DivisionByZero, Quantity::MismatchFactor, "while computing the mismatch factor",
       "0 divided by 0", "1 - \u0393S\u00b7\u0393L is zero"},
      {"1 at 90 with 1 at -90: 0 by 0", 50, 1, 90, 1, -90, ErrorKind::DivisionByZero,
       Quantity::MismatchFactor, "magnitude 1", "0 divided by 0", "is zero"},
      {"2 and 0.5 at 0: product exactly 1", 50, 2, 0, 0.5, 0, ErrorKind::DivisionByZero,
       Quantity::MismatchFactor, "exactly 1", "1 - \u0393S\u00b7\u0393L is zero", "0 divided"},
      {"product 1 to within 1e-202: |D|^2 underflows", 50, 1, 1e-200, 1, 0,
       ErrorKind::DivisionByZero, Quantity::MismatchFactor, "only about 1.75e-202", "not exactly 1",
       "is zero"},
      {"magnitude 1 at 0 with Z0 = 0", 0, 1, 0, 0, 0, ErrorKind::InvalidOperation,
       Quantity::SourceImpedance, "Invalid operation", "reference impedance of 0", "too small"},
      {"magnitude 1 at 0 with a subnormal Z0", 1e-320, 1, 0, 0, 0, ErrorKind::InvalidOperation,
       Quantity::SourceImpedance, "too small", "0 divided by 0", "reference impedance of 0"},
      {"2 with 0: M negative", 50, 2, 0, 0, 0, ErrorKind::LogarithmArgument, Quantity::MismatchLoss,
       "ΓS is active (|ΓS| > 1) and ΓL passive", "the pair may oscillate", "logarithm"},
      {"0.5 with -3: M negative", 50, 0.5, 10, -3, 20, ErrorKind::LogarithmArgument,
       Quantity::MismatchLoss, "ΓL is active (|ΓL| > 1) and ΓS passive", "no mismatch loss exists",
       "ΓS is active"},
      {"a passive port measured just above 1", 50, 1.0000001, 0, 0.9, 45,
       ErrorKind::LogarithmArgument, Quantity::MismatchLoss, "ΓS is active", "ΓL passive",
       "mismatch factor"},
      {"M just above 1", 50, 0.3, 0, 0.3000000000000001, 0, ErrorKind::LogarithmArgument,
       Quantity::ReturnLoss, "return loss", "conjugate to within the last digits", "large"},
      {"M just above 1, both above 1", 50, 1.5, 0, 1.5000000000000007, 0,
       ErrorKind::LogarithmArgument, Quantity::ReturnLoss, "above 1", "conjugate", "large"},
      {"M just above 1, huge magnitudes far from conjugate", 50, 186208713.66628656, 99,
       259574946.85080349, 217, ErrorKind::LogarithmArgument, Quantity::ReturnLoss,
       "magnitudes 1.86e8 and 2.6e8", "to within the last digits", "conjugate"},
      {"huge source magnitude", 50, 1e155, 0, 0, 0, ErrorKind::Overflow, Quantity::MismatchFactor,
       "a reflection coefficient magnitude is too large", kLimit, "product"},
      {"huge load magnitude", 50, 0, 0, -2e154, 0, ErrorKind::Overflow, Quantity::MismatchFactor,
       "a reflection coefficient magnitude is too large", kLimit, "product"},
      {"huge magnitude times 1 - 1 = 0: infinity times zero", 50, 1e308, 0, -1, 0,
       ErrorKind::InvalidOperation, Quantity::MismatchFactor,
       "a reflection coefficient magnitude is too large", kLimit, "0 divided"},
      {"huge product of magnitudes in A", 50, 1e100, 0, 1e100, 90, ErrorKind::Overflow,
       Quantity::MismatchFactor, "product of the two reflection coefficient magnitudes", kLimit,
       "a reflection coefficient magnitude"},
      {"huge product of magnitudes in |D|^2", 50, 1.3e154, 0, 1.2, 0, ErrorKind::Overflow,
       Quantity::MismatchFactor, "product of the two reflection coefficient magnitudes", kLimit,
       "a reflection coefficient magnitude"},
      {"A divided by |D|^2 beyond range", 50, 1e154, 0, 1e-154, 30, ErrorKind::Overflow,
       Quantity::MismatchFactor, "= -1e308 divided by", "= 0.268 is beyond", kLimit},
      {"huge reference impedance", 1e308, 0.5, 0, 0, 0, ErrorKind::Overflow,
       Quantity::SourceImpedance, "the reference impedance or a reflection coefficient", kLimit,
       "divided"},
      {"huge reference impedance, load side", 1e308, 0, 0, 0.5, 0, ErrorKind::Overflow,
       Quantity::SourceImpedance, "source impedance", "reference impedance", "load"},
      {"impedance beyond range: G within 1e-160 of 1", 6e153, 1, 1e-158, 0, 0, ErrorKind::Overflow,
       Quantity::SourceImpedance, "|Z0\u00b7(1 + \u0393S)| = 1.2e154", "|1 - \u0393S| = 1.75e-160",
       kLimit},
  };
  for (const FailCase& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      Evaluate(c.z0, c.m1, c.a1, c.m2, c.a2);
      ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
      const std::string warning = calc::WarningText(e);
      EXPECT_EQ(e.kind(), c.kind) << warning;
      EXPECT_EQ(calc::QuantityOf(e), c.quantity) << warning;
      for (const char* fact : {c.fact1, c.fact2}) {
        EXPECT_NE(warning.find(fact), std::string::npos) << warning << "\nlacks: " << fact;
      }
      EXPECT_EQ(warning.find(c.untrue), std::string::npos) << warning << "\nsays: " << c.untrue;
    }
  }
}

TEST(EvaluateMismatch, AFailureDoesNotLeakIntoTheNextEvaluation) {
  EXPECT_THROW(Evaluate(50, 1e155, 0, 0, 0), platform::Error);
  EXPECT_THROW(Evaluate(50, 1, 0, 0, 0), platform::Error);
  EXPECT_NO_THROW(Evaluate(50, 0.5, 0, 0.2, 90));
}

// The reference impedance is converted once, after the losses, and only then.
struct ConversionFailed {};

TEST(EvaluateMismatch, ReferenceImpedanceIsConvertedOnceAndLate) {
  int calls = 0;
  auto counting = [&calls] {
    ++calls;
    return 50.0;
  };
  EvaluateMismatch(counting, 0.5, 0, 0.2, 90);
  EXPECT_EQ(calls, 1);

  // A failure of the losses is reported instead of the conversion's, which never runs.
  calls = 0;
  auto failing = [&calls]() -> double {
    ++calls;
    throw ConversionFailed{};
  };
  EXPECT_THROW(EvaluateMismatch(failing, 2, 0, 0, 0), platform::Error);
  EXPECT_THROW(EvaluateMismatch(failing, 0.3, 0, 0.3000000000000001, 0), platform::Error);
  EXPECT_EQ(calls, 0);

  // Otherwise the conversion's own error passes through unchanged.
  EXPECT_THROW(EvaluateMismatch(failing, 0.5, 0, 0.2, 90), ConversionFailed);
  EXPECT_EQ(calls, 1);

  // A temporary that owns memory (ASan watches it) and a const callable are used in place.
  EXPECT_EQ(EvaluateMismatch([text = std::string("50")] { return std::stod(text); }, 0.5, 0, 0, 0)
                .Impedance1.Real,
            150.0);
  const auto fixed = [] { return 75.0; };
  EXPECT_EQ(EvaluateMismatch(fixed, 0, 0, 0, 0).Impedance2.Real, 75.0);
}

TEST(EvaluateMismatch, FlagsLeftByTheConversionAreNotMistakenForFailures) {
  // A conversion that happens to raise floating-point flags of its own must not turn a sound
  // evaluation into an error.
  auto noisy = [] {
    volatile double big = 1e308;
    volatile double r = big * 10.0;  // overflow flag
    (void)r;
    return 50.0;
  };
  const MismatchResult r = EvaluateMismatch(noisy, 0.5, 0, 0, 0);
  EXPECT_EQ(r.Impedance1.Real, 150.0);
}

}  // namespace

// The evaluation runs unchecked and falls back to the checked steps only when a flag is raised:
// both must give the same bits and the same errors (kind, quantity, step and its values), and
// convert the reference impedance as often. Edge values of every kind, in all combinations, and
// random inputs over many scales.
TEST(EvaluateMismatch, FastPathMatchesTheCheckedSteps) {
  const double edges[] = {0.0,      -0.0,    1.0,    -1.0,  0.5,    1.0 + 0x1p-52, 1e-162, 1.6e-162,
                          1e-200,   1e154,   1e155,  1e300, -1e300, 180.0,         -90.0,  45.0,
                          0x1p1000, 1.7e308, 5e-324, 3.0,   -0.3,   360.0};
  std::vector<double> values(std::begin(edges), std::end(edges));
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  struct Outcome {
    bool ok = false;
    calc::MismatchResult r;
    std::optional<platform::Error> error;
    int conversions = 0;
  };
  const auto run = [](double z0, double m1, double a1, double m2, double a2, bool checked) {
    Outcome o;
    auto convert = [&o, z0] {
      ++o.conversions;
      return z0;
    };
    try {
      o.r = calc::EvaluateMismatch(convert, m1, a1, m2, a2,
                                   checked ? calc::Checking::kEveryStep : calc::Checking::kFast);
      o.ok = true;
    } catch (const platform::Error& e) {
      o.error = e;
    }
    return o;
  };
  const auto bits = [](double x) { return std::bit_cast<std::uint64_t>(x); };
  const auto same_value = [&](const calc::ComplexValue& a, const calc::ComplexValue& b) {
    return bits(a.Magnitude) == bits(b.Magnitude) && bits(a.Angle) == bits(b.Angle) &&
           bits(a.Real) == bits(b.Real) && bits(a.Imag) == bits(b.Imag);
  };
  long long compared = 0, failures = 0;
  const auto compare = [&](double z0, double m1, double a1, double m2, double a2) {
    const Outcome fast = run(z0, m1, a1, m2, a2, false);
    const Outcome checked = run(z0, m1, a1, m2, a2, true);
    ++compared;
    // Made only for a failure's message (gtest evaluates what follows << only then).
    const auto where = [&] {
      return std::to_string(z0) + " " + std::to_string(m1) + "@" + std::to_string(a1) + " " +
             std::to_string(m2) + "@" + std::to_string(a2);
    };
    ASSERT_EQ(fast.ok, checked.ok) << where();
    ASSERT_EQ(fast.conversions, checked.conversions) << where();
    if (!fast.ok) {
      ++failures;
      ASSERT_EQ(fast.error->kind(), checked.error->kind()) << where();
      ASSERT_EQ(calc::QuantityOf(*fast.error), calc::QuantityOf(*checked.error)) << where();
      ASSERT_EQ(fast.error->step(), checked.error->step()) << where();
      for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(bits(fast.error->values()[i]), bits(checked.error->values()[i])) << where();
      }
      return;
    }
    ASSERT_EQ(bits(fast.r.MismatchFactor), bits(checked.r.MismatchFactor)) << where();
    ASSERT_EQ(bits(fast.r.MismatchLossDb), bits(checked.r.MismatchLossDb)) << where();
    ASSERT_EQ(bits(fast.r.ReturnLossDb), bits(checked.r.ReturnLossDb)) << where();
    ASSERT_TRUE(same_value(fast.r.Impedance1, checked.r.Impedance1)) << where();
    ASSERT_TRUE(same_value(fast.r.Impedance2, checked.r.Impedance2)) << where();
  };
  for (const double m1 : values) {
    for (const double a1 : {0.0, 30.0, 180.0, -90.0, 1e300}) {
      for (const double m2 : values) {
        for (const double a2 : {0.0, -30.0, 180.0, 90.0}) {
          for (const double z0 : {50.0, 0.0, -1e308}) compare(z0, m1, a1, m2, a2);
        }
      }
    }
  }
  for (int i = 0; i < 200000; ++i) {
    // Magnitudes and angles over many scales, often near 1 and with signs.
    const auto random = [&](int max_exponent) {
      const double unit = static_cast<double>(next() >> 11) * 0x1p-53;
      const int exponent =
          static_cast<int>(next() % static_cast<std::uint64_t>(max_exponent)) - max_exponent / 2;
      return (next() & 1 ? -1.0 : 1.0) * std::ldexp(unit, exponent);
    };
    compare(random(40), random(6), random(16), random(6), random(16));
  }
  EXPECT_GT(failures, 100);  // the comparison covered failures, not only results
  EXPECT_GT(compared - failures, 100000);
}
