// Placeholder: replaced by the full conversion rules.
#include "platform/number_text.h"

#include <charconv>

#include "platform/errors.h"

namespace platform {

double TextToNumber(std::string_view text, std::string_view field) {
  double v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || text.empty())
    RaiseConversionError(ErrorKind::Conversion, field, text);
  return v;
}

}  // namespace platform
