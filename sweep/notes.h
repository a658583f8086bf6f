#pragma once

// What the user should know about a sweep's pairing, as values: the command line words them.

#include <string>
#include <variant>

namespace sweep {

// The two files' reference impedances differ: ΓL is brought to the source's.
struct ReferencesDiffer {
  std::string source_path, load_path;
  double source_ohms = 0.0, load_ohms = 0.0;
};

// The two files' grids differ: the band both cover is computed on one file's grid there, the
// other file interpolated.
struct GridsDiffer {
  std::string source_path, load_path;
  long long source_points = 0, load_points = 0;  // in each whole file
  double low_hz = 0.0, high_hz = 0.0;            // the band both cover
  long long frequencies = 0;                     // of the sweep in that band
  bool on_load_grid = false;                     // the load's grid, ΓS interpolated
};

// The two-port's reference impedances differ from the source's: its S-parameters are
// renormalised.
struct ThroughRenormalised {
  std::string path;
  double port1_ohms = 0.0, port2_ohms = 0.0, to_ohms = 0.0;
};

// The two-port has no point of its own at a frequency of the sweep (the first such): it is
// interpolated there and wherever its grid differs.
struct ThroughInterpolated {
  std::string path;
  double hz = 0.0;
};

// Neighbouring points of the two-port used for interpolation whose transmission turns by more
// than 45°: how many pairs, and the first.
struct ThroughSteep {
  std::string path;
  long long pairs = 0;
  double from_hz = 0.0, to_hz = 0.0;
};

// Frequencies of the sweep outside the two-port's band, left out.
struct ThroughOutside {
  std::string path;
  long long frequencies = 0;
  double first_hz = 0.0, last_hz = 0.0;  // the two-port's band
};

using Note = std::variant<ReferencesDiffer, GridsDiffer, ThroughRenormalised, ThroughInterpolated,
                          ThroughSteep, ThroughOutside>;

}  // namespace sweep
