// The command line as engineers write it: a data sheet's Γ against a measured file, a two-port
// typed or named with blanks, standard input, and the messages that say what went wrong.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "cli/help.h"
#include "cli/run.h"
#include "cli_test_support.h"
#include "sweep/csv.h"

namespace {

using cli_test::RunCli;
using cli_test::ScratchDir;
using cli_test::Split;

// Column `column` of every row of a CSV table, after its header.
std::vector<double> Column(const std::string& table, std::size_t column) {
  std::vector<double> values;
  std::vector<std::string> lines = Split(table, '\n');
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (!lines[i].empty()) values.push_back(std::stod(Split(lines[i], ',').at(column)));
  }
  return values;
}

constexpr std::size_t kSourceMagnitude = 1, kLoadMagnitude = 3, kML = 6, kGt = 22;
// A 1 GHz and a 2 GHz point: Γ = 0.5 and -0.5; and a matched file.
constexpr const char* kFile = "# GHz S MA R 50\n1 0.5 0\n2 0.5 180\n";
constexpr const char* kMatched = "# GHz S MA R 50\n1 0 0\n2 0 0\n";
// A matched 6 dB attenuator, typed and as a file.
constexpr const char* kAttenuator = "0@0 0.5@0 0.5@0 0@0";
constexpr const char* kAttenuatorFile =
    "# GHz S MA R 50\n1 0 0 0.5 0 0.5 0 0 0\n2 0 0 0.5 0 0.5 0 0 0\n";

struct FixedCase {
  const char* what;
  std::function<std::vector<std::string>(const ScratchDir&)> args;
  std::size_t column;
  std::vector<double> expected;  // worked out with Python's math module
};

const FixedCase kFixedCases[] = {
    {"a data sheet's VSWR against a measured load",
     [](const ScratchDir& d) {
       return std::vector<std::string>{"--source", "VSWR 1.5@0", "--load",
                                       d.Write("dut.s1p", kFile) + ":11"};
     },
     kML,
     {0.5115252244738131, 2.254528738851816}},
    {"a measured source against a fixed load",
     [](const ScratchDir& d) {
       return std::vector<std::string>{"--source", d.Write("dut.s1p", kFile) + ":11", "--load",
                                       "0.2@0"};
     },
     kML,
     {0.5115252244738131, 2.254528738851816}},
    {"the fixed side is the same in every row",
     [](const ScratchDir& d) {
       return std::vector<std::string>{"--source", "0.2@0", "--load",
                                       d.Write("dut.s1p", kFile) + ":11"};
     },
     kSourceMagnitude,
     {0.2, 0.2}},
    {"a typed two-port between two files",
     [](const ScratchDir& d) {
       return std::vector<std::string>{"--source",  d.Write("s.s1p", kMatched) + ":11",
                                       "--load",    d.Write("l.s1p", kMatched) + ":11",
                                       "--through", kAttenuator};
     },
     kGt,
     {-6.020599913279624, -6.020599913279624}},
    {"a two-port whose path holds a blank, with a fixed load",
     [](const ScratchDir& d) {
       return std::vector<std::string>{"--source",  d.Write("s.s1p", kMatched) + ":11",
                                       "--load",    "0@0",
                                       "--through", d.Write("an adapter.s2p", kAttenuatorFile)};
     },
     kGt,
     {-6.020599913279624, -6.020599913279624}},
    {"a matched load read from standard input",
     [](const ScratchDir& d) {
       return std::vector<std::string>{
           "--source", d.Write("s.s1p", kFile) + ":11", "--load", "-:11", "--load-ports", "1"};
     },
     kLoadMagnitude,
     {0.0, 0.0}},
};

class FixedSides : public testing::TestWithParam<FixedCase> {};

TEST_P(FixedSides, GiveRowsOnTheFilesGrid) {
  const FixedCase& c = GetParam();
  ScratchDir dir;
  // Standard input holds a matched file for the case that reads it.
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  ASSERT_EQ(write(pipe_fds[1], kMatched, std::string(kMatched).size()),
            static_cast<ssize_t>(std::string(kMatched).size()));
  close(pipe_fds[1]);
  const int saved_stdin = dup(0);
  dup2(pipe_fds[0], 0);
  close(pipe_fds[0]);
  const cli_test::Outcome r = RunCli(c.args(dir));
  dup2(saved_stdin, 0);
  close(saved_stdin);
  ASSERT_EQ(r.status, cli::kSuccess) << r.err;
  const std::vector<double> got = Column(r.out, c.column);
  ASSERT_EQ(got.size(), c.expected.size()) << r.out;
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.expected[i], 1e-12) << i;
}

INSTANTIATE_TEST_SUITE_P(CommandForms, FixedSides, testing::ValuesIn(kFixedCases),
                         [](const testing::TestParamInfo<FixedCase>& info) {
                           return "Case" + std::to_string(info.index);
                         });

struct MessageCase {
  const char* what;
  std::function<std::vector<std::string>(const ScratchDir&)> args;
  int status;
  const char* err;  // a part of standard error
};

std::vector<std::string> SweepOf(const ScratchDir& d, const std::string& source_text) {
  return {"--source", d.Write("s.s1p", source_text) + ":11", "--load",
          d.Write("l.s1p", kFile) + ":11"};
}

const MessageCase kMessages[] = {
    {"an orientation that a two-port does not have",
     [](const ScratchDir& d) {
       std::vector<std::string> args = SweepOf(d, kFile);
       args.insert(args.end(), {"--through", d.Write("t.s2p", kAttenuatorFile) + ":33"});
       return args;
     },
     cli::kUsage, "t.s2p:12, port 1 facing the source) or turned round ("},
    {"UTF-32, little-endian without a mark",
     [](const ScratchDir& d) { return SweepOf(d, std::string("#\0\0\0 \0\0\0G\0\0\0", 12)); },
     cli::kFileError, "the file is UTF-32 text"},
    {"UTF-32, big-endian with its mark",
     [](const ScratchDir& d) { return SweepOf(d, std::string("\0\0\xFE\xFF\0\0\0#", 8)); },
     cli::kFileError, "the file is UTF-32 text"},
    {"UTF-16 stays UTF-16",
     [](const ScratchDir& d) { return SweepOf(d, std::string("\xFF\xFE#\0 \0", 6)); },
     cli::kFileError, "the file is UTF-16 text"},
    {"one frequency in the common band",
     [](const ScratchDir& d) {
       return std::vector<std::string>{"--source", d.Write("s.s1p", kFile) + ":11", "--load",
                                       d.Write("l.s1p", "# GHz S MA R 50\n1.5 0.1 0\n") + ":11"};
     },
     cli::kSuccess, "at the one frequency of "},
    {"a fixed VSWR below 1 gives the window's warning",
     [](const ScratchDir& d) {
       return std::vector<std::string>{"--source", "VSWR 0.8@0", "--load",
                                       d.Write("l.s1p", kFile) + ":11"};
     },
     cli::kWarning, "0.8"},
};

class Messages : public testing::TestWithParam<MessageCase> {};

TEST_P(Messages, SayWhatIsWrong) {
  const MessageCase& c = GetParam();
  ScratchDir dir;
  const cli_test::Outcome r = RunCli(c.args(dir));
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(CommandForms, Messages, testing::ValuesIn(kMessages),
                         [](const testing::TestParamInfo<MessageCase>& info) {
                           return "Case" + std::to_string(info.index);
                         });

TEST(CommandForms, JsonFollowsOneRuleAndReportsAWarning) {
  // A two-port that passes nothing: Gt is "-infinite", and the planes it cannot compute are null.
  const cli_test::Outcome blocked =
      RunCli({"--source", "0.5@0", "--load", "0.5@0", "--through", "1@0 0@0 0@0 1@0", "--json"});
  EXPECT_NE(blocked.out.find("\"Gt_dB\":\"-infinite\""), std::string::npos) << blocked.out;
  const cli_test::Outcome open = RunCli({"--source", "1@0", "--load", "0.3@0", "--json"});
  EXPECT_EQ(open.status, cli::kWarning);
  EXPECT_EQ(open.out,
            "{\"error\":{\"warning\":\"Division by zero while computing the source impedance: a "
            "reflection coefficient of exactly 1 is an open circuit.\"}}\n");
}

TEST(CommandForms, HelpNamesEveryColumn) {
  const std::string help = cli::HelpText();
  std::string header = sweep::CsvHeader(true);
  header.pop_back();  // the newline
  for (const std::string& column : Split(header, ',')) {
    EXPECT_NE(help.find(column), std::string::npos) << column;
  }
}

}  // namespace
