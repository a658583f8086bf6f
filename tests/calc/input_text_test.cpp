#include "calc/input_text.h"

#include <gtest/gtest.h>

#include <string>

#include "calc/calculate_texts.h"
#include "platform/number_format.h"

namespace {

using Form = calc::MagnitudeReading::Form;

// 10^(−14/20) = 0.19952623149688796014 (mpmath, 40 digits).
constexpr double kRl14 = 0.19952623149688796;

// Each form as typed into the source boxes of the window, with the |Γ| and the angle it stands
// for and the note that says so. The VSWR rows must give the bits of the decimal magnitude.
TEST(InputForms, MagnitudeAndAngleBoxes) {
  struct Case {
    const char* magnitude;
    const char* angle;
    Form form;
    double expected_magnitude;
    bool exact;  // bit for bit, or within an ulp or two (a power of ten)
    double expected_angle;
    const char* line;
  } const cases[] = {
      {"0.2", "30", Form::kMagnitude, 0.2, true, 30.0, ""},
      {"-0.5", "30°", Form::kMagnitude, -0.5, true, 30.0, ""},
      {"1.5:1", " -45 ° ", Form::kVswr, 0.2, true, -45.0, "|ΓS| = 0.2 (VSWR 1.5:1)"},
      {"VSWR 1.5", "90,5°", Form::kVswr, 0.2, true, 90.5, "|ΓS| = 0.2 (VSWR 1.5:1)"},
      {"vswr1,5", "0", Form::kVswr, 0.2, true, 0.0, "|ΓS| = 0.2 (VSWR 1.5:1)"},
      {" Vswr 1.5 : 1 ", "0", Form::kVswr, 0.2, true, 0.0, "|ΓS| = 0.2 (VSWR 1.5:1)"},
      {"VSWR\u00a03", "0", Form::kVswr, 0.5, true, 0.0, "|ΓS| = 0.5 (VSWR 3:1)"},
      {"2:1", "0", Form::kVswr, 1.0 / 3.0, true, 0.0, "|ΓS| = 0.333333 (VSWR 2:1)"},
      {"1:1", "0", Form::kVswr, 0.0, true, 0.0, "|ΓS| = 0 (VSWR 1:1)"},
      {"14 dB", "0", Form::kReturnLoss, kRl14, false, 0.0, "|ΓS| = 0.199526 (RL 14 dB)"},
      {"RL 14", "0", Form::kReturnLoss, kRl14, false, 0.0, "|ΓS| = 0.199526 (RL 14 dB)"},
      {"rl 14 DB", "0", Form::kReturnLoss, kRl14, false, 0.0, "|ΓS| = 0.199526 (RL 14 dB)"},
      {"\uff11\uff14dB", "0", Form::kReturnLoss, kRl14, false, 0.0, "|ΓS| = 0.199526 (RL 14 dB)"},
      {"-14 dB", "0", Form::kDecibels, kRl14, false, 0.0, "|ΓS| = 0.199526 (-14 dB)"},
      {"\u221214dB", "0", Form::kDecibels, kRl14, false, 0.0, "|ΓS| = 0.199526 (-14 dB)"},
      {"0 dB", "0", Form::kReturnLoss, 1.0, true, 0.0, "|ΓS| = 1 (RL 0 dB)"},
      // After "RL" the sign is the return loss's own: a negative one is an active port.
      {"RL -20 dB", "0", Form::kReturnLoss, 10.0, false, 0.0, "|ΓS| = 10 (RL -20 dB)"},
      {"RL 400", "0", Form::kReturnLoss, 1e-20, false, 0.0, "|ΓS| = 1e-20 (RL 400 dB)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.magnitude) + " @ " + c.angle);
    const calc::MagnitudeReading got = calc::ReadMagnitude(c.magnitude);
    EXPECT_EQ(got.form, c.form);
    if (c.exact) {
      EXPECT_EQ(got.magnitude, c.expected_magnitude);
    } else {
      EXPECT_DOUBLE_EQ(got.magnitude, c.expected_magnitude);
    }
    EXPECT_EQ(calc::ReadAngle(c.angle), c.expected_angle);
    EXPECT_EQ(calc::ReadingLine(got, "ΓS"), c.line);
  }

  // The boxes read by these rules give the results of the magnitudes typed as numbers.
  const calc::Calculation c = calc::Calculate({"50", "VSWR 1.5", "30°", "RL 14", "-45°"});
  EXPECT_EQ(c.reading1.form, Form::kVswr);
  EXPECT_EQ(c.reading2.form, Form::kReturnLoss);
  EXPECT_EQ(calc::BoxTexts(c.results),
            calc::CalculateTexts({"50", "0.2", "30", platform::Shortest(c.magnitude2), "-45"}));
}

}  // namespace
