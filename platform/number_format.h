#pragma once

#include <string>
#include <string_view>

namespace platform {

// Formats a number by a display pattern such as "###0.00" or "#####0.0": '#' and '0' are digit
// places and '.' the decimal point; the number of places after the point sets the decimals.
//
// The value is first rounded to 15 significant decimal digits, then to the pattern's decimal
// places with halves away from zero. The whole integer part is written however long (no
// grouping), with a single 0 when it is zero; digits past the fifteenth significant one are
// zeros. The decimal separator is the point. A minus sign is written only when some digit shown
// is not zero, so negative zero and -0.004 both show "0.00" in "###0.00".
std::string FormatNumber(double value, std::string_view pattern);

}  // namespace platform
