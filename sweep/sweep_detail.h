#pragma once

// The parts of the sweep shared by the pairing of the files and the two-port: the rule of one
// frequency, the wave definitions. Used by the sweep's own files only.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "calc/reference_impedance.h"
#include "platform/number_format.h"
#include "touchstone/touchstone.h"

namespace sweep::detail {

using platform::Shortest;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Interpolation between points whose phase turns further than this is unreliable.
constexpr double kSteepTurnDeg = 45.0;

// The wave definition of the file's S-parameters, in calc's terms.
inline calc::WaveDefinition DefinitionOf(touchstone::WaveDefinition definition) {
  switch (definition) {
    case touchstone::WaveDefinition::kPower:
      return calc::WaveDefinition::kPower;
    case touchstone::WaveDefinition::kPseudo:
      return calc::WaveDefinition::kPseudo;
    case touchstone::WaveDefinition::kTravelling:
      break;
  }
  return calc::WaveDefinition::kTravelling;
}

// Two frequencies are one point when equal, or closer than a thousandth of the smaller step of
// either grid next to them (and than 1e-9 of their size): far below half a step, so that a point
// of one file pairs with at most one point of the other.
inline bool SameFrequency(double a, double b, double step_a, double step_b) {
  if (a == b) return true;
  const double tolerance =
      std::min(1e-9 * std::max(std::fabs(a), std::fabs(b)), 1e-3 * std::min(step_a, step_b));
  return std::fabs(a - b) <= tolerance;
}

// Adds a reason to a row's warning: after "; ", or a space after a full stop.
inline void JoinWarning(std::string& warning, const std::string& more) {
  if (!warning.empty()) warning += warning.back() == '.' ? " " : "; ";
  warning += more;
}

// A reader's points one at a time, the first read when the file is opened (it tells what the file
// is). A point the reader skipped for repeating the frequency before it is handed to `skipped`,
// with the point kept, before the point that follows it.
template <class Reader, class Point>
class ReadAhead {
 public:
  explicit ReadAhead(Reader& reader) { has_first_ = reader.Next(first_); }
  template <class Skipped>
  bool Next(Reader& reader, Point& point, Skipped&& skipped) {
    if (has_first_) {
      point = first_;
      has_first_ = false;
    } else if (!reader.Next(point)) {
      return false;
    }
    if (reader.skipped_points() != skipped_count_) {
      skipped_count_ = reader.skipped_points();
      skipped(last_, reader.skipped());
    }
    last_ = point;
    return true;
  }

 private:
  Point first_{}, last_{};
  bool has_first_ = false;
  long long skipped_count_ = 0;
};

}  // namespace sweep::detail
