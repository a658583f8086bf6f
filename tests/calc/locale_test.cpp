#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "calc/calculate_texts.h"
#include "calc/result_format.h"
#include "calc/warning_text.h"
#include "platform/errors.h"

namespace {

// Every text the core writes for one set of inputs, the warning included when they fail.
std::string AllTexts(const calc::InputTexts& inputs) {
  std::string texts;
  try {
    const calc::Calculation c = calc::Calculate(inputs);
    const calc::Inputs read = calc::InputsOf(c);
    for (const std::string& text : calc::BoxTexts(c.results)) texts += text + '\n';
    for (const std::string& line : calc::InputLines(read)) texts += line + '\n';
    for (const std::string& line : calc::AllLines(c.results, c.figures)) texts += line + '\n';
    for (const calc::TableRow& row : calc::TableRows(read, c.results, c.figures)) {
      texts += row.label + '\t' + row.value + '\t' + row.unit + '\n';
    }
    texts += calc::SpokenResults(c.results) + '\n';
    texts += calc::JsonValue(c.figures.mismatch.standard_uncertainty_pct) + '\n';
    calc::AppendCsvField(texts, c.figures.mismatch.standard_uncertainty_db);
  } catch (const platform::Error& e) {
    texts += calc::WarningText(e);
  }
  return texts;
}

// Qt sets the process locale from the environment, so under a German desktop the C library
// writes decimal commas: the window's texts, its details and voranth-calc's output must not.
TEST(CoreTexts, IgnoreTheProcessLocale) {
  const calc::InputTexts cases[] = {
      {"50", "VSWR 1.5", "30", "RL 14 dB", "-45"},  // readings with six significant digits
      {"50", "0.5", "30", "0.3", "-45"},
      {"75.5", "1:1", "0", "-3.5 dB", "12.25"},
      {"50", "1", "90", "0,5", "0"},         // an unbounded mismatch loss
      {"50", "1e154", "0", "1e-154", "30"},  // a warning that gives its values
      {"50", "1.2", "0", "0.4", "0"},        // an active port
  };
  std::vector<std::string> in_c;
  for (const calc::InputTexts& inputs : cases) in_c.push_back(AllTexts(inputs));

  const std::string saved = std::setlocale(LC_ALL, nullptr);
  // The build compiles de_DE.UTF-8 for the locale tests (LOCPATH): without it this test could
  // show nothing, so it fails rather than passing unseen.
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "is LOCPATH set?";
  const bool comma = std::localeconv()->decimal_point[0] == ',';
  std::vector<std::string> in_german;
  for (const calc::InputTexts& inputs : cases) in_german.push_back(AllTexts(inputs));
  std::setlocale(LC_ALL, saved.c_str());

  EXPECT_TRUE(comma);
  for (std::size_t i = 0; i < in_c.size(); ++i) EXPECT_EQ(in_german[i], in_c[i]);
  EXPECT_NE(in_german[0].find("|\u0393S| = 0.2 (VSWR 1.5:1)"), std::string::npos);
  EXPECT_NE(in_german[0].find("|\u0393L| = 0.199526 (RL 14 dB)"), std::string::npos);
}

}  // namespace
