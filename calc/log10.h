#pragma once

// The base-10 logarithm of every loss and gain in decibels.

#include <cmath>

#include "platform/fp_check.h"

namespace calc {

// ln(x) / ln(10). ln(10) is taken at run time like ln(x), by the same library, so that every
// build type gets the same bits. Deliberately not std::log10: it differs in the last place for
// some arguments (1000 gives 2.9999999999999996).
inline double Log10(double x) noexcept {
  const double ln10 = std::log(platform::Opaque(10.0));
  const double lnx = std::log(x);
  return lnx / ln10;
}

}  // namespace calc
