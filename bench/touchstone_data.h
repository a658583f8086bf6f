#pragma once

// Synthetic 2-port Touchstone data (version 1) for the benchmark and the streaming check.

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/number_format.h"

namespace touchstone_data {

// The option line for a format "RI", "MA" or "DB", frequencies in Hz.
inline std::string OptionLine(std::string_view format) {
  return "! synthetic 2-port\n# Hz S " + std::string(format) + " R 50\n";
}

// Appends the data lines of points [first, first + count): frequency, then S11 S21 S12 S22, each
// a pair of full-precision numbers in the given format, changing smoothly with frequency.
inline void AppendPoints(std::string& out, std::int64_t first, std::int64_t count,
                         std::string_view format) {
  auto put = [&](double x, char after) {
    platform::AppendShortest(out, x);
    out += after;
  };
  for (std::int64_t i = first; i < first + count; ++i) {
    const double f = 1e6 + 1e3 * static_cast<double>(i);
    put(f, ' ');
    for (int k = 0; k < 4; ++k) {
      const double magnitude = 0.1 + 0.2 * k + 0.05 * std::sin(1e-4 * static_cast<double>(i));
      const double angle = std::fmod(0.01 * static_cast<double>(i) + 40.0 * k, 360.0) - 180.0;
      if (format == "RI") {
        put(magnitude * std::cos(angle * 0.017453292519943295), ' ');
        put(magnitude * std::sin(angle * 0.017453292519943295), k == 3 ? '\n' : ' ');
      } else {
        put(format == "DB" ? 20.0 * std::log10(magnitude) : magnitude, ' ');
        put(angle, k == 3 ? '\n' : ' ');
      }
    }
  }
}

}  // namespace touchstone_data
