#pragma once

#include <memory>
#include <type_traits>

#include "calc/complex_value.h"

namespace calc {

struct MismatchResult {
  double MismatchFactor = 0.0;  // M = (1 - |G1|^2)(1 - |G2|^2) / |1 - G1 G2|^2
  double MismatchLossDb = 0.0;  // -10 log10 M
  double ReturnLossDb = 0.0;    // -10 log10 (1 - M)
  ComplexValue Impedance1;      // Z0 (1 + G1) / (1 - G1)
  ComplexValue Impedance2;      // Z0 (1 + G2) / (1 - G2)
};

// The steps of the evaluation that a failure is traced to (platform::Error::step()), with the
// values each records (platform::Error::values()) to explain it.
enum class EvaluationStep : int {
  kNone = 0,
  kAngles = 1,                // degrees to radians: both angles in degrees
  kNumerator = 2,             // A = (1 - |G1|^2)(1 - |G2|^2): both magnitudes
  kProduct = 3,               // P = G1 G2 and D = 1 - P: both magnitudes
  kQuotient = 4,              // M = A / |D|^2: A, D.Real, D.Imag, |D|^2
  kLogarithm = 5,             // ML and RL: G1.Real, G1.Imag, G2.Real, G2.Imag
  kImpedanceNumerator = 6,    // N = Z0 (1 + G): Z0 (0 before it is known), G.Real, G.Imag
  kImpedanceDenominator = 7,  // Q = 1 - G: G.Real, G.Imag
  kImpedanceQuotient = 8,     // Z = N / Q: |N|, Q.Real, Q.Imag, Z0
};

namespace detail {
// The evaluation itself. `reference_impedance(context)` is the caller's conversion; it is only
// borrowed for the length of the call. It runs unchecked first and checked only when a flag was
// raised; `force_checked` runs the checked evaluation alone (to compare the two in tests).
MismatchResult EvaluateMismatch(double (*reference_impedance)(void* context), void* context,
                                double magnitude1, double angle_deg1, double magnitude2,
                                double angle_deg2, bool force_checked = false);
}  // namespace detail

// Computes the mismatch factor, both losses and both impedances from two reflection
// coefficients given as magnitude and angle in degrees. The order of the steps is fixed: it
// decides the rounding of every result and which failure is reported first. Raises
// platform::Error on the first failure; returns nothing partial.
//
// `reference_impedance` is a callable that yields Z0 when called without arguments (a lambda
// that converts the reference impedance text, or one that returns a number). The evaluation
// calls it exactly once, when the first impedance needs it, and lets its errors pass. It is
// taken by reference for the length of the call only, so a temporary callable is safe.
template <typename ReferenceImpedance>
requires std::is_invocable_r_v<double, ReferenceImpedance&> MismatchResult
EvaluateMismatch(ReferenceImpedance&& reference_impedance, double magnitude1, double angle_deg1,
                 double magnitude2, double angle_deg2) {
  using Callable = std::remove_reference_t<ReferenceImpedance>;
  return detail::EvaluateMismatch(
      [](void* context) -> double { return (*static_cast<Callable*>(context))(); },
      const_cast<void*>(static_cast<const void*>(std::addressof(reference_impedance))), magnitude1,
      angle_deg1, magnitude2, angle_deg2);
}

}  // namespace calc
