#include "sweep/sweep.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "calc/complex_value.h"
#include "calc/reference_impedance.h"
#include "calc/warning_text.h"
#include "platform/errors.h"
#include "platform/number_format.h"
#include "sweep/note.h"
#include "sweep/pairing.h"
#include "sweep/sweep_detail.h"
#include "sweep/through_track.h"

namespace sweep {

namespace {

using namespace detail;
using calc::Complex;

// What is needed to build a row of a pair: the two files' reference impedances and paths.
class RowMaker {
 public:
  RowMaker(double source_ohms, double load_ohms, std::string source_path, std::string load_path)
      : source_ohms_(source_ohms),
        load_ohms_(load_ohms),
        source_path_(std::move(source_path)),
        load_path_(std::move(load_path)) {}

  SweepRow Make(const Pair& pair) const {
    return Make(pair.frequency_hz, pair.source, pair.load,
                pair.interpolated != Pair::Interpolated::kLoad, pair.source_not_a_number_line,
                pair.load_not_a_number_line);
  }

 private:
  // `load_as_written`: ΓL is the file's own point, not interpolated. `source_nan` and
  // `load_nan`: the line of a "nan" or "inf" in the file behind each (0: none).
  SweepRow Make(double frequency_hz, const Reflection& source, const Reflection& load,
                bool load_as_written, long source_nan, long load_nan) const {
    SweepRow row;
    row.frequency_hz = frequency_hz;
    if (source_nan != 0 || load_nan != 0) {
      row.warning = "not a number in the file, line " +
                    std::to_string(source_nan != 0 ? source_nan : load_nan) + " of " +
                    (source_nan != 0 ? source_path_ : load_path_);
      row.source_magnitude = row.source_angle_deg = row.load_magnitude = row.load_angle_deg =
          std::numeric_limits<double>::quiet_NaN();
      return row;
    }
    row.source_magnitude = source.magnitude;
    row.source_angle_deg = source.angle_deg;
    if (load_as_written && source_ohms_ == load_ohms_) {
      // As written in the file, the same numbers one would type into the window.
      row.load_magnitude = load.magnitude;
      row.load_angle_deg = load.angle_deg;
    } else {
      Complex g{load.re, load.im};
      if (source_ohms_ != load_ohms_) g = calc::Renormalise(g, load_ohms_, source_ohms_);
      // Γ in both forms, the angle in (-180, 180] with the program's pi, as the files' own
      // angles are converted.
      const Reflection used = Reflection::Of(g);
      row.load_magnitude = used.magnitude;
      row.load_angle_deg = used.angle_deg;
    }
    return MakeRow(frequency_hz, row.source_magnitude, row.source_angle_deg, row.load_magnitude,
                   row.load_angle_deg, source_ohms_);
  }

  double source_ohms_, load_ohms_;
  std::string source_path_, load_path_;
};

}  // namespace

SweepRow MakeRow(double frequency_hz, double source_magnitude, double source_angle_deg,
                 double load_magnitude, double load_angle_deg, double z0,
                 const calc::TwoPortS* through) {
  SweepRow row;
  row.frequency_hz = frequency_hz;
  row.source_magnitude = source_magnitude;
  row.source_angle_deg = source_angle_deg;
  row.load_magnitude = load_magnitude;
  row.load_angle_deg = load_angle_deg;
  [&row, z0] {
    for (const double x :
         {row.source_magnitude, row.source_angle_deg, row.load_magnitude, row.load_angle_deg}) {
      if (!std::isfinite(x)) {
        row.warning = "the reflection coefficients at this frequency are not finite numbers";
        return;
      }
    }
    try {
      row.result =
          calc::EvaluateMismatch([z0] { return z0; }, row.source_magnitude, row.source_angle_deg,
                                 row.load_magnitude, row.load_angle_deg);
    } catch (const platform::Error& error) {
      row.warning = calc::WarningText(error);
      return;
    }
    row.computed = true;
    // The figures of the table's columns only.
    row.figures =
        calc::ComputeMismatchFigures(row.source_magnitude, row.load_magnitude,
                                     row.result.MismatchFactor, calc::MismatchFigureSet::kTable);
  }();
  if (through != nullptr) {
    row.has_through = true;
    row.through_s = *through;
    row.through = calc::EvaluateThrough(*through, source_magnitude, source_angle_deg,
                                        load_magnitude, load_angle_deg, z0);
  }
  return row;
}

bool RowFailed(const SweepRow& row) {
  return !row.computed || !row.warning.empty() ||
         (row.has_through && calc::ThroughFailed(row.through));
}

std::string RowWarning(const SweepRow& row) {
  std::string warning = row.warning;
  if (row.has_through && calc::ThroughFailed(row.through)) {
    JoinWarning(warning, calc::ThroughWarning(row.through));
  }
  return warning;
}

Reflection ReflectionOf(const Sample& sample, Format format) {
  if (format == Format::kRealImaginary) return Reflection::Of({sample.a, sample.b});
  const double magnitude =
      format == Format::kMagnitudeAngle ? sample.a : std::pow(10.0, sample.a / 20.0);
  return Reflection::Polar(magnitude, sample.b);
}

namespace {

SweepSummary Sweep(const FilePort& source_port, const FilePort& load_port,
                   const ThroughFile* through, const std::function<void(const Note&)>& note,
                   const std::function<void(const SweepRow&)>& emit, double common_ohms) {
  Pairing pairs(source_port, load_port, note);
  // A side fixed for every frequency takes the other file's reference impedance.
  const touchstone::ReflectionReader* const source_reader = pairs.source_reader();
  const touchstone::ReflectionReader* const load_reader = pairs.load_reader();
  double source_ohms = (source_reader ? source_reader : load_reader)->reference_ohms();
  double load_ohms = (load_reader ? load_reader : source_reader)->reference_ohms();
  std::optional<ThroughTrack> track;
  if (through != nullptr && !through->fixed) track.emplace(*through, note);
  // Files that state their ports' impedances, and a reference given with --z0, bring every file
  // to one real reference: --z0, else the source's option line. A file on both sides is named
  // once.
  CommonReferenceNote common{{}, common_ohms > 0.0 ? common_ohms : source_ohms, common_ohms > 0.0};
  if (source_reader && source_reader->states_impedances()) {
    common.stated.push_back({source_port.path, source_reader->wave_definition()});
  }
  if (load_reader && load_reader->states_impedances() &&
      !(source_reader && load_port.path == source_port.path)) {
    common.stated.push_back({load_port.path, load_reader->wave_definition()});
  }
  if (track && track->states_impedances()) common.stated.push_back({through->path, std::nullopt});
  if (common.given || !common.stated.empty()) {
    pairs.ConvertTo(common.ohms);
    source_ohms = load_ohms = common.ohms;
    note(common);
  } else if (source_ohms != load_ohms) {
    note(ReferencesDifferNote{source_port.path, load_port.path, source_ohms, load_ohms});
  }
  const RowMaker maker(source_ohms, load_ohms, source_port.path, load_port.path);
  Pair pair;
  if (through == nullptr) {
    while (pairs.Next(pair)) emit(maker.Make(pair));
    SweepSummary summary = pairs.summary();
    summary.reference_ohms = source_ohms;
    return summary;
  }

  // With a two-port between, each row gets its S-parameters at the row's frequency; rows outside
  // its band are left out.
  if (track) {
    track->Start(source_ohms);
    if (const std::optional<ThroughRenormalisedNote> n = track->RenormalisationNote()) note(*n);
  }
  long long through_rows = 0, outside = 0;
  bool said_interpolated = false;
  while (pairs.Next(pair)) {
    TwoPortS s = through->fixed.value_or(TwoPortS{});
    bool interpolated = false;
    if (track && track->At(pair.frequency_hz, s, interpolated) != ThroughTrack::Where::kInside) {
      ++outside;
      continue;
    }
    if (interpolated && !said_interpolated) {
      note(ThroughInterpolatedNote{through->path, pair.frequency_hz});
      said_interpolated = true;
    }
    SweepRow row = maker.Make(pair);
    row.has_through = true;
    if (const long line = track ? track->not_a_number_line() : 0; line != 0) {
      // Nothing of the two-port computed: the row's warning says why.
      JoinWarning(row.warning, "not a number in the file, line " + std::to_string(line) + " of " +
                                   through->path);
    } else {
      row.through_s = s;
      row.through = calc::EvaluateThrough(s, row.source_magnitude, row.source_angle_deg,
                                          row.load_magnitude, row.load_angle_deg, source_ohms);
    }
    ++through_rows;
    emit(row);
  }
  SweepSummary summary = pairs.summary();
  summary.reference_ohms = source_ohms;
  if (!track) return summary;
  // The closing words of the two-port: rows left out, or none left at all.
  if (through_rows == 0) {
    throw SweepError("the two-port " + through->path + " covers " + Shortest(track->first_hz()) +
                     " to " + Shortest(track->last_hz()) +
                     " Hz, outside every frequency of the sweep");
  }
  if (const std::optional<ThroughSteepNote> steep = track->SteepNote()) note(*steep);
  if (outside > 0) {
    note(OutsideThroughNote{through->path, outside, track->first_hz(), track->last_hz()});
  }
  summary.rows = through_rows;
  return summary;
}

}  // namespace

SweepSummary RunSweep(const FilePort& source, const FilePort& load,
                      const std::function<void(const Note&)>& note,
                      const std::function<void(const SweepRow&)>& sink, double z0) {
  return Sweep(source, load, nullptr, note, sink, z0);
}

SweepSummary RunSweep(const FilePort& source, const FilePort& load, const ThroughFile& through,
                      const std::function<void(const Note&)>& note,
                      const std::function<void(const SweepRow&)>& sink, double z0) {
  return Sweep(source, load, &through, note, sink, z0);
}

}  // namespace sweep
