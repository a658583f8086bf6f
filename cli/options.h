#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sweep/sweep.h"

namespace cli {

// A command line that cannot be used; what() says what is wrong.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A reflection coefficient as typed: "MAG@ANGLE", both texts converted later by the boxes' rule.
struct PointSpec {
  std::string magnitude;
  std::string angle;
};

// S_pp of port `port` of a Touchstone file: "FILE:PP", with the number of ports of version 1
// data from --source-ports or --load-ports when the name does not end in .sNp.
using FileSpec = sweep::FilePort;

struct Options {
  bool help = false;
  bool version = false;
  bool json = false;
  std::optional<std::string> z0;  // text, as typed
  std::optional<PointSpec> source_point, load_point;
  std::optional<FileSpec> source_file, load_file;
  std::optional<std::string> csv;   // "-" for standard output
  std::optional<std::string> plot;  // SVG file

  bool sweep() const { return source_file.has_value(); }
};

// Reads the arguments (without the program name). Raises UsageError.
Options ParseOptions(const std::vector<std::string>& args);

}  // namespace cli
