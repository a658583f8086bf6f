#pragma once

#include <string>
#include <string_view>

namespace platform {

// Formats a number by a display pattern such as "###0.00" or "#####0.0": '#' and '0' are digit
// places and '.' the decimal point; the number of places after the point sets the decimals, and
// the '0' places before it the least number of integer digits (at least one is always written).
// Other characters of the pattern are ignored.
//
// The value is first rounded to 15 significant decimal digits as printf's "%.14e" does (the
// exact binary value, to nearest, ties to even), then that decimal is rounded to the pattern's
// decimal places with halves away from zero. The whole integer part is written however long (no
// grouping), with a single 0 when it is zero; digits past the fifteenth significant one are
// zeros. The decimal separator is the point, whatever the process locale. A minus sign is
// written only when some digit shown is not zero, so negative zero and -0.004 both show "0.00"
// in "###0.00". NaN and infinities, which the program never formats, give "nan", "inf", "-inf".
std::string FormatNumber(double value, std::string_view pattern);

// A decimal number written out in full ("-9999950.0", "0.000012") in scientific form with at
// most `significant` significant digits (at least 2): "-9.99995e6", "1.2e-5". Digits beyond them
// are rounded off, halves away from zero; trailing zeros are dropped, but one digit always
// follows the point ("3.0e150", "0.0e0" for zero). Empty when `text` is not such a number: an
// optional minus sign, digits, and optionally a point and more digits.
std::string CompactDecimal(std::string_view text, int significant);

// The shortest text that reads back to the same double ("0.1", "1e+09", "-0"); "inf", "-inf" and
// "nan" for the values that are not finite. AppendShortest writes it at the end of `out`.
std::string Shortest(double value);
void AppendShortest(std::string& out, double value);

// The same text written at `p`, where kShortestSpace bytes must be free (more than the text
// needs: whole words are stored); returns the end of the text.
inline constexpr int kShortestSpace = 48;
char* WriteShortest(char* p, double value);

}  // namespace platform
