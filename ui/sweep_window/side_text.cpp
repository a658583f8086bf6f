#include "ui/sweep_window/side_text.h"

#include <optional>

#include "calc/input_text.h"
#include "calc/warning_text.h"
#include "cli/options.h"
#include "platform/errors.h"

namespace ui {

SweepSide ReadSide(const std::string& option, const std::string& value) {
  std::optional<cli::PointSpec> point;
  std::optional<cli::FileSpec> file;
  try {
    cli::ReadCoefficient(option, value, point, file);
  } catch (const cli::UsageError& error) {
    throw SideError(error.what());
  }
  SweepSide side;
  if (file) {
    // The window asks for no count of ports: a version 1 file says it by its name (.s2p).
    file->ports_hint.clear();
    side.file = std::move(*file);
    return side;
  }
  try {
    side.fixed.magnitude = calc::ReadMagnitude(point->magnitude).magnitude;
    side.fixed.angle_deg = calc::ReadAngle(point->angle);
  } catch (const platform::Error& error) {
    throw SideError(option + " \"" + value + "\": " + calc::WarningText(error));
  }
  return side;
}

sweep::ThroughFile ReadThroughFile(const std::string& value) {
  cli::Options options;
  try {
    cli::ReadThrough(value, options);
  } catch (const cli::UsageError& error) {
    throw SideError(error.what());
  }
  if (!options.through_file) {
    throw SideError("--through \"" + value + "\": expected a 2-port Touchstone file (FILE.s2p, " +
                    "or FILE.s2p:21 turned round)");
  }
  return *options.through_file;
}

void CheckRequest(const SweepRequest& request) {
  if (!request.source.file && !request.load.file) {
    throw SideError(
        "a sweep needs a Touchstone file for the source or for the load (FILE:PP, for example "
        "amp.s2p:22); the other side may be one reflection coefficient (MAG@ANGLE)");
  }
}

}  // namespace ui
