#pragma once

#include <array>
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

// What "-" stands for as an input file.
inline constexpr const char* kStandardInput = "/dev/stdin";

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
  // Output files, "-" for standard output.
  std::optional<std::string> csv;
  std::optional<std::string> plot;   // SVG
  std::optional<std::string> smith;  // SVG
  // A two-port between source and load: a 2-port file for a sweep ("FILE", "FILE:12", or
  // "FILE:21" turned round), or S11 S21 S12 S22 as MAG@ANGLE, for a single point or the same at
  // every frequency of a sweep.
  std::optional<sweep::ThroughFile> through_file;
  std::optional<std::array<PointSpec, 4>> through_point;

  // A sweep has a file on one side at least; a side given as MAG@ANGLE is then the same at every
  // frequency.
  bool sweep() const { return source_file.has_value() || load_file.has_value(); }
  // Magnitudes without angles, the phases unknown: the mismatch budget (cli/budget_command.h).
  std::optional<std::string> source_magnitude, load_magnitude, through_magnitudes;
  bool budget() const { return source_magnitude || load_magnitude || through_magnitudes; }
};

// Reads the arguments (without the program name). Raises UsageError.
Options ParseOptions(const std::vector<std::string>& args);

// The value of --source or --load (`option`): "FILE:PP" into `file`, or "MAG@ANGLE" into `point`.
// Raises UsageError. The window's command line reads its ports with it too.
void ReadCoefficient(const std::string& option, const std::string& value,
                     std::optional<PointSpec>& point, std::optional<FileSpec>& file);

// The value of --through: a 2-port file ("FILE", "FILE:12", "FILE:21") into `o.through_file`,
// or four MAG@ANGLE into `o.through_point`. Raises UsageError.
void ReadThrough(const std::string& value, Options& o);

}  // namespace cli
