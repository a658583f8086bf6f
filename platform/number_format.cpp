#include "platform/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>

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

void AppendShortest(std::string& out, double value) {
  char buffer[32];
  const std::to_chars_result printed = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, printed.ptr);
}

std::string Shortest(double value) {
  std::string out;
  AppendShortest(out, value);
  return out;
}

}  // namespace platform
