// Speed of the Touchstone reader: a 100,000-point 2-port sweep parsed from memory, S22 read at
// every point. The "point" counter gives the time per frequency point.
#include <benchmark/benchmark.h>

#include <istream>
#include <streambuf>
#include <string>

#include "bench/touchstone_data.h"
#include "touchstone/touchstone.h"

namespace {

constexpr long kPoints = 100000;

// A read-only stream over a string, without copying it.
class MemoryBuffer : public std::streambuf {
 public:
  explicit MemoryBuffer(std::string& text) {
    setg(text.data(), text.data(), text.data() + text.size());
  }
};

void BM_ReadS2p(benchmark::State& state, const char* format) {
  std::string text = touchstone_data::OptionLine(format);
  touchstone_data::AppendPoints(text, 0, kPoints, format);
  for (auto _ : state) {
    MemoryBuffer buffer(text);
    std::istream in(&buffer);
    touchstone::ReflectionReader reader(in, "sweep.s2p", 2);
    touchstone::Sample sample;
    long points = 0;
    while (reader.Next(sample)) ++points;
    benchmark::DoNotOptimize(sample);
    if (points != kPoints) state.SkipWithError("wrong number of points");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["point"] = benchmark::Counter(
      kPoints, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_ReadS2p, MA, "MA")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadS2p, RI, "RI")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadS2p, DB, "DB")->Unit(benchmark::kMillisecond);

}  // namespace
