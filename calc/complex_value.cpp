#include "calc/complex_value.h"

#include <cmath>

#include "calc/complex_steps.h"

namespace calc {

ComplexValue PolarToRect(const ComplexValue& z) {
  return PolarToRect(z, Quantity::None);
}
ComplexValue RectToPolar(const ComplexValue& z) {
  return RectToPolar(z, Quantity::None);
}
double SafeLog10(double x) {
  return SafeLog10(x, Quantity::None);
}

ComplexValue PolarToRect(const ComplexValue& z, Quantity quantity) {
  return steps::PolarToRect<true>(z, quantity);
}

ComplexValue RectToPolar(const ComplexValue& z, Quantity quantity) {
  return steps::RectToPolar<true>(z, quantity);
}

double SafeLog10(double x, Quantity quantity) {
  bool unused = false;
  return steps::SafeLog10<true>(x, quantity, unused);
}

}  // namespace calc
