#include "calc/smith_geometry.h"

#include <cmath>

namespace calc {

SmithGeometry ComputeSmithGeometry(double magnitude1, double angle1_deg, double magnitude2,
                                   double angle2_deg) noexcept {
  SmithGeometry g;
  g.source = FromPolar(magnitude1, angle1_deg);
  g.load = FromPolar(magnitude2, angle2_deg);
  g.conjugate = Conj(g.source);
  g.source_radius = std::fabs(magnitude1);
  g.load_radius = std::fabs(magnitude2);
  if (!(g.source_radius < 1.0 && g.load_radius < 1.0) || !Finite(g.source) || !Finite(g.load)) {
    return g;
  }
  // The mismatch factor is M = 1 − |(ΓL − ΓS*) / (1 − ΓS·ΓL)|², so the loads of the same M are
  // those of the same |(Γ − ΓS*) / (1 − ΓS·Γ)| = ρ: a circle round a point between ΓS* and 0.
  const double rho =
      Magnitude(Div(Sub(g.load, g.conjugate), Sub(Complex{1.0, 0.0}, Mul(g.source, g.load))));
  const double s2 = g.source_radius * g.source_radius;
  const double denominator = 1.0 - rho * rho * s2;
  if (!std::isfinite(rho) || !(denominator > 0.0)) return g;
  Circle circle{Scale((1.0 - rho * rho) / denominator, g.conjugate),
                rho * (1.0 - s2) / denominator};
  if (Finite(circle.centre) && std::isfinite(circle.radius)) g.same_loss = circle;
  return g;
}

}  // namespace calc
