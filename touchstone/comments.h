#pragma once

// What simulators write into comments: the reference impedance of every port at each frequency
// ("! Port Impedance" after the point's data, real and imaginary part per port) and the wave
// definition of their S-parameters. Internal to touchstone/.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "touchstone/touchstone.h"

namespace touchstone::detail {

// The wave definition that a comment names ("S-parameter uses the power definition", "... the
// pseudo definition"), if it names one.
std::optional<WaveDefinition> DefinitionOf(std::string_view comment);

// Whether a comment (the text after the '!') starts a "Port Impedance" list.
bool IsPortImpedances(std::string_view comment);

// The "! Port Impedance" list of one point: N pairs, on its line and on comment lines of numbers
// alone that follow it (as older exports wrap it).
class PortImpedances {
 public:
  // `ports` of the file; the impedances of the ports in `wanted` (1-based, up to two) are kept.
  PortImpedances(std::string name, long ports, std::vector<long> wanted);

  // Reads the text of a comment (after the '!') that follows a point's data. Returns false when
  // it is neither a "Port Impedance" list nor the continuation of one. Raises ReadError for a
  // list that is not N pairs of numbers, or an impedance whose real part is not above 0.
  bool Comment(std::string_view comment, long line);
  // Ends the comments of a point (at a data line or the end of the data): a list still short of
  // its numbers is an error. Returns whether the point had a list.
  bool EndOfPoint();

  // The impedance of the i-th wanted port at the point last ended.
  Impedance wanted(std::size_t i) const { return wanted_values_[i]; }
  long line() const { return line_; }  // of the last list

 private:
  void Number(std::string_view field, long line);
  [[noreturn]] void Fail(long line, const std::string& message) const;

  std::string name_;
  long ports_;
  std::vector<long> wanted_;
  std::vector<Impedance> wanted_values_;
  long line_ = 0;
  long read_ = 0;      // numbers of the current list so far; -1 when none is open
  bool seen_ = false;  // a list for the current point
  double re_ = 0;
  long bad_port_ = 0;  // the first port whose real part is not above 0 (0: none)
  double bad_re_ = 0;
};

}  // namespace touchstone::detail
