#include "calc/mismatch.h"

#include <cfenv>
#include <cmath>

#include "calc/complex_steps.h"
#include "platform/fp_check.h"

namespace calc {

using platform::Quantity;
using platform::Settle;
using steps::Step;

namespace {

// degrees * pi / 180, the product first. For angles beyond about 5.7e307 degrees the product
// leaves the 64-bit range although the quotient would not; there the angle is quartered first
// and the result multiplied by four. Scaling by a power of two is exact, so this gives the same
// bits as a product held with an unbounded exponent would.
template <bool kChecked>
double DegreesToRadians(double degrees, Quantity quantity) {
  if (std::fabs(degrees) > 0x1p1000) {
    return Step<kChecked>((degrees * 0.25) * kPi / 180.0 * 4.0, quantity);
  }
  return Step<kChecked>(degrees * kPi / 180.0, quantity);
}

// The reference impedance is converted once, on first use.
class DeferredImpedance {
 public:
  DeferredImpedance(double (*convert)(void*), void* context)
      : convert_(convert), context_(context) {}

  double get() {
    if (!known_) {
      // The conversion is not part of the checked arithmetic: whatever it does to the
      // floating-point flags is undone, and its own errors pass through unchanged.
      // Restoring the flags reloads the x87 environment: only done when they changed.
      std::fexcept_t saved;
      std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
      const int before = std::fetestexcept(FE_ALL_EXCEPT);
      value_ = convert_(context_);
      if (std::fetestexcept(FE_ALL_EXCEPT) != before) {
        std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
      }
      value_ = Settle(value_);
      known_ = true;
    }
    return value_;
  }

 private:
  double (*convert_)(void*);
  void* context_;
  double value_ = 0.0;
  bool known_ = false;
};

// Where the evaluation is, for the error of a failing step: the step and the values that explain
// its failure. Set before each step; read only when one fails.
struct Trace {
  EvaluationStep step = EvaluationStep::kNone;
  platform::Error::Values values{};

  void at(EvaluationStep next, double v0 = 0.0, double v1 = 0.0, double v2 = 0.0,
          double v3 = 0.0) noexcept {
    step = next;
    values = {v0, v1, v2, v3};
  }
};

// The evaluation runs unchecked first (kChecked false): the same operations in the same order,
// with the flags tested only before the reference impedance is converted and at the end. When a
// flag is set, or a step would raise an error of its own, it sets `fallback` and the checked
// evaluation runs instead, which gives the error with its step. Both give the same bits.

// Whether an unchecked evaluation must give way to the checked one: after settling the values
// computed so far, so that none of their operations moves past the flag test.
template <typename... Values>
bool FlagsRaised(bool fallback, Values... values) {
  (static_cast<void>(Settle(values)), ...);
  return fallback || platform::RaisedFpFlags() != 0;
}

// Z = Z0 (1 + G) / (1 - G), as a quotient of moduli and a difference of angles.
template <bool kChecked>
ComplexValue Impedance(const ComplexValue& g, DeferredImpedance& z0, Quantity q, Trace& trace,
                       bool& fallback) {
  trace.at(EvaluationStep::kImpedanceNumerator, 0.0, g.Real, g.Imag);
  const double s = Step<kChecked>(g.Real + 1.0, q);
  if constexpr (!kChecked) {
    // The conversion comes after the steps before it; it must not run where one of them fails.
    if (FlagsRaised(fallback, s, g.Imag)) {
      fallback = true;
      return {};
    }
  }
  // The conversion's own errors are not the evaluation's: they pass without a step.
  trace.step = EvaluationStep::kNone;
  const double r0 = z0.get();
  trace.at(EvaluationStep::kImpedanceNumerator, r0, g.Real, g.Imag);
  ComplexValue n;
  n.Real = Step<kChecked>(r0 * s, q);
  n.Imag = Step<kChecked>(r0 * g.Imag, q);
  n = steps::RectToPolar<kChecked>(n, q);

  trace.at(EvaluationStep::kImpedanceDenominator, g.Real, g.Imag);
  ComplexValue d;
  d.Real = Step<kChecked>(1.0 - g.Real, q);
  d.Imag = Step<kChecked>(-g.Imag, q);
  d = steps::RectToPolar<kChecked>(d, q);

  trace.at(EvaluationStep::kImpedanceQuotient, n.Magnitude, d.Real, d.Imag, r0);
  ComplexValue z;
  z.Magnitude = Step<kChecked>(n.Magnitude / d.Magnitude, q);
  z.Angle = Step<kChecked>(n.Angle - d.Angle, q);
  return steps::PolarToRect<kChecked>(z, q);
}

template <bool kChecked>
MismatchResult Evaluate(DeferredImpedance& z0, double magnitude1, double angle_deg1,
                        double magnitude2, double angle_deg2, Trace& trace, bool& fallback) {
  platform::ClearFpFlags();
  // The inputs pass a barrier after the flags are cleared, so no arithmetic on them can be
  // scheduled before the clearing.
  const double m1 = Settle(magnitude1);
  const double m2 = Settle(magnitude2);
  const double d1 = Settle(angle_deg1);
  const double d2 = Settle(angle_deg2);
  constexpr Quantity kM = Quantity::MismatchFactor;

  trace.at(EvaluationStep::kAngles, d1, d2);
  const double theta1 = DegreesToRadians<kChecked>(d1, kM);
  const double theta2 = DegreesToRadians<kChecked>(d2, kM);

  ComplexValue g1;
  g1.Magnitude = m1;
  g1.Angle = theta1;
  g1 = steps::PolarToRect<kChecked>(g1, kM);
  ComplexValue g2;
  g2.Magnitude = m2;
  g2.Angle = theta2;
  g2 = steps::PolarToRect<kChecked>(g2, kM);

  // A = (1 - |G1|^2)(1 - |G2|^2), from the entered magnitudes.
  trace.at(EvaluationStep::kNumerator, m1, m2);
  const double t = Step<kChecked>(1.0 - m2 * m2, kM);
  const double a = Step<kChecked>((1.0 - m1 * m1) * t, kM);

  // P = G1 G2 in polar form: signed magnitudes multiplied, angles added.
  trace.at(EvaluationStep::kProduct, m1, m2);
  ComplexValue p;
  p.Magnitude = Step<kChecked>(m2 * m1, kM);
  p.Angle = Step<kChecked>(theta2 + theta1, kM);
  p = steps::PolarToRect<kChecked>(p, kM);

  // D = 1 - P in rectangular form.
  ComplexValue d;
  d.Real = Step<kChecked>(1.0 - p.Real, kM);
  d.Imag = Step<kChecked>(-p.Imag, kM);
  d = steps::RectToPolar<kChecked>(d, kM);

  // M = A / |D|^2. A zero divisor is a division by zero, also when A is zero too.
  const double divisor = Settle(d.Magnitude * d.Magnitude);
  trace.at(EvaluationStep::kQuotient, a, d.Real, d.Imag, divisor);
  if (divisor == 0.0) {
    if constexpr (kChecked) {
      platform::RaiseComputationError(platform::ErrorKind::DivisionByZero, kM);
    } else {
      fallback = true;
      return {};
    }
  }
  MismatchResult result;
  result.MismatchFactor = Step<kChecked>(a / divisor, kM);
  const double m = result.MismatchFactor;

  // The factor -10 is applied after the logarithm, so M = 1 gives a negative zero.
  trace.at(EvaluationStep::kLogarithm, g1.Real, g1.Imag, g2.Real, g2.Imag);
  result.MismatchLossDb =
      Step<kChecked>(steps::SafeLog10<kChecked>(m, Quantity::MismatchLoss, fallback) * -10.0,
                     Quantity::MismatchLoss);
  const double one_minus_m = Step<kChecked>(1.0 - m, Quantity::ReturnLoss);
  result.ReturnLossDb = Step<kChecked>(
      steps::SafeLog10<kChecked>(one_minus_m, Quantity::ReturnLoss, fallback) * -10.0,
      Quantity::ReturnLoss);
  if constexpr (!kChecked) {
    if (FlagsRaised(fallback, result.MismatchFactor, result.MismatchLossDb, result.ReturnLossDb,
                    g2.Real, g2.Imag)) {
      fallback = true;
      return {};
    }
  }

  result.Impedance1 = Impedance<kChecked>(g1, z0, Quantity::SourceImpedance, trace, fallback);
  if (!kChecked && fallback) return {};
  result.Impedance2 = Impedance<kChecked>(g2, z0, Quantity::LoadImpedance, trace, fallback);
  if constexpr (!kChecked) {
    const ComplexValue& z1 = result.Impedance1;
    const ComplexValue& z2 = result.Impedance2;
    if (FlagsRaised(fallback, z1.Magnitude, z1.Angle, z1.Real, z1.Imag, z2.Magnitude, z2.Angle,
                    z2.Real, z2.Imag)) {
      fallback = true;
      return {};
    }
  }
  return result;
}

}  // namespace

MismatchResult detail::EvaluateMismatch(double (*reference_impedance)(void*), void* context,
                                        double magnitude1, double angle_deg1, double magnitude2,
                                        double angle_deg2, bool force_checked) {
  DeferredImpedance z0(reference_impedance, context);
  Trace trace;
  bool fallback = false;
  if (!force_checked) {
    const MismatchResult fast =
        Evaluate<false>(z0, magnitude1, angle_deg1, magnitude2, angle_deg2, trace, fallback);
    if (!fallback) return fast;
  }
  // The checked evaluation reuses the reference impedance if the fast one converted it.
  trace = Trace{};
  try {
    return Evaluate<true>(z0, magnitude1, angle_deg1, magnitude2, angle_deg2, trace, fallback);
  } catch (platform::Error& error) {
    if (trace.step != EvaluationStep::kNone) {
      error.set_step(static_cast<int>(trace.step), trace.values);
    }
    throw;
  }
}

}  // namespace calc
