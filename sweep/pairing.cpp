#include "sweep/pairing.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>

#include "calc/complex_value.h"
#include "calc/reference_impedance.h"

namespace sweep {

namespace detail {

namespace {

using touchstone::ReflectionReader;
using touchstone::Sample;

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

}  // namespace

ReaderSource::ReaderSource(const FilePort& file_port, const std::function<void(const Note&)>& note)
    : reader_(Open(file_port)), note_(note), points_(reader_) {}

bool ReaderSource::Next(Sample& sample) {
  const auto skipped = [this](const Sample& kept, const Sample& skipped_point) {
    const Reflection a = ReflectionOf(kept, reader_.format());
    const Reflection b = ReflectionOf(skipped_point, reader_.format());
    note_(RepeatedPointNote{reader_.name(), reader_.skipped_line(), skipped_point.frequency_hz,
                            std::hypot(a.re - b.re, a.im - b.im)});
  };
  if (!points_.Next(reader_, sample, skipped)) return false;
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

void ReaderSource::ConvertTo(double ohms) {
  convert_ = reader_.states_impedances() || reader_.reference_ohms() != ohms;
  common_ohms_ = ohms;
}

Spool::Spool(std::string name) : name_(std::move(name)), file_(sizeof(double[4])) {
  if (!file_.ok()) Fail();
}

void Spool::Write(const Sample& s) {
  const double record[4] = {s.frequency_hz, s.a, s.b, static_cast<double>(s.not_a_number_line)};
  if (!file_.Write(record)) Fail();
}

void Spool::Rewind() {
  if (!file_.Rewind()) Fail();
}

bool Spool::Next(Sample& s) {
  double record[4];
  bool failed = false;
  if (!file_.Read(record, failed)) {
    if (failed) Fail();
    return false;
  }
  s = Sample{record[0], record[1], record[2], static_cast<long>(record[3])};
  return true;
}

long long Spool::CountBelow(double hz, bool inclusive) const {
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

void Spool::Fail() const {
  throw SweepError(
      name_ + ": cannot keep the rest of the file in a temporary file: " + std::strerror(errno));
}

}  // namespace detail

namespace {

using detail::kInfinity;
using detail::kSteepTurnDeg;
using detail::SameFrequency;
using detail::Shortest;
using touchstone::Sample;

// How far the phase turns from a to b, in degrees, in [0, 180].
double Turn(const Reflection& a, const Reflection& b) {
  return std::fabs(std::remainder(b.angle_deg - a.angle_deg, 360.0));
}

}  // namespace

Pairing::Pairing(const FilePort& source, const FilePort& load,
                 const std::function<void(const Note&)>& note)
    : source_port_(source), load_port_(load), note_(note) {
  // A side fixed for every frequency takes the other file's grid.
  if (!source.fixed) source_reader_.emplace(source, note);
  if (!load.fixed) load_reader_.emplace(load, note);
  if (!source_reader_ && !load_reader_) {
    throw SweepError("a sweep needs a file on at least one side");
  }
}

const touchstone::ReflectionReader* Pairing::source_reader() const {
  return source_reader_ ? &source_reader_->reader() : nullptr;
}

const touchstone::ReflectionReader* Pairing::load_reader() const {
  return load_reader_ ? &load_reader_->reader() : nullptr;
}

void Pairing::ConvertTo(double ohms) {
  if (source_reader_) source_reader_->ConvertTo(ohms);
  if (load_reader_) load_reader_->ConvertTo(ohms);
}

bool Pairing::Next(Pair& pair) {
  switch (stage_) {
    case Stage::kStart:
      if (source_reader_) source_format_ = source_reader_->format();
      if (load_reader_) load_format_ = load_reader_->format();
      if (!source_reader_ || !load_reader_) {
        stage_ = Stage::kOneFile;
        return NextOfOneFile(pair);
      }
      s_.emplace(*source_reader_);
      l_.emplace(*load_reader_);
      if (!s_->has() || !l_->has()) {
        throw SweepError((s_->has() ? load_port_.path : source_port_.path) +
                         ": the file holds no frequency points");
      }
      source_first_hz_ = s_->cur().frequency_hz;
      load_first_hz_ = l_->cur().frequency_hz;
      stage_ = Stage::kSameGrid;
      return NextOnSameGrid(pair);
    case Stage::kOneFile:
      return NextOfOneFile(pair);
    case Stage::kSameGrid:
      return NextOnSameGrid(pair);
    case Stage::kParted:
      return NextParted(pair);
    case Stage::kDone:
      break;
  }
  return false;
}

void Pairing::Fill(Pair& pair, double hz, const Sample& source, const Sample& load) const {
  pair.frequency_hz = hz;
  pair.source = ReflectionOf(source, source_format_);
  pair.load = ReflectionOf(load, load_format_);
  pair.interpolated = Pair::Interpolated::kNone;
  pair.source_not_a_number_line = source.not_a_number_line;
  pair.load_not_a_number_line = load.not_a_number_line;
}

bool Pairing::NextOfOneFile(Pair& pair) {
  // A pair at each point of the file, the fixed side the same in every pair.
  detail::ReaderSource& file = source_reader_ ? *source_reader_ : *load_reader_;
  Sample sample;
  if (!file.Next(sample)) {
    if (summary_.rows == 0) {
      throw SweepError((source_reader_ ? source_port_ : load_port_).path +
                       ": the file holds no frequency points");
    }
    stage_ = Stage::kDone;
    return false;
  }
  const Reflection read = ReflectionOf(sample, source_reader_ ? source_format_ : load_format_);
  pair.frequency_hz = sample.frequency_hz;
  pair.source = source_reader_ ? read : *source_port_.fixed;
  pair.load = load_reader_ ? read : *load_port_.fixed;
  pair.interpolated = Pair::Interpolated::kNone;
  pair.source_not_a_number_line = source_reader_ ? sample.not_a_number_line : 0;
  pair.load_not_a_number_line = load_reader_ ? sample.not_a_number_line : 0;
  ++summary_.rows;
  return true;
}

bool Pairing::NextOnSameGrid(Pair& pair) {
  // While both files have the same frequencies, each pair of points is a pair at once.
  detail::Cursor<detail::ReaderSource>& s = *s_;
  detail::Cursor<detail::ReaderSource>& l = *l_;
  if (advance_) {
    s.Advance();
    l.Advance();
    advance_ = false;
  }
  if (s.has() && l.has() &&
      SameFrequency(s.cur().frequency_hz, l.cur().frequency_hz, s.Step(), l.Step())) {
    Fill(pair, s.cur().frequency_hz, s.cur(), l.cur());
    ++summary_.rows;
    done_source_hz_ = s.cur().frequency_hz;
    done_load_hz_ = l.cur().frequency_hz;
    advance_ = true;
    return true;
  }
  if (!s.has() && !l.has()) {  // the same grid throughout
    stage_ = Stage::kDone;
    return false;
  }
  Part();
  stage_ = Stage::kParted;
  return NextParted(pair);
}

void Pairing::Part() {
  // Keep the rest of both files, from the last pair on, then pair over the band both cover on
  // the denser grid there.
  const long long rows = summary_.rows;
  source_rest_.emplace(source_port_.path);
  load_rest_.emplace(load_port_.path);
  s_->SpoolRest(*source_rest_, rows > 0);
  l_->SpoolRest(*load_rest_, rows > 0);
  source_rest_->Rewind();
  load_rest_->Rewind();
  source_last_hz_ = s_->prev().frequency_hz;
  load_last_hz_ = l_->prev().frequency_hz;
  const double low = std::max(source_first_hz_, load_first_hz_);
  const double high = std::min(source_last_hz_, load_last_hz_);
  const auto in_band = [&](const detail::Spool& spool) {
    return spool.CountBelow(high, true) - spool.CountBelow(low, false);
  };
  const long long source_in_band = in_band(*source_rest_), load_in_band = in_band(*load_rest_);
  const bool on_load_grid = load_in_band > source_in_band;
  const long long paired_again = rows > 0 ? 1 : 0;  // the last pair, spooled again
  if (low <= high) {
    note_(GridsDifferNote{
        source_port_.path, load_port_.path, rows + source_rest_->count() - paired_again,
        rows + load_rest_->count() - paired_again, low, high,
        rows + (on_load_grid ? load_in_band : source_in_band) - paired_again, on_load_grid});
  }
  summary_.source_interpolated = on_load_grid;
  primary_.emplace(on_load_grid ? *load_rest_ : *source_rest_);
  other_.emplace(on_load_grid ? *source_rest_ : *load_rest_);
  done_hz_ = on_load_grid ? done_load_hz_ : done_source_hz_;
}

bool Pairing::NextParted(Pair& pair) {
  detail::Cursor<detail::Spool>& p = *primary_;
  detail::Cursor<detail::Spool>& o = *other_;
  const bool on_load_grid = summary_.source_interpolated;
  if (advance_) {
    p.Advance();
    advance_ = false;
  }
  for (; p.has(); p.Advance()) {
    const Sample& here = p.cur();
    const double f = here.frequency_hz;
    if (f <= done_hz_) continue;  // paired already
    while (o.has_next() && o.next().frequency_hz <= f) o.Advance();
    if (!o.has()) break;
    const double o_next_step =
        o.has_next() ? o.next().frequency_hz - o.cur().frequency_hz : kInfinity;
    const Sample* direct = nullptr;
    if (SameFrequency(f, o.cur().frequency_hz, p.Step(), o.Step())) {
      direct = &o.cur();
    } else if (o.has_next() && SameFrequency(f, o.next().frequency_hz, p.Step(), o_next_step)) {
      direct = &o.next();
    }
    if (direct != nullptr) {
      // A direct pair takes the source's frequency, whichever grid leads.
      if (on_load_grid) {
        Fill(pair, direct->frequency_hz, *direct, here);
      } else {
        Fill(pair, f, here, *direct);
      }
    } else if (o.has_next() && o.cur().frequency_hz < f && f < o.next().frequency_hz) {
      const touchstone::Format other_format = on_load_grid ? source_format_ : load_format_;
      const Reflection before = ReflectionOf(o.cur(), other_format);
      const Reflection after = ReflectionOf(o.next(), other_format);
      if (Turn(before, after) > kSteepTurnDeg && o.cur().frequency_hz != steep_counted_hz_) {
        if (summary_.steep_steps++ == 0) {
          summary_.steep_from_hz = o.cur().frequency_hz;
          summary_.steep_to_hz = o.next().frequency_hz;
        }
        steep_counted_hz_ = o.cur().frequency_hz;
      }
      const Reflection between = Reflection::Of(
          calc::Lerp(before.value(), after.value(),
                     (f - o.cur().frequency_hz) / (o.next().frequency_hz - o.cur().frequency_hz)));
      const Reflection primary = ReflectionOf(here, on_load_grid ? load_format_ : source_format_);
      const long other_nan =
          o.cur().not_a_number_line != 0 ? o.cur().not_a_number_line : o.next().not_a_number_line;
      pair.frequency_hz = f;
      pair.source = on_load_grid ? between : primary;
      pair.load = on_load_grid ? primary : between;
      pair.interpolated = on_load_grid ? Pair::Interpolated::kSource : Pair::Interpolated::kLoad;
      pair.source_not_a_number_line = on_load_grid ? other_nan : here.not_a_number_line;
      pair.load_not_a_number_line = on_load_grid ? here.not_a_number_line : other_nan;
      ++summary_.interpolated;
    } else {
      continue;
    }
    ++summary_.rows;
    advance_ = true;
    return true;
  }
  if (summary_.rows == 0) {
    throw SweepError("the frequency bands do not overlap: " + source_port_.path + " covers " +
                     Shortest(source_first_hz_) + " to " + Shortest(source_last_hz_) + " Hz, " +
                     load_port_.path + " covers " + Shortest(load_first_hz_) + " to " +
                     Shortest(load_last_hz_) + " Hz");
  }
  stage_ = Stage::kDone;
  return false;
}

}  // namespace sweep
