#pragma once

#include "calc/results.h"

namespace calc {

// Figures that go with the eight results: what each port reflects on its own, and what the
// junction can do when the phase between source and load is not known (a cable length, a
// frequency). They are computed with the checked arithmetic of the evaluation, but a failure
// inside never becomes an error: the figure is then infinite or not defined, and the eight
// results and their messages are never affected. Each figure is a Figure (calc/results.h).

// One port on its own, from the magnitude of its reflection coefficient. A negative magnitude
// counts as its absolute value (it is the same reflection turned by half a turn).
struct PortFigures {
  double magnitude = 0.0;      // |Γ|
  Figure vswr;                 // (1 + |Γ|) / (1 − |Γ|); infinite for |Γ| ≥ 1
  Figure return_loss_db;       // −20·log10 |Γ|; infinite for |Γ| = 0, negative for |Γ| > 1
  Figure reflected_power_pct;  // 100·|Γ|²
};

// The junction of the two ports.
//
// The range holds the mismatch loss for the same magnitudes at every phase:
// ML = −10·log10[(1 − |ΓS|²)(1 − |ΓL|²) / (1 ∓ |ΓS||ΓL|)²]. It is not defined when
// |ΓS||ΓL| ≥ 1, nor when one port is active and the other passive (the mismatch factor is then
// negative at every phase); it is infinite when one magnitude is exactly 1 and the product is
// below 1 (total reflection: no power reaches the load at any phase).
//
// The mismatch uncertainty is the spread of the delivered power about the matched value,
// 20·log10(1 ± |ΓS||ΓL|) in dB and (1 ± |ΓS||ΓL|)² − 1 in %. It is not defined when
// |ΓS||ΓL| ≥ 1.
//
// With the phase unknown, the mismatch term is U-shaped: the relative half-width 2|ΓS||ΓL|
// divided by √2 gives the standard uncertainty u = √2·|ΓS||ΓL|, in % and in dB as 10·log10(e)·u,
// and the expanded uncertainty U = 2u (k = 2). They are not defined where the range is not
// (|ΓS||ΓL| ≥ 1, or one port active and the other passive).
struct MismatchFigures {
  double product = 0.0;  // |ΓS||ΓL| (infinite when the product leaves the 64-bit range)
  Figure delivered_pct;  // 100·M: the share of the available power that reaches the load
  Figure loss_min_db;    // ML at the most favourable phase
  Figure loss_max_db;    // ML at the least favourable phase
  Figure uncertainty_low_db, uncertainty_high_db;  // 20·log10(1 − p), 20·log10(1 + p)
  Figure uncertainty_low_pct, uncertainty_high_pct;  // 100·((1 − p)² − 1), 100·((1 + p)² − 1)
  Figure standard_uncertainty_pct, standard_uncertainty_db;  // 100·u, 10·log10(e)·u
  Figure expanded_uncertainty_pct, expanded_uncertainty_db;  // the same for U = 2u
};

struct Figures {
  PortFigures source;
  PortFigures load;
  MismatchFigures mismatch;
};

// The figures of one port. Never raises.
PortFigures ComputePortFigures(double magnitude) noexcept;

// Which figures of the junction to compute: all of them, those of the sweep's table (the range and
// the standard and expanded uncertainties), or the range alone. The others are left as they are
// made (Figure{}). The figures computed are the same bits in every set.
enum class MismatchFigureSet { kAll, kTable, kRange };

// The figures of the junction; `mismatch_factor` is M of the evaluation (MismatchResult). Never
// raises.
MismatchFigures ComputeMismatchFigures(double magnitude1, double magnitude2, double mismatch_factor,
                                       MismatchFigureSet set = MismatchFigureSet::kAll) noexcept;

// All of them, from the entered magnitudes and M of the evaluation. Never raises.
Figures ComputeFigures(double magnitude1, double magnitude2, double mismatch_factor) noexcept;

}  // namespace calc
