#pragma once

// Reader of Touchstone files (version 1, 2.0 and 2.1): the reflection coefficient S_pp of one
// port, or all four S-parameters of a 2-port, one frequency point at a time, in constant memory.
//
// What it reads: S-parameters only (Y, Z, H and G are an error), in RI, MA or DB, frequencies in
// Hz, kHz, MHz or GHz, keywords and options in any case; '!' starts a comment. Without an option
// line the data are GHz, MA, R 50; option lines after the first are ignored. Numbers are plain
// decimal in the C locale ("0.5", "-5e-1", "+.5"), not with a decimal comma; "nan" or "inf" in a
// pair that is read marks its point (Sample::not_a_number_line).
// - Version 1: the extension .sNp of the name gives N. The numbers of a point are counted, not
//   its lines: a point (2-port order 11 21 12 22; from 3 ports on, the matrix row by row) may be
//   on one line or run over several, and starts and ends with a line. In a 2-port file, a line of
//   5 numbers whose frequency is not above the previous one starts the noise parameters, which
//   end the network data. The option line may give one reference impedance per port.
// - Version 2.0: [Version] 2.0 comes first; [Number of Ports] and [Number of Frequencies] are
//   required before [Network Data] and the count of frequencies is checked. [Reference] may span
//   lines; [Matrix Format] Full, Lower or Upper; the data may wrap anywhere (numbers are counted,
//   not lines); [Noise Data] or [End] ends the network data. [Begin Information] ... [End
//   Information] is skipped. [Mixed-Mode Order] names the ports of mixed-mode data (D1,3 C1,3
//   S2 ...), and they are chosen by these names.
// - Version 2.1: as 2.0, and the option line may give one reference impedance per port
//   ("# GHz S MA R 50 50 75 75"); [Reference] replaces them.
// - Comments that simulators write: "! Port Impedance" after a point's data gives every port's
//   reference impedance at that frequency (real and imaginary part per port); a comment naming
//   the power or pseudo definition gives the waves' definition (travelling waves otherwise).
// Reference impedances must be above 0. Frequencies must increase strictly, except that a point
// repeating the frequency of the one before (where two segments of a sweep meet) is skipped.
// Lines end in LF, CR LF or CR alone. A number too small for a double reads as zero of its sign.
// Lines longer than 1 MiB are an error, and so is a file in UTF-16 or UTF-32.

#include <istream>
#include <memory>
#include <stdexcept>
#include <string>

namespace touchstone {

// A failure to read a file: which file, which line (0 when not about one line) and what was
// expected. what() is "FILE:LINE: MESSAGE" (or "FILE: MESSAGE" when line is 0).
class ReadError : public std::runtime_error {
 public:
  // Why the file could not be read, where a caller may add to the message: the number of ports
  // of version 1 data that neither the name nor the caller gives (say how a user gives it).
  enum class Cause { kOther, kPortCountUnknown };

  ReadError(std::string file, long line, const std::string& message, Cause cause = Cause::kOther);
  const std::string& file() const noexcept { return file_; }
  long line() const noexcept { return line_; }
  // The message alone, without file and line.
  const std::string& message() const noexcept { return message_; }
  Cause cause() const noexcept { return cause_; }

 private:
  std::string file_;
  long line_;
  std::string message_;
  Cause cause_;
};

// How the file writes each complex number: real and imaginary part (RI), magnitude and angle in
// degrees (MA), or magnitude in dB and angle in degrees (DB).
enum class Format { kRealImaginary, kMagnitudeAngle, kDecibelAngle };

// How the waves of S-parameters against a complex reference impedance are defined: travelling
// waves unless a comment of the file names the power or the pseudo definition ("S-parameter uses
// the power definition").
enum class WaveDefinition { kTravelling, kPseudo, kPower };

// A reference impedance that the file states for a port at one frequency, in ohms.
struct Impedance {
  double re = 0, im = 0;
};

// One frequency point of the reflection coefficient S_pp of the chosen port, against that
// port's reference impedance in the file: the two numbers as the file writes them, in the file's
// format (ReflectionReader::format()). They are finite, and so is the complex number they stand
// for in either form. The frequency is in hertz.
// A point where the file writes "nan" or "inf" (as analysers write a point they could not
// measure) has a or b NaN, and not_a_number_line gives that line (0 otherwise).
struct Sample {
  double frequency_hz = 0;
  double a = 0, b = 0;
  long not_a_number_line = 0;
};

// One frequency point of a 2-port: S11, S21, S12 and S22 in this order, each pair as the file
// writes it (see Sample), against the reference impedances of the file's two ports.
struct TwoPortSample {
  struct Pair {
    double a = 0, b = 0;
  };
  double frequency_hz = 0;
  Pair s[4];
  long not_a_number_line = 0;  // as in Sample
};

// Streams S_pp of one port of a Touchstone file (version 1 or 2.0), one frequency point at a
// time, in constant memory (a file of several GB is never held in memory).
class ReflectionReader {
 public:
  // Opens the file and reads its header up to the first data line. `port` is 1-based. The file
  // is read once, front to back, so a pipe or a FIFO does as well as a file.
  // Version 1 data takes its number of ports from `ports` when it is above 0, else from the
  // extension .sNp of the name; when neither tells, the ReadError's cause is kPortCountUnknown.
  // Throws ReadError: missing or unreadable file, unknown option line, parameter type other than
  // S, port the file does not have, bad keyword, no network data, ...
  // `mixed_mode`, when not empty, names a port of the file's [Mixed-Mode Order] instead of
  // `port`: as the file does ("D1,3", "C1,3", "S2"), or without the second port ("D1") when only
  // one pair of that mode starts there. A file of mixed-mode data refuses a port number, and one
  // of single-ended data a name.
  ReflectionReader(const std::string& path, int port, int ports = 0,
                   const std::string& mixed_mode = {});
  // The same over an already open stream; `name` names it in messages and, for version 1 data,
  // its extension (.sNp) gives the number of ports.
  ReflectionReader(std::istream& in, const std::string& name, int port, int ports = 0,
                   const std::string& mixed_mode = {});

  ReflectionReader(ReflectionReader&&) noexcept;
  class Impl;  // the reader itself, shared with TwoPortReader
  ReflectionReader& operator=(ReflectionReader&&) noexcept;
  ~ReflectionReader();

  int port_count() const noexcept;
  // The reference impedance of the chosen port; of a mixed-mode port, that of its two ports in
  // series (differential) or in parallel (common).
  double reference_ohms() const noexcept;
  Format format() const noexcept;
  const std::string& name() const noexcept;

  // Reads the next frequency point into `sample`; false at the end of the network data.
  // Throws ReadError: wrong count of numbers, non-numeric field, frequency not increasing, ...
  // After an error the reader stays failed: every further call throws the same error.
  bool Next(Sample& sample);

  // Whether the file states the reference impedance of each port at every frequency ("! Port
  // Impedance" after each point, as simulators export data that is not renormalised): known
  // once the first point is read. Then the S-parameters of each point refer to these, in the
  // file's wave definition, instead of reference_ohms().
  bool states_impedances() const noexcept;
  Impedance stated_impedance() const noexcept;  // of the chosen port, at the point last read
  WaveDefinition wave_definition() const noexcept;

  // A point that repeats the frequency of the point before, as where two segments of an
  // analyser's sweep meet, is skipped and the point before kept (a third point at the same
  // frequency is an error): how many were skipped so far, and the last one as the file writes
  // it, with its line.
  long long skipped_points() const noexcept;
  long skipped_line() const noexcept;
  Sample skipped() const noexcept;

 private:
  std::unique_ptr<Impl> impl_;
};

// Streams all four S-parameters of a 2-port file, one frequency point at a time, in constant
// memory, as ReflectionReader does for one of them. A file of another number of ports is an
// error; so is a version 2 file with a full matrix and no [Two-Port Data Order].
class TwoPortReader {
 public:
  explicit TwoPortReader(const std::string& path, int ports = 0);
  TwoPortReader(std::istream& in, const std::string& name, int ports = 0);
  TwoPortReader(TwoPortReader&&) noexcept;
  TwoPortReader& operator=(TwoPortReader&&) noexcept;
  ~TwoPortReader();

  double reference_ohms(int port) const noexcept;  // of port 1 or 2
  Format format() const noexcept;
  const std::string& name() const noexcept;
  // Reads the next frequency point; false at the end of the network data. Throws ReadError.
  bool Next(TwoPortSample& sample);

  // As ReflectionReader's, of port 1 or 2.
  bool states_impedances() const noexcept;
  Impedance stated_impedance(int port) const noexcept;
  WaveDefinition wave_definition() const noexcept;
  long long skipped_points() const noexcept;
  long skipped_line() const noexcept;
  TwoPortSample skipped() const noexcept;

 private:
  std::unique_ptr<ReflectionReader::Impl> impl_;
};

}  // namespace touchstone
