#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "sweep/side_text.h"
#include "sweep/sweep.h"

namespace cli {

// A command line that cannot be used raises UsageError; the sides of a sweep are read as the
// window reads them (sweep/side_text.h).
using sweep::FileSpec;
using sweep::kStandardInput;
using sweep::PointSpec;
using sweep::UsageError;

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

}  // namespace cli
