#pragma once

#include <type_traits>
#include <utility>

#include "calc/complex_value.h"

namespace calc {

struct MismatchResult {
  double MismatchFactor = 0.0;  // M = (1 - |G1|^2)(1 - |G2|^2) / |1 - G1 G2|^2
  double MismatchLossDb = 0.0;  // -10 log10 M
  double ReturnLossDb = 0.0;    // -10 log10 (1 - M)
  ComplexValue Impedance1;      // Z0 (1 + G1) / (1 - G1)
  ComplexValue Impedance2;      // Z0 (1 + G2) / (1 - G2)
};

// A non-owning reference to a callable that yields the reference impedance. The evaluation
// calls it exactly once, when the first impedance needs it, and lets its errors pass.
class ReferenceImpedance {
 public:
  template <typename F,
            typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, ReferenceImpedance>>>
  ReferenceImpedance(F&& f) noexcept  // NOLINT(google-explicit-constructor)
      : object_(const_cast<void*>(static_cast<const void*>(&f))),
        call_([](void* o) -> double { return (*static_cast<std::remove_reference_t<F>*>(o))(); }) {}

  double operator()() const { return call_(object_); }

 private:
  void* object_;
  double (*call_)(void*);
};

// Computes the mismatch factor, both losses and both impedances from two reflection
// coefficients given as magnitude and angle in degrees. The order of the steps is fixed: it
// decides the rounding of every result and which failure is reported first. Raises
// platform::Error on the first failure; returns nothing partial.
MismatchResult EvaluateMismatch(ReferenceImpedance reference_impedance, double magnitude1,
                                double angle_deg1, double magnitude2, double angle_deg2);

}  // namespace calc
