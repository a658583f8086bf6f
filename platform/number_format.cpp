#include "platform/number_format.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

// Significant decimal digits a value keeps before it is rounded to the pattern.
constexpr int kSignificantDigits = 15;

struct Pattern {
  int decimals = 0;       // digit places after the point
  int integer_zeros = 0;  // '0' places before the point: the least number of integer digits
};

Pattern ReadPattern(std::string_view pattern) {
  Pattern p;
  bool after_point = false;
  for (const char c : pattern) {
    if (c == '.') {
      after_point = true;
    } else if (c == '#' || c == '0') {
      if (after_point) {
        ++p.decimals;
      } else if (c == '0') {
        ++p.integer_zeros;
      }
    }
  }
  return p;
}

// The shortest decimal of a double, by Raffaello Giulietti's Schubfach method: the decimals
// that read back to c·2^q lie strictly inside (or, for an even c, on the edges of) the rounding
// interval; scaled by 10^-k with a 126-bit power of ten and rounded to odd, its ends and its
// middle become integers that can be compared exactly.

struct Power {
  std::uint64_t high, low;  // the upper and the lower 63 bits of g
};

// g = floor(10^-k · 2^(125 - floor(-k·log2 10))) + 1 for k from kPowerMin, so 2^125 <= g < 2^126.
constexpr int kPowerMin = -324;
constexpr Power kPowers[] = {
#include "platform/pow10_table.inc"
};

int FloorLog10Pow2(int q) {
  return static_cast<int>((q * std::int64_t{661971961083}) >> 41);
}
int FloorLog10ThreeQuartersPow2(int q) {
  return static_cast<int>((q * std::int64_t{661971961083} - 274743187321) >> 41);
}
int FloorLog2Pow10(int e) {
  return static_cast<int>((e * std::int64_t{913124641741}) >> 38);
}

__extension__ using Uint128 = unsigned __int128;  // GCC and clang

std::uint64_t MultiplyHigh(std::uint64_t a, std::uint64_t b) {
  return static_cast<std::uint64_t>((static_cast<Uint128>(a) * b) >> 64);
}

// cp·g / 2^127, rounded to odd: an odd result says that bits were dropped.
std::uint64_t RoundToOdd(const Power& g, std::uint64_t cp) {
  constexpr std::uint64_t kMask63 = (std::uint64_t{1} << 63) - 1;
  const std::uint64_t x1 = MultiplyHigh(g.low, cp);
  const std::uint64_t y0 = g.high * cp;
  const std::uint64_t y1 = MultiplyHigh(g.high, cp);
  const std::uint64_t z = (y0 >> 1) + x1;
  return (y1 + (z >> 63)) | (((z & kMask63) + kMask63) >> 63);
}

struct Decimal {
  std::uint64_t digits;  // possibly with trailing zeros
  int exponent;
};

// c·2^q, with c the significand of a normal double (2^52 <= c < 2^53), as the decimal of fewest
// digits that reads back to it; of two such, the nearer; of two as near, the even one.
Decimal ShortestDecimal(int q, std::uint64_t c) {
  const std::uint64_t out = c & 1;  // an even c owns the ends of its interval
  const std::uint64_t cb = c << 2;
  const std::uint64_t cbr = cb + 2;
  std::uint64_t cbl = cb - 2;
  int k = FloorLog10Pow2(q);
  if (c == std::uint64_t{1} << 52) {  // a power of two: the interval below is half as wide
    cbl = cb - 1;
    k = FloorLog10ThreeQuartersPow2(q);
  }
  const int h = q + FloorLog2Pow10(-k) + 2;
  const Power& g = kPowers[k - kPowerMin];
  const std::uint64_t vb = RoundToOdd(g, cb << h);
  const std::uint64_t vbl = RoundToOdd(g, cbl << h);
  const std::uint64_t vbr = RoundToOdd(g, cbr << h);
  const std::uint64_t s = vb >> 2;
  if (s >= 100) {  // one digit fewer, when exactly one of its two neighbours is inside
    const std::uint64_t sp10 = s / 10 * 10;
    const std::uint64_t tp10 = sp10 + 10;
    const bool upin = vbl + out <= sp10 << 2;
    const bool wpin = (tp10 << 2) + out <= vbr;
    if (upin != wpin) return {upin ? sp10 : tp10, k};
  }
  const std::uint64_t t = s + 1;
  const bool uin = vbl + out <= s << 2;
  const bool win = (t << 2) + out <= vbr;
  if (uin != win) return {uin ? s : t, k};
  const std::uint64_t middle = (s + t) << 1;
  return {vb < middle || (vb == middle && (s & 1) == 0) ? s : t, k};
}

// The eight digits of v < 10^8 as ASCII in the bytes of a word, the first digit in the lowest
// byte (the first in memory), computed in the word's lanes at once. `zeros` receives how many
// of the last digits are 0.
std::uint64_t EightDigits(std::uint32_t v, int& zeros) {
  const std::uint64_t halves = (v / 10000) | (std::uint64_t{v % 10000} << 32);
  const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007F;  // /100
  const std::uint64_t pairs = hundreds | ((halves - hundreds * 100) << 16);
  const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000F;  // /10
  const std::uint64_t digits = tens | ((pairs - tens * 10) << 8);
  zeros = digits == 0 ? 8 : std::countl_zero(digits) / 8;
  return digits | 0x3030303030303030;
}

void Store(char* p, std::uint64_t word) {
  std::memcpy(p, &word, sizeof word);
}
void Store(char* p, Uint128 word) {
  std::memcpy(p, &word, sizeof word);
}

constexpr std::uint64_t kPowersOf10[] = {1,
                                         10,
                                         100,
                                         1000,
                                         10000,
                                         100000,
                                         1000000,
                                         10000000,
                                         100000000,
                                         1000000000,
                                         10000000000,
                                         100000000000,
                                         1000000000000,
                                         10000000000000,
                                         100000000000000,
                                         1000000000000000,
                                         10000000000000000,
                                         100000000000000000};

}  // namespace

std::string FormatNumber(double value, std::string_view pattern) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

  const Pattern p = ReadPattern(pattern);

  // The value to 15 significant digits, "d.dddddddddddddde+XX", exactly as printf's "%.14e"
  // gives it: the exact binary value rounded to nearest, ties to even.
  char scientific[32];
  const std::to_chars_result printed =
      std::to_chars(scientific, scientific + sizeof scientific, std::fabs(value),
                    std::chars_format::scientific, kSignificantDigits - 1);

  // digits[0] is a carry place; digits[1..15] hold the significant digits, digits[1] worth
  // 10^exponent.
  char digits[1 + kSignificantDigits];
  digits[0] = '0';
  digits[1] = scientific[0];
  for (int k = 1; k < kSignificantDigits; ++k) digits[1 + k] = scientific[1 + k];
  int exponent = 0;
  {
    const char* e = scientific + 1 + kSignificantDigits;  // the 'e'
    const char* exponent_first = e + 1;
    if (*exponent_first == '+') ++exponent_first;
    std::from_chars(exponent_first, printed.ptr, exponent);
  }

  // Round to the pattern's decimals, halves away from zero, on the decimal digits. `count` is
  // the number of significant digits kept: those worth at least 10^-decimals.
  int first = 1;  // index of the first digit of the number
  int count = exponent + p.decimals + 1;
  bool zero = digits[1] == '0';
  if (!zero && count < kSignificantDigits) {
    if (count < 0) {
      zero = true;
    } else {
      const bool up = digits[1 + count] >= '5';
      // Clear the dropped digits, then carry into the kept ones.
      for (int k = 1 + count; k <= kSignificantDigits; ++k) digits[k] = '0';
      if (up) {
        int k = count;  // the last kept digit; digits[0] when nothing was kept
        while (k > 0 && digits[k] == '9') digits[k--] = '0';
        ++digits[k];
        if (k == 0) {
          first = 0;
          ++exponent;
        }
      }
      zero = true;
      for (int k = first; k <= kSignificantDigits; ++k) zero = zero && digits[k] == '0';
    }
  }
  const int last = kSignificantDigits;  // digits past this one are zeros

  // The digit worth 10^place, for any place.
  const auto digit_at = [&](int place) -> char {
    if (zero) return '0';
    const int k = first + (exponent - place);
    return k >= first && k <= last ? digits[k] : '0';
  };

  const int integer_digits = std::max({zero ? 0 : exponent + 1, p.integer_zeros, 1});
  std::string out;
  out.reserve(static_cast<std::size_t>(integer_digits + p.decimals + 2));
  if (!zero && std::signbit(value)) out += '-';
  for (int place = integer_digits - 1; place >= 0; --place) out += digit_at(place);
  if (p.decimals > 0) {
    out += '.';
    for (int place = -1; place >= -p.decimals; --place) out += digit_at(place);
  }
  return out;
}

std::string CompactDecimal(std::string_view text, int significant) {
  significant = std::max(significant, 2);
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  // The digits without the point, and how many stand before it.
  std::string digits;
  std::size_t integer_digits = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && integer_digits == text.size() && i > 0 && i + 1 < text.size()) {
      integer_digits = i;
    } else if (c >= '0' && c <= '9') {
      digits += c;
    } else {
      return {};
    }
  }
  if (digits.empty()) return {};
  // The first digit that is not zero is worth 10^exponent.
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return negative ? "-0.0e0" : "0.0e0";
  long long exponent = static_cast<long long>(integer_digits) - static_cast<long long>(first) - 1;
  std::string kept = digits.substr(first, static_cast<std::size_t>(significant));
  if (digits.size() > first + kept.size() && digits[first + kept.size()] >= '5') {
    std::size_t k = kept.size();
    while (k > 0 && kept[k - 1] == '9') kept[--k] = '0';
    if (k == 0) {
      kept.insert(kept.begin(), '1');
      kept.pop_back();
      ++exponent;
    } else {
      ++kept[k - 1];
    }
  }
  while (kept.size() > 2 && kept.back() == '0') kept.pop_back();
  if (kept.size() < 2) kept += '0';
  std::string out = negative ? "-" : "";
  out += kept.front();
  out += '.';
  out.append(kept, 1);
  out += 'e';
  out += std::to_string(exponent);
  return out;
}

// Writes what std::to_chars(p, p + 32, value) writes, the shortest text that reads back to
// `value` in fixed or scientific form, whichever is shorter (fixed when both are as long), and
// returns its end; up to 34 bytes from `p` may be written (whole words are stored), within the
// kShortestSpace that callers leave free. Zeros, subnormals, infinities, NaN and whole numbers
// from 10^16 in fixed form (which the library writes exactly, not as the shortest digits followed
// by zeros) are left to the library.
//
// The digits are put together in registers and stored a word at a time: stores of single bytes
// read back as a word would stall the processor.
char* WriteShortest(char* p, double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased_exponent = static_cast<int>((bits >> 52) & 0x7ff);
  if (biased_exponent == 0 || biased_exponent == 0x7ff) return std::to_chars(p, p + 32, value).ptr;
  const std::uint64_t c = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int q = biased_exponent - 1075;
  // A whole number below 2^53 is its own shortest decimal.
  Decimal d =
      q < 0 && q > -53 && ((c >> -q) << -q) == c ? Decimal{c >> -q, 0} : ShortestDecimal(q, c);

  // The digits scaled to exactly 17: d0 and then d1..d16 in two words.
  const int bit_length = 64 - std::countl_zero(d.digits);
  const int guess = (bit_length * 1233) >> 12;
  int length = guess + (d.digits >= kPowersOf10[guess] ? 1 : 0);
  if (length == 18) {  // a carry to 10^17, which ends in zeros
    d.digits /= 10;
    ++d.exponent;
    length = 17;
  }
  const int x = d.exponent + length - 1;  // the value is d0.d1d2... · 10^x
  const std::uint64_t scaled = d.digits * kPowersOf10[17 - length];
  const std::uint64_t upper = scaled / 100000000;  // d0..d8
  int zeros_low = 0, zeros_high = 0;
  const std::uint64_t low = EightDigits(static_cast<std::uint32_t>(scaled % 100000000), zeros_low);
  const std::uint64_t high = EightDigits(static_cast<std::uint32_t>(upper % 100000000), zeros_high);
  const char first = static_cast<char>('0' + upper / 100000000);
  const int n = 17 - (zeros_low == 8 ? 8 + zeros_high : zeros_low);     // significant digits
  const Uint128 rest = (static_cast<Uint128>(low) << 64) | high;        // d1..d16
  const Uint128 all = (rest << 8) | static_cast<unsigned char>(first);  // d0..d15

  const int magnitude = x < 0 ? -x : x;
  const int scientific_length = (n > 1 ? n + 1 : n) + 2 + (magnitude >= 100 ? 3 : 2);
  const int fixed_length = x >= 0 ? (x >= n - 1 ? x + 1 : n + 1) : n + 1 - x;
  const bool fixed = fixed_length <= scientific_length;
  if (fixed && x >= n - 1 && x > 15) return std::to_chars(p, p + 32, value).ptr;

  *p = '-';
  p += bits >> 63;
  if (fixed && x >= n - 1) {  // a whole number of at most 16 digits: the zeros are in `all`
    Store(p, all);
    return p + x + 1;
  }
  if (fixed && x >= 0) {  // x + 1 digits, the point, the others
    Store(p, all);
    p[x + 1] = '.';
    Store(p + x + 2, rest >> (8 * x));
    return p + n + 1;
  }
  if (fixed) {  // 0.0ddd, with at most three zeros after the point
    Store(p, std::uint64_t{0x3030303030302E30});  // "0.000000"
    p[1 - x] = first;
    Store(p + 2 - x, rest);
    return p + 1 - x + n;
  }
  p[0] = first;
  p[1] = '.';
  Store(p + 2, rest);
  p += n > 1 ? n + 1 : 1;
  *p++ = 'e';
  *p++ = x < 0 ? '-' : '+';
  if (magnitude >= 100) *p++ = static_cast<char>('0' + magnitude / 100);
  p[0] = static_cast<char>('0' + magnitude / 10 % 10);
  p[1] = static_cast<char>('0' + magnitude % 10);
  return p + 2;
}

void AppendShortest(std::string& out, double value) {
  char buffer[kShortestSpace];
  out.append(buffer, WriteShortest(buffer, value));
}

std::string Shortest(double value) {
  std::string out;
  AppendShortest(out, value);
  return out;
}

}  // namespace platform
