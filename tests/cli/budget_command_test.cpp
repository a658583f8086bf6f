#include <gtest/gtest.h>

#include "cli/run.h"
#include "cli_test_support.h"

namespace {

using cli_test::RunCli;

// What a magnitude without an angle starts, and what the command line refuses around it.
TEST(BudgetCommand, InputFormsAndRefusals) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string first_line;  // of standard output, or a piece of standard error
  };
  const Case cases[] = {
      {{"--source", "0.2", "--load", "0.1"}, cli::kSuccess, "Mismatch budget, phases unknown:"},
      {{"--source", "1.5:1", "--load", "RL 23 dB"}, cli::kSuccess, "Mismatch budget"},
      {{"--source", "max VSWR 1.5", "--load", "MAX 0.1"}, cli::kSuccess, "Mismatch budget"},
      {{"--source", "0.2", "--load", "0.1", "--through", "max 1.05:1 -0.1 dB RL 0.1 dB 0.02"},
       cli::kSuccess,
       "Mismatch budget"},
      // One angle given, one not; a file with a magnitude; angles in the two-port.
      {{"--source", "0.2@10", "--load", "0.1"}, cli::kUsage, "both magnitudes without an angle"},
      {{"--source", "amp.s2p:22", "--load", "0.1"}, cli::kUsage, "both magnitudes"},
      {{"--source", "0.2", "--load", "0.1", "--through", "0.1@0 0.9@0 0.9@0 0.1@0"},
       cli::kUsage,
       "without angles"},
      {{"--source", "0.2", "--load", "0.1", "--through", "0.1 0.9 0.9"},
       cli::kUsage,
       "expected four magnitudes"},
      {{"--source", "0.2", "--load", "0.1", "--through", "0.1 max 0.9 0.9 0.1"},
       cli::kUsage,
       "\"max\" is for the reflections"},
      {{"--source", "0.2", "--load", "0.1", "--through", "0.1 x 0.9 0.1"},
       cli::kUsage,
       "S21 \"x\" is not a magnitude"},
      {{"--source", "0.2", "--load", "0.1", "--csv", "a.csv"}, cli::kUsage, "for a sweep"},
      // The window's warning for a magnitude that is none; a port that is not passive.
      {{"--source", "VSWR 0.8", "--load", "0.1"}, cli::kWarning, "is a VSWR below 1"},
      {{"--source", "0.2", "--load", "1,000"}, cli::kWarning, "can be read two ways"},
      {{"--source", "0.2", "--load", "RL"}, cli::kWarning, "\u201cRL\u201d"},
      {{"--source", "0.2", "--load", "-1.5"}, cli::kWarning, "passive ports"},
      {{"--source", "0.2", "--load", "0.1", "--through", "1.2 1 1 0.1"},
       cli::kWarning,
       "passive two-port"},
  };
  for (const Case& c : cases) {
    const cli_test::Outcome r = RunCli(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.status == cli::kSuccess) {
      EXPECT_EQ(r.out.rfind(c.first_line, 0), 0u) << r.out;
    } else {
      EXPECT_NE(r.err.find(c.first_line), std::string::npos) << r.err;
      EXPECT_EQ(r.out, "");
    }
  }
  // With --json a warning is also the document's error.
  const cli_test::Outcome r = RunCli({"--source", "0.2", "--load", "1", "--json"});
  EXPECT_EQ(r.status, cli::kWarning);
  EXPECT_EQ(r.out.rfind("{\"error\":", 0), 0u) << r.out;
}

// The pair 0.5 / 0.3 in full: the U-shaped term (√2·0.15 = 21.21 %), 1/(1 ± 0.15)² in dB, and the
// Monte Carlo ends −10·log10(1 + p² ± 2p·cos(0.025π)), within a digit of the third decimal.
TEST(BudgetCommand, LinesOfOnePair) {
  const cli_test::Outcome r = RunCli({"--source", "0.5", "--load", "0.3"});
  EXPECT_EQ(r.status, cli::kSuccess);
  const std::string expected =
      "Mismatch budget, phases unknown:\n"
      "Term                Limit      Distribution          Divisor  u         Share of "
      "variance\n"
      "|ΓS||ΓL|            ±30.00 %   U-shaped              1.414    21.21 %   100.00 %\n"
      "Combined standard uncertainty = 21.21 % (0.921 dB)\n"
      "Expanded uncertainty (k = 2) = 42.43 % (1.843 dB)\n"
      "Worst case = -1.214 to +1.412 dB\n"
      "Monte Carlo = 1000000 draws, seed 28\n";
  EXPECT_EQ(r.out.substr(0, expected.size()), expected);
  EXPECT_NE(r.out.find("Coverage interval (95 %, Monte Carlo) = -1.211 to +1.406 dB\n"),
            std::string::npos);
}

}  // namespace
