#pragma once

#include <optional>

#include "calc/reflection.h"

namespace calc {

// What a Smith chart of one calculation shows, in the plane of the reflection coefficient (the
// chart's unit circle is |Γ| = 1).
struct Circle {
  Complex centre;
  double radius = 0.0;
};

struct SmithGeometry {
  Complex source;              // ΓS
  Complex load;                // ΓL
  Complex conjugate;           // ΓS*: the load that takes all the available power
  double source_radius = 0.0;  // |ΓS|
  double load_radius = 0.0;    // |ΓL|
  // The loads with the same mismatch factor as ΓL against ΓS. None when a port is active or
  // totally reflecting (|Γ| ≥ 1), or the values leave the 64-bit range.
  std::optional<Circle> same_loss;
};

// From the entered magnitudes and angles (degrees). Never raises.
SmithGeometry ComputeSmithGeometry(double magnitude1, double angle1_deg, double magnitude2,
                                   double angle2_deg) noexcept;

}  // namespace calc
