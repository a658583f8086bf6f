#include "ui/sweep_window/side_text.h"

#include <array>
#include <optional>

#include "calc/input_text.h"
#include "calc/warning_text.h"
#include "platform/errors.h"
#include "sweep/side_text.h"
#include "touchstone/touchstone.h"

namespace ui {

SweepSide ReadSide(const std::string& option, const std::string& value) {
  std::optional<sweep::PointSpec> point;
  std::optional<sweep::FileSpec> file;
  try {
    sweep::ReadCoefficient(option, value, point, file);
  } catch (const sweep::UsageError& error) {
    throw SideError(error.what());
  }
  if (file) {
    // The window asks for no count of ports: a version 1 file says it by its name (.s2p).
    file->ports_hint.clear();
    return *file;
  }
  SweepSide side;
  try {
    calc::MagnitudeReading reading;
    side.fixed = sweep::FixedReflectionOf(*point, option == "--load", reading);
  } catch (const platform::Error& error) {
    throw SideError(option + " \"" + value + "\": " + calc::WarningText(error));
  }
  return side;
}

SweepSide FixedSide(double magnitude, double angle_deg) {
  SweepSide side;
  side.fixed = sweep::ReflectionOf(touchstone::Sample{0.0, magnitude, angle_deg},
                                   touchstone::Format::kMagnitudeAngle);
  return side;
}

sweep::ThroughFile ReadThroughFile(const std::string& value) {
  std::optional<sweep::ThroughFile> file;
  std::optional<std::array<sweep::PointSpec, 4>> points;
  try {
    sweep::ReadThrough(value, file, points);
  } catch (const sweep::UsageError& error) {
    throw SideError(error.what());
  }
  if (points) {
    // Four S-parameters for every frequency, each MAG@ANGLE.
    sweep::ThroughFile through;
    try {
      through.fixed = sweep::ThroughOf(*points);
    } catch (const sweep::UsageError& error) {
      throw SideError(error.what());
    }
    return through;
  }
  return *file;
}

void CheckRequest(const SweepRequest& request) {
  if (request.source.fixed && request.load.fixed) {
    throw SideError(
        "a sweep needs a Touchstone file for the source or for the load (FILE:PP, for example "
        "amp.s2p:22); the other side may be one reflection coefficient (MAG@ANGLE)");
  }
}

}  // namespace ui
