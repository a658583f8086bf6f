#pragma once

#include <string>

#include "draw/plot_data.h"

namespace cli {

using draw::PlotData;
using draw::SmithData;

// Draws the mismatch loss with its range at any phase, and the return loss, against frequency,
// into an SVG file that appears in full or not at all. Raises OutputError.
void WritePlotSvg(const PlotData& data, const std::string& path);

// Draws ΓS, ΓL and, with a two-port between, Γout over frequency on a Smith chart with its
// impedance circles, the first and last frequencies marked, into an SVG file that appears in
// full or not at all. Raises OutputError.
void WriteSmithSvg(const SmithData& data, const std::string& path);

}  // namespace cli
