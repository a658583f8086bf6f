#include "platform/fp_check.h"

#include <cfenv>

namespace platform {

void RaiseFpError(int raised, Subject subject) {
  if (raised & FE_INVALID) RaiseComputationError(ErrorKind::InvalidOperation, subject);
  if (raised & FE_DIVBYZERO) RaiseComputationError(ErrorKind::DivisionByZero, subject);
  RaiseComputationError(ErrorKind::Overflow, subject);
}

}  // namespace platform
