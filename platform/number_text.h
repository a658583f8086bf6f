#pragma once

#include <string_view>

namespace platform {

// Converts the text of an input box to a 64-bit float.
//
// Accepted: optional blanks and tabs around the number; an optional sign; digits with at most
// one decimal separator, a point or a comma (".5", "5." and "0,5" are numbers); an optional
// exponent (e or E, optional sign, digits). Nothing else is a number: the empty text, letters,
// "inf", "nan", hexadecimal, a second separator, digit grouping and inner blanks raise
// Error(ErrorKind::Conversion). A number beyond the 64-bit range raises ErrorKind::Overflow; one
// too small becomes the nearest 64-bit value (a zero of the number's sign, or a subnormal).
// The result is correctly rounded and independent of the process locale.
//
// `field` names the input in the user's words for the error message.
double TextToNumber(std::string_view text, std::string_view field);

}  // namespace platform
