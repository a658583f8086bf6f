// Placeholder: replaced by the full pattern formatting.
#include "platform/number_format.h"

#include <cstdio>

namespace platform {

std::string FormatNumber(double value, std::string_view pattern) {
  auto dot = pattern.find('.');
  int places = dot == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - dot - 1);
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", places, value);
  return buf;
}

}  // namespace platform
