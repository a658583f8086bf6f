#include "calc/reference_impedance.h"

#include <cmath>
#include <complex>

namespace calc {

namespace {

// The standard library's complex numbers inside: their division and square root keep their
// precision for any impedance a file may state, where calc::Div's |b|² would overflow.
using C = std::complex<double>;

// The new waves at the real reference r in terms of the old ones at zr, at one port:
// a' = k(pa·a + qa·b), b' = k(qb·a + pb·b).
struct WaveChange {
  C pa, qa, qb, pb, k;
};

WaveChange ChangeOf(C zr, WaveDefinition definition, double r) {
  // V and I from the old waves, then a' = (V + r·I)/(2√r) and b' = (V − r·I)/(2√r).
  if (definition == WaveDefinition::kPower) {
    // V = (Zr*·a + Zr·b)/√(Re Zr), I = (a − b)/√(Re Zr).
    const C k = 1.0 / (2.0 * std::sqrt(r * zr.real()));
    return {std::conj(zr) + r, zr - r, std::conj(zr) - r, zr + r, k};
  }
  // Travelling waves: V = √Zr·(a + b), I = (a − b)/√Zr.
  C k = 1.0 / (2.0 * std::sqrt(zr * r));
  if (definition == WaveDefinition::kPseudo) {
    // The pseudo-waves are the travelling waves times c = √(Re Zr)·√Zr/|Zr|.
    k /= std::sqrt(zr.real()) * std::sqrt(zr) / std::abs(zr);
  }
  return {zr + r, zr - r, zr - r, zr + r, k};
}

C Of(Complex z) {
  return {z.re, z.im};
}

Complex From(C z) {
  return {z.real(), z.imag()};
}

}  // namespace

Complex ReflectionAgainst(Complex g, Complex zr, WaveDefinition definition, double r) {
  const WaveChange w = ChangeOf(Of(zr), definition, r);
  const C gamma = Of(g);
  return From((w.qb + w.pb * gamma) / (w.pa + w.qa * gamma));
}

TwoPortS TwoPortAgainst(const TwoPortS& s, Complex z1, Complex z2, WaveDefinition definition,
                        double r) {
  const WaveChange w1 = ChangeOf(Of(z1), definition, r), w2 = ChangeOf(Of(z2), definition, r);
  const C s11 = Of(s.s11), s12 = Of(s.s12), s21 = Of(s.s21), s22 = Of(s.s22);
  // N = Qb + Pb·S and D = Pa + Qa·S, row i with the coefficients of port i.
  const C n11 = w1.qb + w1.pb * s11, n12 = w1.pb * s12;
  const C n21 = w2.pb * s21, n22 = w2.qb + w2.pb * s22;
  const C d11 = w1.pa + w1.qa * s11, d12 = w1.qa * s12;
  const C d21 = w2.qa * s21, d22 = w2.pa + w2.qa * s22;
  const C det = d11 * d22 - d12 * d21;
  // M = N·D⁻¹, D⁻¹ = [d22 −d12; −d21 d11]/det.
  const C m11 = (n11 * d22 - n12 * d21) / det, m12 = (n12 * d11 - n11 * d12) / det;
  const C m21 = (n21 * d22 - n22 * d21) / det, m22 = (n22 * d11 - n21 * d12) / det;
  // S' = K·M·K⁻¹.
  const C k12 = w1.k / w2.k;
  return {From(m11), From(m21 / k12), From(m12 * k12), From(m22)};
}

}  // namespace calc
