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

// One character of the text as the conversion sees it: the ASCII character it stands for, and
// its length in bytes. Besides ASCII, it knows the forms that numbers copied from documents or
// typed through an input method carry: the minus sign U+2212, the no-break, narrow no-break and
// thin spaces (U+00A0, U+202F, U+2009) as blanks, and the full-width digits, plus and minus
// signs, full stop and comma (U+FF10 to U+FF19, U+FF0B, U+FF0D, U+FF0E, U+FF0C). Anything else
// outside ASCII stands for kOther, which no number contains.
struct Char {
  char ascii;
  std::size_t size;
};
constexpr char kOther = '\0';

// Read() beyond ASCII: kept out of line so that the common case stays small.
[[gnu::noinline]] Char ReadWide(std::string_view text, std::size_t i) noexcept {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char lead = byte(0);
  const std::size_t left = text.size() - i;
  if (lead == 0xC2 && left >= 2 && byte(1) == 0xA0) return {' ', 2};
  if (lead == 0xE2 && left >= 3) {
    if (byte(1) == 0x80 && (byte(2) == 0x89 || byte(2) == 0xAF)) return {' ', 3};
    if (byte(1) == 0x88 && byte(2) == 0x92) return {'-', 3};
  }
  if (lead == 0xEF && left >= 3 && byte(1) == 0xBC) {
    const unsigned char last = byte(2);
    if (last >= 0x90 && last <= 0x99) return {static_cast<char>('0' + (last - 0x90)), 3};
    switch (last) {
      case 0x8B:
        return {'+', 3};
      case 0x8C:
        return {',', 3};
      case 0x8D:
        return {'-', 3};
      case 0x8E:
        return {'.', 3};
      default:
        break;
    }
  }
  return {kOther, 1};
}

inline Char Read(std::string_view text, std::size_t i) noexcept {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) [[likely]]
    return {static_cast<char>(lead), 1};
  return ReadWide(text, i);
}

// The length of the blank that ends just before `end`, or 0. Lead bytes are never continuation
// bytes, so this agrees with reading the text forwards.
std::size_t BlankBefore(std::string_view text, std::size_t end) noexcept {
  if (end >= 1 && IsBlank(text[end - 1])) return 1;
  if (end >= 2 && Read(text, end - 2).ascii == ' ' && Read(text, end - 2).size == 2) return 2;
  if (end >= 3 && Read(text, end - 3).ascii == ' ' && Read(text, end - 3).size == 3) return 3;
  return 0;
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

// True for digits that may be grouped by the one comma among them: one to three digits not
// starting with 0, the comma and three digits ("1,000"). Only called for a number of digits and
// a comma, so it is kept out of the common path.
[[gnu::noinline]] bool IsDigitGrouping(std::string_view digits) noexcept {
  std::size_t whole = 0, fraction = 0;
  bool after_comma = false;
  for (std::size_t i = 0; i < digits.size();) {
    const Char ch = Read(digits, i);
    if (ch.ascii == ',') {
      after_comma = true;
    } else if (after_comma) {
      ++fraction;
    } else if (whole++ == 0 && ch.ascii == '0') {
      return false;
    }
    i += ch.size;
  }
  return whole >= 1 && whole <= 3 && fraction == 3;
}

}  // namespace

std::string_view StripBlanks(std::string_view text) noexcept {
  std::size_t i = 0;
  std::size_t end = text.size();
  while (i < end) {
    const Char ch = Read(text, i);
    if (!IsBlank(ch.ascii)) break;
    i += ch.size;
  }
  for (std::size_t blank; end > i && (blank = BlankBefore(text, end)) != 0;) end -= blank;
  return text.substr(i, end - i);
}

bool IsBlankText(std::string_view text) noexcept {
  for (std::size_t i = 0; i < text.size();) {
    const Char ch = Read(text, i);
    if (!IsBlank(ch.ascii)) return false;
    i += ch.size;
  }
  return true;
}

double TextToNumber(std::string_view text) {
  const auto fail = [&](ErrorKind kind) { RaiseConversionError(kind, text); };

  // Blanks around the number are dropped; what is left is read one character at a time.
  const std::string_view stripped = StripBlanks(text);
  std::size_t i = static_cast<std::size_t>(stripped.data() - text.data());
  const std::size_t end = i + stripped.size();
  const std::string_view number = text.substr(0, end);
  Char ch{kOther, 0};
  const auto next = [&] { return ch = i < end ? Read(number, i) : Char{kOther, 0}; };

  bool negative = false;
  if (next().ascii == '+' || ch.ascii == '-') {
    negative = ch.ascii == '-';
    i += ch.size;
  }

  // The normalised number for std::from_chars: an optional minus, the significant digits
  // without a point, then "e" and the exponent of the last digit kept.
  char buffer[1 + kKeptDigits + 1 + 1 + 24];
  std::size_t length = 1;  // buffer[0] is kept for the minus sign
  std::size_t kept = 0;
  bool dropped_nonzero = false;

  bool any_digit = false;
  bool separator = false;
  bool comma = false;  // the separator is a comma
  const std::size_t digits_begin = i;
  bool significant = false;         // a non-zero digit has been seen
  std::int64_t integer_digits = 0;  // significant digits before the separator
  // Zeros after the separator that come before the first significant digit.
  std::int64_t leading_fraction_zeros = 0;
  for (; i < end; i += ch.size) {
    const char c = next().ascii;
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
      comma = c == ',';
    } else {
      break;
    }
  }
  if (!any_digit) fail(ErrorKind::Conversion);

  // "1,000" and "250,000": one to three digits, not starting with 0, a comma and exactly three
  // digits are a decimal comma or digit grouping; neither reading is safe to pick.
  if (i == end && comma && IsDigitGrouping(number.substr(digits_begin))) {
    fail(ErrorKind::AmbiguousNumber);
  }

  std::int64_t exponent = 0;
  if (i < end && (ch.ascii == 'e' || ch.ascii == 'E')) {
    i += ch.size;
    bool exponent_negative = false;
    if (next().ascii == '+' || ch.ascii == '-') {
      exponent_negative = ch.ascii == '-';
      i += ch.size;
    }
    if (!IsDigit(next().ascii)) fail(ErrorKind::Conversion);
    for (; i < end && IsDigit(next().ascii); i += ch.size) {
      exponent = std::min(exponent * 10 + (ch.ascii - '0'), kExponentLimit);
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
