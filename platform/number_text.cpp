#include "platform/number_text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <system_error>

#include "platform/errors.h"

namespace platform {

namespace {

constexpr bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}
constexpr bool IsBlank(char c) noexcept {
  return c == ' ' || c == '\t';
}

// The significant digits handed on to std::from_chars. A decimal rounds to the same double as
// its first kKeptDigits significant digits followed by a single 1 standing for the rest (when
// the rest is not all zeros): every boundary between two doubles is a decimal of at most 769
// significant digits, so the truncated and the full number lie on the same side of each one.
// This bounds the work and the buffer whatever the length of the text.
constexpr std::size_t kKeptDigits = 800;

// Exponents written with more digits saturate here; far beyond any double, small enough that
// adding the position of the first significant digit cannot overflow.
constexpr std::int64_t kExponentLimit = 1'000'000'000'000;

// Decimal exponents of the first significant digit beyond which the outcome needs no
// conversion: from 1e309 up every number overflows, below 1e-324 every number rounds to zero
// (the smallest subnormal is about 4.9e-324, and half of it 2.5e-324).
constexpr std::int64_t kHighestLead = 308;
constexpr std::int64_t kLowestLead = -324;

}  // namespace

double TextToNumber(std::string_view text, std::string_view field) {
  const auto fail = [&](ErrorKind kind) { RaiseConversionError(kind, field, text); };

  std::size_t i = 0;
  std::size_t end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;

  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  // The normalised number for std::from_chars: an optional minus, the significant digits
  // without a point, then "e" and the exponent of the last digit kept.
  char buffer[1 + kKeptDigits + 1 + 1 + 24];
  std::size_t length = 1;  // buffer[0] is kept for the minus sign
  std::size_t kept = 0;
  bool dropped_nonzero = false;

  bool any_digit = false;
  bool separator = false;
  bool significant = false;         // a non-zero digit has been seen
  std::int64_t integer_digits = 0;  // significant digits before the separator
  // Zeros after the separator that come before the first significant digit.
  std::int64_t leading_fraction_zeros = 0;
  for (; i < end; ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      any_digit = true;
      if (!significant && c == '0') {
        if (separator) ++leading_fraction_zeros;
        continue;
      }
      significant = true;
      if (!separator) ++integer_digits;
      if (kept < kKeptDigits) {
        buffer[length++] = c;
        ++kept;
      } else if (c != '0') {
        dropped_nonzero = true;
      }
    } else if (c == '.' || c == ',') {
      if (separator) fail(ErrorKind::Conversion);
      separator = true;
    } else {
      break;
    }
  }
  if (!any_digit) fail(ErrorKind::Conversion);

  std::int64_t exponent = 0;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool exponent_negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
      exponent_negative = text[i] == '-';
      ++i;
    }
    if (i == end || !IsDigit(text[i])) fail(ErrorKind::Conversion);
    for (; i < end && IsDigit(text[i]); ++i) {
      exponent = std::min(exponent * 10 + (text[i] - '0'), kExponentLimit);
    }
    if (exponent_negative) exponent = -exponent;
  }
  if (i != end) fail(ErrorKind::Conversion);

  if (!significant) return negative ? -0.0 : 0.0;

  // Decimal exponent of the first significant digit.
  const std::int64_t lead =
      exponent + (integer_digits > 0 ? integer_digits - 1 : -(leading_fraction_zeros + 1));
  if (lead > kHighestLead) fail(ErrorKind::Overflow);
  if (lead < kLowestLead) return negative ? -0.0 : 0.0;

  if (dropped_nonzero) {
    buffer[length++] = '1';
    ++kept;
  }
  buffer[length++] = 'e';
  const std::int64_t last_exponent = lead - static_cast<std::int64_t>(kept - 1);
  length = static_cast<std::size_t>(
      std::to_chars(buffer + length, buffer + sizeof buffer, last_exponent).ptr - buffer);

  const char* first = buffer + 1;
  if (negative) {
    buffer[0] = '-';
    first = buffer;
  }
  const char* last = buffer + length;
  double value = 0.0;
  const std::from_chars_result result = std::from_chars(first, last, value);
  if (result.ec == std::errc::result_out_of_range) {
    // Either beyond the largest double or closer to zero than half the smallest subnormal.
    if (lead >= 0) fail(ErrorKind::Overflow);
    return negative ? -0.0 : 0.0;
  }
  if (result.ec != std::errc() || result.ptr != last) fail(ErrorKind::Conversion);
  return value;
}

}  // namespace platform
