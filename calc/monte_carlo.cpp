#include "calc/monte_carlo.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace calc {

namespace {

constexpr double kTwoToMinus53 = 1.0 / 9007199254740992.0;

std::uint64_t SplitMix64(std::uint64_t& state) noexcept {
  std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

std::uint64_t RotateLeft(std::uint64_t x, int k) noexcept {
  return (x << k) | (x >> (64 - k));
}

// One product of the chain at a uniform phase: its real and imaginary parts.
struct Phasor {
  double re = 0.0, im = 0.0;
};

// A phase uniform on the circle, as its cosine and sine, without a trigonometric function: a
// point (x, y) uniform in the unit disc (drawn in the square, kept when inside) has a uniform
// angle φ, and so has 2φ, whose cosine and sine are (x² − y²)/r² and 2xy/r².
Phasor UniformPhase(Xoshiro256& rng) noexcept {
  for (;;) {
    const double x = 2.0 * rng.Uniform() - 1.0;
    const double y = 2.0 * rng.Uniform() - 1.0;
    const double r2 = x * x + y * y;
    if (r2 <= 1.0 && r2 > 0.0) return {(x * x - y * y) / r2, 2.0 * x * y / r2};
  }
}

// One product at a uniform phase, from the magnitudes of this draw.
Phasor DrawTerm(const std::vector<int>& factors, const std::vector<double>& drawn,
                Xoshiro256& rng) noexcept {
  if (factors.empty()) return {};
  double magnitude = 1.0;
  for (const int f : factors) magnitude *= drawn[static_cast<std::size_t>(f)];
  const Phasor phase = UniformPhase(rng);
  return {magnitude * phase.re, magnitude * phase.im};
}

// |(1 − a)(1 − b) − c|²
double DenominatorSquared(const Phasor& a, const Phasor& b, const Phasor& c) noexcept {
  const double x1 = 1.0 - a.re, y1 = -a.im;
  const double x2 = 1.0 - b.re, y2 = -b.im;
  const double re = x1 * x2 - y1 * y2 - c.re;
  const double im = x1 * y2 + y1 * x2 - c.im;
  return re * re + im * im;
}

// The k-th smallest (1-based) of `values`, which it reorders.
double OrderStatistic(std::vector<double>& values, std::uint64_t k) {
  const auto at = values.begin() + static_cast<std::ptrdiff_t>(k - 1);
  std::nth_element(values.begin(), at, values.end());
  return *at;
}

}  // namespace

Xoshiro256::Xoshiro256(std::uint64_t seed) noexcept {
  for (std::uint64_t& s : s_) s = SplitMix64(seed);
}

std::uint64_t Xoshiro256::Next() noexcept {
  const std::uint64_t result = RotateLeft(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = RotateLeft(s_[3], 45);
  return result;
}

double Xoshiro256::Uniform() noexcept {
  return static_cast<double>(Next() >> 11) * kTwoToMinus53;
}

double Xoshiro256::UniformOpenAtZero() noexcept {
  return static_cast<double>((Next() >> 11) + 1) * kTwoToMinus53;
}

IntervalRanks CoverageRanks(std::uint64_t draws) noexcept {
  // q = pM when that is a whole number, else the whole part of pM + 1/2; r = (M − q)/2 when
  // that is whole, else (M − q + 1)/2. With p = 0.95 = 19/20, in integers.
  const std::uint64_t q = (19 * draws) % 20 == 0 ? 19 * draws / 20 : (19 * draws + 10) / 20;
  const std::uint64_t r = (draws - q) % 2 == 0 ? (draws - q) / 2 : (draws - q + 1) / 2;
  return {std::max<std::uint64_t>(r, 1), std::min(std::max<std::uint64_t>(r, 1) + q, draws)};
}

MonteCarloResult RunMonteCarlo(const ChainModel& model, std::uint64_t draws, std::uint64_t seed) {
  draws = std::max<std::uint64_t>(draws, 1);
  Xoshiro256 rng(seed);
  std::vector<double> decibels(draws);
  double sum = 0.0, sum_squares = 0.0, sum_db = 0.0, sum_db_squares = 0.0;
  bool unbounded = false;
  std::vector<double> drawn(model.magnitudes.size());
  for (std::uint64_t i = 0; i < draws; ++i) {
    for (std::size_t m = 0; m < drawn.size(); ++m) {
      const DrawnMagnitude& f = model.magnitudes[m];
      drawn[m] =
          f.rayleigh ? f.value * std::sqrt(-2.0 * std::log(rng.UniformOpenAtZero())) : f.value;
    }
    const Phasor a = DrawTerm(model.a, drawn, rng);
    const Phasor b = DrawTerm(model.b, drawn, rng);
    const Phasor c = DrawTerm(model.c, drawn, rng);
    const double d2 = DenominatorSquared(a, b, c);
    const double deviation = 1.0 / d2 - 1.0;  // X − 1
    const double db = -10.0 * std::log10(d2);
    unbounded = unbounded || !std::isfinite(db);
    sum += deviation;
    sum_squares += deviation * deviation;
    sum_db += db;
    sum_db_squares += db * db;
    decibels[i] = db;
  }
  MonteCarloResult r;
  r.draws = draws;
  r.seed = seed;
  const double n = static_cast<double>(draws);
  r.mean = sum / n;
  const auto deviation = [n](double s, double s2) {
    if (n < 2.0) return 0.0;
    return std::sqrt(std::max(0.0, (s2 - s * s / n) / (n - 1.0)));
  };
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  r.sd_relative = unbounded ? kInfinity : deviation(sum, sum_squares);
  r.sd_db = unbounded ? kInfinity : deviation(sum_db, sum_db_squares);
  const IntervalRanks ranks = CoverageRanks(draws);
  r.low_db = OrderStatistic(decibels, ranks.low);
  r.high_db = OrderStatistic(decibels, ranks.high);
  return r;
}

PairEndCosines DrawPairEndCosines(std::uint64_t draws, std::uint64_t seed) {
  Xoshiro256 rng(seed);
  std::vector<double> cosines(draws);
  for (double& c : cosines) c = UniformPhase(rng).re;
  const IntervalRanks ranks = CoverageRanks(draws);
  const double low = OrderStatistic(cosines, ranks.low);
  return {low, OrderStatistic(cosines, ranks.high)};
}

PairInterval PairCoverageInterval(double product) noexcept {
  const auto db = [product](double cosine) {
    const Phasor none;
    const Phasor phase{cosine, std::sqrt(std::max(0.0, 1.0 - cosine * cosine))};
    return -10.0 *
           std::log10(DenominatorSquared(none, none, {product * phase.re, product * phase.im}));
  };
  return {db(kPairEndCosines.low), db(kPairEndCosines.high)};
}

}  // namespace calc
