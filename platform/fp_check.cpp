#include "platform/fp_check.h"

#include <cfenv>

namespace platform {

void RaiseFpError(int raised, Quantity quantity) {
  if (raised & FE_INVALID) RaiseComputationError(ErrorKind::InvalidOperation, quantity);
  if (raised & FE_DIVBYZERO) RaiseComputationError(ErrorKind::DivisionByZero, quantity);
  RaiseComputationError(ErrorKind::Overflow, quantity);
}

}  // namespace platform
