#pragma once

// The header of a Touchstone file: the option line and the keywords of version 2, read up to the
// first line of data. Internal to touchstone/.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "touchstone/lines.h"
#include "touchstone/touchstone.h"

namespace touchstone::detail {

enum class Matrix { kFull, kLower, kUpper };

// The keywords of version 2, and the bit of each in Header's keywords seen.
enum Keyword : unsigned {
  kVersion,
  kNumberOfPorts,
  kTwoPortDataOrder,
  kNumberOfFrequencies,
  kNumberOfNoiseFrequencies,
  kReference,
  kMatrixFormat,
  kNetworkData,
  kNoiseData,
  kEnd,
  kBeginInformation,
  kEndInformation,
  kMixedModeOrder,
  kUnknown,
};

// "[Keyword]", for messages.
std::string Bracketed(Keyword keyword);

// What is read of the file: S_pp of one port (by number, or by its mixed-mode name), or all four
// S-parameters of a two-port; and the number of ports of version 1 data when given (0: from
// the name).
struct Request {
  int port = 1;
  bool two_port = false;
  std::string mode;
  int given_ports = 0;
};

class Header {
 public:
  Header(LineReader& lines, std::string name, Request request);

  // Reads the header up to the first data line and returns it (valid until the next line is
  // read). Raises ReadError.
  std::string_view Read();
  // An option line: the first counts, one after the data has started is an error, and the others
  // are ignored.
  void ReadOptionLine(std::string_view text);
  // The keyword of a line that starts with '[', and the rest of the line.
  std::pair<Keyword, std::string_view> KeywordOf(std::string_view text);

  // The reference impedance of the chosen port (slot 0), or of port 1 or 2 of a two-port. A
  // mixed-mode port refers to the ports of its pair in series (differential) or in parallel
  // (common).
  double ReferenceOhms(int slot) const noexcept;

  [[noreturn]] void Fail(long line, const std::string& message) const;
  [[noreturn]] void Fail(const std::string& message) const { Fail(lines_.line_number(), message); }

  // What the header says.
  int version = 0;  // 0 until the first line that is not a comment
  int ports = 0;
  int port;  // 1-based; of a mixed-mode port, its place in [Mixed-Mode Order]
  bool two_port;
  double unit_hz = 1e9;
  int unit_exponent = 9;
  const char* unit_name = "GHz";
  Format format = Format::kMagnitudeAngle;
  WaveDefinition definition = WaveDefinition::kTravelling;
  double option_reference = 50.0;
  // One reference impedance per port, from [Reference] or a version 2.1 option line; empty when
  // all ports have option_reference.
  std::vector<double> references;
  Matrix matrix = Matrix::kFull;
  bool order_seen = false, order_12_21 = false;  // [Two-Port Data Order]
  std::int64_t frequencies_expected = 0;
  // The chosen mixed-mode port: D, C or S (0 for a port given by number) and its ports.
  char mode_kind = 0;
  long mode_ports[2] = {};
  bool in_network_data = false;
  bool data_started = false;  // set by the reader once the first data line is read

 private:
  double Number(std::string_view field) const;
  // A reference impedance of the option line or [Reference]: above 0.
  double Reference(std::string_view field, const char* where) const;
  bool ReadKeyword(std::string_view text);
  void ReadReferences(std::string_view numbers);
  void ReadModes(std::string_view names);
  void ResolveMode();
  std::string ModeList() const;
  long PortsFromName();
  void SetPortCount(long ports, long line);
  double PortOhms(long port) const noexcept;

  LineReader& lines_;
  std::string name_;
  std::string mode_;  // a mixed-mode port by its name, instead of port
  int given_ports_;
  bool version_2_1_ = false;
  bool in_information_ = false;  // within [Begin Information] ... [End Information]
  // [Mixed-Mode Order]: its ports, and how many are still to come.
  std::vector<std::string> modes_;
  long modes_left_ = 0;
  bool option_seen_ = false;
  unsigned keywords_seen_ = 0;
  long references_left_ = 0;  // numbers of a [Reference] list still to come
  long reference_index_ = 0;  // ports listed so far
};

}  // namespace touchstone::detail
