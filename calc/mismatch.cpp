#include "calc/mismatch.h"

#include <cfenv>
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

// The reference impedance is converted once, on first use.
class DeferredImpedance {
 public:
  DeferredImpedance(double (*convert)(void*), void* context)
      : convert_(convert), context_(context) {}

  double get() {
    if (!known_) {
      // The conversion is not part of the checked arithmetic: whatever it does to the
      // floating-point flags is undone, and its own errors pass through unchanged.
      std::fexcept_t saved;
      std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
      value_ = convert_(context_);
      std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
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

// Z = Z0 (1 + G) / (1 - G), as a quotient of moduli and a difference of angles.
ComplexValue Impedance(const ComplexValue& g, DeferredImpedance& z0, Quantity q, Trace& trace) {
  trace.at(EvaluationStep::kImpedanceNumerator, 0.0, g.Real, g.Imag);
  const double s = Checked(g.Real + 1.0, q);
  // The conversion's own errors are not the evaluation's: they pass without a step.
  trace.step = EvaluationStep::kNone;
  const double r0 = z0.get();
  trace.at(EvaluationStep::kImpedanceNumerator, r0, g.Real, g.Imag);
  ComplexValue n;
  n.Real = Checked(r0 * s, q);
  n.Imag = Checked(r0 * g.Imag, q);
  n = RectToPolar(n, q);

  trace.at(EvaluationStep::kImpedanceDenominator, g.Real, g.Imag);
  ComplexValue d;
  d.Real = Checked(1.0 - g.Real, q);
  d.Imag = Checked(-g.Imag, q);
  d = RectToPolar(d, q);

  trace.at(EvaluationStep::kImpedanceQuotient, n.Magnitude, d.Real, d.Imag, r0);
  ComplexValue z;
  z.Magnitude = Checked(n.Magnitude / d.Magnitude, q);
  z.Angle = Checked(n.Angle - d.Angle, q);
  return PolarToRect(z, q);
}

MismatchResult Evaluate(DeferredImpedance& z0, double magnitude1, double angle_deg1,
                        double magnitude2, double angle_deg2, Trace& trace) {
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
  MismatchResult result;
  result.MismatchFactor = Checked(a / divisor, kM);
  const double m = result.MismatchFactor;

  // The factor -10 is applied after the logarithm, so M = 1 gives a negative zero.
  trace.at(EvaluationStep::kLogarithm, g1.Real, g1.Imag, g2.Real, g2.Imag);
  result.MismatchLossDb =
      Checked(SafeLog10(m, Quantity::MismatchLoss) * -10.0, Quantity::MismatchLoss);
  const double one_minus_m = Checked(1.0 - m, Quantity::ReturnLoss);
  result.ReturnLossDb =
      Checked(SafeLog10(one_minus_m, Quantity::ReturnLoss) * -10.0, Quantity::ReturnLoss);

  result.Impedance1 = Impedance(g1, z0, Quantity::SourceImpedance, trace);
  result.Impedance2 = Impedance(g2, z0, Quantity::LoadImpedance, trace);
  return result;
}

}  // namespace

MismatchResult detail::EvaluateMismatch(double (*reference_impedance)(void*), void* context,
                                        double magnitude1, double angle_deg1, double magnitude2,
                                        double angle_deg2) {
  DeferredImpedance z0(reference_impedance, context);
  Trace trace;
  try {
    return Evaluate(z0, magnitude1, angle_deg1, magnitude2, angle_deg2, trace);
  } catch (platform::Error& error) {
    if (trace.step != EvaluationStep::kNone) {
      error.set_step(static_cast<int>(trace.step), trace.values);
    }
    throw;
  }
}

}  // namespace calc
