#pragma once

#include <fstream>
#include <istream>
#include <memory>
#include <stdexcept>
#include <string>

namespace touchstone {

// A failure to read a file: which file, which line (0 when not about one line) and what was
// expected. what() is "FILE:LINE: MESSAGE" (or "FILE: MESSAGE" when line is 0).
class ReadError : public std::runtime_error {
 public:
  ReadError(std::string file, long line, const std::string& message);
  const std::string& file() const noexcept { return file_; }
  long line() const noexcept { return line_; }

 private:
  std::string file_;
  long line_;
};

// One frequency point of the reflection coefficient S_pp of the chosen port, against that
// port's reference impedance in the file. All four numbers are filled, whichever format (RI, MA,
// DB) the file uses: magnitude/angle_deg are taken as written for MA (and 10^(dB/20) for DB);
// re/im for RI; the other pair is derived (angle in degrees, in (-180, 180]).
struct Sample {
  double frequency_hz = 0;
  double re = 0, im = 0;
  double magnitude = 0, angle_deg = 0;
};

// Streams S_pp of one port of a Touchstone file (version 1), one frequency point at a time, in
// constant memory.
class ReflectionReader {
 public:
  // Opens the file and reads its header up to the first data line. `port` is 1-based.
  ReflectionReader(const std::string& path, int port);
  // The same over an already open stream; `name` names it in messages and, for version 1 data,
  // its extension (.sNp) gives the number of ports.
  ReflectionReader(std::istream& in, std::string name, int port);

  int port_count() const noexcept { return ports_; }
  double reference_ohms() const noexcept { return reference_; }
  const std::string& name() const noexcept { return name_; }

  // Reads the next frequency point into `sample`; false at the end of the network data.
  bool Next(Sample& sample);

 private:
  enum class Format { kRI, kMA, kDB };

  void ReadHeader(int port);
  bool NextToken(std::string& token);
  double Number(const std::string& token) const;
  [[noreturn]] void Fail(const std::string& message) const;

  std::unique_ptr<std::ifstream> file_;
  std::istream* in_ = nullptr;
  std::string name_;
  int ports_ = 0;
  int port_ = 1;
  double reference_ = 50.0;
  std::string unit_exponent_ = "e9";
  Format format_ = Format::kMA;
  long line_number_ = 0;
  std::string line_;     // the data line being read
  std::size_t pos_ = 0;  // the next character of line_
  bool have_line_ = false;
  bool seen_point_ = false;
  double last_frequency_ = 0.0;
};

}  // namespace touchstone
