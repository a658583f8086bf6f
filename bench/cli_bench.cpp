// Speed of voranth-calc's sweep: two Touchstone files of 100,000 frequency points each (an
// amplifier's S22 and a filter's S11), read twice, computed and written as CSV to a file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPoints = 100'000;

// Writes a two-port file whose S_pp of `port` turns slowly round the chart.
void WriteFile(const fs::path& path, int port, double magnitude, const char* format) {
  std::ofstream out(path);
  out << "! " << kPoints << " points\n# GHz S " << format << " R 50\n";
  char line[200];
  for (int k = 0; k < kPoints; ++k) {
    const double f = 0.01 + 9.99 * k / (kPoints - 1);
    const double m = magnitude * (0.6 + 0.4 * std::sin(f));
    const double a = std::fmod(f * 97.0, 360.0) - 180.0;
    const double re = m * std::cos(a * M_PI / 180), im = m * std::sin(a * M_PI / 180);
    const bool ri = format[0] == 'R';
    const double x = ri ? re : m, y = ri ? im : a;
    if (port == 1) {
      std::snprintf(line, sizeof line, "%.9f %.9f %.9f 0.9 0 0.9 0 0.1 0\n", f, x, y);
    } else {
      std::snprintf(line, sizeof line, "%.9f 0.1 -30 3.2 120 0.01 60 %.9f %.9f\n", f, x, y);
    }
    out << line;
  }
}

void BM_Sweep100k(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / ("voranth-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  WriteFile(dir / "amp.s2p", 2, 0.4, "MA");
  WriteFile(dir / "filter.s2p", 1, 0.7, "RI");
  const std::vector<std::string> args = {"--source", (dir / "amp.s2p").string() + ":22",
                                         "--load",   (dir / "filter.s2p").string() + ":11",
                                         "--csv",    (dir / "out.csv").string()};
  for (auto _ : state) {
    std::ostringstream out, err;
    if (cli::Run(args, out, err) != cli::kSuccess) state.SkipWithError(err.str().c_str());
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
  fs::remove_all(dir);
}
BENCHMARK(BM_Sweep100k)->Unit(benchmark::kMillisecond);

}  // namespace
