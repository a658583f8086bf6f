#pragma once

// The pairs of a sweep: ΓS and ΓL at each frequency, read from the two files front to back and
// handed out one at a time. Used by sweep.cpp.

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

#include "platform/temp_records.h"
#include "sweep/note.h"
#include "sweep/sweep.h"
#include "sweep/sweep_detail.h"
#include "touchstone/touchstone.h"

namespace sweep {

// One frequency of the sweep.
struct Pair {
  enum class Interpolated { kNone, kSource, kLoad };
  double frequency_hz = 0.0;
  // Each against its file's reference impedance, or the common one after ConvertTo(); a fixed
  // side's value as given.
  Reflection source, load;
  Interpolated interpolated = Interpolated::kNone;  // which one lies between two of its points
  // The line of a "nan" or "inf" in the file behind each (0: none).
  long source_not_a_number_line = 0, load_not_a_number_line = 0;
};

namespace detail {

// The points of one port of a file as they are read, a repeated point skipped with a note.
class ReaderSource {
 public:
  ReaderSource(const FilePort& file_port, const std::function<void(const Note&)>& note);
  bool Next(touchstone::Sample& sample);
  const touchstone::ReflectionReader& reader() const { return reader_; }
  // Brings every point to the real reference `ohms`, as RI, where the file states its
  // impedances or refers to another one.
  void ConvertTo(double ohms);
  touchstone::Format format() const {
    return convert_ ? touchstone::Format::kRealImaginary : reader_.format();
  }

 private:
  touchstone::ReflectionReader reader_;
  const std::function<void(const Note&)>& note_;
  ReadAhead<touchstone::ReflectionReader, touchstone::Sample> points_;
  bool convert_ = false;
  double common_ohms_ = 0.0;
};

// Samples kept in an unnamed temporary file, in order of frequency, so that a file that cannot
// be read twice (a pipe) is still read once.
class Spool {
 public:
  explicit Spool(std::string name);
  void Write(const touchstone::Sample& s);
  // Ends writing; reading starts at the first sample.
  void Rewind();
  bool Next(touchstone::Sample& s);
  long long count() const { return file_.count(); }
  // How many samples lie below `hz` (or at it too, when `inclusive`), by bisection.
  long long CountBelow(double hz, bool inclusive) const;

 private:
  [[noreturn]] void Fail() const;
  std::string name_;
  platform::TempRecords file_;
};

// A window of three neighbouring samples of a file: the one before, the current one and the
// next one, which tell the steps of its grid around the current one.
template <class Source>
class Cursor {
 public:
  explicit Cursor(Source& source) : source_(&source) {
    has_cur_ = source_->Next(cur_);
    has_next_ = has_cur_ && source_->Next(next_);
  }
  bool has() const { return has_cur_; }
  bool has_next() const { return has_next_; }
  const touchstone::Sample& cur() const { return cur_; }
  const touchstone::Sample& prev() const { return prev_; }
  const touchstone::Sample& next() const { return next_; }
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
  Source* source_;
  touchstone::Sample prev_, cur_, next_;
  bool has_prev_ = false, has_cur_ = false, has_next_ = false;
};

}  // namespace detail

// The pairing of the two files of a sweep, or of one file with a fixed value.
//
// With one side fixed, a pair at each point of the file. While both files have the same
// frequencies, their points pair one by one as they are read. Where the grids part, the rest of
// both files is kept in temporary files (memory stays constant), and the pairs cover the band
// both files cover on the grid with more points in it, the other file interpolated linearly in
// its real and imaginary parts where it has no point of its own. Two frequencies are the same
// when detail::SameFrequency() says so; a pair of the same frequency takes the source's.
class Pairing {
 public:
  // Opens the files of the sides that are not fixed, each with its first point read. Raises
  // touchstone::ReadError for a file that cannot be read and SweepError when both are fixed.
  // `note` receives the notes of the pairing (a repeated point skipped, the grids that differ),
  // each before the first pair it concerns, and must outlive the pairing.
  Pairing(const FilePort& source, const FilePort& load,
          const std::function<void(const Note&)>& note);
  Pairing(const Pairing&) = delete;
  Pairing& operator=(const Pairing&) = delete;

  // The reader of each side's file; null for a fixed side.
  const touchstone::ReflectionReader* source_reader() const;
  const touchstone::ReflectionReader* load_reader() const;

  // Brings every point of both files to the real reference `ohms`, where a file states its
  // impedances or refers to another; before the first Next().
  void ConvertTo(double ohms);

  // The next pair in order of frequency; false after the last. Raises SweepError when a file
  // holds no points or the bands do not overlap, touchstone::ReadError for a file that cannot be
  // read further.
  bool Next(Pair& pair);

  // What the pairing did so far: the pairs, the interpolated ones and their steep steps, and
  // which file was interpolated.
  const SweepSummary& summary() const { return summary_; }

 private:
  enum class Stage { kStart, kOneFile, kSameGrid, kParted, kDone };

  bool NextOfOneFile(Pair& pair);
  bool NextOnSameGrid(Pair& pair);
  void Part();
  bool NextParted(Pair& pair);
  void Fill(Pair& pair, double hz, const touchstone::Sample& source,
            const touchstone::Sample& load) const;

  const FilePort& source_port_;
  const FilePort& load_port_;
  const std::function<void(const Note&)>& note_;
  std::optional<detail::ReaderSource> source_reader_, load_reader_;
  touchstone::Format source_format_ = touchstone::Format::kRealImaginary;
  touchstone::Format load_format_ = touchstone::Format::kRealImaginary;
  Stage stage_ = Stage::kStart;
  bool advance_ = false;  // the current points were paired: move on before the next pair
  SweepSummary summary_;

  // While the grids are the same: both files as they are read.
  std::optional<detail::Cursor<detail::ReaderSource>> s_, l_;
  double source_first_hz_ = 0.0, load_first_hz_ = 0.0;
  double done_source_hz_ = -detail::kInfinity, done_load_hz_ = -detail::kInfinity;

  // Once they part: the rest of both files, and the denser grid's cursor (`primary_`) with the
  // other's.
  std::optional<detail::Spool> source_rest_, load_rest_;
  std::optional<detail::Cursor<detail::Spool>> primary_, other_;
  double source_last_hz_ = 0.0, load_last_hz_ = 0.0;
  double done_hz_ = -detail::kInfinity;  // the denser grid's frequencies up to here are paired
  double steep_counted_hz_ = -detail::kInfinity;
};

}  // namespace sweep
