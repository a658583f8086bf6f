#include "calc/reflection.h"

#include <cmath>

namespace calc {

TwoPortS RenormaliseTwoPort(const TwoPortS& s, double r1, double r2, double r) {
  const double rho1 = (r - r1) / (r + r1), rho2 = (r - r2) / (r + r2);
  // A = S − ρ and B = I − ρS; S' = K A B⁻¹ K⁻¹.
  const Complex a11{s.s11.re - rho1, s.s11.im}, a22{s.s22.re - rho2, s.s22.im};
  const Complex b11{1.0 - rho1 * s.s11.re, -rho1 * s.s11.im};
  const Complex b12 = Scale(-rho1, s.s12), b21 = Scale(-rho2, s.s21);
  const Complex b22{1.0 - rho2 * s.s22.re, -rho2 * s.s22.im};
  const Complex det = Sub(Mul(b11, b22), Mul(b12, b21));
  const double dd = Norm(det);
  const Complex inv_det{det.re / dd, -det.im / dd};
  // B⁻¹ = [b22 −b12; −b21 b11] / det.
  const Complex i11 = Mul(b22, inv_det), i12 = Mul(Scale(-1.0, b12), inv_det);
  const Complex i21 = Mul(Scale(-1.0, b21), inv_det), i22 = Mul(b11, inv_det);
  const Complex m11 = Add(Mul(a11, i11), Mul(s.s12, i21));
  const Complex m12 = Add(Mul(a11, i12), Mul(s.s12, i22));
  const Complex m21 = Add(Mul(s.s21, i11), Mul(a22, i21));
  const Complex m22 = Add(Mul(s.s21, i12), Mul(a22, i22));
  // K1/K2; the √r of both cancels.
  const double k12 = (r1 + r) / (r2 + r) * std::sqrt(r2 / r1);
  return {m11, Scale(1.0 / k12, m21), Scale(k12, m12), m22};
}

TwoPortS Lerp(const TwoPortS& a, const TwoPortS& b, double t) {
  return {Lerp(a.s11, b.s11, t), Lerp(a.s21, b.s21, t), Lerp(a.s12, b.s12, t),
          Lerp(a.s22, b.s22, t)};
}

}  // namespace calc
