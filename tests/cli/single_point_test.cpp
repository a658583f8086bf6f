#include <gtest/gtest.h>

#include "calc/calculate_texts.h"
#include "calc/result_format.h"
#include "calc/warning_text.h"
#include "cli/run.h"
#include "cli_test_support.h"
#include "platform/errors.h"

namespace {

using cli_test::RunCli;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(SinglePoint, PrintsTheWindowTextsAndTheFigures) {
  const calc::InputTexts in = {"50", "0,5", "30", "0.3", "-45"};
  const calc::ResultTexts window = calc::CalculateTexts(in);
  const cli_test::Outcome r = RunCli({"--z0", "50", "--source", "0,5@30", "--load=0.3@-45"});
  EXPECT_EQ(r.status, cli::kSuccess);
  EXPECT_EQ(r.err, "");
  const std::string head =
      "RL = " + window[calc::kReturnLoss] + " dB\nML = " + window[calc::kMismatchLoss] +
      " dB\nZS = " + window[calc::kSourceResistance] + " " + window[calc::kSourceReactanceSign] +
      " j" + window[calc::kSourceReactance] + " \u03a9\nZL = " + window[calc::kLoadResistance] +
      " " + window[calc::kLoadReactanceSign] + " j" + window[calc::kLoadReactance] + " \u03a9\n";
  EXPECT_EQ(r.out.substr(0, head.size()), head);
  const calc::Calculation c = calc::Calculate(in);
  EXPECT_EQ(r.out, Joined(calc::AllLines(c.results, c.figures)));

  const cli_test::Outcome json = RunCli({"--source", "0,5@30", "--load", "0.3@-45", "--json"});
  EXPECT_EQ(json.status, cli::kSuccess);
  EXPECT_EQ(json.out, cli::JsonFor(c) + "\n");
  for (const std::string& part :
       {"\"RL\":\"" + window[calc::kReturnLoss] + "\"",
        "\"ZL\":{\"real\":\"" + window[calc::kLoadResistance] + "\",\"sign\":\"-\",\"imag\":\"" +
            window[calc::kLoadReactance] + "\"}",
        std::string("\"VSWR\":3,"), std::string("\"lines\":[\"RL = ")}) {
    EXPECT_NE(json.out.find(part), std::string::npos) << part;
  }
  // A VSWR and a return loss as typed, what they were read as, and the standard uncertainty.
  const cli_test::Outcome forms = RunCli({"--source", "VSWR 1.5@30°", "--load", "RL 14 dB@0"});
  EXPECT_EQ(forms.status, cli::kSuccess);
  EXPECT_NE(forms.out.find("\nStandard uncertainty = 5.64 % (0.25 dB)\n"), std::string::npos);
  EXPECT_TRUE(
      forms.out.ends_with("\n|\u0393S| = 0.2 (VSWR 1.5:1)\n|\u0393L| = 0.199526 (RL 14 dB)\n"));
  const std::string forms_json =
      RunCli({"--source", "1.5:1@30", "--load", "-14 dB@0", "--json"}).out;
  for (const char* part : {"\"read_as\":\"VSWR 1.5:1\"", "\"read_as\":\"-14 dB\"",
                           "\"standard_uncertainty_percent\":5.6434540526418"}) {
    EXPECT_NE(forms_json.find(part), std::string::npos) << part;
  }
  EXPECT_NE(json.out.find("\"read_as\":null"), std::string::npos);

  // Unbounded and undefined figures in JSON.
  const std::string active = RunCli({"--source", "2@0", "--load", "2@0", "--json"}).out;
  EXPECT_NE(active.find("\"VSWR\":\"infinite\""), std::string::npos);
  EXPECT_NE(active.find("\"ML_min_dB\":null"), std::string::npos);
}

// No power reaches the load: the lines and the JSON take the window's "∞".
TEST(SinglePoint, AnUnboundedMismatchLossIsInfinite) {
  const cli_test::Outcome lines = RunCli({"--source", "1@90", "--load", "0.5@0"});
  EXPECT_EQ(lines.status, cli::kSuccess);
  EXPECT_EQ(lines.out.substr(0, 30), "RL = 0.00 dB\nML = \u221e dB\nZS = ");
  const std::string json = RunCli({"--source", "1@90", "--load", "0.5@0", "--json"}).out;
  EXPECT_NE(json.find("\"ML\":\"\u221e\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"ML = \u221e dB\""), std::string::npos) << json;
  EXPECT_EQ((lines.out + json).find("00000000"), std::string::npos);
}

// A fault gives the window's message on standard error, nothing on standard output and status 1.
TEST(SinglePoint, FaultsGiveTheWindowsWarning) {
  const std::vector<std::vector<std::string>> cases = {
      {"--z0", "50", "--source", "0.5@", "--load", "0@0"},    // an empty box
      {"--z0", "50", "--source", "1@0", "--load", "0@0"},     // an open circuit
      {"--z0", "x", "--source", "0.5@0", "--load", "2@0"},    // M < 0 comes before Z0
      {"--z0", "x", "--source", "0.5@0", "--load", "0.2@0"},  // Z0, read when needed
  };
  for (const auto& args : cases) {
    const calc::InputTexts in = {
        args[1], args[3].substr(0, args[3].find('@')), args[3].substr(args[3].find('@') + 1),
        args[5].substr(0, args[5].find('@')), args[5].substr(args[5].find('@') + 1)};
    std::string expected;
    try {
      calc::CalculateTexts(in);
    } catch (const platform::Error& e) {
      expected = calc::WarningText(e);
    }
    ASSERT_FALSE(expected.empty());
    const cli_test::Outcome r = RunCli(args);
    EXPECT_EQ(r.status, cli::kWarning);
    EXPECT_EQ(r.err, expected + "\n");
    EXPECT_EQ(r.out, "");
  }
}

TEST(CommandLine, UnusableCommandLinesAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--source", "0.5@0"},
      {"--source", "0.5", "--load", "0@0"},
      {"--source", "0.5@0", "--load", "f.s2p:11"},
      {"--source", "0.5@0", "--load", "0@0", "--csv", "x.csv"},
      {"--source", "a.s2p:12", "--load", "b.s2p:11"},
      {"--source", "a.s2p:22", "--load", "b.s2p:11", "--z0", "75"},
      {"--source", "0.5@0", "--load", "0@0", "--load", "0@0"},
      {"--frobnicate"},
  };
  for (const auto& args : cases) {
    const cli_test::Outcome r = RunCli(args);
    EXPECT_EQ(r.status, cli::kUsage) << args[0] << " " << args.back();
    EXPECT_NE(r.err.find("--help"), std::string::npos);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(RunCli({"--help"}).out, cli::HelpText());
}

}  // namespace
