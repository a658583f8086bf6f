// The mismatch budget: its Monte Carlo of 10⁶ draws, for the worked example of the README (a
// VSWR 1.5 source, a VSWR 1.05 adapter with 0.1 dB loss, a VSWR 1.15 sensor), with magnitudes and
// with data-sheet limits (whose Rayleigh draws cost a logarithm each); and the pair's coverage
// interval once its draws are made.
#include <benchmark/benchmark.h>

#include "calc/budget.h"

namespace {

calc::BudgetInputs Example(bool limits) {
  calc::BudgetInputs in;
  in.source = {0.2, limits};
  in.load = {0.15 / 2.15, limits};
  in.through = true;
  in.s11 = in.s22 = {0.05 / 2.05, limits};
  in.s21 = in.s12 = {0.9885530946569389, false};
  return in;
}

void BM_BudgetMillionDraws(benchmark::State& state) {
  const calc::BudgetInputs in = Example(state.range(0) != 0);
  for (auto _ : state) benchmark::DoNotOptimize(calc::ComputeBudget(in));
}
BENCHMARK(BM_BudgetMillionDraws)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PairCoverageInterval(benchmark::State& state) {
  benchmark::DoNotOptimize(calc::PairCoverageInterval(0.15));  // the draws, once
  double p = 0.15;
  for (auto _ : state) {
    benchmark::DoNotOptimize(calc::PairCoverageInterval(p));
    p = p < 0.9 ? p + 1e-3 : 0.15;
  }
}
BENCHMARK(BM_PairCoverageInterval);

}  // namespace
