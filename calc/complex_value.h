#pragma once

#include "calc/quantity.h"

namespace calc {

// One complex number held in polar and rectangular form side by side. The two forms are not
// kept consistent by the record: PolarToRect and RectToPolar derive one from the other.
struct ComplexValue {
  double Magnitude = 0.0;  // not restricted: -m at a is the same number as m at a + pi
  double Angle = 0.0;      // radians, never reduced to a range
  double Real = 0.0;
  double Imag = 0.0;
};

// The program's pi: the 64-bit float nearest to 3.14159265358979 (bit pattern
// 400921FB54442D11), seven units in the last place below the float nearest to the true pi.
// Every result of the calculator is computed with this value.
inline constexpr double kPi = 0x1.921fb54442d11p+1;

// Fills Real and Imag from Magnitude and Angle; the polar fields are copied. Checked.
ComplexValue PolarToRect(const ComplexValue& z);

// Fills Magnitude and Angle from Real and Imag; the rectangular fields are copied. The angle
// lies in [-pi, pi]: the negative real axis (either zero sign of Imag) gives +pi. Checked.
ComplexValue RectToPolar(const ComplexValue& z);

// Base-10 logarithm as ln(x) / ln(10). Zero (of either sign) answers minus infinity without
// raising a flag; a negative argument raises ErrorKind::LogarithmArgument.
double SafeLog10(double x);

// The same, naming the quantity being computed in any error they raise.
ComplexValue PolarToRect(const ComplexValue& z, Quantity quantity);
ComplexValue RectToPolar(const ComplexValue& z, Quantity quantity);
double SafeLog10(double x, Quantity quantity);

}  // namespace calc
