#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run.h"

namespace cli_test {

struct Outcome {
  int status;
  std::string out, err;
};

inline Outcome RunCli(const std::vector<std::string>& args,
                      const cli::PlotWriter& plot = cli::DrawPlot,
                      const cli::SmithWriter& smith = cli::DrawSmith) {
  std::ostringstream out, err;
  const int status = cli::Run(args, out, err, plot, smith);
  return {status, out.str(), err.str()};
}

// The fields of a line, or the lines of a text, as split at every separator.
inline std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// A scratch directory of the test's own, removed at the end.
class ScratchDir {
 public:
  ScratchDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("voranth-cli-test-" + std::to_string(::getpid()) + "-" + std::to_string(next_++));
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }

  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
    return File(name);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) {
      names.push_back(e.path().filename().string());
    }
    return names;
  }

 private:
  static inline int next_ = 0;
  std::filesystem::path path_;
};

}  // namespace cli_test
