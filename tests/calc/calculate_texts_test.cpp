#include "calc/calculate_texts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "calc/quantity.h"
#include "calc/warning_text.h"
#include "platform/errors.h"

namespace {

using calc::InputTexts;
using calc::Quantity;
using calc::ResultTexts;
using platform::ErrorKind;

std::string Digits(int count) {
  return std::string(count, '0');
}

struct TextCase {
  const char* name;
  InputTexts in;    // in the order of calc::Input
  ResultTexts out;  // in the order of calc::Output
};

TEST(CalculateTexts, ResultTable) {
  const TextCase cases[] = {
      {"design-time inputs",
       {"50", "0", "0", "0", "0"},
       {">100", "0.00", "50.0", "0.0", "+", "50.0", "0.0", "+"}},
      {"0.5 at 0",
       {"50", "0.5", "0", "0", "0"},
       {"6.02", "1.25", "150.0", "0.0", "+", "50.0", "0.0", "+"}},
      {"0.5 at 90",
       {"50", "0.5", "90", "0", "0"},
       {"6.02", "1.25", "30.0", "40.0", "+", "50.0", "0.0", "+"}},
      {"0.5 at -90",
       {"50", "0.5", "-90", "0", "0"},
       {"6.02", "1.25", "30.0", "40.0", "-", "50.0", "0.0", "+"}},
      {"worked example",
       {"50", "0.5", "0", "0.2", "90"},
       {"5.42", "1.47", "150.0", "0.0", "+", "46.2", "19.2", "+"}},
      // The mismatch loss is not zero although it shows as 0.00: the return loss is a number.
      {"tiny second coefficient",
       {"50", "0", "0", "0.000001", "0"},
       {"120.00", "0.00", "50.0", "0.0", "+", "50.0", "0.0", "+"}},
      {"conjugates",
       {"50", "0.3", "45", "0.3", "-45"},
       {">100", "0.00", "68.3", "31.9", "+", "68.3", "31.9", "-"}},
      {"0.5 at 180: tiny positive reactance",
       {"50", "0.5", "180", "0", "0"},
       {"6.02", "1.25", "16.7", "0.0", "+", "50.0", "0.0", "+"}},
      {"0.5 at -180: tiny negative reactance",
       {"50", "0.5", "-180", "0", "0"},
       {"6.02", "1.25", "16.7", "0.0", "-", "50.0", "0.0", "+"}},
      // No power reaches the load: the mismatch loss is unbounded, the return loss zero.
      {"1 at 90: an unbounded loss",
       {"50", "1", "90", "0", "0"},
       {"0.00", "\u221e", "0.0", "50.0", "+", "50.0", "0.0", "+"}},
      {"a short",
       {"50", "1", "180", "0.5", "0"},
       {"0.00", "\u221e", "0.0", "0.0", "+", "150.0", "0.0", "+"}},
      {"an impedance written out in full",
       {"1e20", "0.5", "0", "0", "0"},
       {"6.02", "1.25", "3" + Digits(20) + ".0", "0.0", "+", "1" + Digits(20) + ".0", "0.0", "+"}},
      {"2 and 2 at 0",
       {"50", "2", "0", "2", "0"},
       {">100", "0.00", "-150.0", "0.0", "-", "-150.0", "0.0", "-"}},
      {"-0.5 at 0: negative zero reactance shows +",
       {"50", "-0.5", "0", "0", "0"},
       {"6.02", "1.25", "16.7", "0.0", "+", "50.0", "0.0", "+"}},
      {"large resistance in full",
       {"100000", "0.1", "0", "0", "0"},
       {"20.00", "0.04", "122222.2", "0.0", "+", "100000.0", "0.0", "+"}},
      {"blanks, commas and exponents",
       {" 5e1 ", "\t0,5", "9E1", ".0", "-0"},
       {"6.02", "1.25", "30.0", "40.0", "+", "50.0", "0.0", "+"}},
      {"Z0 = 0",
       {"0", "0.5", "0", "0.2", "90"},
       {"5.42", "1.47", "0.0", "0.0", "+", "0.0", "0.0", "+"}},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ResultTexts out = calc::CalculateTexts(c.in);
    for (int i = 0; i < calc::kOutputCount; ++i) {
      EXPECT_EQ(out[i], c.out[i]) << "output " << i;
    }
    // Nothing is kept between two runs.
    EXPECT_EQ(calc::CalculateTexts(c.in), out);
  }
}

struct ErrorCase {
  const char* name;
  InputTexts in;
  ErrorKind kind;
  std::optional<int> input;
  Quantity quantity;
  const char* message_part;
};

TEST(CalculateTexts, ErrorTable) {
  const ErrorCase cases[] = {
      {"letters in the source magnitude",
       {"50", "abc", "0", "0", "0"},
       ErrorKind::Conversion,
       calc::kSourceMagnitude,
       Quantity::None,
       "source reflection coefficient, magnitude"},
      {"empty source angle",
       {"50", "0", "", "0", "0"},
       ErrorKind::Conversion,
       calc::kSourceAngle,
       Quantity::None,
       "source reflection coefficient, angle"},
      {"letters in the load magnitude",
       {"50", "0", "0", "x1", "0"},
       ErrorKind::Conversion,
       calc::kLoadMagnitude,
       Quantity::None,
       "\u201cx1\u201d"},
      {"empty load angle",
       {"50", "0", "0", "0", " "},
       ErrorKind::Conversion,
       calc::kLoadAngle,
       Quantity::None,
       "load reflection coefficient, angle"},
      {"empty reference impedance",
       {"", "0", "0", "0", "0"},
       ErrorKind::Conversion,
       calc::kReferenceImpedance,
       Quantity::None,
       "reference impedance"},
      {"number beyond range",
       {"50", "0", "1e999", "0", "0"},
       ErrorKind::Overflow,
       calc::kSourceAngle,
       Quantity::None,
       "source reflection coefficient, angle"},
      // The first bad text in reading order decides.
      {"several bad inputs",
       {"zz", "0", "yy", "xx", "0"},
       ErrorKind::Conversion,
       calc::kSourceAngle,
       Quantity::None,
       "yy"},
      // The reference impedance is converted only after the losses were computed.
      {"losses fail before the reference impedance",
       {"zz", "2", "0", "0", "0"},
       ErrorKind::LogarithmArgument,
       std::nullopt,
       Quantity::MismatchLoss,
       "mismatch loss"},
      {"open circuit",
       {"50", "1", "0", "0", "0"},
       ErrorKind::DivisionByZero,
       std::nullopt,
       Quantity::SourceImpedance,
       "Division by zero while computing the source impedance"},
      {"a VSWR below 1",
       {"50", "0", "0", "0.5:1", "0"},
       ErrorKind::BrokenRule,
       calc::kLoadMagnitude,
       Quantity::None,
       "\u201c0.5:1\u201d in the box \u201cload reflection coefficient, magnitude\u201d is a VSWR "
       "below 1"},
      {"VSWR without its number",
       {"50", "VSWR", "0", "0", "0"},
       ErrorKind::BrokenRule,
       calc::kSourceMagnitude,
       Quantity::None,
       "\u201cVSWR\u201d in the box \u201csource reflection coefficient, magnitude\u201d names a "
       "VSWR or a return loss but gives no number"},
      // One ohm with a decimal comma, or one thousand: the reading is left to the user.
      {"ambiguous digit grouping",
       {"1,000", "0", "0", "0", "0"},
       ErrorKind::AmbiguousNumber,
       calc::kReferenceImpedance,
       Quantity::None,
       "\u201c1,000\u201d in the box \u201creference impedance\u201d can be read two ways: the "
       "comma may be a decimal comma or group the digits. Please write \u201c1000\u201d or "
       "\u201c1.000\u201d, as you mean it."},
      {"mismatch factor above 1",
       {"50", "0.3", "0", "0.3000000000000001", "0"},
       ErrorKind::LogarithmArgument,
       std::nullopt,
       Quantity::ReturnLoss,
       "return loss"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      calc::CalculateTexts(c.in);
      ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
      EXPECT_EQ(e.kind(), c.kind) << e.what();
      EXPECT_EQ(e.input(), c.input) << e.what();
      EXPECT_EQ(calc::QuantityOf(e), c.quantity) << e.what();
      EXPECT_NE(calc::WarningText(e).find(c.message_part), std::string::npos)
          << calc::WarningText(e);
    }
  }
}

}  // namespace
