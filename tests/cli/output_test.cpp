#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
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
std::string FakePlot(const draw::PlotData& /*data*/) {
  return "<svg/>\n";
}

// Set by a case whose Smith chart fails, after the table is complete.
bool g_smith_fails = false;

std::string FakeSmith(const draw::SmithData& /*data*/) {
  if (g_smith_fails) throw platform::OutputError("the Smith chart cannot be drawn: no memory left");
  return "<svg/>\n";
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
    {"a picture that cannot be written leaves the table as it was",
     [](const ScratchDir& d) {
       d.Write("ok.csv", kOld);
       return std::vector<std::string>{"--csv", d.File("ok.csv"), "--plot",
                                       d.File("missing/p.svg")};
     },
     cli::kFileError, "nothing was written",
     [](const ScratchDir& d) { EXPECT_EQ(d.Read("ok.csv"), kOld); }},
    {"a picture whose drawing fails leaves the table as it was",
     [](const ScratchDir& d) {
       d.Write("ok.csv", kOld);
       g_smith_fails = true;
       return std::vector<std::string>{"--csv", d.File("ok.csv"), "--smith", d.File("fail.svg")};
     },
     cli::kFileError, "nothing was written",
     [](const ScratchDir& d) {
       EXPECT_EQ(d.Read("ok.csv"), kOld);
       EXPECT_FALSE(fs::exists(d.File("fail.svg")));
     }},
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
  g_smith_fails = false;
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

// Waits until a temporary file appears in the directory, woken by the directory's events; false
// when none has appeared after 20 s.
bool WaitForStray(const ScratchDir& dir) {
  const int events = inotify_init1(IN_CLOEXEC);
  if (events < 0) return false;
  inotify_add_watch(events, dir.File(".").c_str(), IN_CREATE | IN_MOVED_TO);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  bool appeared = false;
  while (!(appeared = !Strays(dir).empty())) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd wait{events, POLLIN, 0};
    if (poll(&wait, 1, static_cast<int>(left.count())) > 0) {
      char buffer[4096];
      if (read(events, buffer, sizeof buffer) < 0) break;
    }
  }
  close(events);
  return appeared;
}

class OutputTargetsOnSignal : public testing::TestWithParam<int> {};

// Ended by a signal while it reads, the program leaves no temporary file behind.
TEST_P(OutputTargetsOnSignal, RemovesTheTemporaryFiles) {
  const int signal_number = GetParam();
  ScratchDir dir;
  const std::string pipe = dir.File("source.s1p");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string load = dir.Write("l.s1p", kLoad);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit no_core{0, 0};  // SIGQUIT and SIGXFSZ would leave a core file
    setrlimit(RLIMIT_CORE, &no_core);
    cli_test::RunCli({"--source", pipe + ":11", "--load", load + ":11", "--csv", dir.File("o.csv"),
                      "--plot", dir.File("o.svg")},
                     FakePlot, FakeSmith);
    _exit(0);
  }
  // Half a file into the FIFO, kept open: the child waits for the rest.
  std::FILE* writer = std::fopen(pipe.c_str(), "w");
  ASSERT_NE(writer, nullptr);
  std::fputs("# GHz S MA R 50\n1 0.5 30\n", writer);
  std::fflush(writer);
  ASSERT_TRUE(WaitForStray(dir)) << "no temporary file appeared";
  kill(child, signal_number);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  std::fclose(writer);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
  EXPECT_EQ(Strays(dir), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(dir.File("o.csv")));
  EXPECT_FALSE(fs::exists(dir.File("o.svg")));
}

INSTANTIATE_TEST_SUITE_P(Sweep, OutputTargetsOnSignal,
                         testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1,
                                         SIGUSR2, SIGXFSZ, SIGPIPE),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(sigabbrev_np(info.param));
                         });

// Two outputs that name one file, in any spelling and whether it exists or not, are refused
// before anything is written; two different files are not.
TEST(OutputSpellings, OneFileInAnySpellingIsRefused) {
  struct Case {
    const char* csv;
    const char* plot;
    bool same;
  };
  const Case cases[] = {
      {"n.csv", "./n.csv", true},      {"n.csv", "sub/../n.csv", true},
      {"n.csv", "ABSOLUTE", true},     {"n.csv", "here/n.csv", true},
      {"n.csv", "dangling.svg", true}, {"old.csv", "./sub/../old.csv", true},
      {"n.csv", "sub/n.csv", false},   {"n.csv", "m.svg", false},
  };
  ScratchDir dir;
  const std::string source = dir.Write("s.s1p", kSource) + ":11";
  const std::string load = dir.Write("l.s1p", kLoad) + ":11";
  fs::create_directory(dir.File("sub"));
  fs::create_directory_symlink(".", dir.File("here"));
  fs::create_symlink("n.csv", dir.File("dangling.svg"));
  const fs::path cwd = fs::current_path();
  fs::current_path(dir.File("."));
  for (const Case& c : cases) {
    dir.Write("old.csv", kOld);
    const std::string plot = c.plot == std::string("ABSOLUTE") ? dir.File("n.csv") : c.plot;
    const Outcome r = cli_test::RunCli(
        {"--source", source, "--load", load, "--csv", c.csv, "--plot", plot}, FakePlot);
    EXPECT_EQ(r.status, c.same ? cli::kFileError : cli::kSuccess) << plot << ": " << r.err;
    if (c.same) {
      EXPECT_NE(r.err.find("name the same file"), std::string::npos) << r.err;
      EXPECT_FALSE(fs::exists("n.csv")) << plot;
      EXPECT_EQ(dir.Read("old.csv"), kOld);
    }
    fs::remove("n.csv");
    fs::remove("sub/n.csv");
    fs::remove("m.svg");
  }
  fs::current_path(cwd);
}

// A path to the file that standard output is (a shell's redirection) and "-" are one target: the
// picture would go to a file the table replaces. Refused, and the file is left as it was.
TEST(OutputSpellings, StandardOutputByNameAndByDashIsRefused) {
  ScratchDir dir;
  const std::string source = dir.Write("s.s1p", kSource) + ":11";
  const std::string load = dir.Write("l.s1p", kLoad) + ":11";
  for (const std::string& csv : {dir.File("shell.txt"), std::string("/dev/stdout")}) {
    dir.Write("shell.txt", kOld);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const int shell = open(dir.File("shell.txt").c_str(), O_WRONLY | O_APPEND);
      if (shell < 0 || dup2(shell, STDOUT_FILENO) < 0) _exit(100);
      _exit(cli_test::RunCli({"--source", source, "--load", load, "--csv", csv, "--plot", "-"},
                             FakePlot)
                .status);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == cli::kFileError) << csv;
    EXPECT_EQ(dir.Read("shell.txt"), kOld) << csv;
  }
}

// "-" is standard output for a picture too, and only the picture goes there.
TEST(OutputSpellings, APictureGoesToStandardOutput) {
  ScratchDir dir;
  const Outcome r = cli_test::RunCli({"--source", dir.Write("s.s1p", kSource) + ":11", "--load",
                                      dir.Write("l.s1p", kLoad) + ":11", "--plot", "-"},
                                     FakePlot);
  EXPECT_EQ(r.status, cli::kSuccess) << r.err;
  EXPECT_EQ(r.out, "<svg/>\n");
}

}  // namespace
