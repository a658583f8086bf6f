#pragma once

// The sides of a sweep as a user types them, the same in voranth-calc's options and in the
// window: "FILE:PP" or "MAG@ANGLE" for the source and the load, a 2-port file or four MAG@ANGLE
// for the two-port between them.

#include <array>
#include <optional>
#include <stdexcept>
#include <string>

#include "calc/input_text.h"
#include "calc/two_port.h"
#include "sweep/sweep.h"

namespace sweep {

// A side that cannot be used as typed; what() says what is wrong.
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
using FileSpec = FilePort;

// The value of --source or --load (`option`): "FILE:PP" into `file`, or "MAG@ANGLE" into `point`.
// Raises UsageError.
void ReadCoefficient(const std::string& option, const std::string& value,
                     std::optional<PointSpec>& point, std::optional<FileSpec>& file);

// The value of --through: a 2-port file ("FILE", "FILE:12", "FILE:21") into `file`, or four
// MAG@ANGLE into `point`. Raises UsageError.
void ReadThrough(const std::string& value, std::optional<ThroughFile>& file,
                 std::optional<std::array<PointSpec, 4>>& point);

// The two-port typed as four MAG@ANGLE texts (S11 S21 S12 S22), read by the boxes' rule. Raises
// UsageError.
calc::TwoPortS ThroughOf(const std::array<PointSpec, 4>& points);

// A reflection coefficient typed as MAG@ANGLE for a whole sweep, read as the window reads its
// boxes (a VSWR or a return loss too); `load` says which side's boxes name it in a warning.
// Raises platform::Error as the boxes do.
Reflection FixedReflectionOf(const PointSpec& point, bool load, calc::MagnitudeReading& reading);

}  // namespace sweep
