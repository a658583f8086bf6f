#pragma once

// What a sweep tells the user besides its rows, as values: a reader of the notes words them with
// NoteText() (sweep/note_text.h) or looks at what they hold.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "touchstone/touchstone.h"

namespace sweep {

// A point skipped for repeating the frequency of the point before (where two segments of a sweep
// meet): the point before is kept.
struct RepeatedPointNote {
  std::string path;  // as the reader names the file
  long line = 0;     // of the skipped point
  double frequency_hz = 0.0;
  // |ΔΓ| between the two points; for a two-port, the largest over its four S-parameters.
  double difference = 0.0;
};

// Every reflection coefficient brought to one real reference: because files state their ports'
// impedances at each frequency (! Port Impedance), or a reference was given (--z0).
struct CommonReferenceNote {
  struct StatedFile {
    std::string path;
    // The wave definition of a source or load file; none for the two-port.
    std::optional<touchstone::WaveDefinition> definition;
  };
  std::vector<StatedFile> stated;  // in the order source, load, two-port; may be empty
  double ohms = 0.0;
  bool given = false;  // the reference was given (--z0); else the source's option-line R
};

// The source and load refer to different real impedances: ΓL is brought to the source's.
struct ReferencesDifferNote {
  std::string source_path, load_path;
  double source_ohms = 0.0, load_ohms = 0.0;
};

// The two files' grids part: the sweep covers the band both cover, on the denser grid there.
struct GridsDifferNote {
  std::string source_path, load_path;
  long long source_points = 0, load_points = 0;  // of each whole file
  double from_hz = 0.0, to_hz = 0.0;             // the band both cover
  long long frequencies = 0;                     // of the sweep in that band
  bool on_load_grid = false;                     // the load's grid is used, ΓS interpolated
};

// The two-port's reference impedances differ from the source's: its S-parameters are
// renormalised.
struct ThroughRenormalisedNote {
  std::string path;
  double port1_ohms = 0.0, port2_ohms = 0.0;  // port 1 faces the source
  double to_ohms = 0.0;
};

// The two-port has no point of its own at a frequency of the sweep, the first such one.
struct ThroughInterpolatedNote {
  std::string path;
  double frequency_hz = 0.0;
};

// Neighbouring points of the two-port used for interpolation whose transmission turns by more
// than 45°: how many pairs, and the first.
struct ThroughSteepNote {
  std::string path;
  long long steps = 0;
  double from_hz = 0.0, to_hz = 0.0;
};

// Frequencies of the sweep outside the two-port's band, left out.
struct OutsideThroughNote {
  std::string path;
  long long frequencies = 0;
  double from_hz = 0.0, to_hz = 0.0;  // the two-port's band
};

using Note = std::variant<RepeatedPointNote, CommonReferenceNote, ReferencesDifferNote,
                          GridsDifferNote, ThroughRenormalisedNote, ThroughInterpolatedNote,
                          ThroughSteepNote, OutsideThroughNote>;

}  // namespace sweep
