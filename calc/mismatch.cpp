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

// Z = Z0 (1 + G) / (1 - G), as a quotient of moduli and a difference of angles.
ComplexValue Impedance(const ComplexValue& g, DeferredImpedance& z0, Quantity q) {
  const double s = Checked(g.Real + 1.0, q);
  const double r0 = z0.get();
  ComplexValue n;
  n.Real = Checked(r0 * s, q);
  n.Imag = Checked(r0 * g.Imag, q);
  n = RectToPolar(n, q);

  ComplexValue d;
  d.Real = Checked(1.0 - g.Real, q);
  d.Imag = Checked(-g.Imag, q);
  d = RectToPolar(d, q);

  ComplexValue z;
  z.Magnitude = Checked(n.Magnitude / d.Magnitude, q);
  z.Angle = Checked(n.Angle - d.Angle, q);
  return PolarToRect(z, q);
}

}  // namespace

MismatchResult detail::EvaluateMismatch(double (*reference_impedance)(void*), void* context,
                                        double magnitude1, double angle_deg1, double magnitude2,
                                        double angle_deg2) {
  platform::ClearFpFlags();
  // The inputs pass a barrier after the flags are cleared, so no arithmetic on them can be
  // scheduled before the clearing.
  const double m1 = Settle(magnitude1);
  const double m2 = Settle(magnitude2);
  const double d1 = Settle(angle_deg1);
  const double d2 = Settle(angle_deg2);
  constexpr Quantity kM = Quantity::MismatchFactor;

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
  const double t = Checked(1.0 - m2 * m2, kM);
  const double a = Checked((1.0 - m1 * m1) * t, kM);

  // P = G1 G2 in polar form: signed magnitudes multiplied, angles added.
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
  if (divisor == 0.0) {
    platform::RaiseComputationError(platform::ErrorKind::DivisionByZero, kM);
  }
  MismatchResult result;
  result.MismatchFactor = Checked(a / divisor, kM);
  const double m = result.MismatchFactor;

  // The factor -10 is applied after the logarithm, so M = 1 gives a negative zero.
  result.MismatchLossDb =
      Checked(SafeLog10(m, Quantity::MismatchLoss) * -10.0, Quantity::MismatchLoss);
  const double one_minus_m = Checked(1.0 - m, Quantity::ReturnLoss);
  result.ReturnLossDb =
      Checked(SafeLog10(one_minus_m, Quantity::ReturnLoss) * -10.0, Quantity::ReturnLoss);

  DeferredImpedance z0(reference_impedance, context);
  result.Impedance1 = Impedance(g1, z0, Quantity::SourceImpedance);
  result.Impedance2 = Impedance(g2, z0, Quantity::LoadImpedance);
  return result;
}

}  // namespace calc
