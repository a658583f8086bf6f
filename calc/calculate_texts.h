#pragma once

#include <array>
#include <string>
#include <string_view>

#include "calc/figures.h"
#include "calc/input_text.h"
#include "calc/mismatch.h"

namespace calc {

// The five input texts, in the order they are read.
enum Input : int {
  kReferenceImpedance = 0,  // Text13, ohms
  kMagnitude1 = 1,          // Text1, source reflection coefficient magnitude
  kAngle1 = 2,              // Text2, its angle in degrees
  kMagnitude2 = 3,          // Text3, load reflection coefficient magnitude
  kAngle2 = 4,              // Text4, its angle in degrees
};
inline constexpr int kInputCount = 5;

// The eight result texts, in the order they are written.
enum Output : int {
  kReturnLoss = 0,    // Text11, dB, or ">100"
  kMismatchLoss = 1,  // Text12, dB
  kReal1 = 2,         // Text5, source resistance
  kImagAbs1 = 3,      // Text6, magnitude of the source reactance
  kImagSign1 = 4,     // Text14, "+" or "-"
  kReal2 = 5,         // Text7, load resistance
  kImagAbs2 = 6,      // Text8, magnitude of the load reactance
  kImagSign2 = 7,     // Text15, "+" or "-"
};
inline constexpr int kOutputCount = 8;

using InputTexts = std::array<std::string, kInputCount>;
using ResultTexts = std::array<std::string, kOutputCount>;

// Converts one input text by its box's rule: the reference impedance as a number
// (platform::TextToNumber), a magnitude as a number, a VSWR or a return loss (ReadMagnitude), an
// angle as degrees with an optional "°" (ReadAngle). Raises platform::Error with the index of the
// input (Error::input()).
double ConvertInput(const InputTexts& inputs, int input);

// The Calculate action without the window: converts the four reflection-coefficient texts,
// evaluates (converting the reference impedance text only when the impedances need it) and
// formats the eight results. Raises platform::Error; a conversion error carries the index of
// the offending input (Error::input()). WarningText (calc/warning_text.h) words it for the user.
ResultTexts CalculateTexts(const InputTexts& inputs);

// Everything one calculation gives: the converted reflection coefficients, the evaluation, the
// eight result texts and the further figures (calc/figures.h).
struct Calculation {
  double magnitude1 = 0.0, angle1 = 0.0;  // source reflection coefficient, angle in degrees
  double magnitude2 = 0.0, angle2 = 0.0;  // load reflection coefficient
  MagnitudeReading reading1, reading2;    // what the magnitude texts were read as
  MismatchResult result;
  ResultTexts texts;
  Figures figures;
};

// CalculateTexts, keeping the numbers and adding the figures. Raises what CalculateTexts
// raises; the figures themselves never raise.
Calculation Calculate(const InputTexts& inputs);

}  // namespace calc
