// Speed of the computing core: one evaluation, and the whole text-to-text calculation.
#include <benchmark/benchmark.h>

#include "calc/calculate_texts.h"
#include "calc/mismatch.h"
#include "platform/number_format.h"
#include "platform/number_text.h"

namespace {

void BM_EvaluateMismatch(benchmark::State& state) {
  double z0 = 50.0;
  double m1 = 0.5, a1 = 30.0, m2 = 0.2, a2 = 90.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(z0);
    benchmark::DoNotOptimize(m1);
    const calc::MismatchResult r = calc::EvaluateMismatch([&] { return z0; }, m1, a1, m2, a2);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_EvaluateMismatch);

void BM_CalculateTexts(benchmark::State& state, calc::InputTexts inputs) {
  for (auto _ : state) {
    calc::ResultTexts out = calc::CalculateTexts(inputs);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK_CAPTURE(BM_CalculateTexts, typical, calc::InputTexts{"50", "0.5", "30", "0.2", "90"});
// Slow formatting: an impedance of 3e150 ohms written out in full.
BENCHMARK_CAPTURE(BM_CalculateTexts, long_impedance,
                  calc::InputTexts{"1e150", "0.5", "0", "0", "0"});

void BM_TextToNumber(benchmark::State& state) {
  const std::string text = "0.3000000000000001";
  for (auto _ : state) {
    benchmark::DoNotOptimize(platform::TextToNumber(text));
  }
}
BENCHMARK(BM_TextToNumber);

void BM_FormatNumber(benchmark::State& state) {
  double v = 123456.78;
  for (auto _ : state) {
    benchmark::DoNotOptimize(v);
    std::string s = platform::FormatNumber(v, "#####0.0");
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_FormatNumber);

}  // namespace
