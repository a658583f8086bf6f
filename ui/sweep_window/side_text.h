#pragma once

// One side of a sweep as a user writes it, on the command line or in the open dialog:
// voranth-calc's syntax, read by the same parser. Plain C++, without Qt.

#include <stdexcept>
#include <string>

#include "sweep/sweep.h"
#include "ui/sweep_window/sweep_data.h"

namespace ui {

// What cannot be used, in words for the user.
class SideError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "FILE:PP" (S_pp of port p, or a mixed-mode port "FILE:D1,3") or "MAG@ANGLE", MAG and ANGLE read
// by the boxes' rule (a VSWR or a return loss too: "VSWR 1.5@0"). `option` names the side in a
// message ("--source"). Raises SideError.
SweepSide ReadSide(const std::string& option, const std::string& value);

// One reflection coefficient for every frequency.
SweepSide FixedSide(double magnitude, double angle_deg);

// "FILE", "FILE:12" or "FILE:21" (turned round), or S11 S21 S12 S22 for every frequency, each
// MAG@ANGLE. Raises SideError.
sweep::ThroughFile ReadThroughFile(const std::string& value);

// Checks a request: a file on one side at least. Raises SideError.
void CheckRequest(const SweepRequest& request);

}  // namespace ui
