#pragma once

// Number scanning for the Touchstone reader: plain decimal numbers in the C locale, checked or
// read, and frequencies in hertz. Internal to touchstone/.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "touchstone/lines.h"
#include "touchstone/touchstone.h"

namespace touchstone::detail {

enum class Parsed { kNumber, kNotANumber, kOutOfRange };

// A plain decimal number in the C locale: optional sign, digits with an optional point, optional
// exponent. Not inf, nan or hexadecimal. A number too small for a double reads as zero of its
// sign.
Parsed ParseNumber(std::string_view text, double& value);

// Whether `text` is certainly a number that ParseNumber reads (a plain decimal within the range
// of a double), found without reading its value; false when unsure.
bool PlainNumberInRange(std::string_view text);

// Whether `text` is "nan" or "inf" ("infinity"), in any case and with an optional sign: how
// analysers write a point they could not measure.
bool NotANumberWord(std::string_view text);

// A frequency written in the file's unit, in hertz: the unit's power of ten is added to the
// number's decimal exponent before the text is read, so that 1.00001 GHz is exactly the double
// nearest to 1000010000 Hz, not 1.00001 times 1e9 with the rounding of both. `field` has been
// read as a number already; `value` is that number.
double FrequencyInHz(std::string_view field, double value, int unit_exponent);

// A whole number of 1 or more.
std::optional<long> ParseCount(std::string_view text);

// The shortest text that reads back to the same double, for messages.
std::string Shortest(double value);

// Whether the complex number that a pair of the file stands for is finite in either form: its
// magnitude, and its real and imaginary parts.
bool Computable(double a, double b, Format format);

// Whether the eight bytes at `p` are all decimal digits.
inline bool EightDigits(const char* p) {
  std::uint64_t x = 0;
  std::memcpy(&x, p, sizeof x);
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0, kThrees = 0x3030303030303030;
  return (x & kHigh) == kThrees && ((x + 0x0606060606060606) & kHigh) == kThrees;
}

// Splits the next field off `rest`; false when none is left. The usual field, a plain decimal
// without exponent followed by a blank or the end of the line, is found and known to be a number
// in one pass, eight digits at a time, and `field` is left empty; any other field is given in
// `field`, still to be checked.
inline bool SkipPlainField(std::string_view& rest, std::string_view& field) {
  const char* p = rest.data();
  const char* const end = p + rest.size();
  while (p != end && kBlanks[static_cast<unsigned char>(*p)]) ++p;
  if (p == end) {
    rest = {};
    return false;
  }
  const char* const start = p;
  if (*p == '-' || *p == '+') ++p;
  const char* const mantissa = p;
  long points = 0;
  for (;;) {
    while (end - p >= 8 && EightDigits(p)) p += 8;
    if (p == end) break;
    if (static_cast<unsigned char>(*p - '0') <= 9) {
      ++p;
    } else if (*p == '.') {
      ++points;
      ++p;
    } else {
      break;
    }
  }
  const long length = p - mantissa;
  if ((p == end || kBlanks[static_cast<unsigned char>(*p)]) && length > points && points <= 1 &&
      length <= 40) {
    rest = std::string_view(p, static_cast<std::size_t>(end - p));
    field = {};
    return true;
  }
  rest = std::string_view(start, static_cast<std::size_t>(end - start));
  field = NextField(rest);
  return true;
}

}  // namespace touchstone::detail
