#include "calc/warning_text.h"

#include <gtest/gtest.h>

#include <string>

#include "calc/calculate_texts.h"
#include "platform/errors.h"
#include "platform/number_text.h"

namespace {

// The warning for a source magnitude box that holds `text`.
std::string WarningForMagnitude(const std::string& text) {
  try {
    calc::CalculateTexts({"50", text, "0", "0", "0"});
  } catch (const platform::Error& e) {
    return calc::WarningText(e);
  }
  ADD_FAILURE() << "no error for " << text;
  return {};
}

std::string Repeat(const std::string& piece, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += piece;
  return s;
}

std::string Quoted(const std::string& inner) {
  return "\u201c" + inner +
         "\u201d in the box \u201csource reflection coefficient, magnitude\u201d";
}

TEST(WarningText, QuotesTheUsersTextOnOneLineOfValidUtf8) {
  struct Case {
    std::string typed;
    std::string shown;
  } const cases[] = {
      {"\x01\x07\r\n5", "\\x01\\x07\\x0D\\x0A5"},
      {std::string("\0"
                   "5",
                   2),
       "\\x005"},
      {"1\xff\xe2\x88", "1\uFFFD\uFFFD"},             // a stray byte, a sequence cut short
      {"\xed\xa0\x80\xc0\xaf", Repeat("\uFFFD", 5)},  // a surrogate and an overlong form
      {"\u202e5.0\u2028", "\\u202E5.0\\u2028"},       // direction and line controls
      {"<h1>big</h1>0.5 &amp;", "<h1>big</h1>0.5 &amp;"},
      {"%2%1", "%2%1"},  // placeholders in the user's text stay as typed
      {std::string(40, 'x'), std::string(40, 'x')},
      {std::string(41, 'x'), std::string(40, 'x') + "\u2026"},
      {std::string(30, '\x1b'), Repeat("\\x1B", 10) + "\u2026"},  // escapes count as shown
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.typed));
    const std::string warning = WarningForMagnitude(c.typed);
    EXPECT_NE(warning.find(Quoted(c.shown)), std::string::npos) << warning;
  }
}

TEST(WarningText, BlankBoxesAreEmpty) {
  for (const char* blank : {"", " \t", "\u00a0\u2009\u202f"}) {
    EXPECT_EQ(
        WarningForMagnitude(blank),
        "Nothing to compute with: the box \u201csource reflection coefficient, magnitude\u201d "
        "is empty. Please enter a number.");
  }
}

TEST(WarningText, ConversionWithoutABox) {
  try {
    platform::TextToNumber("abc");
    FAIL() << "no error";
  } catch (const platform::Error& e) {
    EXPECT_EQ(calc::WarningText(e),
              "\u201c"
              "abc"
              "\u201d is not a number.");
  }
}

TEST(WarningText, UsersTextIsNeverReadForPlaceholders) {
  EXPECT_EQ(WarningForMagnitude("%2%1x"), Quoted("%2%1x") + " is not a number.");
}

}  // namespace
