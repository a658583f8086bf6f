#include "calc/calculate_texts.h"

#include "platform/errors.h"
#include "platform/number_text.h"

namespace calc {

namespace {

double Convert(const InputTexts& inputs, int input) {
  try {
    return platform::TextToNumber(inputs[input]);
  } catch (platform::Error& error) {
    error.set_input(input);
    throw;
  }
}

// The converted inputs, their evaluation and its quantities.
Calculation Evaluate(const InputTexts& inputs) {
  Calculation c;
  c.magnitude1 = Convert(inputs, kSourceMagnitude);
  c.angle1 = Convert(inputs, kSourceAngle);
  c.magnitude2 = Convert(inputs, kLoadMagnitude);
  c.angle2 = Convert(inputs, kLoadAngle);
  // The reference impedance stays text until the impedances need it.
  c.evaluation = EvaluateMismatch(
      [&inputs, &c] { return c.reference_impedance = Convert(inputs, kReferenceImpedance); },
      c.magnitude1, c.angle1, c.magnitude2, c.angle2);
  c.results = ResultsOf(c.evaluation);
  return c;
}

}  // namespace

Calculation Calculate(const InputTexts& inputs) {
  Calculation c = Evaluate(inputs);
  c.figures = ComputeFigures(c.magnitude1, c.magnitude2, c.evaluation.MismatchFactor);
  return c;
}

ResultTexts CalculateTexts(const InputTexts& inputs) {
  return BoxTexts(Evaluate(inputs).results);
}

}  // namespace calc
