#pragma once

#include <type_traits>

#include "calc/complex_value.h"
#include "calc/quantity.h"

namespace calc {

struct MismatchResult {
  double MismatchFactor = 0.0;  // M = (1 - |G1|^2)(1 - |G2|^2) / |1 - G1 G2|^2
  double MismatchLossDb = 0.0;  // -10 log10 M; +inf for M = 0
  double ReturnLossDb = 0.0;    // -10 log10 (1 - M); +inf for M = 1
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
  kImpedanceNumerator = 6,    // N = Z0 (1 + G): Z0, G.Real, G.Imag
  kImpedanceDenominator = 7,  // Q = 1 - G: G.Real, G.Imag
  kImpedanceQuotient = 8,     // Z = N / Q: |N|, Q.Real, Q.Imag, Z0
};

// How the evaluation is checked. Fast runs each part (the losses, an impedance) unchecked, tests
// the floating-point flags once at its end, and repeats the part with every step checked when a
// flag was raised or a step would fail; EveryStep checks every step at once. Both give the same
// bits and the same errors: Fast only saves the flag tests of a part that succeeds.
enum class Checking { kFast, kEveryStep };

// The first half of the evaluation: the mismatch factor and both losses, with the two reflection
// coefficients in both forms for the impedances.
struct Losses {
  double MismatchFactor = 0.0;
  double MismatchLossDb = 0.0;  // +inf when M = 0: no power reaches the load
  double ReturnLossDb = 0.0;    // +inf when M = 1: a perfect match
  ComplexValue Reflection1;
  ComplexValue Reflection2;
};

// Computes M, ML and RL from two reflection coefficients given as magnitude and angle in
// degrees. Raises platform::Error on the first failure.
Losses EvaluateLosses(double magnitude1, double angle_deg1, double magnitude2, double angle_deg2,
                      Checking checking = Checking::kFast);

// Z0 (1 + G) / (1 - G) for one reflection coefficient of EvaluateLosses, naming `quantity` in
// the error it raises.
ComplexValue EvaluateImpedance(const ComplexValue& reflection, double reference_impedance,
                               Quantity quantity, Checking checking = Checking::kFast);

// The whole evaluation: the losses first, then Z0 from `reference_impedance`, then both
// impedances. The order of the steps is fixed: it decides the rounding of every result and which
// failure is reported first, so a failure of the losses is reported before one of Z0.
// Raises platform::Error on the first failure; returns nothing partial.
//
// `reference_impedance` is a callable that yields Z0 when called without arguments (a lambda
// that converts the reference impedance text, or one that returns a number). It is called once,
// after the losses, and its errors pass unchanged.
template <typename ReferenceImpedance>
requires std::is_invocable_r_v<double, ReferenceImpedance&> MismatchResult
EvaluateMismatch(ReferenceImpedance&& reference_impedance, double magnitude1, double angle_deg1,
                 double magnitude2, double angle_deg2, Checking checking = Checking::kFast) {
  const Losses losses = EvaluateLosses(magnitude1, angle_deg1, magnitude2, angle_deg2, checking);
  const double z0 = reference_impedance();
  MismatchResult result;
  result.MismatchFactor = losses.MismatchFactor;
  result.MismatchLossDb = losses.MismatchLossDb;
  result.ReturnLossDb = losses.ReturnLossDb;
  result.Impedance1 =
      EvaluateImpedance(losses.Reflection1, z0, Quantity::SourceImpedance, checking);
  result.Impedance2 = EvaluateImpedance(losses.Reflection2, z0, Quantity::LoadImpedance, checking);
  return result;
}

}  // namespace calc
