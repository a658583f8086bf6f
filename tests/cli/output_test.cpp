#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "cli/run.h"
#include "cli_test_support.h"
#include "platform/atomic_file.h"

namespace {

namespace fs = std::filesystem;
using cli_test::Outcome;
using cli_test::ScratchDir;

constexpr const char* kSource = "# GHz S MA R 50\n1 0.5 30\n2 0.4 20\n";
constexpr const char* kLoad = "# GHz S MA R 50\n1 0.3 -45\n2 0.2 0\n";
constexpr const char* kOld = "old\n";

// A plot writer as the program's, without drawing.
void FakePlot(const draw::PlotData& /*data*/, const std::string& path) {
  platform::AtomicFile file(path);
  file.Write("<svg/>\n");
  file.Commit();
}

void FakeSmith(const draw::SmithData& /*data*/, const std::string& path) {
  platform::AtomicFile file(path);
  file.Write("<svg/>\n");
  file.Commit();
}

// Files other than the scratch directory's inputs and planted targets: left-over temporaries.
std::vector<std::string> Strays(const ScratchDir& dir) {
  std::vector<std::string> strays;
  for (const std::string& name : dir.Names()) {
    if (name.find(".csv.") != std::string::npos || name.find(".svg.") != std::string::npos ||
        name.find(".s1p.") != std::string::npos || name.find(".s2p.") != std::string::npos) {
      strays.push_back(name);
    }
  }
  return strays;
}

struct Target {
  const char* what;
  // Plants the targets in the directory; gives the arguments after --source and --load.
  std::function<std::vector<std::string>(const ScratchDir&)> plant;
  int status;
  const char* err;  // a part of standard error
  // Checks the directory afterwards.
  std::function<void(const ScratchDir&)> check;
};

const Target kTargets[] = {
    {"--csv naming the source",
     [](const ScratchDir& d) {
       return std::vector<std::string>{"--csv", d.File("s.s1p")};
     },
     cli::kFileError, "is the same file as the input",
     [](const ScratchDir& d) { EXPECT_EQ(d.Read("s.s1p"), kSource); }},
    {"--plot naming a hard link to the load",
     [](const ScratchDir& d) {
       fs::create_hard_link(d.File("l.s1p"), d.File("hard.svg"));
       return std::vector<std::string>{"--plot", d.File("hard.svg")};
     },
     cli::kFileError, "is the same file as the input",
     [](const ScratchDir& d) { EXPECT_EQ(d.Read("l.s1p"), kLoad); }},
    {"--csv naming a symbolic link to the load",
     [](const ScratchDir& d) {
       fs::create_symlink(d.File("l.s1p"), d.File("link.csv"));
       return std::vector<std::string>{"--csv", d.File("link.csv")};
     },
     cli::kFileError, "is the same file as the input",
     [](const ScratchDir& d) { EXPECT_EQ(d.Read("l.s1p"), kLoad); }},
    {"--csv and --plot naming one new file",
     [](const ScratchDir& d) {
       return std::vector<std::string>{"--csv", d.File("o.csv"), "--plot", d.File("sub/../o.csv")};
     },
     cli::kFileError, "name the same file",
     [](const ScratchDir& d) { EXPECT_FALSE(fs::exists(d.File("o.csv"))); }},
    {"--smith naming the two-port",
     [](const ScratchDir& d) {
       d.Write("t.s2p", "1 0 0 1 0 1 0 0 0\n2 0 0 1 0 1 0 0 0\n");
       return std::vector<std::string>{"--through", d.File("t.s2p"), "--smith", d.File("t.s2p")};
     },
     cli::kFileError, "t.s2p: the output would destroy it",
     [](const ScratchDir& d) { EXPECT_EQ(d.Read("t.s2p").size(), 36u); }},
    {"--plot and --smith naming one file",
     [](const ScratchDir& d) {
       return std::vector<std::string>{"--plot", d.File("o.svg"), "--smith", d.File("o.svg")};
     },
     cli::kFileError, "--plot and --smith name the same file",
     [](const ScratchDir& d) { EXPECT_FALSE(fs::exists(d.File("o.svg"))); }},
    {"a symbolic link is written through to its file",
     [](const ScratchDir& d) {
       d.Write("real.csv", kOld);
       fs::create_symlink("real.csv", d.File("link.csv"));
       return std::vector<std::string>{"--csv", d.File("link.csv")};
     },
     cli::kSuccess, "",
     [](const ScratchDir& d) {
       EXPECT_TRUE(fs::is_symlink(d.File("link.csv")));
       EXPECT_EQ(d.Read("real.csv").rfind("frequency_hz,", 0), 0u);
     }},
    {"an existing file keeps its mode 600",
     [](const ScratchDir& d) {
       d.Write("private.csv", kOld);
       fs::permissions(d.File("private.csv"), fs::perms::owner_read | fs::perms::owner_write);
       return std::vector<std::string>{"--csv", d.File("private.csv")};
     },
     cli::kSuccess, "",
     [](const ScratchDir& d) {
       EXPECT_EQ(fs::status(d.File("private.csv")).permissions(),
                 fs::perms::owner_read | fs::perms::owner_write);
       EXPECT_NE(d.Read("private.csv"), kOld);
     }},
    {"a FIFO is written directly",
     [](const ScratchDir& d) {
       EXPECT_EQ(mkfifo(d.File("pipe.csv").c_str(), 0600), 0);
       return std::vector<std::string>{"--csv", d.File("pipe.csv")};
     },
     cli::kSuccess, "",
     [](const ScratchDir& d) {
       EXPECT_EQ(fs::status(d.File("pipe.csv")).type(), fs::file_type::fifo);
     }},
    {"a bad input leaves the old table",
     [](const ScratchDir& d) {
       d.Write("s.s1p", "# GHz S MA R 50\n1 0.5 30\n2 x 20\n");
       d.Write("old.csv", kOld);
       return std::vector<std::string>{"--csv", d.File("old.csv")};
     },
     cli::kFileError, "nothing was written",
     [](const ScratchDir& d) { EXPECT_EQ(d.Read("old.csv"), kOld); }},
};

void PrintTo(const Target& t, std::ostream* out) {
  *out << t.what;
}

class OutputTargets : public testing::TestWithParam<Target> {};

TEST_P(OutputTargets, NeverDestroyAnInputOrASpecialFile) {
  const Target& t = GetParam();
  ScratchDir dir;
  std::vector<std::string> args = {"--source", dir.Write("s.s1p", kSource) + ":11", "--load",
                                   dir.Write("l.s1p", kLoad) + ":11"};
  const std::vector<std::string> targets = t.plant(dir);
  args.insert(args.end(), targets.begin(), targets.end());
  // A FIFO needs a reader at the other end.
  std::string piped;
  std::thread reader;
  if (fs::exists(dir.File("pipe.csv"))) {
    reader = std::thread([&] {
      std::ifstream in(dir.File("pipe.csv"), std::ios::binary);
      piped.assign(std::istreambuf_iterator<char>(in), {});
    });
  }
  const Outcome r = cli_test::RunCli(args, FakePlot, FakeSmith);
  if (reader.joinable()) {
    reader.join();
    EXPECT_EQ(piped.rfind("frequency_hz,", 0), 0u);
  }
  EXPECT_EQ(r.status, t.status) << r.err;
  EXPECT_NE(r.err.find(t.err), std::string::npos) << r.err;
  if (!r.err.empty()) {
    EXPECT_EQ(r.err.back(), '\n') << r.err;
  }
  t.check(dir);
  EXPECT_EQ(Strays(dir), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Sweep, OutputTargets, testing::ValuesIn(kTargets));

// Ended by SIGTERM while it reads, the program leaves no temporary file behind.
TEST(OutputTargetsOnSignal, SigtermRemovesTheTemporaryFile) {
  ScratchDir dir;
  const std::string pipe = dir.File("source.s1p");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string load = dir.Write("l.s1p", kLoad);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    cli_test::RunCli(
        {"--source", pipe + ":11", "--load", load + ":11", "--csv", dir.File("o.csv")});
    _exit(0);
  }
  // Half a file into the FIFO, kept open: the child waits for the rest.
  std::FILE* writer = std::fopen(pipe.c_str(), "w");
  ASSERT_NE(writer, nullptr);
  std::fputs("# GHz S MA R 50\n1 0.5 30\n", writer);
  std::fflush(writer);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (Strays(dir).empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  ASSERT_FALSE(Strays(dir).empty()) << "no temporary file appeared";
  kill(child, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  std::fclose(writer);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_EQ(Strays(dir), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(dir.File("o.csv")));
}

}  // namespace
