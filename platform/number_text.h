#pragma once

#include <string_view>

namespace platform {

// Converts the text of an input box to a 64-bit float.
//
// Accepted: optional blanks around the number; an optional sign; digits with at most one decimal
// separator, a point or a comma (".5", "5." and "0,5" are numbers); an optional exponent (e or
// E, optional sign, digits). Text pasted from documents is read as its ASCII forms: the minus
// sign U+2212 and the full-width digits, signs, full stop and comma count as the ASCII ones, and
// the no-break, narrow no-break and thin spaces (U+00A0, U+202F, U+2009) as blanks like the
// space and the tab, which may surround the number but never stand inside it. Nothing else is a
// number: the empty text, letters, "inf", "nan", hexadecimal, a second separator, digit
// grouping and inner blanks raise Error(ErrorKind::Conversion). One to three digits not starting
// with 0, a comma and exactly three digits, and nothing after them ("1,000", "-250,000"), raise
// ErrorKind::AmbiguousNumber: the comma may be a decimal comma or digit grouping ("0,500", "12,5"
// and "1,0005" are numbers). A number beyond the 64-bit range raises ErrorKind::Overflow; one
// too small becomes the nearest 64-bit value (a zero of the number's sign, or a subnormal). The
// result is correctly rounded and independent of the process locale. The error carries the text
// as given (Error::text()).
double TextToNumber(std::string_view text);

// The text without the blanks that may surround a number (those that TextToNumber ignores).
std::string_view StripBlanks(std::string_view text) noexcept;

// True when the text holds nothing but the blanks that may surround a number (or nothing).
bool IsBlankText(std::string_view text) noexcept;

}  // namespace platform
