#pragma once

#include "draw/svg.h"

namespace draw {

// The colours of the sweep's plot and Smith chart. As constructed, the light colours of the
// files voranth-calc writes; DarkSweepColours() those of a window on a dark scheme. The curves'
// colours also write their labels (a frequency beside a mark, a value beyond the axis), so they
// keep 4.5 : 1 against the ground as words do.
struct SweepColours {
  Colour ground = kWhite;  // behind everything
  Colour title = kBlack;   // the title, the cursor
  Colour ink = kFrame;     // frames, axes, labels, legends
  Colour grid = kGrid;     // grid lines, the legend's border
  Colour minor_grid{0xee, 0xee, 0xee};
  Colour legend_ground{255, 255, 255, 230 / 255.0};
  Colour label_ground{255, 255, 255, 215 / 255.0};  // behind a frequency beside a mark
  Colour mark_edge = kWhite;                        // round the first and last marks
  Colour infinity_fill{0xf3, 0xec, 0xd9};           // the band of unbounded values
  // The curves: the mismatch loss (at the source plane) and its range, the return loss, the
  // load plane's loss and its range, the transducer gain; ΓS, ΓL and Γout on the chart.
  Colour loss{0x1f, 0x4e, 0x99};
  Colour loss_band{0x1f, 0x4e, 0x99, 0x38 / 255.0};
  Colour return_loss{0xc0, 0x39, 0x2b};
  Colour load_plane{0xb3, 0x59, 0x00};
  Colour load_band{0xb3, 0x59, 0x00, 0x38 / 255.0};
  Colour gain{0x1e, 0x84, 0x49};
  Colour source{0x1f, 0x4e, 0x99};
  Colour load{0xc0, 0x39, 0x2b};
  Colour out{0xb3, 0x59, 0x00};
};

// Light words and lines on a dark ground, and the curves in lighter hues.
inline SweepColours DarkSweepColours() {
  SweepColours c;
  c.ground = {0x2a, 0x2a, 0x2a};
  c.title = {0xf2, 0xf2, 0xf2};
  c.ink = {0xd0, 0xd0, 0xd0};
  c.grid = {0x55, 0x55, 0x55};
  c.minor_grid = {0x3a, 0x3a, 0x3a};
  c.legend_ground = {0x2a, 0x2a, 0x2a, 230 / 255.0};
  c.label_ground = {0x2a, 0x2a, 0x2a, 215 / 255.0};
  c.mark_edge = {0x2a, 0x2a, 0x2a};
  c.infinity_fill = {0x4a, 0x42, 0x2e};
  c.loss = c.source = {0x78, 0xb0, 0xff};
  c.loss_band = {0x78, 0xb0, 0xff, 0x50 / 255.0};
  c.return_loss = c.load = {0xff, 0x80, 0x6e};
  c.load_plane = c.out = {0xff, 0xb0, 0x4d};
  c.load_band = {0xff, 0xb0, 0x4d, 0x50 / 255.0};
  c.gain = {0x6e, 0xdc, 0x82};
  return c;
}

}  // namespace draw
