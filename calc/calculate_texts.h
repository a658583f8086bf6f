#pragma once

#include <array>
#include <string>

#include "calc/figures.h"
#include "calc/input_text.h"
#include "calc/mismatch.h"
#include "calc/result_format.h"
#include "calc/results.h"

namespace calc {

// The five input texts, in the order they are read.
enum Input : int {
  kReferenceImpedance = 0,  // Z0, ohms
  kSourceMagnitude = 1,     // source reflection coefficient: magnitude
  kSourceAngle = 2,         // its angle in degrees
  kLoadMagnitude = 3,       // load reflection coefficient: magnitude
  kLoadAngle = 4,           // its angle in degrees
};
inline constexpr int kInputCount = 5;

using InputTexts = std::array<std::string, kInputCount>;

// Converts one input text by its box's rule: the reference impedance as a number
// (platform::TextToNumber), a magnitude as a number, a VSWR or a return loss (ReadMagnitude), an
// angle as degrees with an optional "°" (ReadAngle). Raises platform::Error with the index of the
// input (Error::input()).
double ConvertInput(const InputTexts& inputs, int input);

// Everything one calculation gives: the converted reflection coefficients, the evaluation, the
// eight results as quantities and the further figures (calc/figures.h). Every text shown of it
// comes from calc/result_format.h.
struct Calculation {
  double reference_impedance = 0.0;       // ohms
  double magnitude1 = 0.0, angle1 = 0.0;  // source reflection coefficient, angle in degrees
  double magnitude2 = 0.0, angle2 = 0.0;  // load reflection coefficient
  MagnitudeReading reading1, reading2;    // what the magnitude texts were read as
  MismatchResult evaluation;              // the numbers as computed
  Results results;
  Figures figures;
};

// The numbers `c` was computed from.
inline Inputs InputsOf(const Calculation& c) {
  return {c.reference_impedance,
          c.magnitude1,
          c.angle1,
          c.magnitude2,
          c.angle2,
          c.reading1,
          c.reading2};
}

// The Calculate action without the window: converts the four reflection-coefficient texts,
// evaluates the losses, converts the reference impedance text (only now, so that a failure of
// the losses is reported first), evaluates the impedances, and adds the figures. Raises
// platform::Error; a conversion error carries the index of the offending input (Error::input()).
// WarningText (calc/warning_text.h) words it for the user. The figures themselves never raise.
Calculation Calculate(const InputTexts& inputs);

// The eight texts the window writes for `inputs`: BoxTexts of Calculate, without the figures.
ResultTexts CalculateTexts(const InputTexts& inputs);

}  // namespace calc
