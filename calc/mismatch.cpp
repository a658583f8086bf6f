#include "calc/mismatch.h"

#include <cmath>

#include "calc/complex_steps.h"
#include "calc/reflection.h"
#include "platform/fp_check.h"

namespace calc {

using platform::Settle;
using steps::Step;

namespace {

// degrees * pi / 180 (calc::Radians: the product first, and exact scaling by four for angles
// whose product would leave the 64-bit range), then checked.
template <bool kChecked>
double DegreesToRadians(double degrees, Quantity quantity) {
  return Step<kChecked>(Radians(degrees), quantity);
}

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

// Runs one part of the evaluation with every step checked; a failure is traced to the step that
// was running.
template <typename Part>
auto Traced(Part part) {
  Trace trace;
  try {
    return part(trace);
  } catch (platform::Error& error) {
    if (trace.step != EvaluationStep::kNone) {
      error.set_step(static_cast<int>(trace.step), trace.values);
    }
    throw;
  }
}

// Whether an unchecked part must give way to the checked one: after settling every value it
// computed, so that none of their operations moves past (or is dropped before) the flag test.
template <typename... Values>
bool FlagsRaised(bool fallback, Values... values) {
  (static_cast<void>(Settle(values)), ...);
  return fallback || platform::RaisedFpFlags() != 0;
}

bool FlagsRaised(bool fallback, const ComplexValue& a, const ComplexValue& b) {
  return FlagsRaised(fallback, a.Magnitude, a.Angle, a.Real, a.Imag, b.Magnitude, b.Angle, b.Real,
                     b.Imag);
}

// Z = Z0 (1 + G) / (1 - G), as a quotient of moduli and a difference of angles. Unchecked
// (kChecked false), it sets `fallback` where a step raised a flag.
template <bool kChecked>
ComplexValue ImpedanceFor(const ComplexValue& g, double z0, Quantity q, Trace& trace,
                          bool& fallback) {
  // The losses ended on a flag test, so no flag of theirs is set here: whatever the caller did in
  // between (converting Z0) is no failure of the impedance. Testing is cheaper than clearing.
  if (platform::RaisedFpFlags() != 0) platform::ClearFpFlags();
  const double r0 = Settle(z0);
  const double gr = Settle(g.Real);
  const double gi = Settle(g.Imag);
  trace.at(EvaluationStep::kImpedanceNumerator, r0, gr, gi);
  const double s = Step<kChecked>(gr + 1.0, q);
  ComplexValue n;
  n.Real = Step<kChecked>(r0 * s, q);
  n.Imag = Step<kChecked>(r0 * gi, q);
  n = steps::RectToPolar<kChecked>(n, q);

  trace.at(EvaluationStep::kImpedanceDenominator, gr, gi);
  ComplexValue d;
  d.Real = Step<kChecked>(1.0 - gr, q);
  d.Imag = Step<kChecked>(-gi, q);
  d = steps::RectToPolar<kChecked>(d, q);

  trace.at(EvaluationStep::kImpedanceQuotient, n.Magnitude, d.Real, d.Imag, r0);
  ComplexValue z;
  z.Magnitude = Step<kChecked>(n.Magnitude / d.Magnitude, q);
  z.Angle = Step<kChecked>(n.Angle - d.Angle, q);
  z = steps::PolarToRect<kChecked>(z, q);
  if constexpr (!kChecked) {
    fallback = FlagsRaised(fallback, n, d) || FlagsRaised(false, z, z);
  }
  return z;
}

// The mismatch factor and both losses. Unchecked (kChecked false), it sets `fallback` where a
// step raised a flag or would raise an error of its own.
template <bool kChecked>
Losses LossesOf(double magnitude1, double angle_deg1, double magnitude2, double angle_deg2,
                Trace& trace, bool& fallback) {
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
  Losses result;
  if (divisor == 0.0) {
    if constexpr (kChecked) {
      RaiseComputationError(platform::ErrorKind::DivisionByZero, kM);
    } else {
      fallback = true;
      return result;
    }
  }
  result.Reflection1 = g1;
  result.Reflection2 = g2;
  result.MismatchFactor = Step<kChecked>(a / divisor, kM);
  const double m = result.MismatchFactor;

  // The factor -10 is applied after the logarithm, so M = 1 gives a negative zero. The logarithm
  // of zero is minus infinity: M = 0 gives an unbounded mismatch loss, M = 1 an unbounded return
  // loss.
  trace.at(EvaluationStep::kLogarithm, g1.Real, g1.Imag, g2.Real, g2.Imag);
  result.MismatchLossDb =
      Step<kChecked>(steps::SafeLog10<kChecked>(m, Quantity::MismatchLoss, fallback) * -10.0,
                     Quantity::MismatchLoss);
  const double one_minus_m = Step<kChecked>(1.0 - m, Quantity::ReturnLoss);
  result.ReturnLossDb = Step<kChecked>(
      steps::SafeLog10<kChecked>(one_minus_m, Quantity::ReturnLoss, fallback) * -10.0,
      Quantity::ReturnLoss);
  if constexpr (!kChecked) {
    fallback = FlagsRaised(fallback, g1, g2) || FlagsRaised(false, p, d) ||
               FlagsRaised(false, a, result.MismatchLossDb, result.ReturnLossDb);
  }
  return result;
}

}  // namespace

Losses EvaluateLosses(double magnitude1, double angle_deg1, double magnitude2, double angle_deg2,
                      Checking checking) {
  bool fallback = false;
  if (checking == Checking::kFast) {
    Trace unused;
    const Losses fast =
        LossesOf<false>(magnitude1, angle_deg1, magnitude2, angle_deg2, unused, fallback);
    if (!fallback) return fast;
  }
  return Traced([&](Trace& trace) {
    return LossesOf<true>(magnitude1, angle_deg1, magnitude2, angle_deg2, trace, fallback);
  });
}

ComplexValue EvaluateImpedance(const ComplexValue& reflection, double reference_impedance,
                               Quantity quantity, Checking checking) {
  bool fallback = false;
  if (checking == Checking::kFast) {
    Trace unused;
    const ComplexValue fast =
        ImpedanceFor<false>(reflection, reference_impedance, quantity, unused, fallback);
    if (!fallback) return fast;
  }
  return Traced([&](Trace& trace) {
    return ImpedanceFor<true>(reflection, reference_impedance, quantity, trace, fallback);
  });
}

}  // namespace calc
