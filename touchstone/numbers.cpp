#include "touchstone/numbers.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <system_error>

namespace touchstone::detail {

namespace {

// Decimal exponents beyond which a number is out of any double's range: clamping an exponent
// there keeps the sums below from overflowing and changes no outcome.
constexpr std::int64_t kExponentLimit = 100000;

// The decimal exponent of the first significant digit of a plain decimal number ("0.05e3" gives
// 1); `text` has been read as a number already and is not zero.
std::int64_t LeadingExponent(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::int64_t integer_digits = 0, fraction_zeros = 0;
  bool significant = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    significant = significant || text[i] != '0';
    if (significant) ++integer_digits;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (integer_digits == 0 && !significant) {
        if (text[i] == '0') {
          ++fraction_zeros;
        } else {
          significant = true;
        }
      }
    }
  }
  std::int64_t exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      exponent = std::min(exponent * 10 + (text[i] - '0'), kExponentLimit);
    }
    if (negative) exponent = -exponent;
  }
  return exponent + (integer_digits > 0 ? integer_digits - 1 : -(fraction_zeros + 1));
}

struct PowerOfFive {
  std::uint64_t upper, lower;
};

constexpr int kPowerOfFiveMin = -80, kPowerOfFiveMax = 40;
constexpr PowerOfFive kPowersOfFive[] = {
#include "touchstone/pow5_table.inc"
};
static_assert(std::size(kPowersOfFive) == kPowerOfFiveMax - kPowerOfFiveMin + 1);

__extension__ using Uint128 = unsigned __int128;  // GCC and clang

}  // namespace

// The product of the whole number and the power of five, taken to 128 bits, gives the 54 leading
// bits of the value and whether the rest is exactly a half (D. Lemire, "Number Parsing at a
// Gigabyte per Second", 2021). Within the table's powers every value is a normal double.
bool DecimalToDouble(std::uint64_t whole, int exponent, double& value) {
  if (whole == 0 || exponent < kPowerOfFiveMin || exponent > kPowerOfFiveMax) return false;
  const int shift = std::countl_zero(whole);
  const std::uint64_t w = whole << shift;
  const PowerOfFive& power = kPowersOfFive[exponent - kPowerOfFiveMin];
  const Uint128 first = static_cast<Uint128>(w) * power.upper;
  std::uint64_t high = static_cast<std::uint64_t>(first >> 64);
  std::uint64_t low = static_cast<std::uint64_t>(first);
  constexpr std::uint64_t kBelow55 = ~std::uint64_t{0} >> 55;  // the bits beyond the 55th
  if ((high & kBelow55) == kBelow55) {
    const auto second = static_cast<std::uint64_t>((static_cast<Uint128>(w) * power.lower) >> 64);
    low += second;
    if (low < second) ++high;
    // Still all ones: the rounding may be off, except where 5^|q| is exact in 128 bits.
    if (low == ~std::uint64_t{0} && (exponent < -27 || exponent > 55)) return false;
  }
  const int top = static_cast<int>(high >> 63);
  std::uint64_t mantissa = high >> (top + 9);  // 54 bits: the double's 53 and one to round
  // floor(q · log2(10)) + 63, the exponent of the power's top bit, plus the bias 1023
  int biased = ((exponent * (152170 + 65536)) >> 16) + 63 + top - shift + 1023;
  // A tie (only possible where 5^|q| is exact) rounds to even rather than up.
  if (low <= 1 && exponent >= -4 && exponent <= 23 && (mantissa & 3) == 1 &&
      mantissa << (top + 9) == high) {
    mantissa &= ~std::uint64_t{1};
  }
  mantissa = (mantissa + (mantissa & 1)) >> 1;
  if (mantissa >= std::uint64_t{1} << 53) {  // rounded up to the next power of two
    mantissa = std::uint64_t{1} << 52;
    ++biased;
  }
  const std::uint64_t bits =
      (mantissa & ((std::uint64_t{1} << 52) - 1)) | (static_cast<std::uint64_t>(biased) << 52);
  std::memcpy(&value, &bits, sizeof value);
  return true;
}

Parsed ParseNumber(std::string_view text, double& value) {
  const char* p = text.data();
  const char* const end = p + text.size();
  if (p != end && *p == '+') {
    ++p;  // from_chars takes no plus sign
    if (p != end && *p == '-') return Parsed::kNotANumber;
  }
  const char* digits = p != end && *p == '-' ? p + 1 : p;
  if (digits == end || !((*digits >= '0' && *digits <= '9') || *digits == '.')) {
    return Parsed::kNotANumber;
  }
  const auto [stop, error] = std::from_chars(p, end, value);
  if (error == std::errc::result_out_of_range && stop == end) {
    // Too small for a double reads as zero of its sign, as the boxes of the window read it.
    if (LeadingExponent(text) < 0) {
      value = digits != p ? -0.0 : 0.0;
      return Parsed::kNumber;
    }
    return Parsed::kOutOfRange;
  }
  if (error == std::errc::result_out_of_range) return Parsed::kOutOfRange;
  if (error != std::errc{} || stop != end) return Parsed::kNotANumber;
  return Parsed::kNumber;
}

bool PlainNumberInRange(std::string_view text) {
  // The forms that files use, first: a sign, at most 40 digits with at most one point, and an
  // exponent of at most three digits up to 250 are certainly in range.
  {
    const char* c = text.data();
    const char* const end = c + text.size();
    if (c != end && (*c == '-' || *c == '+')) ++c;
    const char* const mantissa = c;
    int points = 0;
    for (; c != end; ++c) {
      if (static_cast<unsigned char>(*c - '0') > 9) {
        if (*c != '.') break;
        ++points;
      }
    }
    const long mantissa_length = c - mantissa;
    if (mantissa_length > points && points <= 1 && mantissa_length <= 40) {
      if (c == end) return true;
      if (*c == 'e' || *c == 'E') {
        if (++c != end && (*c == '-' || *c == '+')) ++c;
        int exponent = 0, exponent_digits = 0;
        for (; c != end && static_cast<unsigned char>(*c - '0') <= 9 && exponent_digits < 4;
             ++c, ++exponent_digits) {
          exponent = exponent * 10 + (*c - '0');
        }
        if (c == end && exponent_digits >= 1 && exponent_digits <= 3 && exponent <= 250) {
          return true;
        }
      }
    }
  }
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (i < n && text[i] == '+') ++i;
  if (i < n && text[i] == '-') {
    if (i > 0) return false;  // "+-"
    ++i;
  }
  const auto digit = [&](std::size_t k) { return k < n && text[k] >= '0' && text[k] <= '9'; };
  std::size_t digits = 0, integer_digits = 0;
  bool leading = true;  // no significant digit yet
  std::int64_t fraction_zeros = 0;
  for (; digit(i); ++i, ++digits) {
    if (text[i] != '0') leading = false;
    if (!leading) ++integer_digits;
  }
  if (i < n && text[i] == '.') {
    for (++i; digit(i); ++i, ++digits) {
      if (leading && text[i] == '0') ++fraction_zeros;
      if (text[i] != '0') leading = false;
    }
  }
  if (digits == 0) return false;
  std::int64_t exponent = 0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    const bool negative = i < n && text[i] == '-';
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digit(i)) return false;
    for (; digit(i); ++i) {
      exponent = std::min(exponent * 10 + (text[i] - '0'), kExponentLimit);
    }
    if (negative) exponent = -exponent;
  }
  if (i != n) return false;
  if (leading) return true;  // zero
  const std::int64_t lead =
      exponent + (integer_digits > 0 ? integer_digits - 1 : -(fraction_zeros + 1));
  return lead < 300;  // far from overflowing; a number too small reads as zero
}

bool NotANumberWord(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  return EqualsNoCase(text, "nan") || EqualsNoCase(text, "inf") || EqualsNoCase(text, "infinity");
}

double FrequencyInHz(std::string_view field, double value, int unit_exponent) {
  if (unit_exponent == 0) return value;
  const std::size_t e = field.find_first_of("eE");
  const std::string_view mantissa = field.substr(0, e);
  std::int64_t exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = field.substr(e + 1);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    const auto [stop, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
    if (error != std::errc{} || stop != digits.data() + digits.size()) {
      return value * std::pow(10.0, unit_exponent);
    }
    exponent = std::clamp(exponent, -kExponentLimit, kExponentLimit);
  }
  std::string text(mantissa.substr(!mantissa.empty() && mantissa.front() == '+' ? 1 : 0));
  text += 'e';
  text += std::to_string(exponent + unit_exponent);
  double hz = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), hz);
  if (error != std::errc{} || stop != text.data() + text.size()) {
    return value * std::pow(10.0, unit_exponent);
  }
  return hz;
}

std::optional<long> ParseCount(std::string_view text) {
  long value = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || stop != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

std::string Shortest(double value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc{} ? std::string(text, end) : std::string("?");
}

bool Computable(double a, double b, Format format) {
  if (format == Format::kRealImaginary) return std::isfinite(std::hypot(a, b));
  // Limits of the numbers as the file gives them, within which the magnitude as a ratio and the
  // angle in radians are finite doubles (20·log10 of the largest double is 6165.09 dB; the
  // largest double over pi is 5.72e307 degrees). The real and imaginary parts are the magnitude
  // times a cosine and a sine, and so finite too.
  constexpr double kLargestDecibels = 6165.0, kLargestDegrees = 5.7e307;
  return (format == Format::kMagnitudeAngle || a <= kLargestDecibels) &&
         std::fabs(b) <= kLargestDegrees;
}

}  // namespace touchstone::detail
