#pragma once

// The arithmetic of reflection coefficients outside the window's evaluation: one complex value
// and its conversions (degrees and radians with the program's pi, polar and rectangular, Γ and
// impedance, renormalisation, interpolation), and the S-parameters of a two-port. The window's
// evaluation keeps its own record (calc/complex_value.h) and checked steps, whose order decides
// its bits; its conversion of degrees is the one written here.

#include <cmath>

#include "calc/complex_value.h"

namespace calc {

struct Complex {
  double re = 0.0, im = 0.0;
};

inline Complex Add(Complex a, Complex b) {
  return {a.re + b.re, a.im + b.im};
}
inline Complex Sub(Complex a, Complex b) {
  return {a.re - b.re, a.im - b.im};
}
inline Complex Mul(Complex a, Complex b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
inline Complex Scale(double k, Complex a) {
  return {k * a.re, k * a.im};
}
// |a|², as the sum of the squares.
inline double Norm(Complex a) {
  return a.re * a.re + a.im * a.im;
}
// a / b as a·conj(b)/|b|².
inline Complex Div(Complex a, Complex b) {
  const double bb = Norm(b);
  return {(a.re * b.re + a.im * b.im) / bb, (a.im * b.re - a.re * b.im) / bb};
}

// degrees · pi / 180, the product first, with the program's pi. Beyond about 5.7e307 degrees the
// product would leave the 64-bit range although the quotient does not; there the angle is
// quartered first and the result multiplied by four, which is exact.
inline double Radians(double degrees) {
  if (std::fabs(degrees) > 0x1p1000) return (degrees * 0.25) * kPi / 180.0 * 4.0;
  return degrees * kPi / 180.0;
}

// The angle of g in degrees, in (-180, 180], with the program's pi, so that Radians turns it back
// into the same direction. Beyond ±180 only by rounding: the negative real axis gives 180.
inline double AngleDegrees(Complex g) {
  const double degrees = std::atan2(g.im, g.re) * 180.0 / kPi;
  return degrees > 180.0 || degrees <= -180.0 ? 180.0 : degrees;
}

inline double Magnitude(Complex g) {
  return std::hypot(g.re, g.im);
}

inline Complex Conj(Complex a) {
  return {a.re, -a.im};
}

inline bool Finite(Complex a) {
  return std::isfinite(a.re) && std::isfinite(a.im);
}

// The value of magnitude and angle in degrees.
inline Complex FromPolar(double magnitude, double angle_deg) {
  const double radians = Radians(angle_deg);
  return {magnitude * std::cos(radians), magnitude * std::sin(radians)};
}

// A reflection coefficient in both forms, the angle in degrees.
struct Reflection {
  double re = 0.0, im = 0.0;
  double magnitude = 0.0, angle_deg = 0.0;

  Complex value() const { return {re, im}; }
  // From the rectangular form: the magnitude and the angle in (-180, 180] derived.
  static Reflection Of(Complex g) { return {g.re, g.im, Magnitude(g), AngleDegrees(g)}; }
  // From the polar form as given: the rectangular form derived.
  static Reflection Polar(double magnitude, double angle_deg) {
    const Complex g = FromPolar(magnitude, angle_deg);
    return {g.re, g.im, magnitude, angle_deg};
  }
};

// a + t (b − a), part by part.
inline Complex Lerp(Complex a, Complex b, double t) {
  return {a.re + t * (b.re - a.re), a.im + t * (b.im - a.im)};
}

// The impedance z0 (1 + Γ)/(1 − Γ), and the reflection coefficient (Z − z0)/(Z + z0).
inline Complex ImpedanceOf(Complex g, double z0) {
  return Scale(z0, Div(Complex{1.0 + g.re, g.im}, Complex{1.0 - g.re, -g.im}));
}
inline Complex ReflectionOf(Complex z, double z0) {
  return Div(Complex{z.re - z0, z.im}, Complex{z.re + z0, z.im});
}

// Γ against r_from brought to r_to through its impedance Z = r_from (1 + Γ)/(1 − Γ):
// Γ' = (r_from (1 + Γ) − r_to (1 − Γ)) / (r_from (1 + Γ) + r_to (1 − Γ)), which keeps Γ = 1.
inline Complex Renormalise(Complex g, double r_from, double r_to) {
  const Complex a{r_from * (1.0 + g.re), r_from * g.im};
  const Complex b{r_to * (1.0 - g.re), -r_to * g.im};
  return Div(Sub(a, b), Add(a, b));
}

// The S-parameters of a two-port, port 1 facing the source and port 2 the load.
struct TwoPortS {
  Complex s11, s21, s12, s22;
};

// The S-parameters of a two-port against r1 at port 1 and r2 at port 2, renormalised to r at
// both ports (power waves; the references are positive): S' = K(S − ρ)(I − ρS)⁻¹K⁻¹ with
// ρi = (r − ri)/(r + ri) and Ki = (ri + r)/(2·√(ri·r)).
TwoPortS RenormaliseTwoPort(const TwoPortS& s, double r1, double r2, double r);

// a + t (b − a) for each of the four.
TwoPortS Lerp(const TwoPortS& a, const TwoPortS& b, double t);

}  // namespace calc
