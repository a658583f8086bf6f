#include "platform/fp_check.h"

#include <cfenv>

namespace platform {

void ClearFpFlags() noexcept { std::feclearexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW); }

void CheckFpFlags(Quantity quantity) {
  const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  if (raised == 0) return;
  if (raised & FE_INVALID) RaiseComputationError(ErrorKind::InvalidOperation, quantity);
  if (raised & FE_DIVBYZERO) RaiseComputationError(ErrorKind::DivisionByZero, quantity);
  RaiseComputationError(ErrorKind::Overflow, quantity);
}

}  // namespace platform
