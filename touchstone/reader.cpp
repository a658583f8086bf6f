#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "touchstone/comments.h"
#include "touchstone/header.h"
#include "touchstone/layout.h"
#include "touchstone/lines.h"
#include "touchstone/numbers.h"
#include "touchstone/touchstone.h"

namespace touchstone {

using detail::Bracketed;
using detail::Computable;
using detail::FrequencyInHz;
using detail::Header;
using detail::Layout;
using detail::NextField;
using detail::Quote;
using detail::Request;
using detail::Shortest;
using detail::Significant;

namespace {

std::string WhatOf(const std::string& file, long line, const std::string& message) {
  if (line > 0) return file + ":" + std::to_string(line) + ": " + message;
  return file + ": " + message;
}

std::string MoreNumbers(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " more number" : " more numbers");
}

std::unique_ptr<std::ifstream> Open(const std::string& path) {
  auto file = std::make_unique<std::ifstream>();
  errno = 0;
  file->open(path, std::ios::binary);
  if (!file->is_open()) {
    throw ReadError(path, 0, std::string("cannot open the file: ") + std::strerror(errno));
  }
  return file;
}

}  // namespace

ReadError::ReadError(std::string file, long line, const std::string& message, Cause cause)
    : std::runtime_error(WhatOf(file, line, message)),
      file_(std::move(file)),
      line_(line),
      message_(message),
      cause_(cause) {}

// The data of the file, read point by point after its header.
class ReflectionReader::Impl {
 public:
  Impl(const std::string& path, Request request)
      : file_(Open(path)),
        lines_(*file_, path),
        header_(lines_, path, std::move(request)),
        name_(path) {
    Start();
  }
  Impl(std::istream& in, const std::string& name, Request request)
      : lines_(in, name), header_(lines_, name, std::move(request)), name_(name) {
    Start();
  }

  int port_count() const noexcept { return header_.ports; }
  double reference_ohms(int slot = 0) const noexcept { return header_.ReferenceOhms(slot); }
  const std::string& name() const noexcept { return name_; }
  Format format() const noexcept { return header_.format; }

  bool Next(Sample& sample) {
    if (!NextPoint()) return false;
    sample = Sample{frequency_hz_, a_[0], b_[0], not_a_number_line_};
    return true;
  }

  bool Next(TwoPortSample& sample) {
    if (!NextPoint()) return false;
    sample.frequency_hz = frequency_hz_;
    for (int k = 0; k < 4; ++k) sample.s[k] = {a_[k], b_[k]};
    sample.not_a_number_line = not_a_number_line_;
    return true;
  }

  bool states_impedances() const noexcept { return states_impedances_; }
  Impedance stated_impedance(int slot) const noexcept { return stated_[slot]; }
  WaveDefinition definition() const noexcept { return header_.definition; }
  long long skipped_points() const noexcept { return skipped_; }
  long skipped_line() const noexcept { return skipped_line_; }
  Sample skipped(int slot) const noexcept {
    return {skipped_frequency_hz_, skipped_a_[slot], skipped_b_[slot], skipped_not_a_number_line_};
  }

 private:
  void Start() {
    pending_ = header_.Read();
    pending_line_ = lines_.line_number();
    layout_ = detail::LayoutOf(header_);
    header_.data_started = true;
    impedances_.emplace(
        name_, header_.ports,
        header_.two_port ? std::vector<long>{1, 2} : std::vector<long>{header_.port});
  }

  // The next point into frequency_hz_, a_ and b_; false at the end. After an error the reader
  // stays failed: every further call raises the same error.
  bool NextPoint() {
    if (error_) throw *error_;
    if (done_) return false;
    try {
      return ReadNext();
    } catch (const ReadError& e) {
      error_.emplace(e);
      throw;
    }
  }

  [[noreturn]] void Fail(long line, const std::string& message) const {
    header_.Fail(line, message);
  }
  [[noreturn]] void Fail(const std::string& message) const {
    header_.Fail(lines_.line_number(), message);
  }

  double Number(std::string_view field) {
    double value = 0;
    switch (detail::ParseNumber(field, value)) {
      case detail::Parsed::kNumber:
        return value;
      case detail::Parsed::kOutOfRange:
        Fail("number out of range: " + detail::Quote(field));
      case detail::Parsed::kNotANumber:
        break;
    }
    Fail("non-numeric field " + detail::Quote(field) + ": expected a number");
  }

  // Reads a comment of the data: a port impedance list or a wave definition.
  void ReadComment(std::string_view comment, long line) {
    if (impedances_ && impedances_->Comment(comment, line)) return;
    if (const auto definition = detail::DefinitionOf(comment)) {
      if (points_read_ > 0 && *definition != header_.definition) {
        Fail(line,
             "the wave definition is named after the first frequency point: expected it "
             "before the data");
      }
      header_.definition = *definition;
    }
  }

  // The next line that holds data, with its comment and surrounding blanks removed; nothing at
  // the end of the network data (end of file, or [Noise Data] or [End]). Comments on the way are
  // read for what they may state about the point before.
  std::optional<std::string_view> NextDataLine() {
    if (pending_) {
      const std::string_view text = *pending_;
      pending_.reset();
      data_line_ = pending_line_;
      return text;
    }
    if (ended_) return std::nullopt;
    while (const auto line = lines_.Next()) {
      std::string_view text = *line;
      if (const void* bang = std::memchr(text.data(), '!', text.size())) {
        const std::size_t at = static_cast<const char*>(bang) - text.data();
        const std::string_view comment = text.substr(at + 1);
        text = detail::Trim(text.substr(0, at));
        if (text.empty()) {
          ReadComment(comment, lines_.line_number());
        } else if (detail::IsPortImpedances(comment)) {
          Fail(
              "\"! Port Impedance\" on a line of data: expected it on a line of its own after "
              "the point's data");
        }
      }
      if (text.empty()) continue;
      if (text.front() == '#') {
        header_.ReadOptionLine(text);
      } else if (text.front() == '[') {
        const detail::Keyword keyword = header_.KeywordOf(text).first;
        if (keyword != detail::kNoiseData && keyword != detail::kEnd) {
          Fail("unexpected keyword " + Bracketed(keyword) +
               " in the network data: expected numbers, [Noise Data] or [End]");
        }
        ended_ = true;
        return std::nullopt;
      } else {
        data_line_ = lines_.line_number();
        return text;
      }
    }
    ended_ = true;
    return std::nullopt;
  }

  // `frequency` in the file's unit, for the messages; `hz` decides, so that two frequencies the
  // file writes apart but that are one double in hertz count as one (a repeated point).
  void CheckFrequency(double frequency, double hz, std::string_view field, long line) {
    // The unit for a message, made only when one is written.
    const auto unit = [this] { return std::string(" ") + header_.unit_name; };
    if (frequency < 0) Fail(line, "negative frequency " + Quote(field) + unit());
    if (!std::isfinite(frequency * header_.unit_hz)) {
      Fail(line, "frequency out of range: " + Quote(field) + unit());
    }
    if (frequencies_read_ > 0 && hz <= last_hz_ && !(hz == last_hz_ && !last_repeated_)) {
      std::string message =
          hz == last_hz_ ? "frequency " + Shortest(frequency) + unit() + " repeated a second time"
                         : "decreasing frequencies: " + Shortest(frequency) + unit() + " after " +
                               Shortest(last_frequency_) + unit();
      message += "; frequencies must increase";
      if (header_.version == 2) {
        message += " (or the point before has a number too many or too few)";
      }
      Fail(line, message);
    }
    last_repeated_ = frequencies_read_ > 0 && hz == last_hz_;
    last_frequency_ = frequency;
    last_hz_ = hz;
    ++frequencies_read_;
  }

  // A number of a pair that is read: "nan" or "inf", as an analyser writes a point it could not
  // measure, gives NaN and marks the point.
  double Value(std::string_view field) {
    double value = 0;
    if (detail::ParseNumber(field, value) == detail::Parsed::kNumber) return value;
    if (detail::NotANumberWord(field)) {
      if (not_a_number_line_ == 0) not_a_number_line_ = data_line_;
      return std::numeric_limits<double>::quiet_NaN();
    }
    return Number(field);
  }

  // Checks a number that is not read, as Value() would.
  void CheckValue(std::string_view field) {
    if (!detail::PlainNumberInRange(field) && !detail::NotANumberWord(field)) Number(field);
  }

  static std::int64_t CountFields(std::string_view text) {
    std::int64_t count = 0;
    while (!NextField(text).empty()) ++count;
    return count;
  }

  // The next point, skipping one that repeats the frequency of the point before; false at the
  // end of the network data.
  bool ReadNext() {
    for (;;) {
      if (!ReadPoint()) return false;
      if (!last_repeated_) return true;
      // Where two segments of a sweep meet: the first point is kept.
      ++skipped_;
      skipped_line_ = point_line_;
      skipped_frequency_hz_ = frequency_hz_;
      skipped_not_a_number_line_ = not_a_number_line_;
      for (int k = 0; k < layout_.slots; ++k) {
        skipped_a_[k] = a_[k];
        skipped_b_[k] = b_[k];
        a_[k] = kept_a_[k];
        b_[k] = kept_b_[k];
      }
      frequency_hz_ = kept_frequency_hz_;
      not_a_number_line_ = kept_not_a_number_line_;
      stated_[0] = kept_stated_[0];
      stated_[1] = kept_stated_[1];
    }
  }

  // Reads the numbers of one frequency point into frequency_hz_, a_ and b_; false at the end of
  // the network data. The numbers are counted, not the lines: a point may run over lines as the
  // layout wants (a version 1 matrix row by row, or whole on one line) or as the file wraps it.
  // In version 1 a point starts and ends with a line.
  bool ReadPoint() {
    const bool v1 = header_.version == 1;
    const std::int64_t total = layout_.numbers_per_point;
    double frequency_hz = 0;
    std::int64_t position = 0;
    not_a_number_line_ = 0;
    while (position < total) {
      std::string_view field;
      double value = 0;
      bool read = false;  // `value` is the field's
      if (position != 0 && !layout_.Wanted(position)) {
        // Only checked, not read.
        if (detail::SkipPlainField(line_, field)) {
          if (!field.empty()) CheckValue(field);
          ++position;
          continue;
        }
      } else {
        read = detail::ReadPlainField(line_, field, value) == detail::Field::kValue;
      }
      if (field.empty()) {
        if (const auto next = NextDataLine()) {
          line_ = *next;
          continue;
        }
        if (position > 0 && v1 && data_line_ == point_line_) {
          WrongCount(position);
        }
        if (position > 0) {
          Fail(data_line_, std::string(v1 ? "the file" : "the network data") +
                               " ends inside a frequency point: expected " +
                               MoreNumbers(total - position));
        }
        if (!v1 && frequencies_read_ != header_.frequencies_expected) {
          Fail("[Number of Frequencies] is " + std::to_string(header_.frequencies_expected) +
               " but the network data holds " + std::to_string(frequencies_read_));
        }
        done_ = true;
        return false;
      }
      if (position == 0) {
        point_line_ = data_line_;
        if (!read) value = Number(field);
        if (v1 && header_.ports == 2 && frequencies_read_ > 0 && value <= last_frequency_ &&
            CountFields(line_) == 4) {
          // Noise parameters follow the network data of a 2-port, starting at a frequency not
          // above the last one.
          done_ = true;
          return false;
        }
        if (!v1 && frequencies_read_ == header_.frequencies_expected) {
          Fail("more frequencies than [Number of Frequencies] " +
               std::to_string(header_.frequencies_expected));
        }
        frequency_hz = FrequencyInHz(field, value, header_.unit_exponent);
        CheckFrequency(value, frequency_hz, field, data_line_);
      } else {
        Put(position, read ? value : Value(field));
      }
      ++position;
    }
    if (v1 && !detail::Trim(line_).empty()) WrongCount(total + CountFields(line_));
    Fill(frequency_hz);
    EndPoint();
    return true;
  }

  // Keeps the number at `position` of a point where the layout wants it.
  void Put(std::int64_t position, double value) {
    for (int k = 0; k < layout_.slots; ++k) {
      if (position == layout_.target[k]) {
        a_[k] = value;
        target_line_[k] = data_line_;
      } else if (position == layout_.target[k] + 1) {
        b_[k] = value;
      }
    }
  }

  // A version 1 point of `found` numbers where the layout wants another count.
  [[noreturn]] void WrongCount(std::int64_t found) const {
    const std::int64_t total = layout_.numbers_per_point, pairs = (total - 1) / 2;
    const std::string expected = std::to_string(total) + " (the frequency and " +
                                 std::to_string(pairs) + (pairs == 1 ? " pair)" : " pairs)");
    if (data_line_ == point_line_) {
      Fail(data_line_,
           "wrong count of numbers: expected " + expected + ", found " + std::to_string(found));
    }
    Fail(data_line_, "wrong count of numbers: the frequency point from line " +
                         std::to_string(point_line_) + " holds " + expected + ", and lines " +
                         std::to_string(point_line_) + " to " + std::to_string(data_line_) +
                         " hold " + std::to_string(found));
  }

  // Reads on to the next data line, so that the comments after the point are read with it.
  void EndPoint() {
    if (detail::Trim(line_).empty()) {
      if (const auto next = NextDataLine()) {
        line_ = *next;
      } else {
        line_ = {};
      }
    }
    if (impedances_) {
      const bool stated = impedances_->EndOfPoint();
      if (points_read_ == 0) {
        states_impedances_ = stated;
      } else if (stated != states_impedances_) {
        Fail(stated ? impedances_->line() : point_line_,
             stated ? "\"! Port Impedance\" after this frequency point but not after the first: "
                      "expected one after every point or none"
                    : "no \"! Port Impedance\" after the frequency point of this line: expected "
                      "one after every point, as after the first");
      }
      if (stated) {
        for (int k = 0; k < (header_.two_port ? 2 : 1); ++k) stated_[k] = impedances_->wanted(k);
      }
    }
    if (states_impedances_ && header_.mode_kind != 0) {
      Fail(impedances_->line(),
           "\"! Port Impedance\" with [Mixed-Mode Order]: the impedances stated per port of "
           "mixed-mode data are not read");
    }
    if (!last_repeated_) {
      kept_frequency_hz_ = frequency_hz_;
      kept_not_a_number_line_ = not_a_number_line_;
      for (int k = 0; k < layout_.slots; ++k) {
        kept_a_[k] = a_[k];
        kept_b_[k] = b_[k];
      }
      kept_stated_[0] = stated_[0];
      kept_stated_[1] = stated_[1];
    }
    ++points_read_;
  }

  void Fill(double frequency_hz) {
    frequency_hz_ = frequency_hz;
    for (int k = 0; k < layout_.slots; ++k) {
      if (std::isnan(a_[k]) || std::isnan(b_[k])) continue;  // not a number in the file
      if (!Computable(a_[k], b_[k], header_.format)) {
        static constexpr const char* kTwoPortNames[] = {"S11", "S21", "S12", "S22"};
        const std::string p = std::to_string(header_.port);
        Fail(target_line_[k], (header_.two_port ? std::string(kTwoPortNames[k])
                                                : "S" + p + (header_.port < 10 ? "" : ",") + p) +
                                  " out of range: its magnitude or angle is too large to compute "
                                  "with");
      }
    }
  }

  std::unique_ptr<std::ifstream> file_;  // when the reader opened the file itself
  detail::LineReader lines_;
  Header header_;
  std::string name_;
  Layout layout_;
  std::optional<detail::PortImpedances> impedances_;

  // Position in the data.
  std::optional<std::string_view> pending_;  // the first data line, read with the header
  long pending_line_ = 0;
  long data_line_ = 0;     // number of the data line last returned
  long point_line_ = 0;    // of the first line of the point last read
  std::string_view line_;  // rest of the current data line
  bool ended_ = false;     // the end of the network data was reached by NextDataLine
  bool done_ = false;
  std::int64_t frequencies_read_ = 0;
  std::int64_t points_read_ = 0;
  double last_frequency_ = 0;  // in the file's unit
  double last_hz_ = 0;
  bool last_repeated_ = false;  // the point last read repeats the frequency of the one before
  std::optional<ReadError> error_;
  // The point last read: its frequency, the pairs at the layout's targets, the line of a number
  // that is "nan" or "inf" (0: none), and the stated impedances of the ports read.
  double frequency_hz_ = 0;
  double a_[4] = {}, b_[4] = {};
  long target_line_[4] = {};
  long not_a_number_line_ = 0;
  bool states_impedances_ = false;
  Impedance stated_[2];
  // The point last handed over, kept while the next one may repeat its frequency.
  double kept_frequency_hz_ = 0;
  double kept_a_[4] = {}, kept_b_[4] = {};
  long kept_not_a_number_line_ = 0;
  Impedance kept_stated_[2];
  // The last point skipped for repeating the frequency of the point before.
  long long skipped_ = 0;
  long skipped_line_ = 0;
  double skipped_frequency_hz_ = 0;
  double skipped_a_[4] = {}, skipped_b_[4] = {};
  long skipped_not_a_number_line_ = 0;
};

ReflectionReader::ReflectionReader(const std::string& path, int port, int ports,
                                   const std::string& mixed_mode)
    : impl_(std::make_unique<Impl>(path, Request{port, false, mixed_mode, ports})) {}
ReflectionReader::ReflectionReader(std::istream& in, const std::string& name, int port, int ports,
                                   const std::string& mixed_mode)
    : impl_(std::make_unique<Impl>(in, name, Request{port, false, mixed_mode, ports})) {}
ReflectionReader::ReflectionReader(ReflectionReader&&) noexcept = default;
ReflectionReader& ReflectionReader::operator=(ReflectionReader&&) noexcept = default;
ReflectionReader::~ReflectionReader() = default;

int ReflectionReader::port_count() const noexcept {
  return impl_->port_count();
}
double ReflectionReader::reference_ohms() const noexcept {
  return impl_->reference_ohms();
}
Format ReflectionReader::format() const noexcept {
  return impl_->format();
}
const std::string& ReflectionReader::name() const noexcept {
  return impl_->name();
}
bool ReflectionReader::Next(Sample& sample) {
  return impl_->Next(sample);
}
bool ReflectionReader::states_impedances() const noexcept {
  return impl_->states_impedances();
}
Impedance ReflectionReader::stated_impedance() const noexcept {
  return impl_->stated_impedance(0);
}
WaveDefinition ReflectionReader::wave_definition() const noexcept {
  return impl_->definition();
}
long long ReflectionReader::skipped_points() const noexcept {
  return impl_->skipped_points();
}
long ReflectionReader::skipped_line() const noexcept {
  return impl_->skipped_line();
}
Sample ReflectionReader::skipped() const noexcept {
  return impl_->skipped(0);
}

TwoPortReader::TwoPortReader(const std::string& path, int ports)
    : impl_(std::make_unique<ReflectionReader::Impl>(path, Request{1, true, {}, ports})) {}
TwoPortReader::TwoPortReader(std::istream& in, const std::string& name, int ports)
    : impl_(std::make_unique<ReflectionReader::Impl>(in, name, Request{1, true, {}, ports})) {}
TwoPortReader::TwoPortReader(TwoPortReader&&) noexcept = default;
TwoPortReader& TwoPortReader::operator=(TwoPortReader&&) noexcept = default;
TwoPortReader::~TwoPortReader() = default;

double TwoPortReader::reference_ohms(int port) const noexcept {
  return impl_->reference_ohms(port == 2 ? 1 : 0);
}
Format TwoPortReader::format() const noexcept {
  return impl_->format();
}
const std::string& TwoPortReader::name() const noexcept {
  return impl_->name();
}
bool TwoPortReader::Next(TwoPortSample& sample) {
  return impl_->Next(sample);
}
bool TwoPortReader::states_impedances() const noexcept {
  return impl_->states_impedances();
}
Impedance TwoPortReader::stated_impedance(int port) const noexcept {
  return impl_->stated_impedance(port == 2 ? 1 : 0);
}
WaveDefinition TwoPortReader::wave_definition() const noexcept {
  return impl_->definition();
}
long long TwoPortReader::skipped_points() const noexcept {
  return impl_->skipped_points();
}
long TwoPortReader::skipped_line() const noexcept {
  return impl_->skipped_line();
}
TwoPortSample TwoPortReader::skipped() const noexcept {
  TwoPortSample sample;
  for (int k = 0; k < 4; ++k) {
    const Sample one = impl_->skipped(k);
    sample.frequency_hz = one.frequency_hz;
    sample.s[k] = {one.a, one.b};
    sample.not_a_number_line = one.not_a_number_line;
  }
  return sample;
}

}  // namespace touchstone
