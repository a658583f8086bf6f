#include "calc/calculate_texts.h"

#include <cmath>

#include "calc/input_text.h"
#include "calc/mismatch.h"
#include "platform/errors.h"
#include "platform/number_format.h"
#include "platform/number_text.h"

namespace calc {

namespace {

constexpr std::string_view kLossPattern = "###0.00";
constexpr std::string_view kImpedancePattern = "#####0.0";

// Reads one input text by its box's rule; an error carries the box's index.
template <typename Read>
auto ReadBox(const InputTexts& inputs, int input, Read read) {
  try {
    return read(inputs[input]);
  } catch (platform::Error& error) {
    error.set_input(input);
    throw;
  }
}

// "+" for any zero and above, judged on the unrounded value.
std::string SignText(double imag) {
  return imag >= 0.0 ? "+" : "-";
}

// The converted inputs and their evaluation.
Calculation Evaluate(const InputTexts& inputs) {
  // The reference impedance stays text until the first impedance needs it, so a failure of the
  // losses is reported before an unreadable reference impedance.
  Calculation c;
  c.reading1 = ReadBox(inputs, kMagnitude1, ReadMagnitude);
  c.angle1 = ReadBox(inputs, kAngle1, ReadAngle);
  c.reading2 = ReadBox(inputs, kMagnitude2, ReadMagnitude);
  c.angle2 = ReadBox(inputs, kAngle2, ReadAngle);
  c.magnitude1 = c.reading1.magnitude;
  c.magnitude2 = c.reading2.magnitude;
  auto reference_impedance = [&inputs] { return ConvertInput(inputs, kReferenceImpedance); };
  c.result = EvaluateMismatch(reference_impedance, c.magnitude1, c.angle1, c.magnitude2, c.angle2);
  return c;
}

ResultTexts Format(const MismatchResult& r) {
  ResultTexts out;
  // A mismatch loss of zero (of either sign) is a perfect match: the return loss is unbounded.
  out[kReturnLoss] =
      r.MismatchLossDb == 0.0 ? ">100" : platform::FormatNumber(r.ReturnLossDb, kLossPattern);
  out[kMismatchLoss] = platform::FormatNumber(r.MismatchLossDb, kLossPattern);
  out[kReal1] = platform::FormatNumber(r.Impedance1.Real, kImpedancePattern);
  out[kImagAbs1] = platform::FormatNumber(std::fabs(r.Impedance1.Imag), kImpedancePattern);
  out[kImagSign1] = SignText(r.Impedance1.Imag);
  out[kReal2] = platform::FormatNumber(r.Impedance2.Real, kImpedancePattern);
  out[kImagAbs2] = platform::FormatNumber(std::fabs(r.Impedance2.Imag), kImpedancePattern);
  out[kImagSign2] = SignText(r.Impedance2.Imag);
  return out;
}

}  // namespace

double ConvertInput(const InputTexts& inputs, int input) {
  switch (input) {
    case kMagnitude1:
    case kMagnitude2:
      return ReadBox(inputs, input, ReadMagnitude).magnitude;
    case kAngle1:
    case kAngle2:
      return ReadBox(inputs, input, ReadAngle);
    default:
      return ReadBox(inputs, input, platform::TextToNumber);
  }
}

ResultTexts CalculateTexts(const InputTexts& inputs) {
  return Format(Evaluate(inputs).result);
}

Calculation Calculate(const InputTexts& inputs) {
  Calculation c = Evaluate(inputs);
  c.texts = Format(c.result);
  c.figures = ComputeFigures(c.magnitude1, c.magnitude2, c.result.MismatchFactor);
  return c;
}

}  // namespace calc
