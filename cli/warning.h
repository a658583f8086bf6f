#pragma once

#include <string>

#include "platform/errors.h"

namespace cli {

// The text of a warning, exactly as the window shows it for the same fault.
inline std::string WarningFor(const platform::Error& error) {
  return error.message();
}

}  // namespace cli
