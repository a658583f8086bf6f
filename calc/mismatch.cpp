#include "calc/mismatch.h"

#include <cmath>

#include "platform/fp_check.h"

namespace calc {

using platform::Checked;
using platform::Quantity;
using platform::Settle;

namespace {

// degrees * pi / 180, the product first. For angles beyond about 5.7e307 degrees the product
// leaves the 64-bit range although the quotient would not; there the angle is quartered first
// and the result multiplied by four. Scaling by a power of two is exact, so this gives the same
// bits as a product held with an unbounded exponent would.
double DegreesToRadians(double degrees, Quantity quantity) {
  if (std::fabs(degrees) > 0x1p1000) {
    return Checked((degrees * 0.25) * kPi / 180.0 * 4.0, quantity);
  }
  return Checked(degrees * kPi / 180.0, quantity);
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

// Runs one part of the evaluation; a failure is traced to the step that was running.
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

// Z = Z0 (1 + G) / (1 - G), as a quotient of moduli and a difference of angles.
ComplexValue ImpedanceFor(const ComplexValue& g, double z0, Quantity q, Trace& trace) {
  // The losses ended on a check, so no flag of theirs is set here: whatever the caller did in
  // between (converting Z0) is no failure of the impedance. Testing is cheaper than clearing.
  if (platform::RaisedFpFlags() != 0) platform::ClearFpFlags();
  const double r0 = Settle(z0);
  const double gr = Settle(g.Real);
  const double gi = Settle(g.Imag);
  trace.at(EvaluationStep::kImpedanceNumerator, r0, gr, gi);
  const double s = Checked(gr + 1.0, q);
  ComplexValue n;
  n.Real = Checked(r0 * s, q);
  n.Imag = Checked(r0 * gi, q);
  n = RectToPolar(n, q);

  trace.at(EvaluationStep::kImpedanceDenominator, gr, gi);
  ComplexValue d;
  d.Real = Checked(1.0 - gr, q);
  d.Imag = Checked(-gi, q);
  d = RectToPolar(d, q);

  trace.at(EvaluationStep::kImpedanceQuotient, n.Magnitude, d.Real, d.Imag, r0);
  ComplexValue z;
  z.Magnitude = Checked(n.Magnitude / d.Magnitude, q);
  z.Angle = Checked(n.Angle - d.Angle, q);
  return PolarToRect(z, q);
}

Losses LossesOf(double magnitude1, double angle_deg1, double magnitude2, double angle_deg2,
                Trace& trace) {
  platform::ClearFpFlags();
  // The inputs pass a barrier after the flags are cleared, so no arithmetic on them can be
  // scheduled before the clearing.
  const double m1 = Settle(magnitude1);
  const double m2 = Settle(magnitude2);
  const double d1 = Settle(angle_deg1);
  const double d2 = Settle(angle_deg2);
  constexpr Quantity kM = Quantity::MismatchFactor;

  trace.at(EvaluationStep::kAngles, d1, d2);
  const double theta1 = DegreesToRadians(d1, kM);
  const double theta2 = DegreesToRadians(d2, kM);

  ComplexValue g1;
  g1.Magnitude = m1;
  g1.Angle = theta1;
  g1 = PolarToRect(g1, kM);
  ComplexValue g2;
  g2.Magnitude = m2;
  g2.Angle = theta2;
  g2 = PolarToRect(g2, kM);

  // A = (1 - |G1|^2)(1 - |G2|^2), from the entered magnitudes.
  trace.at(EvaluationStep::kNumerator, m1, m2);
  const double t = Checked(1.0 - m2 * m2, kM);
  const double a = Checked((1.0 - m1 * m1) * t, kM);

  // P = G1 G2 in polar form: signed magnitudes multiplied, angles added.
  trace.at(EvaluationStep::kProduct, m1, m2);
  ComplexValue p;
  p.Magnitude = Checked(m2 * m1, kM);
  p.Angle = Checked(theta2 + theta1, kM);
  p = PolarToRect(p, kM);

  // D = 1 - P in rectangular form.
  ComplexValue d;
  d.Real = Checked(1.0 - p.Real, kM);
  d.Imag = Checked(-p.Imag, kM);
  d = RectToPolar(d, kM);

  // M = A / |D|^2. A zero divisor is a division by zero, also when A is zero too.
  const double divisor = Settle(d.Magnitude * d.Magnitude);
  trace.at(EvaluationStep::kQuotient, a, d.Real, d.Imag, divisor);
  if (divisor == 0.0) {
    platform::RaiseComputationError(platform::ErrorKind::DivisionByZero, kM);
  }
  Losses result;
  result.Reflection1 = g1;
  result.Reflection2 = g2;
  result.MismatchFactor = Checked(a / divisor, kM);
  const double m = result.MismatchFactor;

  // The factor -10 is applied after the logarithm, so M = 1 gives a negative zero. The logarithm
  // of zero is minus infinity: M = 0 gives an unbounded mismatch loss, M = 1 an unbounded return
  // loss.
  trace.at(EvaluationStep::kLogarithm, g1.Real, g1.Imag, g2.Real, g2.Imag);
  result.MismatchLossDb =
      Checked(SafeLog10(m, Quantity::MismatchLoss) * -10.0, Quantity::MismatchLoss);
  const double one_minus_m = Checked(1.0 - m, Quantity::ReturnLoss);
  result.ReturnLossDb =
      Checked(SafeLog10(one_minus_m, Quantity::ReturnLoss) * -10.0, Quantity::ReturnLoss);

  return result;
}

}  // namespace

Losses EvaluateLosses(double magnitude1, double angle_deg1, double magnitude2, double angle_deg2) {
  return Traced([&](Trace& trace) {
    return LossesOf(magnitude1, angle_deg1, magnitude2, angle_deg2, trace);
  });
}

ComplexValue EvaluateImpedance(const ComplexValue& reflection, double reference_impedance,
                               Quantity quantity) {
  return Traced(
      [&](Trace& trace) { return ImpedanceFor(reflection, reference_impedance, quantity, trace); });
}

}  // namespace calc
