#pragma once

#include <string>

namespace cli {

// What --help writes.
std::string HelpText();

}  // namespace cli
