#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

#include "platform/errors.h"
#include "platform/number_format.h"

namespace {

using platform::Error;
using platform::ErrorKind;
using platform::TextToNumber;

std::uint64_t Bits(double x) {
  return std::bit_cast<std::uint64_t>(x);
}

// The kind of the error a text raises, or nothing when it converts.
std::optional<ErrorKind> ErrorOf(std::string_view text) {
  try {
    TextToNumber(text);
  } catch (const Error& e) {
    return e.kind();
  }
  return std::nullopt;
}

// Halfway between the largest double and 2^1024, written out: the first number that overflows
// (ties go to even, which is 2^1024). Its last digit is appended where used.
#define OVERFLOW_THRESHOLD_BUT_LAST                                                      \
  "179769313486231580793728971405303415079934132710037826936173778980444968292764750946" \
  "649017977587207096330286416692887910946555547851940402630657488671505820681908902000" \
  "708383676273854845817711531764475730270069855571366959622842914819860834936475292719" \
  "07416844436551070434271155969950809304288017790417449779"

struct Accepted {
  std::string_view text;
  double expected;
};

TEST(TextToNumber, AcceptedFormsConvertBitExactly) {
  const Accepted cases[] = {
      {"0", 0.0},
      {"50", 50.0},
      {"0.5", 0.5},
      {".5", 0.5},
      {"5.", 5.0},
      {"0,5", 0.5},
      {",5", 0.5},
      {"5,", 5.0},
      {"+7", 7.0},
      {"-7", -7.0},
      {"-0,25", -0.25},
      {"  42", 42.0},
      {"42\t", 42.0},
      {" \t -1.5 \t ", -1.5},
      {"1e3", 1000.0},
      {"1E3", 1000.0},
      {"1e+3", 1000.0},
      {"25e-1", 2.5},
      {"2,5E1", 25.0},
      {"-.5e1", -5.0},
      {"5.e-1", 0.5},
      {"0001.2500", 1.25},
      // A comma and three digits are digit grouping only after one to three digits not starting
      // with 0, where it is ambiguous ("1,000", see the calculation's error table).
      {"0,500", 0.5},
      {"12,5", 12.5},
      {"1,0005", 1.0005},
      {"1234,500", 1234.5},
      {"1e0000000000000000000000000000003", 1000.0},
      {"0.1", 0x1.999999999999ap-4},
      {"0,1", 0x1.999999999999ap-4},
      {"0.3", 0x1.3333333333333p-2},
      {"0.3000000000000001", 0x1.3333333333335p-2},
      {"3.14159265358979", 0x1.921fb54442d11p+1},
      // Ties on a long text: 2^53 + 1 lies halfway between two doubles and rounds to even,
      // while a trailing non-zero digit far beyond it tips the result up.
      {"9007199254740993", 0x1p+53},
      {"9007199254740993.000000000000000000000000000000000000000000000000000000000000001",
       0x1.0000000000001p+53},
      {"1.7976931348623157e308", DBL_MAX},
      {"-1.7976931348623157e308", -DBL_MAX},
      {OVERFLOW_THRESHOLD_BUT_LAST "1", DBL_MAX},
      {OVERFLOW_THRESHOLD_BUT_LAST "1.99999e-0", DBL_MAX},
      {"2.2250738585072014e-308", DBL_MIN},
      {"2.2250738585072009e-308", 0x0.fffffffffffffp-1022},
      {"4.9406564584124654e-324", 0x0.0000000000001p-1022},
      {"3e-324", 0x0.0000000000001p-1022},
      {"2.4703282292062328e-324", 0x0.0000000000001p-1022},
      {"-2.4703282292062328e-324", -0x0.0000000000001p-1022},
      {"12345e-327", 0x0.0000000000002p-1022},  // 1.2345e-323: about 2.5 smallest subnormals
      {"-7e-324", -0x0.0000000000001p-1022},
      {"0.0000000001e-313", 0x0.0000000000002p-1022},
      {"0.0000000000000000000000000000000000000001e310", 1e270},
  };
  for (const Accepted& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    double got = 0;
    ASSERT_NO_THROW(got = TextToNumber(c.text));
    EXPECT_EQ(Bits(got), Bits(c.expected)) << std::hexfloat << got << " vs " << c.expected;
  }
}

TEST(TextToNumber, ZerosKeepTheSignOfTheText) {
  struct Case {
    std::string_view text;
    bool negative;
  } const cases[] = {
      {"0", false},
      {"-0", true},
      {"+0", false},
      {"-0.000", true},
      {"-,0e5", true},
      {"0e99999999999999999999", false},
      {"-0e-99999999999999999999", true},
      {"1e-400", false},
      {"-1e-400", true},
      {"2e-324", false},
      {"2.4703282292062327e-324", false},
      {"-2.4703282292062327e-324", true},
      {"1e-99999999999999999999", false},
      {"12345e-330", false},
      {"-12345e-328", true},
      {"0.00000000000000000000000000000000000001e-286", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    double got = 1;
    ASSERT_NO_THROW(got = TextToNumber(c.text));
    EXPECT_EQ(got, 0.0);
    EXPECT_EQ(std::signbit(got), c.negative);
  }
}

TEST(TextToNumber, RejectsWhatIsNotANumber) {
  const std::string_view cases[] = {
      "",
      " ",
      "\t \t",
      "abc",
      "x1",
      "1x",
      "1.5V",
      "inf",
      "-inf",
      "Infinity",
      "nan",
      "NaN",
      "0x10",
      "0X1p3",
      "1.2.3",
      "1,000.5",
      "1.000,5",
      "1,,0",
      "1 000",
      "1 e5",
      "1e 5",
      "- 5",
      "+-5",
      "--5",
      "+",
      "-",
      ".",
      ",",
      "-.",
      "+,",
      "e5",
      ".e5",
      "1e",
      "1e+",
      "1e-",
      "1e5.0",
      "1e5e3",
      "1e1,5",
      "5\n",
      "\n5",
      "5\r",
      "\v5",
      "\f5",
      "\xd9\xa5",  // ARABIC-INDIC DIGIT FIVE
      "1\xff",
      std::string_view("5\0", 2),
      std::string_view("\0"
                       "5",
                       2),
      std::string_view("1\0"
                       "2",
                       3),
      "1_000",
      "1'000",
      "(5)",
      "5%",
      "1d5",
      "1e5L",
  };
  for (const std::string_view text : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(text)));
    EXPECT_EQ(ErrorOf(text), ErrorKind::Conversion);
  }
}

// Numbers copied from documents: the minus sign, no-break and thin spaces, full-width forms.
TEST(TextToNumber, PastedFormsReadAsTheirAsciiForms) {
  const Accepted accepted[] = {
      {"\u22125", -5.0},
      {"2,5e\u22121", 0.25},
      {"\u00a050\u00a0", 50.0},
      {" \u202f\t\u2009-0.5\u2009\u202f", -0.5},
      {"\uff10\uff0e\uff15", 0.5},
      {"\uff0d\uff11\uff0c\uff15", -1.5},
      {"\uff0b\uff17e\uff0b\uff11", 70.0},
      {"1\uff12.5", 12.5},
  };
  for (const Accepted& c : accepted) {
    SCOPED_TRACE(std::string(c.text));
    double got = 0;
    ASSERT_NO_THROW(got = TextToNumber(c.text));
    EXPECT_EQ(Bits(got), Bits(c.expected));
  }
  const std::string_view rejected[] = {
      "1\u00a0000",  // a blank inside the number
      "1\u2009e5",
      "\u2212\u22125",
      "5\u2212",
      "\uff11\uff45\uff13",  // full-width e is no exponent
      "\u30005",             // ideographic space
      "\u20135",             // en dash
      "\uff11\uff0c\uff10\uff10\uff10\uff0e\uff15",
      "\u2212",
      "\xe2\x88"
      "5",  // a minus sign cut short
      "\xef\xbc"
      "5",
  };
  for (const std::string_view text : rejected) {
    SCOPED_TRACE(testing::PrintToString(std::string(text)));
    EXPECT_EQ(ErrorOf(text), ErrorKind::Conversion);
    EXPECT_FALSE(platform::IsBlankText(text));
  }
  for (const std::string_view blank : {"", " \t", "\u00a0", "\u202f\u2009 "}) {
    EXPECT_EQ(ErrorOf(blank), ErrorKind::Conversion);
    EXPECT_TRUE(platform::IsBlankText(blank));
  }
}

TEST(TextToNumber, OverflowIsAnErrorNeverInfinity) {
  const std::string_view cases[] = {
      "1e309",
      "-1e309",
      "1.7976931348623159e308",  // rounds to infinity
      OVERFLOW_THRESHOLD_BUT_LAST "2",
      OVERFLOW_THRESHOLD_BUT_LAST "2.0000",
      "-1.7976931348623159e308",
      "1e400",
      "1e99999999999999999999",
      "-1e99999999999999999999999999999999999999",
      "0.000000000000000000000000000001e340",
      "100000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
      "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
      "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
      "0000000000000000000000000000000000000000000000000000",
  };
  for (const std::string_view text : cases) {
    SCOPED_TRACE(std::string(text));
    EXPECT_EQ(ErrorOf(text), ErrorKind::Overflow);
  }
  // Just below the halfway point to the next power of two still rounds to the largest double.
  EXPECT_EQ(TextToNumber("1.7976931348623158e308"), DBL_MAX);
}

TEST(TextToNumber, MatchesTheExactConversionOfTheShortestText) {
  // Random bit patterns printed in full and in their shortest round-trip form come back to
  // the same bits, with either separator and padded with zeros.
  std::mt19937_64 random(20240611);
  char text[64];
  for (int n = 0; n < 20000; ++n) {
    const double x = std::bit_cast<double>(random());
    if (!std::isfinite(x)) continue;
    std::snprintf(text, sizeof text, "%.17g", x);
    ASSERT_EQ(Bits(TextToNumber(text)), Bits(x)) << text;
    std::snprintf(text, sizeof text, "  %.16e\t", x);
    for (char& c : text) {
      if (c == '.') c = ',';
    }
    ASSERT_EQ(Bits(TextToNumber(text)), Bits(x)) << text;
  }
}

// 2^-1075 written out exactly: 5^1075 / 10^1075.
std::string HalfOfSmallestSubnormal() {
  std::string digits = "1";  // 5^k, most significant digit first
  for (int k = 0; k < 1075; ++k) {
    int carry = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
      const int d = (*it - '0') * 5 + carry;
      *it = static_cast<char>('0' + d % 10);
      carry = d / 10;
    }
    if (carry != 0) digits.insert(digits.begin(), static_cast<char>('0' + carry));
  }
  return "0." + std::string(1075 - digits.size(), '0') + digits;
}

TEST(TextToNumber, LongTextsRoundCorrectly) {
  // Halfway between the smallest subnormal and zero, written out in all its 751 significant
  // digits: exactly half rounds to even (zero); anything more rounds up.
  const std::string exact_half = HalfOfSmallestSubnormal();
  EXPECT_EQ(Bits(TextToNumber(exact_half)), Bits(0.0));
  EXPECT_EQ(Bits(TextToNumber(exact_half + "0000000001")), Bits(0x1p-1074));
  EXPECT_EQ(Bits(TextToNumber("-" + exact_half + "1")), Bits(-0x1p-1074));
  // The deciding digit after more than 800 significant ones.
  EXPECT_EQ(Bits(TextToNumber(exact_half + std::string(300, '0') + "1")), Bits(0x1p-1074));
  EXPECT_EQ(Bits(TextToNumber(exact_half + std::string(300, '0'))), Bits(0.0));

  // Thousands of digits, with the deciding digit far out.
  const std::string ones = "1." + std::string(5000, '0');
  EXPECT_EQ(TextToNumber(ones), 1.0);
  EXPECT_EQ(TextToNumber(ones + "1"), 1.0);
  const std::string zeros = "0." + std::string(5000, '0') + "1e5010";
  EXPECT_EQ(TextToNumber(zeros), 1e9);
  EXPECT_EQ(TextToNumber(std::string(5000, ' ') + "7" + std::string(5000, '\t')), 7.0);
  EXPECT_EQ(ErrorOf(std::string(5000, '1')), ErrorKind::Overflow);
}

TEST(NumberTexts, IgnoreTheProcessLocale) {
  const char* const names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"};
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* chosen = nullptr;
  for (const char* name : names) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  // The build compiles de_DE.UTF-8 for this test (LOCPATH): without it the test cannot show
  // anything, so it fails rather than passing unseen.
  ASSERT_NE(chosen, nullptr) << "no locale with a decimal comma: is LOCPATH set?";
  const bool comma = std::localeconv()->decimal_point[0] == ',';
  const double point = TextToNumber("0.1");
  const double decimal_comma = TextToNumber("0,1");
  const auto error = ErrorOf("1.000,5");
  const std::string formatted = platform::FormatNumber(-1234.5, "###0.00");
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_TRUE(comma) << chosen;
  EXPECT_EQ(point, 0x1.999999999999ap-4);
  EXPECT_EQ(decimal_comma, 0x1.999999999999ap-4);
  EXPECT_EQ(error, ErrorKind::Conversion);
  EXPECT_EQ(formatted, "-1234.50");
}

TEST(TextToNumber, ErrorsCarryTheTextAsGiven) {
  const std::string long_text = " 12" + std::string(5000, 'x');
  for (const std::string& text : {std::string("12a"), std::string("1e999"), long_text}) {
    try {
      TextToNumber(text);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.text(), text);
      EXPECT_EQ(e.subject(), platform::kNoSubject);
    }
  }
}

}  // namespace
