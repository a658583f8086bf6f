#pragma once

// The quantities of the calculation, as the errors of a failed computation name them.

#include "platform/errors.h"
#include "platform/fp_check.h"

namespace calc {

// The quantity being computed when a computation failed; None for a conversion.
enum class Quantity : platform::Subject {
  None = platform::kNoSubject,
  MismatchFactor,
  MismatchLoss,
  ReturnLoss,
  SourceImpedance,
  LoadImpedance,
};

// The quantity that an error names.
inline Quantity QuantityOf(const platform::Error& error) noexcept {
  return static_cast<Quantity>(error.subject());
}

[[noreturn]] inline void RaiseComputationError(platform::ErrorKind kind, Quantity quantity) {
  platform::RaiseComputationError(kind, static_cast<platform::Subject>(quantity));
}

// Settles `x`, then checks the floating-point flags, naming `quantity` in the error; returns `x`.
inline double Checked(double x, Quantity quantity) {
  return platform::Checked(x, static_cast<platform::Subject>(quantity));
}

}  // namespace calc
