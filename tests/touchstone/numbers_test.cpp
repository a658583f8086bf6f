#include "touchstone/numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace {

using touchstone::detail::Field;
using touchstone::detail::Parsed;
using touchstone::detail::ParseNumber;
using touchstone::detail::ReadPlainField;

std::uint64_t Bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

// The double the library reads from `text` (which may start with a plus sign).
std::uint64_t LibraryBits(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return Bits(value);
}

TEST(ReadPlainField, ReadsWhatParseNumberReadsOrLeavesTheFieldToIt) {
  const struct {
    const char* line;
    Field found;
    const char* field;
    const char* rest;
  } kCases[] = {
      {"0.5 1", Field::kValue, "0.5", " 1"},
      {" \t-0 ", Field::kValue, "-0", " "},
      {"-0.0e-400", Field::kValue, "-0.0e-400", ""},  // zero at any exponent
      {"+1.\t2", Field::kValue, "+1.", "\t2"},
      {".5\r", Field::kValue, ".5", "\r"},
      {"-.5e1", Field::kValue, "-.5e1", ""},
      {"9007199254740993", Field::kValue, "9007199254740993", ""},      // a tie: to even, down
      {"9007199254740995", Field::kValue, "9007199254740995", ""},      // a tie: to even, up
      {"4503599627370496.5", Field::kValue, "4503599627370496.5", ""},  // a tie below a point
      {"1e22", Field::kValue, "1e22", ""},
      {"1e23", Field::kValue, "1e23", ""},                                    // 10^23 is no double
      {"18446744073709551615", Field::kText, "18446744073709551615", ""},     // 20 digits
      {"0.0050907706410052815", Field::kValue, "0.0050907706410052815", ""},  // zeros lead
      {"-1.2246467991473533e-17", Field::kValue, "-1.2246467991473533e-17", ""},
      {"9999999999999999999E+40", Field::kValue, "9999999999999999999E+40", ""},
      {"1e-81", Field::kText, "1e-81", ""},  // beyond the powers kept
      {"4.9406564584124654e-324", Field::kText, "4.9406564584124654e-324", ""},
      {"1.7976931348623157e308", Field::kText, "1.7976931348623157e308", ""},
      {"1e00001 2", Field::kText, "1e00001", " 2"},
      {"1e", Field::kText, "1e", ""},
      {"1e+ 2", Field::kText, "1e+", " 2"},
      {"+-1", Field::kText, "+-1", ""},
      {"1.2.3", Field::kText, "1.2.3", ""},
      {"nan 1", Field::kText, "nan", " 1"},
      {"1,5", Field::kText, "1,5", ""},
      {"12abc", Field::kText, "12abc", ""},
      {".", Field::kText, ".", ""},
      {"-", Field::kText, "-", ""},
      {" \t\r", Field::kNone, "", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    std::string_view rest = c.line, field;
    double value = -1;
    ASSERT_EQ(ReadPlainField(rest, field, value), c.found);
    EXPECT_EQ(rest, c.rest);
    if (c.found == Field::kNone) continue;
    EXPECT_EQ(field, c.field);
    double expected = 0;
    const Parsed parsed = ParseNumber(field, expected);
    if (c.found == Field::kValue) {
      ASSERT_EQ(parsed, Parsed::kNumber);
      EXPECT_EQ(Bits(value), Bits(expected));
    }
  }
}

// Random decimals of up to 19 significant digits, and ties between two doubles, read to the bit
// as the library reads them.
TEST(ReadPlainField, AgreesWithTheLibraryToTheBit) {
  std::mt19937_64 random(26);
  long read = 0, cases = 0;
  const auto check = [&](const std::string& text) {
    ++cases;
    std::string_view rest = text, field;
    double value = 0;
    if (ReadPlainField(rest, field, value) != Field::kValue) return;
    ++read;
    ASSERT_EQ(Bits(value), LibraryBits(text)) << text;
  };
  for (int i = 0; i < 200000; ++i) {
    std::string text = i % 3 == 0 ? "-" : i % 3 == 1 ? "+" : "";
    const int digits = 1 + static_cast<int>(random() % 19);
    const int point = static_cast<int>(random() % (digits + 2));  // digits + 1: none
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    if (random() % 2 != 0) text += "e" + std::to_string(static_cast<int>(random() % 130) - 90);
    check(text);
  }
  for (int i = 0; i < 20000; ++i) {
    // A whole number of 54 to 63 bits halfway between two doubles, and its neighbours.
    const int bits = 54 + static_cast<int>(random() % 10);
    const std::uint64_t m = (random() >> (64 - bits)) | (std::uint64_t{1} << (bits - 1));
    const std::uint64_t half = std::uint64_t{1} << (bits - 54);
    const std::uint64_t tie = (m & ~(2 * half - 1)) | half;
    for (const std::uint64_t n : {tie - 1, tie, tie + 1}) check(std::to_string(n));
    // Halfway between two doubles of 2^52 to 2^53: n.5.
    check(std::to_string((random() >> 12) | (std::uint64_t{1} << 52)) + ".5");
  }
  EXPECT_GT(read, cases * 9 / 10);  // the one-pass reading was the one tested
}

}  // namespace
