#include "calc/calculate_texts.h"

#include "calc/input_text.h"
#include "platform/errors.h"
#include "platform/number_text.h"

namespace calc {

namespace {

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

// The converted inputs, their evaluation and its quantities.
Calculation Evaluate(const InputTexts& inputs) {
  Calculation c;
  c.reading1 = ReadBox(inputs, kSourceMagnitude, ReadMagnitude);
  c.angle1 = ReadBox(inputs, kSourceAngle, ReadAngle);
  c.reading2 = ReadBox(inputs, kLoadMagnitude, ReadMagnitude);
  c.angle2 = ReadBox(inputs, kLoadAngle, ReadAngle);
  c.magnitude1 = c.reading1.magnitude;
  c.magnitude2 = c.reading2.magnitude;
  // The reference impedance stays text until the impedances need it.
  c.evaluation = EvaluateMismatch(
      [&inputs, &c] { return c.reference_impedance = ConvertInput(inputs, kReferenceImpedance); },
      c.magnitude1, c.angle1, c.magnitude2, c.angle2);
  c.results = ResultsOf(c.evaluation);
  return c;
}

}  // namespace

double ConvertInput(const InputTexts& inputs, int input) {
  switch (input) {
    case kSourceMagnitude:
    case kLoadMagnitude:
      return ReadBox(inputs, input, ReadMagnitude).magnitude;
    case kSourceAngle:
    case kLoadAngle:
      return ReadBox(inputs, input, ReadAngle);
    default:
      return ReadBox(inputs, input, platform::TextToNumber);
  }
}

Calculation Calculate(const InputTexts& inputs) {
  Calculation c = Evaluate(inputs);
  c.figures = ComputeFigures(c.magnitude1, c.magnitude2, c.evaluation.MismatchFactor);
  return c;
}

ResultTexts CalculateTexts(const InputTexts& inputs) {
  return BoxTexts(Evaluate(inputs).results);
}

}  // namespace calc
