#pragma once

#include <string>
#include <vector>

#include "calc/calculate_texts.h"
#include "calc/figures.h"

namespace calc {

// The results as labelled lines of text, the same wherever they are shown (the window, the text
// it copies, the command line), in UTF-8.

// The eight results exactly as the window writes them, with their captions and units:
// "RL = 6.02 dB", "ML = 1.25 dB", "ZS = 150.0 + j0.0 Ω", "ZL = 50.0 - j12.5 Ω".
std::vector<std::string> ResultLines(const ResultTexts& texts);

// The junction's figures: "M = 75.00 %", "ML at any phase = 0.58 to 2.21 dB",
// "Mismatch uncertainty = +1.34 / -1.48 dB", "Mismatch uncertainty = +36.00 / -29.30 %",
// "Standard uncertainty = 21.21 % (0.92 dB)", "Expanded uncertainty (k = 2) = 42.43 % (1.84 dB)".
// A figure without a value says why in words ("not defined: |ΓS||ΓL| ≥ 1").
std::vector<std::string> MismatchLines(const MismatchFigures& figures);

enum class Port { kSource, kLoad };

// One port's figures: "VSWR S = 3.00", "Return loss S = 6.02 dB", "Reflected power S = 25.00 %"
// (L for the load). An infinite figure says so in words ("VSWR L = infinite (total reflection
// or active port)").
std::vector<std::string> PortLines(const PortFigures& figures, Port port);

// Every line: the eight results, the junction, the source port, the load port.
std::vector<std::string> AllLines(const ResultTexts& texts, const Figures& figures);

}  // namespace calc
