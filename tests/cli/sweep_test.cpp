#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/run.h"
#include "cli_test_support.h"

namespace {

using cli_test::RunCli;
using cli_test::ScratchDir;
using cli_test::Split;

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
  kSourceMagnitude = 1,
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
  // M, ML and Im ZL of 0.5 at 30° with 0.3 at -45° against 50 Ω, worked out with Python's
  // complex numbers; the table writes every digit, so they agree to the last places.
  EXPECT_NEAR(std::stod(Field(lines[1], kM)), 0.9314579952111035, 1e-15);
  EXPECT_NEAR(std::stod(Field(lines[1], kML)), 0.30836725157812034, 1e-14);
  EXPECT_NEAR(std::stod(Field(lines[1], 11)), -31.864290987798935, 1e-12);
  EXPECT_NE(Field(lines[1], kMLmin), "");
  EXPECT_NEAR(std::stod(Field(lines[1], kStandardUncertainty)), 21.213203435596426, 1e-12);
}

// Two frequency grids: the rows that come out, their frequencies and the reflection
// coefficients used (NaN: not checked), and what standard error says.
struct Grids {
  const char* what;
  const char* source;  // the text of a .s1p
  const char* load;
  int status;
  std::vector<std::string> frequencies;  // of the rows
  std::vector<double> source_magnitudes, load_magnitudes;
  const char* err;  // a part of standard error; "" for none at all
};

constexpr double kAny = NAN;

const Grids kGrids[] = {
    {"the same grid in other units is paired point by point",
     "# GHz S MA R 50\n1 0.5 30\n2 0.4 20\n3 0.3 10\n",
     "# MHz S MA R 50\n1000 0.3 -45\n2000 0.2 0\n3000 0.1 45\n",
     cli::kSuccess,
     {"1e+09", "2e+09", "3e+09"},
     {0.5, 0.4, 0.3},
     {0.3, 0.2, 0.1},
     ""},
    {"half-hertz steps at 1 GHz: each point keeps its own partner",
     "# Hz S MA R 50\n1000000000 0.5 0\n1000000000.5 0.5 0\n1000000001 0.5 0\n",
     "# GHz S MA R 50\n1 0.1 0\n1.0000000005 0.2 0\n1.000000001 0.3 0\n",
     cli::kSuccess,
     {"1e+09", "1000000000.5", "1000000001"},
     {},
     {0.1, 0.2, 0.3},
     ""},
    {"6.25 Hz steps at 10 GHz, written with rounding in the last digit",
     "# Hz S MA R 50\n10000000000 0.5 0\n10000000006.25 0.5 0\n10000000012.5 0.5 0\n",
     "# Hz S MA R 50\n10000000000.000002 0.1 0\n10000000006.249998 0.2 0\n"
     "10000000012.5 0.3 0\n",
     cli::kSuccess,
     {"1e+10", "10000000006.25", "10000000012.5"},
     {},
     {0.1, 0.2, 0.3},
     ""},
    {"overlapping bands: the whole overlap, on the denser grid, the other interpolated",
     "# GHz S RI R 50\n1 0.1 0\n2 0.2 0\n3 0.3 0\n4 0.4 0\n",
     "# GHz S RI R 50\n2.5 0.1 0\n3 0.2 0\n3.5 0.3 0\n4 0.4 0\n5 0.5 0\n",
     cli::kSuccess,
     {"2.5e+09", "3e+09", "3.5e+09", "4e+09"},
     {0.25, 0.3, 0.35, 0.4},
     {0.1, 0.2, 0.3, 0.4},
     "at the 4 frequencies of"},
    {"a load band inside the source's, with no source point in it",
     "# GHz S RI R 50\n1 0.1 0\n5 0.5 0\n",
     "# GHz S RI R 50\n2 0.3 0\n3 0.2 0\n4 0.1 0\n",
     cli::kSuccess,
     {"2e+09", "3e+09", "4e+09"},
     {0.2, 0.3, 0.4},
     {0.3, 0.2, 0.1},
     "\u0393S interpolated"},
    {"the same grid after a first point of its own",
     "# GHz S MA R 50\n0.5 0.9 0\n1 0.5 0\n2 0.4 0\n",
     "# GHz S MA R 50\n1 0.3 0\n2 0.2 0\n",
     cli::kSuccess,
     {"1e+09", "2e+09"},
     {0.5, 0.4},
     {0.3, 0.2},
     "grids differ"},
    {"bands that do not overlap",
     "# GHz S MA R 50\n1 0.5 0\n3 0.5 0\n",
     "# GHz S MA R 50\n5 0.3 -45\n6 0.2 0\n",
     cli::kFileError,
     {},
     {},
     {},
     "do not overlap"},
    {"a phase that turns by more than 45 degrees between the points interpolated",
     "# GHz S MA R 50\n1 0.5 0\n2 0.5 0\n3 0.5 0\n",
     "# GHz S MA R 50\n0.5 0.3 0\n3.5 0.3 90\n",
     cli::kSuccess,
     {"1e+09", "2e+09", "3e+09"},
     {0.5, 0.5, 0.5},
     {kAny, kAny, kAny},
     "unreliable"},
};

void PrintTo(const Grids& c, std::ostream* out) {
  *out << c.what;
}

class GridCases : public testing::TestWithParam<Grids> {};

TEST_P(GridCases, PairOrInterpolateOverTheWholeOverlap) {
  const Grids& c = GetParam();
  ScratchDir dir;
  const std::string out = dir.File("out.csv");
  const cli_test::Outcome r = RunCli({"--source", dir.Write("s.s1p", c.source) + ":11", "--load",
                                      dir.Write("l.s1p", c.load) + ":11", "--csv", out});
  EXPECT_EQ(r.status, c.status) << r.err;
  if (*c.err == '\0') {
    EXPECT_EQ(r.err, "");
  } else {
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  if (c.status == cli::kFileError) {
    EXPECT_EQ(dir.Names().size(), 2u);  // the two inputs only
    return;
  }
  const std::vector<std::string> lines = Lines(dir.Read("out.csv"));
  ASSERT_EQ(lines.size(), c.frequencies.size() + 1);
  for (std::size_t i = 0; i < c.frequencies.size(); ++i) {
    const std::string& row = lines[i + 1];
    EXPECT_EQ(Field(row, kFrequency), c.frequencies[i]) << row;
    if (i < c.source_magnitudes.size()) {
      EXPECT_NEAR(std::stod(Field(row, kSourceMagnitude)), c.source_magnitudes[i], 1e-15) << row;
    }
    if (i < c.load_magnitudes.size() && !std::isnan(c.load_magnitudes[i])) {
      EXPECT_NEAR(std::stod(Field(row, kLoadMagnitude)), c.load_magnitudes[i], 1e-15) << row;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sweep, GridCases, testing::ValuesIn(kGrids));

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
  EXPECT_EQ(Field(lines[1], kML + 1), "0");
  EXPECT_EQ(Field(lines[1], kMLmin), "inf");
  EXPECT_EQ(Field(lines[2], kM), "1");
  EXPECT_EQ(Field(lines[2], kML), "0");
  EXPECT_EQ(Field(lines[2], kML + 1), "inf");
}

// A file that turns out bad leaves an earlier table untouched and no stray file behind.
// A two-port between: an ideal through changes nothing at its planes, rows outside its band are
// left out, its grid is interpolated, and a point where Γout cannot be computed keeps its row.
TEST_F(Sweep, ATwoPortBetweenAddsItsColumns) {
  // 1.5 GHz (between its points) is interpolated; 3 GHz lies beyond its band.
  const std::string through = dir_.Write("t.s2p",
                                         "# GHz S RI R 50\n"
                                         "0.5 0 0 1 0 1 0 0 0\n"
                                         "1 0 0 1 0 1 0 0 0\n"
                                         "2.5 0 0 1 0 1 0 0 0\n");
  const cli_test::Outcome r =
      Sweep2("# GHz S MA R 50\n1 0.3 -45\n2 0.2 0\n3 0.1 45\n", {"--through", through});
  EXPECT_EQ(r.status, cli::kSuccess) << r.err;
  EXPECT_NE(r.err.find("interpolated"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1 frequency of the sweep outside the band"), std::string::npos) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u);
  const std::vector<std::string> header = Split(lines[0], ',');
  // The two-port's columns follow the direct ones: Γout, Γin, Gt, then both planes.
  constexpr std::size_t kThrough = kWarning;
  ASSERT_EQ(header.size(), kThrough + 12u);
  EXPECT_EQ(header[kThrough + 4], "Gt_dB");
  EXPECT_EQ(header[kThrough + 5], "ML_source_plane_dB");
  EXPECT_EQ(header[kThrough + 11], "warning");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> f = Split(lines[i], ',');
    EXPECT_EQ(f[kThrough], f[1]);  // |Γout| = |ΓS|
    // The mismatch at either plane is the direct one, and Gt its negative.
    EXPECT_NEAR(std::stod(f[kThrough + 5]), std::stod(f[kML]), 1e-12);
    EXPECT_NEAR(std::stod(f[kThrough + 8]), std::stod(f[kML]), 1e-12);
    EXPECT_NEAR(std::stod(f[kThrough + 4]), -std::stod(f[kML]), 1e-12);
    EXPECT_EQ(f[kThrough + 11], "");
  }

  // Interpolated between points whose transmission turns by 90°: unreliable, and said so.
  const std::string turning = dir_.Write("turn.s2p",
                                         "# GHz S MA R 50\n0.5 0 0 1 0 1 0 0 0\n"
                                         "2.5 0 0 1 90 1 90 0 0\n3 0 0 1 90 1 90 0 0\n");
  EXPECT_NE(Sweep2("# GHz S MA R 50\n1 0.3 -45\n2 0.2 0\n3 0.1 45\n", {"--through", turning})
                .err.find("turns by more than 45\u00b0 between 1 pair of neighbouring points used "
                          "for interpolation (the first from 5e+08 to 2.5e+09 Hz)"),
            std::string::npos);

  // S11 = 1 meets ΓS = 1: Γout has no value, and the row says so.
  const std::string bad =
      dir_.Write("bad.s2p", "# GHz S RI R 50\n1 1 0 0.5 0 0.5 0 0 0\n2 0 0 1 0 1 0 0 0\n");
  const std::string source = dir_.Write("open.s1p", "# GHz S RI R 50\n1 1 0\n2 0.5 0\n");
  const cli_test::Outcome o =
      RunCli({"--source", source + ":11", "--load",
              dir_.Write("l.s1p", "1 0.5 0\n2 0.5 0\n") + ":11", "--through", bad});
  EXPECT_EQ(o.status, cli::kWarning);
  EXPECT_NE(o.err.find("at 1e+09 Hz: "), std::string::npos) << o.err;
  const std::vector<std::string> rows = Lines(o.out);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_NE(rows[1].find(",\"Division by zero while computing the source impedance"),
            std::string::npos)
      << rows[1];
  EXPECT_NE(rows[1].find("\u0393out cannot be computed"), std::string::npos) << rows[1];
  EXPECT_EQ(rows[2].back(), ',');
}

// Ports of mixed-mode data by their names: the differential one refers to 100 Ω, the common one
// to 25 Ω, and ΓL is brought to the source's.
TEST_F(Sweep, MixedModePortsByTheirNames) {
  const std::string file =
      dir_.Write("bal.ts",
                 "[Version] 2.0\n# GHz S RI R 50\n[Number of Ports] 4\n[Number of Frequencies] 1\n"
                 "[Mixed-Mode Order] D1,3 D2,4 C1,3 C2,4\n[Network Data]\n"
                 "1 0.1 0.2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n");
  const cli_test::Outcome r = RunCli({"--source", file + ":D1", "--load", file + ":C1,3"});
  EXPECT_EQ(r.status, cli::kSuccess) << r.err;
  EXPECT_NE(r.err.find("100 \u03a9, " + file + ": 25 \u03a9"), std::string::npos) << r.err;
  EXPECT_EQ(Lines(r.out).size(), 2u);
}

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

// A zero of either sign is written "0": "-0" reads as a value of its own to some programs.
TEST_F(Sweep, TheTableWritesNoNegativeZero) {
  const cli_test::Outcome r = Sweep2("# GHz S MA R 50\n1 0 -0\n2 -0 -0\n3 0 0\n");
  EXPECT_EQ(r.status, cli::kSuccess) << r.err;
  for (const std::string& line : Lines(r.out)) {
    for (const std::string& field : Split(line, ',')) EXPECT_NE(field, "-0") << line;
  }
}

// A FIFO can be read only once: the sweep still pairs its points, also on another grid than the
// load's (which keeps the rest of both files aside until both are read).
TEST_F(Sweep, ReadsAFifoOnce) {
  const std::string fifo = dir_.File("pipe.s1p");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << kSource; });
  const cli_test::Outcome r = RunCli(
      {"--source", fifo + ":11", "--load",
       dir_.Write("l.s1p", "# GHz S RI R 50\n0.5 0.1 0\n1 0.2 0\n2.5 0.3 0\n3 0.4 0\n") + ":11"});
  writer.join();
  EXPECT_EQ(r.status, cli::kSuccess) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u);  // 1, 2 and 3 GHz
  EXPECT_DOUBLE_EQ(std::stod(Field(lines[2], kLoadMagnitude)), 0.2 + (0.3 - 0.2) * (1 / 1.5));
}

}  // namespace

// Files as analysers and simulators export them: what the sweep writes and says. The load is a
// 1-port of 0.2 at 0° against 50 ohms at 1, 2 and 3 GHz.
struct Export {
  const char* what;
  const char* source;  // written as s.s1p
  std::vector<std::string> options;
  int status;
  const char* said;   // a part of standard error
  int row;            // a row of the table (from 1) ...
  const char* start;  // ... that starts so
};

const Export kExports[] = {
    {"nan where the analyser could not measure",
     "# GHz S MA R 50\n1 .5 0\n2 NaN 0\n3 .5 0\n",
     {},
     cli::kWarning,
     "at 2e+09 Hz: not a number in the file, line 3 of",
     2,
     "2e+09,,,,,,,,,,,,,,,,,,\"not a number in the file, line 3 of"},
    {"a frequency repeated where two segments meet",
     "# GHz S MA R 50\n1 .5 0\n2 .5 0\n2 .5 1\n"
     "3 .5 0\n",
     {},
     cli::kSuccess,
     "s.s1p:4: the frequency 2e+09 Hz repeats the point before",
     3,
     "3e+09,0.5,0,0.2,0,"},
    {"stated impedances brought to the source's option-line R",
     "# GHz S RI R 25\n1 0 0\n! Port Impedance 50 0\n2 0 0\n! Port Impedance 50 0\n3 0 0\n"
     "! Port Impedance 50 0\n",
     {},
     cli::kSuccess,
     "(travelling-wave); every reflection coefficient is brought to the common reference of 25 Ω "
     "(the source's option-line R, 50 Ω when it gives none)",
     1,
     "1e+09,0.3333333333333333,0,0.5,0,"},
    {"--z0 brings every file to it",
     "# GHz S MA R 50\n1 0 0\n2 0 0\n3 0 0\n",
     {"--z0", "25"},
     cli::kSuccess,
     "common reference of 25 Ω (--z0)",
     1,
     "1e+09,0.3333333333333333,0,"},
    {"--z0 of 0",
     "# GHz S MA R 50\n1 0 0\n",
     {"--z0", "0"},
     cli::kUsage,
     "--z0 \"0\": expected a reference impedance in ohms above 0",
     0,
     ""},
};

void PrintTo(const Export& c, std::ostream* out) {
  *out << c.what;
}

class Exports : public testing::TestWithParam<Export> {
 protected:
  cli_test::ScratchDir dir_;
};

TEST_P(Exports, AreReadAsTheyMean) {
  const Export& c = GetParam();
  std::vector<std::string> args = {
      "--source", dir_.Write("s.s1p", c.source) + ":11", "--load",
      dir_.Write("l.s1p", "# GHz S MA R 50\n1 0.2 0\n2 0.2 0\n3 0.2 0\n") + ":11"};
  args.insert(args.end(), c.options.begin(), c.options.end());
  const cli_test::Outcome r = RunCli(args);
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
  if (c.row > 0) {
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_GT(lines.size(), static_cast<std::size_t>(c.row));
    EXPECT_EQ(lines[c.row].rfind(c.start, 0), 0u) << lines[c.row];
  }
}

INSTANTIATE_TEST_SUITE_P(Sweep, Exports, testing::ValuesIn(kExports));
