#include "sweep/sweep.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#include "calc/complex_value.h"
#include "calc/warning_text.h"
#include "platform/errors.h"
#include "platform/number_format.h"
#include "platform/temp_records.h"

namespace sweep {

namespace {

using platform::Shortest;
using touchstone::Format;
using touchstone::ReflectionReader;
using touchstone::Sample;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Interpolation between points whose phase turns further than this is unreliable.
constexpr double kSteepTurnDeg = 45.0;

// Where a file's points are read from: the file itself, or what was kept of it.
class SampleSource {
 public:
  virtual ~SampleSource() = default;
  virtual bool Next(Sample& sample) = 0;
};

class ReaderSource : public SampleSource {
 public:
  explicit ReaderSource(const FilePort& file_port)
      : reader_(file_port.path, file_port.port, file_port.ports, file_port.ports_hint,
                file_port.mode) {}
  bool Next(Sample& sample) override { return reader_.Next(sample); }
  const ReflectionReader& reader() const { return reader_; }

 private:
  ReflectionReader reader_;
};

// Samples kept in an unnamed temporary file, in order of frequency, so that a file that cannot
// be read twice (a pipe) is still read once.
class Spool : public SampleSource {
 public:
  explicit Spool(std::string name) : name_(std::move(name)), file_(sizeof(double[3])) {
    if (!file_.ok()) Fail();
  }

  void Write(const Sample& s) {
    const double record[3] = {s.frequency_hz, s.a, s.b};
    if (!file_.Write(record)) Fail();
  }
  // Ends writing; reading starts at the first sample.
  void Rewind() {
    if (!file_.Rewind()) Fail();
  }
  bool Next(Sample& s) override {
    double record[3];
    bool failed = false;
    if (!file_.Read(record, failed)) {
      if (failed) Fail();
      return false;
    }
    s = Sample{record[0], record[1], record[2]};
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

// Two frequencies are one point when equal, or closer than a thousandth of the smaller step of
// either grid next to them (and than 1e-9 of their size): far below half a step, so that a point
// of one file pairs with at most one point of the other.
bool SameFrequency(double a, double b, double step_a, double step_b) {
  if (a == b) return true;
  const double tolerance =
      std::min(1e-9 * std::max(std::fabs(a), std::fabs(b)), 1e-3 * std::min(step_a, step_b));
  return std::fabs(a - b) <= tolerance;
}

using calc::Complex;

// The pairing of the two files and what is needed to build a row.
class RowMaker {
 public:
  RowMaker(Format source_format, Format load_format, double source_ohms, double load_ohms)
      : source_format_(source_format),
        load_format_(load_format),
        source_ohms_(source_ohms),
        load_ohms_(load_ohms) {}

  Reflection Source(const Sample& s) const { return ReflectionOf(s, source_format_); }
  Reflection Load(const Sample& s) const { return ReflectionOf(s, load_format_); }

  // `load_as_written`: ΓL is the file's own point, not interpolated.
  SweepRow Make(double frequency_hz, const Reflection& source, const Reflection& load,
                bool load_as_written) const {
    SweepRow row;
    row.frequency_hz = frequency_hz;
    row.source_magnitude = source.magnitude;
    row.source_angle_deg = source.angle_deg;
    if (load_as_written && source_ohms_ == load_ohms_) {
      // As written in the file, the same numbers one would type into the window.
      row.load_magnitude = load.magnitude;
      row.load_angle_deg = load.angle_deg;
    } else {
      Complex g = load.value();
      if (source_ohms_ != load_ohms_) g = calc::Renormalise(g, load_ohms_, source_ohms_);
      // Angles in (-180, 180], converted with the program's pi, as the files' own are.
      const Reflection used = Reflection::Of(g);
      row.load_magnitude = used.magnitude;
      row.load_angle_deg = used.angle_deg;
    }
    for (const double x :
         {row.source_magnitude, row.source_angle_deg, row.load_magnitude, row.load_angle_deg}) {
      if (!std::isfinite(x)) {
        row.warning = "the reflection coefficients at this frequency are not finite numbers";
        return row;
      }
    }
    const double z0 = source_ohms_;
    try {
      row.result =
          calc::EvaluateMismatch([z0] { return z0; }, row.source_magnitude, row.source_angle_deg,
                                 row.load_magnitude, row.load_angle_deg);
    } catch (const platform::Error& error) {
      row.warning = calc::WarningText(error);
      return row;
    }
    row.computed = true;
    // The figures of the table's columns only.
    row.figures =
        calc::ComputeMismatchFigures(row.source_magnitude, row.load_magnitude,
                                     row.result.MismatchFactor, calc::MismatchFigureSet::kTable);
    return row;
  }

 private:
  Format source_format_, load_format_;
  double source_ohms_, load_ohms_;
};

Complex Interpolate(const Reflection& a, double fa, const Reflection& b, double fb, double f) {
  return calc::Lerp(a.value(), b.value(), (f - fa) / (fb - fa));
}

// How far the phase turns from a to b, in degrees, in [0, 180].
double Turn(const Reflection& a, const Reflection& b) {
  return std::fabs(std::remainder(b.angle_deg - a.angle_deg, 360.0));
}

using calc::TwoPortS;

// The through's points as they are read: each converted, turned round and renormalised.
class ThroughTrack {
 public:
  ThroughTrack(const ThroughFile& file, double to_ohms)
      : file_(file), reader_(file.path), to_ohms_(to_ohms) {
    r1_ = reader_.reference_ohms(file.reversed ? 2 : 1);
    r2_ = reader_.reference_ohms(file.reversed ? 1 : 2);
    renormalise_ = r1_ != to_ohms_ || r2_ != to_ohms_;
    if (renormalise_ && !(r1_ > 0.0 && r2_ > 0.0 && to_ohms_ > 0.0 && std::isfinite(r1_) &&
                          std::isfinite(r2_) && std::isfinite(to_ohms_))) {
      throw SweepError(file.path + ": its reference impedances (" + Shortest(r1_) + " and " +
                       Shortest(r2_) + " \u03a9) cannot be renormalised to the source's " +
                       Shortest(to_ohms_) + " \u03a9: all must be positive");
    }
    has_cur_ = Read(cur_);
    has_next_ = has_cur_ && Read(next_);
    if (!has_cur_) throw SweepError(file.path + ": the file holds no frequency points");
    first_hz_ = cur_.hz;
  }

  // What the user should know before the first row.
  std::optional<ThroughRenormalised> RenormalisationNote() const {
    if (!renormalise_) return std::nullopt;
    return ThroughRenormalised{file_.path, r1_, r2_, to_ohms_};
  }

  enum class Where { kBelow, kInside, kAbove };
  // The S-parameters at `hz`; frequencies come in increasing order. `interpolated` tells whether
  // they lie between two points of the file.
  Where At(double hz, TwoPortS& s, bool& interpolated) {
    while (has_next_ && (next_.hz <= hz || Same(hz, next_.hz))) Advance();
    interpolated = false;
    if (Same(hz, cur_.hz)) {
      s = cur_.s;
      return Where::kInside;
    }
    if (hz < cur_.hz) return Where::kBelow;
    if (!has_next_) return Where::kAbove;
    interpolated = true;
    // Between points whose transmission turns further than this, a straight line in the complex
    // plane cuts the arc short: the interpolated loss is too high.
    const auto turn = [](calc::Complex a, calc::Complex b) {
      return std::fabs(std::remainder(calc::AngleDegrees(b) - calc::AngleDegrees(a), 360.0));
    };
    if (cur_.hz != steep_counted_hz_ && (turn(cur_.s.s21, next_.s.s21) > kSteepTurnDeg ||
                                         turn(cur_.s.s12, next_.s.s12) > kSteepTurnDeg)) {
      if (steep_steps_++ == 0) {
        steep_from_hz_ = cur_.hz;
        steep_to_hz_ = next_.hz;
      }
      steep_counted_hz_ = cur_.hz;
    }
    const double t = (hz - cur_.hz) / (next_.hz - cur_.hz);
    s = calc::Lerp(cur_.s, next_.s, t);
    return Where::kInside;
  }

  // Neighbouring points used for interpolation whose transmission turns by more than 45°: how
  // many pairs, and the first.
  std::optional<ThroughSteep> SteepNote() const {
    if (steep_steps_ == 0) return std::nullopt;
    return ThroughSteep{file_.path, steep_steps_, steep_from_hz_, steep_to_hz_};
  }

  // The band of the points read so far: all of it once At() has passed the end.
  double first_hz() const { return first_hz_; }
  double last_hz() const { return has_next_ ? next_.hz : cur_.hz; }

 private:
  struct Point {
    double hz = 0.0;
    TwoPortS s;
  };

  bool Read(Point& p) {
    touchstone::TwoPortSample sample;
    if (!reader_.Next(sample)) return false;
    const Format format = reader_.format();
    calc::Complex c[4];
    for (int k = 0; k < 4; ++k) {
      c[k] =
          ReflectionOf(Sample{sample.frequency_hz, sample.s[k].a, sample.s[k].b}, format).value();
    }
    p.hz = sample.frequency_hz;
    // Turned round, port 2 faces the source: S11 and S22 change places, and so do S21 and S12.
    p.s = file_.reversed ? TwoPortS{c[3], c[2], c[1], c[0]} : TwoPortS{c[0], c[1], c[2], c[3]};
    if (renormalise_) p.s = calc::RenormaliseTwoPort(p.s, r1_, r2_, to_ohms_);
    return true;
  }
  void Advance() {
    cur_ = next_;
    has_next_ = Read(next_);
  }
  // A row's frequency and a point of the file are the same when closer than a thousandth of the
  // file's step there (and than 1e-9 of their size).
  bool Same(double hz, double point_hz) const {
    double step = kInfinity;
    if (has_next_) step = next_.hz - cur_.hz;
    return SameFrequency(hz, point_hz, kInfinity, step);
  }

  ThroughFile file_;
  touchstone::TwoPortReader reader_;
  double to_ohms_, r1_ = 0.0, r2_ = 0.0;
  bool renormalise_ = false;
  Point cur_, next_;
  bool has_cur_ = false, has_next_ = false;
  long long steep_steps_ = 0;
  double steep_from_hz_ = 0.0, steep_to_hz_ = 0.0, steep_counted_hz_ = -kInfinity;
  double first_hz_ = 0.0;
};

}  // namespace

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

// A two-port between source and load: each row gets its S-parameters at the row's frequency (its
// own point, interpolated, or fixed), and rows outside its band are left out.
class ThroughStage {
 public:
  ThroughStage(const ThroughFile& through, double source_ohms,
               const std::function<void(const Note&)>& note,
               const std::function<void(const SweepRow&)>& emit)
      : through_(through), source_ohms_(source_ohms), note_(note), emit_(emit) {
    if (!through.fixed) track_.emplace(through, source_ohms);
    if (track_) {
      if (const auto n = track_->RenormalisationNote()) note_(*n);
    }
  }

  void operator()(const SweepRow& base) {
    TwoPortS s = through_.fixed.value_or(TwoPortS{});
    bool interpolated = false;
    if (track_ && track_->At(base.frequency_hz, s, interpolated) != ThroughTrack::Where::kInside) {
      ++outside_;
      return;
    }
    if (interpolated && !said_interpolated_) {
      note_(ThroughInterpolated{through_.path, base.frequency_hz});
      said_interpolated_ = true;
    }
    SweepRow row = base;
    row.has_through = true;
    row.through = calc::EvaluateThrough(s, row.source_magnitude, row.source_angle_deg,
                                        row.load_magnitude, row.load_angle_deg, source_ohms_);
    ++rows_;
    emit_(row);
  }

  // The closing words of the two-port: rows left out, or none left at all.
  SweepSummary Finish(SweepSummary done) const {
    if (!track_) return done;
    if (rows_ == 0) {
      throw SweepError("the two-port " + through_.path + " covers " + Shortest(track_->first_hz()) +
                       " to " + Shortest(track_->last_hz()) +
                       " Hz, outside every frequency of the sweep");
    }
    if (const auto steep = track_->SteepNote()) note_(*steep);
    if (outside_ > 0) {
      note_(ThroughOutside{through_.path, outside_, track_->first_hz(), track_->last_hz()});
    }
    done.rows = rows_;
    return done;
  }

 private:
  const ThroughFile& through_;
  double source_ohms_;
  const std::function<void(const Note&)>& note_;
  const std::function<void(const SweepRow&)>& emit_;
  std::optional<ThroughTrack> track_;
  long long rows_ = 0, outside_ = 0;
  bool said_interpolated_ = false;
};

SweepSummary Sweep(const FilePort& source_port, const FilePort& load_port,
                   const ThroughFile* through, const std::function<void(const Note&)>& note,
                   const std::function<void(const SweepRow&)>& emit) {
  // A side fixed for every frequency takes the other file's grid and reference impedance.
  std::optional<ReaderSource> source_reader, load_reader;
  if (!source_port.fixed) source_reader.emplace(source_port);
  if (!load_port.fixed) load_reader.emplace(load_port);
  if (!source_reader && !load_reader) throw SweepError("a sweep needs a file on at least one side");
  ReaderSource& source_file = source_reader ? *source_reader : *load_reader;
  ReaderSource& load_file = load_reader ? *load_reader : *source_reader;
  const double source_ohms = source_file.reader().reference_ohms();
  const double load_ohms = load_file.reader().reference_ohms();
  if (source_ohms != load_ohms) {
    note(ReferencesDiffer{source_port.path, load_port.path, source_ohms, load_ohms});
  }
  const RowMaker maker(source_file.reader().format(), load_file.reader().format(), source_ohms,
                       load_ohms);
  SweepSummary summary;

  // With a two-port between, each row gets its S-parameters at the row's frequency.
  std::optional<ThroughStage> stage;
  std::function<void(const SweepRow&)> sink = emit;
  if (through != nullptr) {
    stage.emplace(*through, source_ohms, note, emit);
    sink = [&](const SweepRow& row) { (*stage)(row); };
  }
  const auto finish = [&](SweepSummary done) { return stage ? stage->Finish(done) : done; };

  if (source_port.fixed || load_port.fixed) {
    // One file: a row at each of its points, the fixed side the same in every row.
    const FilePort& file_port = source_port.fixed ? load_port : source_port;
    Sample sample;
    while (source_file.Next(sample)) {
      const Reflection read = source_reader ? maker.Source(sample) : maker.Load(sample);
      sink(maker.Make(sample.frequency_hz, source_reader ? read : *source_port.fixed,
                      load_reader ? read : *load_port.fixed, true));
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
    sink(maker.Make(s.cur().frequency_hz, maker.Source(s.cur()), maker.Load(l.cur()), true));
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
  if (low <= high) {
    // The points counted twice: the last pair, kept in both spools.
    const long long again = summary.rows > 0 ? 1 : 0;
    note(GridsDiffer{source_port.path, load_port.path, summary.rows + source_rest.count() - again,
                     summary.rows + load_rest.count() - again, low, high,
                     summary.rows + (on_load_grid ? load_in_band : source_in_band) - again,
                     on_load_grid});
  }

  summary.source_interpolated = on_load_grid;
  Cursor p(on_load_grid ? static_cast<SampleSource&>(load_rest) : source_rest);
  Cursor o(on_load_grid ? static_cast<SampleSource&>(source_rest) : load_rest);
  const double done_hz = on_load_grid ? done_load_hz : done_source_hz;
  double steep_counted_hz = -kInfinity;
  const auto row = [&](double f, const Reflection& primary, const Reflection& other, bool direct) {
    if (on_load_grid) {
      sink(maker.Make(f, other, primary, true));
    } else {
      sink(maker.Make(f, primary, other, direct));
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
      row(on_load_grid ? o.cur().frequency_hz : f, primary, other_of(o.cur()), true);
    } else if (o.has_next() && SameFrequency(f, o.next().frequency_hz, p.Step(), o_next_step)) {
      row(on_load_grid ? o.next().frequency_hz : f, primary, other_of(o.next()), true);
    } else if (o.has_next() && o.cur().frequency_hz < f && f < o.next().frequency_hz) {
      const Reflection before = other_of(o.cur()), after = other_of(o.next());
      if (Turn(before, after) > kSteepTurnDeg && o.cur().frequency_hz != steep_counted_hz) {
        if (summary.steep_steps++ == 0) {
          summary.steep_from_hz = o.cur().frequency_hz;
          summary.steep_to_hz = o.next().frequency_hz;
        }
        steep_counted_hz = o.cur().frequency_hz;
      }
      const Reflection between = Reflection::Of(
          Interpolate(before, o.cur().frequency_hz, after, o.next().frequency_hz, f));
      row(f, primary, between, false);
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
                      const std::function<void(const SweepRow&)>& sink) {
  return Sweep(source, load, nullptr, note, sink);
}

SweepSummary RunSweep(const FilePort& source, const FilePort& load, const ThroughFile& through,
                      const std::function<void(const Note&)>& note,
                      const std::function<void(const SweepRow&)>& sink) {
  return Sweep(source, load, &through, note, sink);
}

}  // namespace sweep
