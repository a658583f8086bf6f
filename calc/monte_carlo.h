#pragma once

#include <cstdint>
#include <vector>

namespace calc {

// Monte Carlo of the delivered power through a chain whose phases are unknown. The draws come
// from the program's own generator and transforms, never from the standard library's
// distributions (whose output differs between libraries), so that a seed gives the same draws
// everywhere and the same bits in every build on one machine.

// xoshiro256** (Blackman and Vigna), seeded through splitmix64.
class Xoshiro256 {
 public:
  explicit Xoshiro256(std::uint64_t seed) noexcept;
  std::uint64_t Next() noexcept;
  // Uniform in [0, 1), a multiple of 2^-53.
  double Uniform() noexcept;
  // Uniform in (0, 1], for a logarithm.
  double UniformOpenAtZero() noexcept;

 private:
  std::uint64_t s_[4];
};

inline constexpr std::uint64_t kDefaultDraws = 1'000'000;
inline constexpr std::uint64_t kDefaultSeed = 28;

// One magnitude of the chain: a fixed value, or, for a data-sheet limit, a Rayleigh-distributed
// magnitude with scale σ (|Γ| = σ·√(−2 ln U)).
struct DrawnMagnitude {
  double value = 0.0;  // the magnitude, or σ of the Rayleigh distribution
  bool rayleigh = false;
};

// The magnitudes of the chain, each drawn once a draw, and the three products made of them (as
// indices into `magnitudes`); an empty product is absent (0). A magnitude in two products (ΓS in
// a and c) is the same in both.
struct ChainModel {
  std::vector<DrawnMagnitude> magnitudes;
  std::vector<int> a;  // source side: |ΓS||S11| (or nothing)
  std::vector<int> b;  // load side: |S22||ΓL| (or nothing)
  std::vector<int> c;  // across: |ΓS||S21||S12||ΓL|, or |ΓS||ΓL| without a two-port
};

// What the draws give for X = 1/|(1 − a)(1 − b) − c|², the delivered power relative to the same
// chain without reflections, with a, b and c the products at independent uniform phases.
struct MonteCarloResult {
  std::uint64_t draws = 0;
  std::uint64_t seed = 0;
  double mean = 0.0;         // of X − 1
  double sd_relative = 0.0;  // standard deviation of X
  double sd_db = 0.0;        // of 10·log10 X
  // The probabilistically symmetric 95 % coverage interval of 10·log10 X, in dB: the
  // r-th and (r + q)-th of the sorted values, q = 0.95·M, r = (M − q)/2, rounded as the
  // GUM's Supplement 1 says. +inf where a draw meets the zero of the denominator.
  double low_db = 0.0;
  double high_db = 0.0;
};

// The Monte Carlo of the chain with `draws` draws (at least 1) from `seed`. Never raises for
// finite inputs; memory for the draws (8 bytes each) is taken at once.
MonteCarloResult RunMonteCarlo(const ChainModel& model, std::uint64_t draws = kDefaultDraws,
                               std::uint64_t seed = kDefaultSeed);

// The 1-based ranks of the ends of the probabilistically symmetric 95 % interval of M sorted
// values: {r, r + q}.
struct IntervalRanks {
  std::uint64_t low = 0, high = 0;
};
IntervalRanks CoverageRanks(std::uint64_t draws) noexcept;

// The 95 % coverage interval, in dB, of 1/|1 − p·e^{jθ}|² for one pair whose phase is unknown,
// from the Monte Carlo of kDefaultDraws phases with kDefaultSeed. The value is increasing in
// cos θ, so the interval is the image of two order statistics of the drawn cosines. Those two
// cosines are the same for every pair: they are kept as numbers (kPairEndCosines, which a test
// draws again), so that a call costs two logarithms, not a million draws. Requires 0 ≤ p < 1.
struct PairInterval {
  double low_db = 0.0, high_db = 0.0;
};
PairInterval PairCoverageInterval(double product) noexcept;

// The cosines of the phases that end the pair's interval: the order statistics of the
// probabilistically symmetric 95 % interval among `draws` uniform phases drawn from `seed`.
struct PairEndCosines {
  double low = 0.0, high = 0.0;
};
PairEndCosines DrawPairEndCosines(std::uint64_t draws = kDefaultDraws,
                                  std::uint64_t seed = kDefaultSeed);
// DrawPairEndCosines() with kDefaultDraws and kDefaultSeed, as drawn (the draws use only
// arithmetic and square roots, so every machine draws the same bits).
inline constexpr PairEndCosines kPairEndCosines{-0x1.fe6f7b021bef7p-1, 0x1.fe6b44e55c248p-1};

}  // namespace calc
