#pragma once

#include <optional>
#include <string>

#include "draw/plot_data.h"
#include "draw/sweep_colours.h"

namespace draw {

// The size the sweep's Smith chart is drawn at when none is asked for, in CSS pixels.
inline constexpr double kSweepSmithWidth = 760;
inline constexpr double kSweepSmithHeight = 820;

struct SweepSmithOptions {
  // One point of the sweep marked on every curve with its frequency (the sweep window's cursor).
  // It need not be one of the points the data keeps.
  std::optional<SmithPoint> cursor;
  SweepColours colours;
};

// The Smith chart of a sweep as a whole SVG document of `width` × `height` CSS pixels: ΓS, ΓL
// and, with a two-port between, Γout over frequency on the impedance circles normalised to the
// source's reference, the first frequency of each curve marked by a dot and the last by a
// square, with a legend below the chart. The chart scales with the picture.
std::string SweepSmithSvg(const SmithData& data, double width = kSweepSmithWidth,
                          double height = kSweepSmithHeight, const SweepSmithOptions& options = {});

}  // namespace draw
