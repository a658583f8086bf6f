#pragma once

#include <array>

#include "calc/input_text.h"
#include "calc/two_port.h"
#include "cli/options.h"
#include "sweep/sweep.h"

namespace cli {

// The two-port typed as four MAG@ANGLE texts (S11 S21 S12 S22), read by the boxes' rule. Raises
// UsageError.
calc::TwoPortS ThroughOf(const std::array<PointSpec, 4>& points);

// A reflection coefficient typed as MAG@ANGLE for a whole sweep, read as the window reads its
// boxes (a VSWR or a return loss too); `load` says which side's boxes name it in a warning.
// Raises platform::Error as the boxes do.
sweep::Reflection FixedReflectionOf(const PointSpec& point, bool load,
                                    calc::MagnitudeReading& reading);

}  // namespace cli
