#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string_view>

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
    sample = Sample{frequency_hz_, a_[0], b_[0]};
    return true;
  }

  bool Next(TwoPortSample& sample) {
    if (!NextPoint()) return false;
    sample.frequency_hz = frequency_hz_;
    for (int k = 0; k < 4; ++k) sample.s[k] = {a_[k], b_[k]};
    return true;
  }

 private:
  void Start() {
    pending_ = header_.Read();
    pending_line_ = lines_.line_number();
    layout_ = detail::LayoutOf(header_);
    header_.data_started = true;
  }

  // The next point into frequency_hz_, a_ and b_; false at the end. After an error the reader
  // stays failed: every further call raises the same error.
  bool NextPoint() {
    if (error_) throw *error_;
    if (done_) return false;
    try {
      return header_.version == 1 ? NextVersion1() : NextVersion2();
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

  // Checks a number that is not needed as Number() would, without reading its value.
  void Check(std::string_view field) {
    if (!detail::PlainNumberInRange(field)) Number(field);
  }

  // Splits the next field off `rest` and checks it as Check() does; false when none is left.
  bool SkipCheckedField(std::string_view& rest) {
    std::string_view field;
    if (!detail::SkipPlainField(rest, field)) return false;
    if (!field.empty()) Check(field);
    return true;
  }

  // The next line that holds data, with its comment and surrounding blanks removed; nothing at
  // the end of the network data (end of file, or [Noise Data] or [End]).
  std::optional<std::string_view> NextDataLine() {
    if (pending_) {
      const std::string_view text = *pending_;
      pending_.reset();
      data_line_ = pending_line_;
      return text;
    }
    while (const auto line = lines_.Next()) {
      const std::string_view text = Significant(*line);
      if (text.empty()) continue;
      if (text.front() == '#') {
        header_.ReadOptionLine(text);
      } else if (text.front() == '[') {
        const detail::Keyword keyword = header_.KeywordOf(text).first;
        if (keyword != detail::kNoiseData && keyword != detail::kEnd) {
          Fail("unexpected keyword " + Bracketed(keyword) +
               " in the network data: expected numbers, [Noise Data] or [End]");
        }
        return std::nullopt;
      } else {
        data_line_ = lines_.line_number();
        return text;
      }
    }
    return std::nullopt;
  }

  void CheckFrequency(double frequency, std::string_view field, long line) {
    const std::string unit = std::string(" ") + header_.unit_name;
    if (frequency < 0) Fail(line, "negative frequency " + Quote(field) + unit);
    if (!std::isfinite(frequency * header_.unit_hz)) {
      Fail(line, "frequency out of range: " + Quote(field) + unit);
    }
    if (frequencies_read_ > 0 && frequency <= last_frequency_) {
      std::string message = frequency == last_frequency_
                                ? "repeated frequency " + Shortest(frequency) + unit
                                : "decreasing frequencies: " + Shortest(frequency) + unit +
                                      " after " + Shortest(last_frequency_) + unit;
      message += "; frequencies must increase";
      if (header_.version == 2)
        message += " (or the point before has a number too many or too few)";
      Fail(line, message);
    }
    last_frequency_ = frequency;
    ++frequencies_read_;
  }

  bool NextVersion1() {
    const std::optional<std::string_view> first = NextDataLine();
    if (!first) {
      done_ = true;
      return false;
    }
    double frequency_hz = 0;
    std::string_view frequency_field;
    std::int64_t position = 0;  // numbers of the point read so far
    for (std::int64_t j = 0; j < layout_.lines_per_point; ++j) {
      std::string_view text;
      if (j == 0) {
        text = *first;
      } else if (const auto next = NextDataLine()) {
        text = *next;
      } else {
        Fail(data_line_, "the file ends inside a frequency point: expected " +
                             MoreNumbers(layout_.numbers_per_point - position));
      }
      const std::int64_t column = 4 * (j % layout_.lines_per_row);
      const int pairs = header_.ports <= 2
                            ? header_.ports * header_.ports
                            : static_cast<int>(std::min<std::int64_t>(4, header_.ports - column));
      const int expected = 2 * pairs + (j == 0 ? 1 : 0);
      double values[9];
      int count = 0;
      for (;; ++count) {
        // Only the frequency and the pairs read are needed; the other numbers are only checked.
        if (count < expected && !(j == 0 && count == 0) && !layout_.Wanted(position + count)) {
          if (!SkipCheckedField(text)) break;
          continue;
        }
        const std::string_view field = NextField(text);
        if (field.empty()) break;
        if (count < expected) values[count] = Number(field);
        if (j == 0 && count == 0) frequency_field = field;
      }
      if (j == 0 && header_.ports == 2 && count == 5 && frequencies_read_ > 0 &&
          values[0] <= last_frequency_) {
        // Noise parameters follow the network data of a 2-port, starting at a frequency not
        // above the last one.
        done_ = true;
        return false;
      }
      if (count != expected) {
        Fail(data_line_, "wrong count of numbers: expected " + std::to_string(expected) +
                             (j == 0 ? " (the frequency and " : " (") + std::to_string(pairs) +
                             (pairs == 1 ? " pair)" : " pairs)") + ", found " +
                             std::to_string(count));
      }
      if (j == 0) {
        CheckFrequency(values[0], frequency_field, data_line_);
        frequency_hz = FrequencyInHz(frequency_field, values[0], header_.unit_exponent);
      }
      for (int k = 0; k < layout_.slots; ++k) {
        if (layout_.target[k] >= position && layout_.target[k] < position + count) {
          a_[k] = values[layout_.target[k] - position];
          b_[k] = values[layout_.target[k] - position + 1];
          target_line_[k] = data_line_;
        }
      }
      position += count;
    }
    Fill(frequency_hz);
    return true;
  }

  bool NextVersion2() {
    double frequency_hz = 0;
    for (std::int64_t position = 0; position < layout_.numbers_per_point;) {
      const std::string_view field = NextField(line_);
      if (field.empty()) {
        // Numbers run on over lines freely: only their count matters.
        if (const auto next = NextDataLine()) {
          line_ = *next;
          continue;
        }
        if (position > 0) {
          Fail(data_line_, "the network data ends inside a frequency point: expected " +
                               MoreNumbers(layout_.numbers_per_point - position));
        }
        if (frequencies_read_ != header_.frequencies_expected) {
          Fail("[Number of Frequencies] is " + std::to_string(header_.frequencies_expected) +
               " but the network data holds " + std::to_string(frequencies_read_));
        }
        done_ = true;
        return false;
      }
      if (position != 0 && !layout_.Wanted(position)) {
        Check(field);  // not needed, only checked
        ++position;
        continue;
      }
      const double value = Number(field);
      if (position == 0) {
        if (frequencies_read_ == header_.frequencies_expected) {
          Fail("more frequencies than [Number of Frequencies] " +
               std::to_string(header_.frequencies_expected));
        }
        CheckFrequency(value, field, data_line_);
        frequency_hz = FrequencyInHz(field, value, header_.unit_exponent);
      } else {
        for (int k = 0; k < layout_.slots; ++k) {
          if (position == layout_.target[k]) {
            a_[k] = value;
            target_line_[k] = data_line_;
          } else if (position == layout_.target[k] + 1) {
            b_[k] = value;
          }
        }
      }
      ++position;
    }
    Fill(frequency_hz);
    return true;
  }

  void Fill(double frequency_hz) {
    frequency_hz_ = frequency_hz;
    for (int k = 0; k < layout_.slots; ++k) {
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

  // Position in the data.
  std::optional<std::string_view> pending_;  // the first data line, read with the header
  long pending_line_ = 0;
  long data_line_ = 0;     // number of the data line last returned
  std::string_view line_;  // rest of the current version 2 data line
  bool done_ = false;
  std::int64_t frequencies_read_ = 0;
  double last_frequency_ = 0;
  std::optional<ReadError> error_;
  // The point last read: its frequency, and the pairs at the layout's targets.
  double frequency_hz_ = 0;
  double a_[4] = {}, b_[4] = {};
  long target_line_[4] = {};
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

}  // namespace touchstone
