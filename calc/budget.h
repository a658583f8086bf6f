#pragma once

#include <string>
#include <vector>

#include "calc/figures.h"
#include "calc/monte_carlo.h"
#include "calc/results.h"

namespace calc {

// The mismatch budget of a power measurement whose phases are unknown: a source, a load and
// perhaps a two-port between them, each known by its magnitudes only.
//
// The delivered power, relative to the same chain without reflections, is
// X = 1/|(1 − a)(1 − b) − c|², where a = ΓS·S11, b = S22·ΓL and c = ΓS·S21·S12·ΓL (c = ΓS·ΓL
// without a two-port) turn at independent unknown phases (Harris and Warner, IEE Proc. H,
// 1981). To first order each product p is a term 2p·cos φ: U-shaped, half-width 2p, standard
// uncertainty √2·p. A magnitude known only by a data-sheet limit is Rayleigh-distributed with
// the limit at its 95 % point, σ = limit/√(2 ln 20) (Dobbert and Gorin, NCSLI 2011); its term
// then has the standard uncertainty √2 × (the root mean square of the product), with
// √(E|Γ|²) = √2·σ for that factor. The terms are combined by root sum of squares and expanded
// with k = 2 (GUM); the exact worst case and a Monte Carlo of X (GUM Supplement 1) go beside.

// One magnitude: |Γ| or |S|, or its data-sheet limit.
struct BudgetMagnitude {
  double value = 0.0;
  bool limit = false;
};

struct BudgetInputs {
  BudgetMagnitude source, load;
  bool through = false;  // a two-port between them, S11 S21 S12 S22 below
  BudgetMagnitude s11, s21, s12, s22;
};

// One line of the table of contributions.
struct BudgetTerm {
  std::string name;    // "|ΓS||S11|", "|S22||ΓL|", "|ΓS||S21||S12||ΓL|", "|ΓS||ΓL|"
  double product = 0;  // of the magnitudes, limits as given
  double limit = 0;    // 2·product: the half-width of the relative term (limits as given)
  int limits = 0;      // how many of its factors are data-sheet limits (Rayleigh)
  double divisor = 0;  // limit / u: √2 for a U-shaped term, √2·(√(ln 20))^limits otherwise
  double u = 0;        // standard uncertainty, relative
  double share = 0;    // u² over the sum of the u² of all terms; 0 when all are 0
};

struct Budget {
  std::vector<BudgetTerm> terms;
  double combined = 0;  // u_c, relative: the root sum of squares of the terms' u
  double expanded = 0;  // U = 2·u_c
  // 10·log10 of 1/((1 + a)(1 + b) + c)² and of 1/((1 − a)(1 − b) − c)², the limits as given;
  // the upper one is infinite when (1 − a)(1 − b) ≤ c.
  Figure worst_low_db, worst_high_db;
  MonteCarloResult monte_carlo;
};

// The relative standard uncertainty u in dB, as the window gives it: 10·log10(e)·u.
double RelativeToDecibels(double u) noexcept;

// σ of the Rayleigh distribution whose 95 % point is `limit`.
double RayleighSigma(double limit) noexcept;

// The budget, with `draws` Monte Carlo draws from `seed`. Magnitudes are taken as their absolute
// values; the caller keeps reflections below 1.
Budget ComputeBudget(const BudgetInputs& inputs, std::uint64_t draws = kDefaultDraws,
                     std::uint64_t seed = kDefaultSeed);

// Where expanding with k = 2 claims more than the chain can do: ±U in dB passes a worst-case
// limit, or 2U in dB is wider than the Monte Carlo interval.
struct Overstatement {
  bool worst_case = false;
  bool monte_carlo = false;
};
Overstatement OverstatementOf(const Budget& budget) noexcept;

// The 95 % Monte Carlo coverage interval of the delivered power of one source–load pair whose
// phase is unknown, 1/|1 − ΓS·ΓL|² in dB (PairCoverageInterval of |ΓS||ΓL|). Not defined, for
// the same reason, where the pair's standard uncertainty is not. Costs two logarithms, after the
// draws made once per process.
struct CoverageInterval {
  Figure low_db, high_db;
};
CoverageInterval PairCoverage(const MismatchFigures& figures) noexcept;

}  // namespace calc
