#pragma once

// The arithmetic of the complex value's conversions and of the guarded logarithm, written once
// for two uses: checked (each step settled and followed by the floating-point check, the
// evaluation's definition) and unchecked (the same operations in the same order, for the fast
// path that tests the flags once at the end). Both give the same bits; only the checked one
// raises errors.

#include <cmath>
#include <limits>

#include "calc/complex_value.h"
#include "calc/log10.h"
#include "calc/quantity.h"
#include "platform/fp_check.h"

namespace calc::steps {

template <bool kChecked>
inline double Step(double x, Quantity quantity) {
  if constexpr (kChecked) {
    return calc::Checked(x, quantity);
  } else {
    static_cast<void>(quantity);
    return x;
  }
}

template <bool kChecked>
ComplexValue PolarToRect(const ComplexValue& z, Quantity quantity) {
  ComplexValue r = z;
  r.Real = Step<kChecked>(z.Magnitude * std::cos(z.Angle), quantity);
  r.Imag = Step<kChecked>(z.Magnitude * std::sin(z.Angle), quantity);
  return r;
}

template <bool kChecked>
ComplexValue RectToPolar(const ComplexValue& z, Quantity quantity) {
  ComplexValue r = z;
  const double re = z.Real;
  const double im = z.Imag;
  // Squares as x * x: the correctly rounded square, which keeps an exact M = 1 for conjugates.
  const double s = Step<kChecked>(re * re + im * im, quantity);
  r.Magnitude = std::sqrt(s);

  // The quadrant rule. Zero of either sign counts as zero, and as >= 0. No two-argument
  // arctangent: the negative real axis gives +pi, and -pi appears only when a tiny negative
  // imaginary part vanishes in the subtraction.
  if (re == 0.0) {
    if (im == 0.0) {
      r.Angle = 0.0;
    } else if (im > 0.0) {
      r.Angle = Step<kChecked>(kPi / 2.0, quantity);
    } else {
      r.Angle = Step<kChecked>(-kPi / 2.0, quantity);
    }
  } else if (re > 0.0) {
    if (im >= 0.0) {
      r.Angle = std::atan(Step<kChecked>(im / re, quantity));
    } else {
      const double t = std::atan(Step<kChecked>(std::fabs(im) / re, quantity));
      r.Angle = Step<kChecked>(t * -1.0, quantity);
    }
  } else {
    if (im >= 0.0) {
      const double t = std::atan(Step<kChecked>(im / std::fabs(re), quantity));
      r.Angle = Step<kChecked>(kPi - t, quantity);
    } else {
      const double t = std::atan(Step<kChecked>(std::fabs(im) / std::fabs(re), quantity));
      r.Angle = Step<kChecked>(t - kPi, quantity);
    }
  }
  return r;
}

// The unchecked logarithm sets `fallback` where the checked one raises an error of its own.
template <bool kChecked>
double SafeLog10(double x, Quantity quantity, bool& fallback) {
  // The logarithm of zero is minus infinity, answered without a division by zero: the losses of
  // no power delivered (M = 0) and of a perfect match (M = 1) are unbounded.
  if (x == 0.0) return -std::numeric_limits<double>::infinity();
  if (x < 0.0) {
    if constexpr (kChecked) {
      RaiseComputationError(platform::ErrorKind::LogarithmArgument, quantity);
    } else {
      fallback = true;
      return 0.0;
    }
  }
  return Step<kChecked>(Log10(x), quantity);
}

}  // namespace calc::steps
