#pragma once

// A sweep: the calculation at every frequency of two Touchstone files, S_pp of one port of each,
// ΓS from the source file and ΓL from the load file. Plain C++, without Qt.

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "calc/figures.h"
#include "calc/mismatch.h"
#include "calc/reflection.h"
#include "calc/two_port.h"
#include "sweep/note.h"
#include "touchstone/touchstone.h"

namespace sweep {

// Two files that cannot be used together (no common frequency band, no data); what() says why.
class SweepError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A reflection coefficient in both forms, the angle in degrees.
using calc::Reflection;

// S_pp of port `port` of a Touchstone file. `ports` gives the number of ports of version 1 data
// whose name does not end in .sNp (0: from the name); `ports_hint` says how a user gives it.
struct FilePort {
  std::string path;
  int port = 1;
  int ports = 0;
  std::string ports_hint;
  std::string mode;  // a mixed-mode port by its name in the file (D1,3), instead of `port`
  // A reflection coefficient fixed for every frequency (a data sheet's), instead of a file: the
  // sweep then runs on the other file's grid, the fixed value taken against its reference
  // impedance.
  std::optional<Reflection> fixed;
};

// A two-port between source and load: all four S-parameters of a 2-port Touchstone file, port 1
// facing the source and port 2 the load, or the other way round when `reversed`. Version 1 data
// whose name does not tell its number of ports is taken as a 2-port.
struct ThroughFile {
  std::string path;
  bool reversed = false;
  // S-parameters fixed for every frequency instead of a file, against the source's reference
  // impedance.
  std::optional<calc::TwoPortS> fixed;
};

// The reflection coefficient that a sample of the file stands for: the pair as written (MA; the
// magnitude 10^(dB/20) for DB; RI), the other form derived, the angle in (-180, 180].
Reflection ReflectionOf(const touchstone::Sample& sample, touchstone::Format format);

// One frequency point of the result.
struct SweepRow {
  double frequency_hz = 0.0;
  // ΓS and ΓL as used: as written where the file has the frequency, otherwise interpolated; ΓL
  // brought to the source's reference impedance when the two differ. Angles in degrees.
  double source_magnitude = 0.0, source_angle_deg = 0.0;
  double load_magnitude = 0.0, load_angle_deg = 0.0;
  bool computed = false;  // false: the evaluation failed, `warning` says why
  std::string warning;
  calc::MismatchResult result;    // when computed; impedances against the source's reference
  calc::MismatchFigures figures;  // when computed
  // With a two-port between: its S-parameters at this frequency (against the source's reference
  // impedance; interpolated where its file has no point here) and what it gives.
  bool has_through = false;
  calc::TwoPortS through_s;
  calc::ThroughResult through;
};

// The row of one frequency from the reflection coefficients as used (ΓL already against `z0`):
// the window's evaluation with `z0` as the reference impedance, or the reason it failed. The
// sweep makes every row with it, so a row kept as these five numbers can be made again, the same
// to the bit. `through`, when given, adds the two-port's figures.
SweepRow MakeRow(double frequency_hz, double source_magnitude, double source_angle_deg,
                 double load_magnitude, double load_angle_deg, double z0,
                 const calc::TwoPortS* through = nullptr);

// Whether something of the row could not be computed, and every reason, joined by "; " (or a space
// after a full stop).
bool RowFailed(const SweepRow& row);
std::string RowWarning(const SweepRow& row);

// What the sweep did, for its closing notes.
struct SweepSummary {
  long long rows = 0;
  long long interpolated = 0;  // rows where one file's value was interpolated
  // Neighbouring points of an interpolated file whose phase turns by more than 45°: how many
  // pairs, and the first.
  long long steep_steps = 0;
  double steep_from_hz = 0.0, steep_to_hz = 0.0;
  bool source_interpolated = false;  // which file was interpolated, when one was
  double reference_ohms = 0.0;       // the rows' reference impedance: the source file's
};

// Reads both files once, front to back, and hands each row of the result to `sink` in order of
// frequency; `note` receives what the user should know about the pairing (different reference
// impedances, different grids), each before the first row it concerns, as a value that
// NoteText() (sweep/note_text.h) words.
//
// Where both files have the same frequencies they are paired point by point. Otherwise the sweep
// covers the band that both files cover, on the grid of the file with more points in it, and the
// other file is interpolated linearly in its real and imaginary parts (where it has the same
// frequency, its own point is used). Two frequencies are the same when equal, or closer than a
// thousandth of the smaller neighbouring step of either file (and than 1e-9 of their size).
// Rows of two files on different grids come only after both files have been read to the end
// (what remains of them is kept in temporary files meanwhile, not in memory).
//
// Raises touchstone::ReadError for a file that cannot be read and SweepError when the two cannot
// be used together. Memory stays constant whatever the files' length.
//
// A file that states the impedance of its ports at each frequency (simulators' "! Port
// Impedance"), or `z0` above 0, brings every file (and the two-port, renormalised as a whole) to
// one common real reference: `z0` when above 0, else the source's reference; ZS and ZL are then
// given against it. A "nan" or "inf" in a file leaves its row uncomputed, with the line in the
// warning; a point that repeats the frequency before it is skipped, with a note.
SweepSummary RunSweep(const FilePort& source, const FilePort& load,
                      const std::function<void(const Note&)>& note,
                      const std::function<void(const SweepRow&)>& sink, double z0 = 0.0);

// The same with a two-port between source and load. Its file is read once too, alongside the
// rows: at each row's frequency its own point is used, or its S-parameters are interpolated
// linearly in their real and imaginary parts between its neighbouring points; rows outside its
// band are left out (and said in a note). Its reference impedances are renormalised to the
// source's, which needs them positive. Raises SweepError when no row lies in its band.
SweepSummary RunSweep(const FilePort& source, const FilePort& load, const ThroughFile& through,
                      const std::function<void(const Note&)>& note,
                      const std::function<void(const SweepRow&)>& sink, double z0 = 0.0);

}  // namespace sweep
