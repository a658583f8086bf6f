#include "calc/budget.h"

#include <gtest/gtest.h>

#include <cmath>

#include "calc/result_format.h"

namespace {

constexpr double kPi = 3.141592653589793;

calc::BudgetInputs Pair(calc::BudgetMagnitude source, calc::BudgetMagnitude load) {
  calc::BudgetInputs in;
  in.source = source;
  in.load = load;
  return in;
}

// One pair with the phase unknown: X = 1/(1 + p² − 2p·cos θ), θ uniform, increasing in cos θ.
// cos θ is below cos(π(1 − q)) with probability q, so the 95 % probabilistically symmetric
// interval of X is the image of cos θ = cos(0.975π) and cos(0.025π). The Monte Carlo's ends are
// turned back into cos θ and compared there: an order statistic of 10⁶ draws at 2.5 % scatters
// by √(0.025·0.975/10⁶)/f = 3.9e-5 in cos θ (f = 1/(π·sin(0.025π)), the density of cos θ there).
TEST(Budget, PairIntervalIsThatOfAUniformPhase) {
  const double edge = std::cos(0.025 * kPi);
  for (const double p : {0.01, 0.15, 0.5, 0.9, 0.999}) {
    const calc::PairInterval interval = calc::PairCoverageInterval(p);
    const auto cosine = [p](double db) {
      return (1.0 + p * p - std::pow(10.0, -db / 10.0)) / (2.0 * p);
    };
    EXPECT_NEAR(cosine(interval.low_db), -edge, 2e-4) << p;
    EXPECT_NEAR(cosine(interval.high_db), edge, 2e-4) << p;
  }
  EXPECT_EQ(calc::PairCoverageInterval(0.0).low_db, 0.0);
  EXPECT_EQ(calc::PairCoverageInterval(0.0).high_db, 0.0);
  // The kept ends are those that the Monte Carlo draws, to the bit.
  const calc::PairEndCosines drawn = calc::DrawPairEndCosines();
  EXPECT_EQ(drawn.low, calc::kPairEndCosines.low);
  EXPECT_EQ(drawn.high, calc::kPairEndCosines.high);
}

// The same pair through the general Monte Carlo (the same draws), and its standard deviation
// against the closed forms E[X] = 1/(1 − p²), E[X²] = (1 + p²)/(1 − p²)³.
TEST(Budget, SinglePairMonteCarloAgreesWithClosedForms) {
  for (const auto& [source, load] : {std::pair{0.5, 0.3}, {0.2, 0.05}, {0.9, 0.9}}) {
    const calc::Budget b = calc::ComputeBudget(Pair({source, false}, {load, false}));
    const double p = source * load;
    const calc::PairInterval pair = calc::PairCoverageInterval(p);
    EXPECT_NEAR(b.monte_carlo.low_db, pair.low_db, 1e-12);
    EXPECT_NEAR(b.monte_carlo.high_db, pair.high_db, 1e-12);
    const double mean = 1.0 / (1.0 - p * p);
    const double sd = std::sqrt((1.0 + p * p) / std::pow(1.0 - p * p, 3) - mean * mean);
    EXPECT_NEAR(b.monte_carlo.mean, mean - 1.0, 0.01 * sd) << p;
    EXPECT_NEAR(b.monte_carlo.sd_relative, sd, 0.01 * sd) << p;
    // The worst case: 1/(1 ± p)².
    EXPECT_DOUBLE_EQ(b.worst_low_db.value, -20.0 * std::log10(1.0 + p));
    EXPECT_DOUBLE_EQ(b.worst_high_db.value, -20.0 * std::log10(1.0 - p));
  }
}

// The standard uncertainty of each term: √2·p for magnitudes; with data-sheet limits, the
// mismatch term 2·Re(ΓS·ΓL) of complex Gaussian reflections with σ per component
// (Dobbert and Gorin): 2σ|ΓL| for one, 2√2·σS·σL for both, σ = limit/√(2 ln 20).
TEST(Budget, StandardUncertaintyOfEachKindOfTerm) {
  const double k = std::sqrt(2.0 * std::log(20.0));
  struct Case {
    calc::BudgetMagnitude source, load;
    double u, divisor;
  };
  const Case cases[] = {
      {{0.2, false}, {0.1, false}, std::sqrt(2.0) * 0.02, std::sqrt(2.0)},
      {{0.2, true}, {0.1, false}, 2.0 * (0.2 / k) * 0.1, k},
      {{0.2, true},
       {0.1, true},
       2.0 * std::sqrt(2.0) * (0.2 / k) * (0.1 / k),
       k * k / std::sqrt(2.0)},
  };
  for (const Case& c : cases) {
    const calc::Budget b = calc::ComputeBudget(Pair(c.source, c.load), 1000);
    ASSERT_EQ(b.terms.size(), 1u);
    EXPECT_NEAR(b.terms[0].u, c.u, 1e-15);
    EXPECT_NEAR(b.terms[0].divisor, c.divisor, 1e-14);
    EXPECT_NEAR(b.terms[0].limit / b.terms[0].divisor, c.u, 1e-15);
    EXPECT_EQ(b.terms[0].share, 1.0);
  }
}

// The Monte Carlo's draws are the seed's alone; the interval's ranks follow the GUM's Supplement 1
// (q = pM rounded, r = (M − q)/2 rounded up).
TEST(Budget, MonteCarloIsReproducibleAndRanksAsTheSupplementSays) {
  const calc::BudgetInputs in{{0.2, true},     {0.07, false},   true,          {0.0244, true},
                              {0.9886, false}, {0.9886, false}, {0.0244, true}};
  const calc::MonteCarloResult a =
      calc::RunMonteCarlo(calc::ChainModel{{{0.1, true}, {0.3, false}}, {0}, {}, {0, 1}}, 5000, 7);
  const calc::MonteCarloResult b =
      calc::RunMonteCarlo(calc::ChainModel{{{0.1, true}, {0.3, false}}, {0}, {}, {0, 1}}, 5000, 7);
  EXPECT_EQ(a.sd_db, b.sd_db);
  EXPECT_EQ(a.low_db, b.low_db);
  EXPECT_EQ(a.high_db, b.high_db);
  EXPECT_NE(calc::ComputeBudget(in, 5000, 1).monte_carlo.sd_db,
            calc::ComputeBudget(in, 5000, 2).monte_carlo.sd_db);
  struct Ranks {
    std::uint64_t draws, low, high;
  };
  for (const Ranks& r : {Ranks{1'000'000, 25'000, 975'000}, Ranks{100, 3, 98}, Ranks{40, 1, 39},
                         Ranks{41, 1, 40}, Ranks{1, 1, 1}}) {
    EXPECT_EQ(calc::CoverageRanks(r.draws).low, r.low) << r.draws;
    EXPECT_EQ(calc::CoverageRanks(r.draws).high, r.high) << r.draws;
  }
}

// The sentence: a dominant U-shaped term makes k = 2 claim more than the chain can do; many
// comparable terms are close to normal, and k = 2 then stays inside the worst case.
TEST(Budget, SaysWhenExpandingWithTwoClaimsTooMuch) {
  const calc::Budget dominant = calc::ComputeBudget(Pair({0.5, false}, {0.3, false}), 100'000);
  EXPECT_TRUE(calc::OverstatementOf(dominant).worst_case);
  EXPECT_TRUE(calc::OverstatementOf(dominant).monte_carlo);
  const calc::BudgetInputs balanced{{0.2, false}, {0.2, false}, true,        {0.2, false},
                                    {1.0, false}, {1.0, false}, {0.2, false}};
  const calc::Budget normalish = calc::ComputeBudget(balanced, 100'000);
  EXPECT_FALSE(calc::OverstatementOf(normalish).worst_case);
  const std::vector<std::string> lines = calc::BudgetLines(dominant);
  EXPECT_EQ(lines.back().rfind("Expanding with k = 2 gives \u00b11.843 dB, more than the worst "
                               "case (-1.214 to +1.412 dB) and the Monte Carlo interval",
                               0),
            0u);
}

}  // namespace
