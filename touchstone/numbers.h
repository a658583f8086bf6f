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
// magnitude, and its real and imaginary parts. The pair is judged as the file gives it; the
// conversion is the reader's user's.
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

// The value of eight decimal digits at `p`, a word at a time (the first digit is the lowest byte).
inline std::uint32_t ValueOfEightDigits(const char* p) {
  std::uint64_t x = 0;
  std::memcpy(&x, p, sizeof x);
  x = ((x & 0x0F0F0F0F0F0F0F0F) * 2561) >> 8;      // pairs
  x = ((x & 0x00FF00FF00FF00FF) * 6553601) >> 16;  // fours
  return static_cast<std::uint32_t>(((x & 0x0000FFFF0000FFFF) * 42949672960001) >> 32);
}

// The digits from `p` on, added to `whole` (which wraps only beyond 19 digits); returns where
// they end.
inline const char* ReadDigits(const char* p, const char* end, std::uint64_t& whole) {
  while (end - p >= 8 && EightDigits(p)) {
    whole = whole * 100000000 + ValueOfEightDigits(p);
    p += 8;
  }
  while (p != end && static_cast<unsigned char>(*p - '0') <= 9) {
    whole = whole * 10 + static_cast<unsigned char>(*p - '0');
    ++p;
  }
  return p;
}

// whole · 10^exponent rounded to the nearest double, as ParseNumber reads it; false when the
// exponent is beyond the powers kept for it. `whole` is not zero.
bool DecimalToDouble(std::uint64_t whole, int exponent, double& value);

// What ReadPlainField found.
enum class Field { kNone, kValue, kText };

// Splits the next field off `rest` into `field` as NextField does, and reads it in the same pass
// when it is a plain decimal of at most 19 significant digits with an exponent of at most four
// digits (the numbers of files): then `value` is what ParseNumber reads (kValue). Any other field
// is left to ParseNumber and the checks that follow it (kText); kNone when no field is left.
inline Field ReadPlainField(std::string_view& rest, std::string_view& field, double& value) {
  // Powers of ten that are exact doubles: a whole number up to 2^53 scaled by one of them is
  // rounded once, and so correctly.
  static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = rest.data();
  const char* const end = p + rest.size();
  while (p != end && kBlanks[static_cast<unsigned char>(*p)]) ++p;
  if (p == end) {
    rest = {};
    return Field::kNone;
  }
  const char* const start = p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  const char* const mantissa = p;
  std::uint64_t whole = 0;
  p = ReadDigits(p, end, whole);
  long digits = p - mantissa, fraction = 0;
  if (p != end && *p == '.') {
    const char* const first = ++p;
    p = ReadDigits(p, end, whole);
    fraction = p - first;
    digits += fraction;
  }
  bool plain = digits > 0;
  if (plain && digits > 19) {  // leading zeros do not count
    long zeros = 0;
    for (const char* z = mantissa; z != p && (*z == '0' || *z == '.'); ++z) zeros += *z == '0';
    plain = digits - zeros <= 19;
  }
  long exponent = -fraction;
  if (plain && p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    const bool below = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) ++p;
    long written = 0, count = 0;
    for (; p != end && static_cast<unsigned char>(*p - '0') <= 9 && count < 4; ++p, ++count) {
      written = written * 10 + (*p - '0');
    }
    plain = count > 0;
    exponent += below ? -written : written;
  }
  plain = plain && (p == end || kBlanks[static_cast<unsigned char>(*p)]);
  if (plain && whole == 0) {
    value = 0.0;
  } else if (plain && whole <= std::uint64_t{1} << 53 && exponent >= -22 && exponent <= 22) {
    const double w = static_cast<double>(whole);
    value = exponent >= 0 ? w * kExactPowers[exponent] : w / kExactPowers[-exponent];
  } else if (!plain || !DecimalToDouble(whole, static_cast<int>(exponent), value)) {
    rest = std::string_view(start, static_cast<std::size_t>(end - start));
    field = NextField(rest);
    return Field::kText;
  }
  if (negative) value = -value;
  field = std::string_view(start, static_cast<std::size_t>(p - start));
  rest = std::string_view(p, static_cast<std::size_t>(end - p));
  return Field::kValue;
}

}  // namespace touchstone::detail
