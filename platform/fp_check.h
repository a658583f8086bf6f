#pragma once

#include <cfenv>

#include "platform/errors.h"

#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

// The floating-point check: after each checked step the IEEE 754 flags for invalid operation,
// division by zero and overflow are tested, and a set flag becomes an Error. The flags are
// sticky: a check also reports a condition raised by an earlier unchecked operation since the
// last ClearFpFlags(). Underflow and inexact results are never errors.
//
// GCC does not honour FENV_ACCESS, so it is free to move floating-point arithmetic across the
// flag test or to fold it at compile time. The barriers below stop both: a value passed through
// Opaque() is unknown to the optimiser, and Settle() forces a result to exist (in a register)
// before the next statement, with a memory clobber that keeps the following flag test after it.
namespace platform {

#if defined(__x86_64__) || defined(__i386__)
#define VORANTH_FP_REG "+x"
#elif defined(__aarch64__)
#define VORANTH_FP_REG "+w"
#else
#define VORANTH_FP_REG "+m"
#endif

inline double Opaque(double x) noexcept {
  asm volatile("" : VORANTH_FP_REG(x));
  return x;
}

inline double Settle(double x) noexcept {
  asm volatile("" : VORANTH_FP_REG(x) : : "memory");
  return x;
}

// Clears the flags for invalid operation, division by zero and overflow, in the SSE and the x87
// units alike. On x86-64 the registers are only written when a flag is set: feclearexcept
// reloads the whole x87 environment, which costs more than an evaluation's arithmetic.
inline void ClearFpFlags() noexcept {
  constexpr int kFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
#if defined(__x86_64__)
  const unsigned csr = _mm_getcsr();
  if (csr & kFlags) _mm_setcsr(csr & ~static_cast<unsigned>(kFlags));
  unsigned short status = 0;
  asm volatile("fnstsw %0" : "=am"(status));
  if (status & kFlags) std::feclearexcept(kFlags);
#else
  std::feclearexcept(kFlags);
#endif
}

// The set flags among FE_INVALID, FE_DIVBYZERO and FE_OVERFLOW.
inline int RaisedFpFlags() noexcept {
#if defined(__x86_64__)
  // On x86-64 all double arithmetic, the maths library's included, runs on SSE, whose flags are
  // in the MXCSR at the same bit positions as the FE_ constants. Reading it alone is several
  // times faster than fetestexcept, which also stores the x87 status word.
  static_assert(FE_INVALID == 1 && FE_DIVBYZERO == 4 && FE_OVERFLOW == 8);
  return static_cast<int>(_mm_getcsr() & (FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW));
#else
  return std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
#endif
}

// Raises the error for `flags` (invalid operation before division by zero before overflow).
[[noreturn]] void RaiseFpError(int flags, Subject subject);

// Raises the error for the first set flag among invalid operation, division by zero and
// overflow, naming `subject`.
inline void CheckFpFlags(Subject subject) {
  if (const int flags = RaisedFpFlags(); flags != 0) [[unlikely]] {
    RaiseFpError(flags, subject);
  }
}

// Settles `x`, then checks the flags; returns `x`.
inline double Checked(double x, Subject subject) {
  x = Settle(x);
  CheckFpFlags(subject);
  return x;
}

}  // namespace platform
