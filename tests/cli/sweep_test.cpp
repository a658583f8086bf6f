#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "calc/mismatch.h"
#include "cli/csv.h"
#include "cli/run.h"
#include "cli_test_support.h"

namespace {

using cli_test::RunCli;
using cli_test::ScratchDir;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The lines of a text that ends in a newline.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines = Split(text, '\n');
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

// Field `i` of a CSV line (the numeric columns come before the quoted warning).
std::string Field(const std::string& line, std::size_t i) {
  return Split(line, ',').at(i);
}

enum Column {
  kFrequency = 0,
  kLoadMagnitude = 3,
  kLoadAngle = 4,
  kM = 5,
  kML = 6,
  kZLre = 10,
  kMLmin = 12,
  kStandardUncertainty = 14,
  kWarning = 18
};

constexpr const char* kSource = "! source\n# GHz S MA R 50\n1 0.5 30\n2 0.4 20\n3 0.3 10\n";

class Sweep : public ::testing::Test {
 protected:
  cli_test::Outcome Sweep2(const std::string& load_text, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--source", dir_.Write("src.s1p", kSource) + ":11", "--load",
                                     dir_.Write("load.s1p", load_text) + ":11"};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
  }
  ScratchDir dir_;
};

TEST_F(Sweep, SameGridGivesTheCalculationAtEveryFrequency) {
  const cli_test::Outcome r = Sweep2("# MHz S MA R 50\n1000 0.3 -45\n2000 0.2 0\n3000 0.1 45\n");
  EXPECT_EQ(r.status, cli::kSuccess);
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].rfind("frequency_hz,source_magnitude,", 0), 0u);
  EXPECT_EQ(lines[1].rfind("1e+09,0.5,30,0.3,-45,", 0), 0u);
  const calc::MismatchResult expected =
      calc::EvaluateMismatch([] { return 50.0; }, 0.5, 30, 0.3, -45);
  EXPECT_EQ(Field(lines[1], kM), cli::Shortest(expected.MismatchFactor));
  EXPECT_EQ(Field(lines[1], kML), cli::Shortest(expected.MismatchLossDb));
  EXPECT_EQ(Field(lines[1], 11), cli::Shortest(expected.Impedance2.Imag));
  EXPECT_NE(Field(lines[1], kMLmin), "");
  EXPECT_NEAR(std::stod(Field(lines[1], kStandardUncertainty)), 21.213203435596426, 1e-12);
}

TEST_F(Sweep, DifferentGridsUseTheCommonPoints) {
  const cli_test::Outcome r = Sweep2("# GHz S MA R 50\n1 0.3 -45\n1.5 0.2 0\n3 0.1 45\n4 0 0\n");
  EXPECT_EQ(r.status, cli::kSuccess);
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Field(lines[1], kFrequency), "1e+09");
  EXPECT_EQ(Field(lines[2], kFrequency), "3e+09");
  EXPECT_NE(r.err.find("grids differ"), std::string::npos) << r.err;
}

TEST_F(Sweep, NoCommonPointInterpolatesTheLoad) {
  const cli_test::Outcome r = Sweep2("# GHz S RI R 50\n0.5 0.1 0\n1.5 0.3 0.2\n2.5 0.1 -0.2\n");
  EXPECT_EQ(r.status, cli::kSuccess);
  EXPECT_NE(r.err.find("interpolated"), std::string::npos) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u);  // 1 and 2 GHz; 3 GHz lies outside the load's range
  EXPECT_DOUBLE_EQ(std::stod(Field(lines[1], kLoadMagnitude)), std::hypot(0.2, 0.1));
  EXPECT_NEAR(std::stod(Field(lines[2], kLoadAngle)), 0.0, 1e-13);  // (0.2, 0) at 2 GHz
}

TEST_F(Sweep, NoOverlapIsAnErrorAndWritesNothing) {
  const cli_test::Outcome r =
      Sweep2("# GHz S MA R 50\n5 0.3 -45\n6 0.2 0\n", {"--csv", dir_.File("out.csv")});
  EXPECT_EQ(r.status, cli::kFileError);
  EXPECT_NE(r.err.find("do not overlap"), std::string::npos) << r.err;
  EXPECT_EQ(dir_.Names().size(), 2u);  // the two inputs only
}

TEST_F(Sweep, DifferentReferencesBringTheLoadToTheSourcesReference) {
  const cli_test::Outcome r = Sweep2("# GHz S MA R 75\n1 0.2 0\n2 0.2 0\n3 0.2 0\n");
  EXPECT_EQ(r.status, cli::kSuccess);
  EXPECT_NE(r.err.find("reference impedances differ"), std::string::npos) << r.err;
  const std::string row = Lines(r.out).at(1);
  // ZL = 75 * 1.2 / 0.8 = 112.5 ohms, which is 62.5 / 162.5 against 50 ohms.
  EXPECT_NEAR(std::stod(Field(row, kLoadMagnitude)), 62.5 / 162.5, 1e-15);
  EXPECT_NEAR(std::stod(Field(row, kZLre)), 112.5, 1e-12);
}

TEST_F(Sweep, APointThatFailsKeepsItsRowAndSaysWhy) {
  const std::string source = dir_.Write("open.s1p", "# GHz S MA R 50\n1 0.5 0\n2 1 0\n3 0.5 0\n");
  const std::string load = dir_.Write("l.s1p", "# GHz S MA R 50\n1 0.2 0\n2 0.2 0\n3 0.2 0\n");
  const cli_test::Outcome r =
      RunCli({"--source", source + ":11", "--load", load + ":11", "--csv", dir_.File("o.csv")});
  EXPECT_EQ(r.status, cli::kWarning);
  EXPECT_NE(r.err.find("at 2e+09 Hz: Division by zero"), std::string::npos) << r.err;
  const std::vector<std::string> lines = Lines(dir_.Read("o.csv"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2].rfind("2e+09,1,0,0.2,0,,,,,,,,,,,,,,\"Division by zero", 0), 0u) << lines[2];
  EXPECT_EQ(Field(lines[3], kWarning), "");
  EXPECT_NE(Field(lines[3], kML), "");
}

// Unbounded losses are "inf": the mismatch loss of a short (no power reaches the load), the return
// loss of a perfect match.
TEST_F(Sweep, UnboundedLossesAreInf) {
  const std::string source = dir_.Write("s.s1p", "# GHz S MA R 50\n1 1 180\n2 0.3 45\n");
  const std::string load = dir_.Write("l.s1p", "# GHz S MA R 50\n1 0.2 0\n2 0.3 -45\n");
  const cli_test::Outcome r = RunCli({"--source", source + ":11", "--load", load + ":11"});
  EXPECT_EQ(r.status, cli::kSuccess) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Field(lines[1], kM), "0");
  EXPECT_EQ(Field(lines[1], kML), "inf");
  EXPECT_EQ(Field(lines[1], kML + 1), "-0");
  EXPECT_EQ(Field(lines[1], kMLmin), "inf");
  EXPECT_EQ(Field(lines[2], kM), "1");
  EXPECT_EQ(Field(lines[2], kML), "-0");
  EXPECT_EQ(Field(lines[2], kML + 1), "inf");
}

// A file that turns out bad leaves an earlier table untouched and no stray file behind.
TEST_F(Sweep, BadInputNeverLeavesAPartialTable) {
  dir_.Write("out.csv", "old\n");
  const cli_test::Outcome r =
      Sweep2("# GHz S MA R 50\n1 0.3 -45\n2 0.2 0\n3 0.1 abc\n", {"--csv", dir_.File("out.csv")});
  EXPECT_EQ(r.status, cli::kFileError);
  EXPECT_NE(r.err.find(dir_.File("load.s1p") + ":4:"), std::string::npos) << r.err;
  EXPECT_EQ(dir_.Read("out.csv"), "old\n");
  EXPECT_EQ(dir_.Names().size(), 3u);

  const cli_test::Outcome missing =
      RunCli({"--source", dir_.File("none.s2p") + ":22", "--load", dir_.File("out.csv") + ":11"});
  EXPECT_EQ(missing.status, cli::kFileError);
  EXPECT_NE(missing.err.find(dir_.File("none.s2p")), std::string::npos);
  EXPECT_EQ(missing.out, "");
}

}  // namespace
