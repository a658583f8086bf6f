#pragma once

#include <string>

#include "platform/errors.h"

namespace calc {

// The warning for the user about an error of the calculation, in the engineer's terms: which
// input holds no number, or which quantity could not be computed and why, the reason taken from
// the step that failed and the values it had. One line of plain UTF-8: the user's text is quoted
// with control characters written as escapes (\x0A, \u2028) and bytes that are not UTF-8 as
// U+FFFD, and shortened when long. Used by the window and by the command-line program alike.
std::string WarningText(const platform::Error& error);

}  // namespace calc
