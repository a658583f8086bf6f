#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/sweep_window/sweep_data.h"

namespace app {

// The sweep that the command line names, with voranth-calc's syntax:
//   voranth --source FILE:PP --load FILE:PP [--through FILE[:21]]
// where one side may be a fixed reflection coefficient MAG@ANGLE instead. Nothing when no option
// is given. `args` are without the program's name and without Qt's own options. Raises
// ui::SideError with a message for the user.
std::optional<ui::SweepRequest> SweepFromArguments(const std::vector<std::string>& args);

}  // namespace app
