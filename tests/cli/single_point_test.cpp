#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <optional>
#include <utility>

#include "cli/run.h"
#include "cli_test_support.h"

namespace {

using cli_test::RunCli;

// What the program writes, fixed: the worked example's figures are those of the formulas in the
// manual page, worked out apart from the program.
const char kExampleLines[] =
    "RL = 11.64 dB\n"
    "ML = 0.31 dB\n"
    "ZS = 97.7 + j65.1 Ω\n"
    "ZL = 68.3 - j31.9 Ω\n"
    "M = 93.15 %\n"
    "ML at any phase = 0.25 to 2.87 dB\n"
    "Mismatch uncertainty = +1.21 / -1.41 dB\n"
    "Mismatch uncertainty = +32.25 / -27.75 %\n"
    "Standard uncertainty = 21.21 % (0.92 dB)\n"
    "Expanded uncertainty (k = 2) = 42.43 % (1.84 dB)\n"
    "Coverage interval (95 %, Monte Carlo) = -1.21 to +1.41 dB\n"
    "VSWR S = 3.00\n"
    "Return loss S = 6.02 dB\n"
    "Reflected power S = 25.00 %\n"
    "VSWR L = 1.86\n"
    "Return loss L = 10.46 dB\n"
    "Reflected power L = 9.00 %\n";

TEST(SinglePoint, WritesTheResultsAndFigures) {
  struct Case {
    std::vector<std::string> args;
    std::string out;  // "~" for each end of a Monte Carlo interval in the JSON
    // Those ends by the closed form, which the draws scatter about by some 1e-4 dB.
    std::optional<std::pair<double, double>> coverage_db = std::nullopt;
  };
  const Case cases[] = {
      // A comma or a point, "--load=" or "--load".
      {{"--z0", "50", "--source", "0,5@30", "--load=0.3@-45"}, kExampleLines},
      {{"--source", "0.5@30", "--load", "0.3@-45"}, kExampleLines},
      {{"--source", "0,5@30", "--load", "0.3@-45", "--json"},
       // The numbers beside the texts agree with numpy's to 1e-15.
       R"j({"results":{"RL":"11.64","RL_dB":11.640431970170084,"ML":"0.31",)j"
       R"j("ML_dB":0.3083672515781203,"ZS":{"real":"97.7","sign":"+","imag":"65.1",)j"
       R"j("re_ohm":97.66271094389722,"im_ohm":65.1084739625981},"ZL":{"real":"68.3",)j"
       R"j("sign":"-","imag":"31.9","re_ohm":68.34541724669457,"im_ohm":-31.86429098779892}},)j"
       R"j("figures":{"source":{"magnitude":0.5,)j"
       R"j("read_as":null,"VSWR":3,"return_loss_dB":6.020599913279623,)j"
       R"j("reflected_power_percent":25},"load":{"magnitude":0.3,"read_as":null,)j"
       R"j("VSWR":1.8571428571428574,"return_loss_dB":10.457574905606752,)j"
       R"j("reflected_power_percent":9},"mismatch":{"M_percent":93.14579952111035,"product":0.15,)j"
       R"j("ML_min_dB":0.24735195715791747,"ML_max_dB":2.8729302499442966,)j"
       R"j("uncertainty_low_dB":-1.4116214857141454,"uncertainty_high_dB":1.213956807072233,)j"
       R"j("uncertainty_low_percent":-27.750000000000007,)j"
       R"j("uncertainty_high_percent":32.24999999999998,)j"
       R"j("standard_uncertainty_percent":21.213203435596427,)j"
       R"j("standard_uncertainty_dB":0.9212777195570632,)j"
       R"j("expanded_uncertainty_percent":42.42640687119285,)j"
       R"j("expanded_uncertainty_dB":1.8425554391141263,"coverage_low_dB":~,)j"
       R"j("coverage_high_dB":~}},"lines":["RL = 11.64 dB",)j"
       R"j("ML = 0.31 dB","ZS = 97.7 + j65.1 Ω","ZL = 68.3 - j31.9 Ω","M = 93.15 %",)j"
       R"j("ML at any phase = 0.25 to 2.87 dB","Mismatch uncertainty = +1.21 / -1.41 dB",)j"
       R"j("Mismatch uncertainty = +32.25 / -27.75 %","Standard uncertainty = 21.21 % (0.92 dB)",)j"
       R"j("Expanded uncertainty (k = 2) = 42.43 % (1.84 dB)",)j"
       R"j("Coverage interval (95 %, Monte Carlo) = -1.21 to +1.41 dB","VSWR S = 3.00",)j"
       R"j("Return loss S = 6.02 dB","Reflected power S = 25.00 %","VSWR L = 1.86",)j"
       R"j("Return loss L = 10.46 dB","Reflected power L = 9.00 %"]})j"
       "\n",
       // A uniform phase puts cos θ at ±cos(0.025π) at 2.5 % and 97.5 %: the ends are
       // -10·log10(1 ± 2p·cos(0.025π) + p²) with p = 0.15.
       std::pair{-1.210918803454672, 1.40606607177318}},
      // Two active ports: an unbounded RL and VSWR as "infinite", undefined figures as null.
      {{"--source", "2@0", "--load", "2@0", "--json"},
       R"j({"results":{"RL":">100","RL_dB":"infinite","ML":"0.00","ML_dB":0,"ZS":{"real":"-150.0",)j"
       R"j("sign":"-","imag":"0.0","re_ohm":-150,"im_ohm":-4.84663372329776e-13},)j"
       R"j("ZL":{"real":"-150.0","sign":"-","imag":"0.0","re_ohm":-150,)j"
       R"j("im_ohm":-4.84663372329776e-13}},"figures":{"source":{"magnitude":2,)j"
       R"j("read_as":null,"VSWR":"infinite","return_loss_dB":-6.020599913279623,)j"
       R"j("reflected_power_percent":400},"load":{"magnitude":2,"read_as":null,"VSWR":"infinite",)j"
       R"j("return_loss_dB":-6.020599913279623,"reflected_power_percent":400},)j"
       R"j("mismatch":{"M_percent":100,"product":4,"ML_min_dB":null,"ML_max_dB":null,)j"
       R"j("uncertainty_low_dB":null,"uncertainty_high_dB":null,"uncertainty_low_percent":null,)j"
       R"j("uncertainty_high_percent":null,"standard_uncertainty_percent":null,)j"
       R"j("standard_uncertainty_dB":null,"expanded_uncertainty_percent":null,)j"
       R"j("expanded_uncertainty_dB":null,"coverage_low_dB":null,"coverage_high_dB":null}},)j"
       R"j("lines":["RL = >100 dB","ML = 0.00 dB",)j"
       R"j("ZS = -150.0 - j0.0 Ω","ZL = -150.0 - j0.0 Ω","M = 100.00 %",)j"
       R"j("ML at any phase = not defined: |ΓS||ΓL| ≥ 1",)j"
       R"j("Mismatch uncertainty = not defined: |ΓS||ΓL| ≥ 1",)j"
       R"j("Mismatch uncertainty = not defined: |ΓS||ΓL| ≥ 1",)j"
       R"j("Standard uncertainty = not defined: |ΓS||ΓL| ≥ 1",)j"
       R"j("Expanded uncertainty (k = 2) = not defined: |ΓS||ΓL| ≥ 1",)j"
       R"j("Coverage interval (95 %, Monte Carlo) = not defined: |ΓS||ΓL| ≥ 1",)j"
       R"j("VSWR S = infinite (total reflection or active port)","Return loss S = -6.02 dB",)j"
       R"j("Reflected power S = 400.00 %","VSWR L = infinite (total reflection or active port)",)j"
       R"j("Return loss L = -6.02 dB","Reflected power L = 400.00 %"]})j"
       "\n"},
  };
  for (const Case& c : cases) {
    cli_test::Outcome r = RunCli(c.args);
    EXPECT_EQ(r.status, cli::kSuccess) << c.args[3];
    EXPECT_EQ(r.err, "");
    if (c.coverage_db) {
      for (const auto& [key, expected] :
           {std::pair{"\"coverage_low_dB\":", c.coverage_db->first},
            std::pair{"\"coverage_high_dB\":", c.coverage_db->second}}) {
        const std::size_t at = r.out.find(key);
        ASSERT_NE(at, std::string::npos) << key;
        const std::size_t from = at + std::strlen(key), to = r.out.find_first_of(",}", from);
        double value = 0;
        std::from_chars(r.out.data() + from, r.out.data() + to, value);
        EXPECT_NEAR(value, expected, 5e-4) << key;
        r.out.replace(from, to - from, "~");
      }
    }
    EXPECT_EQ(r.out, c.out);
  }
}

// No power reaches the load: the lines and the JSON take the window's "∞".
// A VSWR and a return loss as typed, what they were read as, and the standard uncertainty.
TEST(SinglePoint, MagnitudesAsVswrOrReturnLoss) {
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
  const std::string plain_json = RunCli({"--source", "0.5@30", "--load", "0.3@-45", "--json"}).out;
  EXPECT_NE(plain_json.find("\"read_as\":null"), std::string::npos);
}

TEST(SinglePoint, AnUnboundedMismatchLossIsInfinite) {
  const cli_test::Outcome lines = RunCli({"--source", "1@90", "--load", "0.5@0"});
  EXPECT_EQ(lines.status, cli::kSuccess);
  EXPECT_EQ(lines.out.substr(0, 30), "RL = 0.00 dB\nML = \u221e dB\nZS = ");
  const std::string json = RunCli({"--source", "1@90", "--load", "0.5@0", "--json"}).out;
  EXPECT_NE(json.find("\"ML\":\"\u221e\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"ML = \u221e dB\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"ML_dB\":\"infinite\""), std::string::npos) << json;
  // The texts are the window's, rounded; only the numbers beside them are at full precision.
  EXPECT_EQ((lines.out + json.substr(json.find("\"lines\""))).find("00000000"), std::string::npos);
}

// A fault gives the window's message on standard error, nothing on standard output and status 1.
TEST(SinglePoint, FaultsGiveTheWindowsWarning) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"--z0", "50", "--source", "0.5@", "--load", "0@0"},  // an empty box
       "Nothing to compute with: the box “source reflection coefficient, angle” is empty. Please "
       "enter a number.\n"},
      {{"--z0", "50", "--source", "1@0", "--load", "0@0"},  // an open circuit
       "Division by zero while computing the source impedance: a reflection coefficient of "
       "exactly 1 is an open circuit.\n"},
      {{"--z0", "x", "--source", "0.5@0", "--load", "2@0"},  // the mismatch factor before Z0
       "Division by zero while computing the mismatch factor: the product of the two reflection "
       "coefficients is exactly 1, so 1 - ΓS·ΓL is zero.\n"},
      {{"--source", "0.5@0", "--load", "1.5@60"},  // an active load against a passive source
       "ΓL is active (|ΓL| > 1) and ΓS passive: no mismatch loss exists; the pair may "
       "oscillate.\n"},
      {{"--z0", "x", "--source", "0.5@0", "--load", "0.2@0"},  // Z0, read when needed
       "“x” in the box “reference impedance” is not a number.\n"},
  };
  for (const Case& c : cases) {
    const cli_test::Outcome r = RunCli(c.args);
    EXPECT_EQ(r.status, cli::kWarning) << c.args[3];
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
}

// A two-port between: its lines follow the window's, and JSON gives its figures as numbers.
TEST(SinglePoint, ATwoPortBetweenAddsItsLines) {
  const std::vector<std::string> args = {
      "--source", "0.5@30", "--load", "0.3@-45", "--through", "0.05@10 0.9@-40 0.9@-40 0.05@170"};
  const cli_test::Outcome r = RunCli(args);
  EXPECT_EQ(r.status, cli::kSuccess) << r.err;
  const std::string expected =
      "ML = 0.31 dB\n"
      "ZS = 97.7 + j65.1 \u03a9\n";
  EXPECT_NE(r.out.find(expected), std::string::npos);
  for (const char* line :
       {"\n\u0393out = 0.3754 at -53.88\u00b0\n", "\n\u0393in = 0.2091 at -114.45\u00b0\n",
        "\nGt = -2.61 dB\n", "\nML source plane = 1.40 dB\n",
        "\nML source plane at any phase = 0.48 to 2.31 dB\n", "\nML load plane = 1.27 dB\n"}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line;
  }
  std::vector<std::string> json_args = args;
  json_args.push_back("--json");
  const std::string json = RunCli(json_args).out;
  EXPECT_NE(json.find("\"through\":{\"gamma_out_magnitude\":0.375"), std::string::npos) << json;
  EXPECT_NE(json.find("\"Gt = -2.61 dB\""), std::string::npos);
}

TEST(CommandLine, UnusableCommandLinesAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--source", "0.5@0"},
      {"--source", "0.5", "--load", "0@0"},
      {"--source", "0.5@0", "--load", "0@0", "--csv", "x.csv"},
      {"--source", "a.s2p:12", "--load", "b.s2p:11"},
      {"--source", "0.5@0", "--load", "0@0", "--load", "0@0"},
      {"--frobnicate"},
      {"--source", "0.5@0", "--load", "0@0", "--through", "t.s2p"},
      {"--source", "0.5@0", "--load", "0@0", "--through", "0@0 1@0 1@0"},
      {"--source", "a.s2p:22", "--load", "b.s2p:11", "--through", "0@0 1@0 1@0 0@0 1@0"},
      {"--source", "-:22", "--load", "-:11"},
      {"--source", "a.s2p:22", "--load", "b.s2p:11", "--csv", "-", "--smith", "-"},
      {"--source", "0.5@0", "--load", "0@0", "--smith", "x.svg"},
  };
  for (const auto& args : cases) {
    const cli_test::Outcome r = RunCli(args);
    EXPECT_EQ(r.status, cli::kUsage) << args[0] << " " << args.back();
    EXPECT_NE(r.err.find("--help"), std::string::npos);
    EXPECT_EQ(r.out, "");
  }
  const std::string help = RunCli({"--help"}).out;
  EXPECT_EQ(help.substr(0, help.find("\n\n")),
            "Usage:\n"
            "  voranth-calc [--z0 OHMS] --source MAG@ANGLE --load MAG@ANGLE\n"
            "               [--through \"S11 S21 S12 S22\"] [--json]\n"
            "  voranth-calc --source FILE:PP --load FILE:PP [--through TWOPORT.s2p[:21]]\n"
            "               [--z0 OHMS] [--csv OUT.csv] [--plot OUT.svg] [--smith OUT.svg]\n"
            "  voranth-calc --source MAG@ANGLE --load FILE:PP ... (or the other way round)\n"
            "  voranth-calc --source [max] MAG --load [max] MAG [--through \"S11 S21 S12 S22\"]\n"
            "               [--json]\n"
            "  voranth-calc --help | --version");
}

}  // namespace
