#pragma once

#include <limits>

namespace calc {

// The results of one calculation as quantities, before any text is made of them. Every quantity
// (the eight results and the further figures of calc/figures.h) is a Figure: a finite number,
// an infinite value with its sign, or no value at all, each with the reason why it has no finite
// value. Every output (the window's boxes, the labelled lines, the spoken results, JSON, CSV,
// the plot) is rendered from these by the one formatter, calc/result_format.h.

// Why a quantity has no finite value.
enum class Reason : unsigned char {
  kNone,  // it has one
  // Infinite:
  kNoPowerReachesLoad,     // M = 0: the mismatch loss
  kPerfectMatch,           // M = 1: the junction's return loss
  kTotalReflection,        // |Γ| ≥ 1: a port's VSWR
  kNoReflection,           // |Γ| = 0: a port's return loss
  kTotalReflectionAtPort,  // one magnitude exactly 1: the mismatch loss at any phase
  // Not defined:
  kProductNotBelowOne,  // |ΓS||ΓL| ≥ 1: the range and the uncertainty
  kActivePassivePair,   // one port active, the other passive: the range
  kNotComputable,       // a step of the figure itself failed (a value beyond the 64-bit range)
};

// One quantity.
struct Figure {
  enum Kind { kNumber, kInfinite, kNotDefined };
  Kind kind = kNotDefined;
  double value = 0.0;  // kNumber: the value, always finite; kInfinite: +inf or -inf
  Reason reason = Reason::kNotComputable;  // kNone for kNumber

  static Figure Number(double value) noexcept { return {kNumber, value, Reason::kNone}; }
  static Figure Infinite(Reason why, bool negative = false) noexcept {
    return {kInfinite, negative ? -kInfinity : kInfinity, why};
  }
  static Figure NotDefined(Reason why = Reason::kNotComputable) noexcept {
    return {kNotDefined, 0.0, why};
  }
  bool negative() const noexcept { return value < 0.0; }

 private:
  static constexpr double kInfinity = std::numeric_limits<double>::infinity();
};

// An impedance in the unit of the reference impedance: resistance and signed reactance.
struct Impedance {
  Figure resistance;
  Figure reactance;  // its sign is that of the unrounded value; a zero of either sign is >= 0
};

// The eight results of the window as quantities.
struct Results {
  Figure mismatch_factor;   // M
  Figure mismatch_loss_db;  // ML, infinite when no power reaches the load (M = 0)
  Figure return_loss_db;    // RL, infinite for a perfect match (a mismatch loss of zero)
  Impedance source_impedance;
  Impedance load_impedance;
};

struct MismatchResult;

// The quantities of an evaluation (calc/mismatch.h).
Results ResultsOf(const MismatchResult& evaluation) noexcept;

}  // namespace calc
