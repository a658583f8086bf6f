// The streaming check of the Touchstone reader: writes a large synthetic .s2p to stdout, or reads
// one (a file, or stdin) and reports the points read and the peak memory of the process, which
// must not grow with the size of the file. scripts/check-touchstone-memory.sh drives it.
//
//   touchstone_stream generate POINTS [RI|MA|DB]   > file.s2p
//   touchstone_stream read NAME PORT [FILE]        (stdin when FILE is missing; NAME names it)
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "bench/touchstone_data.h"
#include "touchstone/touchstone.h"

namespace {

int Generate(long long points, std::string_view format) {
  std::string block = touchstone_data::OptionLine(format);
  constexpr long long kChunk = 10000;
  for (long long first = 0; first < points; first += kChunk) {
    touchstone_data::AppendPoints(block, first, std::min(kChunk, points - first), format);
    if (std::fwrite(block.data(), 1, block.size(), stdout) != block.size()) return 1;
    block.clear();
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int Read(const std::string& name, int port, const char* path) {
  try {
    std::ios::sync_with_stdio(false);
    touchstone::ReflectionReader reader = path ? touchstone::ReflectionReader(path, port)
                                               : touchstone::ReflectionReader(std::cin, name, port);
    touchstone::Sample sample, first;
    long long points = 0;
    while (reader.Next(sample)) {
      if (points++ == 0) first = sample;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("points %lld, from %.17g Hz to %.17g Hz, last S%d%d as written %.17g %.17g\n",
                points, first.frequency_hz, sample.frequency_hz, port, port, sample.a, sample.b);
    std::printf("peak RSS %ld KiB\n", usage.ru_maxrss);
    return 0;
  } catch (const touchstone::ReadError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  if (command == "generate" && (argc == 3 || argc == 4)) {
    return Generate(std::atoll(argv[2]), argc == 4 ? argv[3] : "MA");
  }
  if (command == "read" && (argc == 4 || argc == 5)) {
    return Read(argv[2], std::atoi(argv[3]), argc == 5 ? argv[4] : nullptr);
  }
  std::fprintf(stderr,
               "usage: %s generate POINTS [RI|MA|DB]\n"
               "       %s read NAME PORT [FILE]\n",
               argv[0], argv[0]);
  return 2;
}
