#include "calc/complex_value.h"

#include <cmath>
#include <limits>

#include "platform/fp_check.h"

namespace calc {

using platform::Checked;
using platform::Quantity;

ComplexValue PolarToRect(const ComplexValue& z) {
  return PolarToRect(z, Quantity::None);
}
ComplexValue RectToPolar(const ComplexValue& z) {
  return RectToPolar(z, Quantity::None);
}
double SafeLog10(double x) {
  return SafeLog10(x, Quantity::None);
}

ComplexValue PolarToRect(const ComplexValue& z, Quantity quantity) {
  ComplexValue r = z;
  r.Real = Checked(z.Magnitude * std::cos(z.Angle), quantity);
  r.Imag = Checked(z.Magnitude * std::sin(z.Angle), quantity);
  return r;
}

ComplexValue RectToPolar(const ComplexValue& z, Quantity quantity) {
  ComplexValue r = z;
  const double re = z.Real;
  const double im = z.Imag;
  // Squares as x * x: the correctly rounded square, which keeps an exact M = 1 for conjugates.
  const double s = Checked(re * re + im * im, quantity);
  r.Magnitude = std::sqrt(s);

  // The quadrant rule. Zero of either sign counts as zero, and as >= 0. No two-argument
  // arctangent: the negative real axis gives +pi, and -pi appears only when a tiny negative
  // imaginary part vanishes in the subtraction.
  if (re == 0.0) {
    if (im == 0.0) {
      r.Angle = 0.0;
    } else if (im > 0.0) {
      r.Angle = Checked(kPi / 2.0, quantity);
    } else {
      r.Angle = Checked(-kPi / 2.0, quantity);
    }
  } else if (re > 0.0) {
    if (im >= 0.0) {
      r.Angle = std::atan(Checked(im / re, quantity));
    } else {
      const double t = std::atan(Checked(std::fabs(im) / re, quantity));
      r.Angle = Checked(t * -1.0, quantity);
    }
  } else {
    if (im >= 0.0) {
      const double t = std::atan(Checked(im / std::fabs(re), quantity));
      r.Angle = Checked(kPi - t, quantity);
    } else {
      const double t = std::atan(Checked(std::fabs(im) / std::fabs(re), quantity));
      r.Angle = Checked(t - kPi, quantity);
    }
  }
  return r;
}

double SafeLog10(double x, Quantity quantity) {
  // The logarithm of zero is minus infinity, answered without a division by zero: the losses of
  // no power delivered (M = 0) and of a perfect match (M = 1) are unbounded.
  if (x == 0.0) return -std::numeric_limits<double>::infinity();
  if (x < 0.0) platform::RaiseComputationError(platform::ErrorKind::LogarithmArgument, quantity);
  // ln(10) is taken at run time like ln(x), by the same library, so that every build type
  // gets the same bits. The quotient is deliberately not std::log10: it differs in the last
  // place for some arguments (1000 gives 2.9999999999999996).
  const double ln10 = std::log(platform::Opaque(10.0));
  const double lnx = std::log(x);
  return Checked(lnx / ln10, quantity);
}

}  // namespace calc
