#include "sweep/sweep.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

#include "calc/complex_value.h"
#include "calc/reference_impedance.h"
#include "calc/warning_text.h"
#include "platform/errors.h"
#include "platform/number_format.h"
#include "platform/temp_records.h"
#include "sweep/note.h"
#include "sweep/sweep_detail.h"
#include "sweep/through_track.h"

namespace sweep {

namespace {

using namespace detail;
using touchstone::Format;
using touchstone::ReflectionReader;
using touchstone::Sample;

// Where a file's points are read from: the file itself, or what was kept of it.
class SampleSource {
 public:
  virtual ~SampleSource() = default;
  virtual bool Next(Sample& sample) = 0;
};

// The reader of a file's port; where the number of ports of version 1 data is wanted, the message
// ends with how a user gives it.
ReflectionReader Open(const FilePort& file_port) {
  try {
    return ReflectionReader(file_port.path, file_port.port, file_port.ports, file_port.mode);
  } catch (const touchstone::ReadError& e) {
    if (e.cause() != touchstone::ReadError::Cause::kPortCountUnknown ||
        file_port.ports_hint.empty()) {
      throw;
    }
    throw touchstone::ReadError(e.file(), e.line(), e.message() + ", " + file_port.ports_hint,
                                e.cause());
  }
}

class ReaderSource : public SampleSource {
 public:
  ReaderSource(const FilePort& file_port, const std::function<void(const Note&)>& note)
      : reader_(Open(file_port)), note_(note) {
    has_first_ = reader_.Next(first_);
  }
  bool Next(Sample& sample) override {
    if (has_first_) {
      sample = first_;
      has_first_ = false;
    } else if (!reader_.Next(sample)) {
      return false;
    }
    if (reader_.skipped_points() != skipped_) {
      skipped_ = reader_.skipped_points();
      const Reflection a = ReflectionOf(last_, reader_.format());
      const Reflection b = ReflectionOf(reader_.skipped(), reader_.format());
      note_(RepeatedPointNote{reader_.name(), reader_.skipped_line(),
                              reader_.skipped().frequency_hz,
                              std::hypot(a.re - b.re, a.im - b.im)});
    }
    last_ = sample;
    if (convert_) {
      // Against the stated impedance (or the file's reference) to the common reference.
      const Reflection r = ReflectionOf(sample, reader_.format());
      const touchstone::Impedance z = reader_.states_impedances()
                                          ? reader_.stated_impedance()
                                          : touchstone::Impedance{reader_.reference_ohms(), 0.0};
      const calc::Complex g = calc::ReflectionAgainst(
          {r.re, r.im}, {z.re, z.im}, DefinitionOf(reader_.wave_definition()), common_ohms_);
      sample.a = g.re;
      sample.b = g.im;
    }
    return true;
  }
  const ReflectionReader& reader() const { return reader_; }
  // Brings every point to the real reference `ohms`, as RI, where the file states its
  // impedances or refers to another one.
  void ConvertTo(double ohms) {
    convert_ = reader_.states_impedances() || reader_.reference_ohms() != ohms;
    common_ohms_ = ohms;
  }
  Format format() const { return convert_ ? Format::kRealImaginary : reader_.format(); }

 private:
  ReflectionReader reader_;
  const std::function<void(const Note&)>& note_;
  Sample first_, last_;
  bool has_first_ = false;
  long long skipped_ = 0;
  bool convert_ = false;
  double common_ohms_ = 0.0;
};

// Samples kept in an unnamed temporary file, in order of frequency, so that a file that cannot
// be read twice (a pipe) is still read once.
class Spool : public SampleSource {
 public:
  explicit Spool(std::string name) : name_(std::move(name)), file_(sizeof(double[4])) {
    if (!file_.ok()) Fail();
  }

  void Write(const Sample& s) {
    const double record[4] = {s.frequency_hz, s.a, s.b, static_cast<double>(s.not_a_number_line)};
    if (!file_.Write(record)) Fail();
  }
  // Ends writing; reading starts at the first sample.
  void Rewind() {
    if (!file_.Rewind()) Fail();
  }
  bool Next(Sample& s) override {
    double record[4];
    bool failed = false;
    if (!file_.Read(record, failed)) {
      if (failed) Fail();
      return false;
    }
    s = Sample{record[0], record[1], record[2], static_cast<long>(record[3])};
    return true;
  }
  long long count() const { return file_.count(); }
  // How many samples lie below `hz` (or at it too, when `inclusive`), by bisection.
  long long CountBelow(double hz, bool inclusive) const {
    long long low = 0, high = count();
    while (low < high) {
      const long long middle = low + (high - low) / 2;
      double f = 0;
      if (!file_.ReadAt(middle, &f, sizeof f)) Fail();
      if (f < hz || (inclusive && f == hz)) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    return low;
  }

 private:
  [[noreturn]] void Fail() const {
    throw SweepError(
        name_ + ": cannot keep the rest of the file in a temporary file: " + std::strerror(errno));
  }
  std::string name_;
  platform::TempRecords file_;
};

// A window of three neighbouring samples of a file: the one before, the current one and the
// next one, which tell the steps of its grid around the current one.
class Cursor {
 public:
  explicit Cursor(SampleSource& source) : source_(&source) {
    has_cur_ = source_->Next(cur_);
    has_next_ = has_cur_ && source_->Next(next_);
  }
  bool has() const { return has_cur_; }
  bool has_prev() const { return has_prev_; }
  bool has_next() const { return has_next_; }
  const Sample& cur() const { return cur_; }
  const Sample& prev() const { return prev_; }
  const Sample& next() const { return next_; }
  void Advance() {
    prev_ = cur_;
    has_prev_ = has_cur_;
    cur_ = next_;
    has_cur_ = has_next_;
    has_next_ = has_cur_ && source_->Next(next_);
  }
  // The smaller step of the grid next to the current sample.
  double Step() const {
    double step = kInfinity;
    if (has_prev_) step = cur_.frequency_hz - prev_.frequency_hz;
    if (has_next_) step = std::min(step, next_.frequency_hz - cur_.frequency_hz);
    return step;
  }
  // Reads the rest of the file into `spool`, starting with the sample before the current one
  // (when `with_prev`).
  void SpoolRest(Spool& spool, bool with_prev) {
    if (with_prev && has_prev_) spool.Write(prev_);
    for (; has_cur_; Advance()) spool.Write(cur_);
  }

 private:
  SampleSource* source_;
  Sample prev_, cur_, next_;
  bool has_prev_ = false, has_cur_ = false, has_next_ = false;
};

using calc::Complex;

// Γ in both forms from its rectangular one, the angle in (-180, 180] with the program's pi, as
// the files' own angles are converted.
Reflection Polar(Complex g) {
  return Reflection::Of(g);
}

// The pairing of the two files and what is needed to build a row.
class RowMaker {
 public:
  RowMaker(Format source_format, Format load_format, double source_ohms, double load_ohms,
           std::string source_path, std::string load_path)
      : source_format_(source_format),
        load_format_(load_format),
        source_ohms_(source_ohms),
        load_ohms_(load_ohms),
        source_path_(std::move(source_path)),
        load_path_(std::move(load_path)) {}

  Reflection Source(const Sample& s) const { return ReflectionOf(s, source_format_); }
  Reflection Load(const Sample& s) const { return ReflectionOf(s, load_format_); }

  // `load_as_written`: ΓL is the file's own point, not interpolated. `source_nan` and
  // `load_nan`: the line of a "nan" or "inf" in the file behind each (0: none).
  SweepRow Make(double frequency_hz, const Reflection& source, const Reflection& load,
                bool load_as_written, long source_nan = 0, long load_nan = 0) const {
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
      const Reflection used = Polar(g);
      row.load_magnitude = used.magnitude;
      row.load_angle_deg = used.angle_deg;
    }
    return MakeRow(frequency_hz, row.source_magnitude, row.source_angle_deg, row.load_magnitude,
                   row.load_angle_deg, source_ohms_);
  }

 private:
  Format source_format_, load_format_;
  double source_ohms_, load_ohms_;
  std::string source_path_, load_path_;
};

Complex Interpolate(const Reflection& a, double fa, const Reflection& b, double fb, double f) {
  return calc::Lerp(a.value(), b.value(), (f - fa) / (fb - fa));
}

// How far the phase turns from a to b, in degrees, in [0, 180].
double Turn(const Reflection& a, const Reflection& b) {
  return std::fabs(std::remainder(b.angle_deg - a.angle_deg, 360.0));
}

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
  return !row.computed || (row.has_through && !row.through.warning.empty());
}

std::string RowWarning(const SweepRow& row) {
  std::string warning = row.warning;
  if (row.has_through && !row.through.warning.empty()) {
    if (!warning.empty()) warning += warning.back() == '.' ? " " : "; ";
    warning += row.through.warning;
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
  // A side fixed for every frequency takes the other file's grid and reference impedance.
  std::optional<ReaderSource> source_reader, load_reader;
  if (!source_port.fixed) source_reader.emplace(source_port, note);
  if (!load_port.fixed) load_reader.emplace(load_port, note);
  if (!source_reader && !load_reader) throw SweepError("a sweep needs a file on at least one side");
  ReaderSource& source_file = source_reader ? *source_reader : *load_reader;
  ReaderSource& load_file = load_reader ? *load_reader : *source_reader;
  double source_ohms = source_file.reader().reference_ohms();
  double load_ohms = load_file.reader().reference_ohms();
  std::optional<ThroughTrack> track;
  if (through != nullptr && !through->fixed) track.emplace(*through, note);
  // Files that state their ports' impedances, and a reference given with --z0, bring every file
  // to one real reference: --z0, else the source's option line. A file on both sides is named
  // once.
  CommonReferenceNote common{{}, common_ohms > 0.0 ? common_ohms : source_ohms, common_ohms > 0.0};
  if (source_reader && source_reader->reader().states_impedances()) {
    common.stated.push_back({source_port.path, source_reader->reader().wave_definition()});
  }
  if (load_reader && load_reader->reader().states_impedances() &&
      !(source_reader && load_port.path == source_port.path)) {
    common.stated.push_back({load_port.path, load_reader->reader().wave_definition()});
  }
  if (track && track->states_impedances()) common.stated.push_back({through->path, std::nullopt});
  if (common.given || !common.stated.empty()) {
    source_file.ConvertTo(common.ohms);
    load_file.ConvertTo(common.ohms);
    source_ohms = load_ohms = common.ohms;
    note(common);
  } else if (source_ohms != load_ohms) {
    note(ReferencesDifferNote{source_port.path, load_port.path, source_ohms, load_ohms});
  }
  const RowMaker maker(source_file.format(), load_file.format(), source_ohms, load_ohms,
                       source_port.path, load_port.path);
  SweepSummary summary;
  summary.reference_ohms = source_ohms;

  // With a two-port between, each row gets its S-parameters at the row's frequency; rows outside
  // its band are left out.
  long long through_rows = 0, outside = 0;
  bool said_interpolated = false;
  std::function<void(const SweepRow&)> sink = emit;
  if (through != nullptr) {
    if (track) {
      track->Start(source_ohms);
      if (const std::optional<ThroughRenormalisedNote> n = track->RenormalisationNote()) note(*n);
    }
    sink = [&](const SweepRow& base) {
      TwoPortS s = through->fixed.value_or(TwoPortS{});
      bool interpolated = false;
      if (track && track->At(base.frequency_hz, s, interpolated) != ThroughTrack::Where::kInside) {
        ++outside;
        return;
      }
      if (interpolated && !said_interpolated) {
        note(ThroughInterpolatedNote{through->path, base.frequency_hz});
        said_interpolated = true;
      }
      SweepRow row = base;
      row.has_through = true;
      if (const long line = track ? track->not_a_number_line() : 0; line != 0) {
        constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
        row.through.gamma_out = row.through.gamma_in = {kNaN, kNaN};
        row.through.gamma_out_magnitude = row.through.gamma_out_angle_deg = kNaN;
        row.through.gamma_in_magnitude = row.through.gamma_in_angle_deg = kNaN;
        row.through.gain_db = kNaN;
        row.through.warning =
            "not a number in the file, line " + std::to_string(line) + " of " + through->path;
      } else {
        row.through_s = s;
        row.through = calc::EvaluateThrough(s, row.source_magnitude, row.source_angle_deg,
                                            row.load_magnitude, row.load_angle_deg, source_ohms);
      }
      ++through_rows;
      emit(row);
    };
  }
  // The closing words of the two-port: rows left out, or none left at all.
  const auto finish = [&](SweepSummary done) {
    if (!track) return done;
    if (through_rows == 0) {
      throw SweepError("the two-port " + through->path + " covers " + Shortest(track->first_hz()) +
                       " to " + Shortest(track->last_hz()) +
                       " Hz, outside every frequency of the sweep");
    }
    if (const std::optional<ThroughSteepNote> steep = track->SteepNote()) note(*steep);
    if (outside > 0) {
      note(OutsideThroughNote{through->path, outside, track->first_hz(), track->last_hz()});
    }
    done.rows = through_rows;
    return done;
  };

  if (source_port.fixed || load_port.fixed) {
    // One file: a row at each of its points, the fixed side the same in every row.
    const FilePort& file_port = source_port.fixed ? load_port : source_port;
    Sample sample;
    while (source_file.Next(sample)) {
      const Reflection read = source_reader ? maker.Source(sample) : maker.Load(sample);
      sink(maker.Make(sample.frequency_hz, source_reader ? read : *source_port.fixed,
                      load_reader ? read : *load_port.fixed, true,
                      source_reader ? sample.not_a_number_line : 0,
                      load_reader ? sample.not_a_number_line : 0));
      ++summary.rows;
    }
    if (summary.rows == 0)
      throw SweepError(file_port.path + ": the file holds no frequency points");
    return finish(summary);
  }

  // While both files have the same frequencies, each pair of points is a row at once: one pass.
  Cursor s(source_file), l(load_file);
  if (!s.has() || !l.has()) {
    throw SweepError((s.has() ? load_port.path : source_port.path) +
                     ": the file holds no frequency points");
  }
  const double source_first = s.cur().frequency_hz, load_first = l.cur().frequency_hz;
  double done_source_hz = -kInfinity, done_load_hz = -kInfinity;
  while (s.has() && l.has() &&
         SameFrequency(s.cur().frequency_hz, l.cur().frequency_hz, s.Step(), l.Step())) {
    sink(maker.Make(s.cur().frequency_hz, maker.Source(s.cur()), maker.Load(l.cur()), true,
                    s.cur().not_a_number_line, l.cur().not_a_number_line));
    ++summary.rows;
    done_source_hz = s.cur().frequency_hz;
    done_load_hz = l.cur().frequency_hz;
    s.Advance();
    l.Advance();
  }
  if (!s.has() && !l.has()) return finish(summary);  // the same grid throughout

  // The grids part: keep the rest of both files, from the last pair on, then compute over the
  // band both cover on the denser grid there.
  Spool source_rest(source_port.path), load_rest(load_port.path);
  s.SpoolRest(source_rest, summary.rows > 0);
  l.SpoolRest(load_rest, summary.rows > 0);
  source_rest.Rewind();
  load_rest.Rewind();
  const double source_last = s.prev().frequency_hz, load_last = l.prev().frequency_hz;
  const double low = std::max(source_first, load_first), high = std::min(source_last, load_last);
  const auto in_band = [&](const Spool& spool) {
    return spool.CountBelow(high, true) - spool.CountBelow(low, false);
  };
  const long long source_in_band = in_band(source_rest), load_in_band = in_band(load_rest);
  const bool on_load_grid = load_in_band > source_in_band;
  const long long paired_again = summary.rows > 0 ? 1 : 0;  // the last pair, spooled again
  if (low <= high) {
    note(GridsDifferNote{
        source_port.path, load_port.path, summary.rows + source_rest.count() - paired_again,
        summary.rows + load_rest.count() - paired_again, low, high,
        summary.rows + (on_load_grid ? load_in_band : source_in_band) - paired_again,
        on_load_grid});
  }

  summary.source_interpolated = on_load_grid;
  Cursor p(on_load_grid ? static_cast<SampleSource&>(load_rest) : source_rest);
  Cursor o(on_load_grid ? static_cast<SampleSource&>(source_rest) : load_rest);
  const double done_hz = on_load_grid ? done_load_hz : done_source_hz;
  double steep_counted_hz = -kInfinity;
  const auto row = [&](double f, const Reflection& primary, const Reflection& other, bool direct,
                       long primary_nan, long other_nan) {
    if (on_load_grid) {
      sink(maker.Make(f, other, primary, true, other_nan, primary_nan));
    } else {
      sink(maker.Make(f, primary, other, direct, primary_nan, other_nan));
    }
    ++summary.rows;
  };
  for (; p.has(); p.Advance()) {
    const Sample& here = p.cur();
    const double f = here.frequency_hz;
    if (f <= done_hz) continue;  // paired already
    while (o.has_next() && o.next().frequency_hz <= f) o.Advance();
    if (!o.has()) break;
    const Reflection primary = on_load_grid ? maker.Load(here) : maker.Source(here);
    const auto other_of = [&](const Sample& x) {
      return on_load_grid ? maker.Source(x) : maker.Load(x);
    };
    const double o_next_step =
        o.has_next() ? o.next().frequency_hz - o.cur().frequency_hz : kInfinity;
    if (SameFrequency(f, o.cur().frequency_hz, p.Step(), o.Step())) {
      // A direct pair takes the source's frequency, whichever grid leads.
      row(on_load_grid ? o.cur().frequency_hz : f, primary, other_of(o.cur()), true,
          here.not_a_number_line, o.cur().not_a_number_line);
    } else if (o.has_next() && SameFrequency(f, o.next().frequency_hz, p.Step(), o_next_step)) {
      row(on_load_grid ? o.next().frequency_hz : f, primary, other_of(o.next()), true,
          here.not_a_number_line, o.next().not_a_number_line);
    } else if (o.has_next() && o.cur().frequency_hz < f && f < o.next().frequency_hz) {
      const Reflection before = other_of(o.cur()), after = other_of(o.next());
      if (Turn(before, after) > kSteepTurnDeg && o.cur().frequency_hz != steep_counted_hz) {
        if (summary.steep_steps++ == 0) {
          summary.steep_from_hz = o.cur().frequency_hz;
          summary.steep_to_hz = o.next().frequency_hz;
        }
        steep_counted_hz = o.cur().frequency_hz;
      }
      const Reflection between =
          Polar(Interpolate(before, o.cur().frequency_hz, after, o.next().frequency_hz, f));
      row(f, primary, between, false, here.not_a_number_line,
          o.cur().not_a_number_line != 0 ? o.cur().not_a_number_line : o.next().not_a_number_line);
      ++summary.interpolated;
    }
  }
  if (summary.rows == 0) {
    throw SweepError("the frequency bands do not overlap: " + source_port.path + " covers " +
                     Shortest(source_first) + " to " + Shortest(source_last) + " Hz, " +
                     load_port.path + " covers " + Shortest(load_first) + " to " +
                     Shortest(load_last) + " Hz");
  }
  return finish(summary);
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
