#include "touchstone/comments.h"

#include <cmath>

#include "touchstone/lines.h"
#include "touchstone/numbers.h"

namespace touchstone::detail {

namespace {

constexpr std::string_view kPortImpedance = "Port Impedance";

// Whether `text` contains `word`, ignoring case.
bool ContainsNoCase(std::string_view text, std::string_view word) {
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (EqualsNoCase(text.substr(i, word.size()), word)) return true;
  }
  return false;
}

}  // namespace

std::optional<WaveDefinition> DefinitionOf(std::string_view comment) {
  if (!ContainsNoCase(comment, "definition") || !ContainsNoCase(comment, "S-parameter")) {
    return std::nullopt;
  }
  if (ContainsNoCase(comment, "power definition")) return WaveDefinition::kPower;
  if (ContainsNoCase(comment, "pseudo definition")) return WaveDefinition::kPseudo;
  if (ContainsNoCase(comment, "traveling definition") ||
      ContainsNoCase(comment, "travelling definition")) {
    return WaveDefinition::kTravelling;
  }
  return std::nullopt;
}

bool IsPortImpedances(std::string_view comment) {
  return StartsNoCase(Trim(comment), kPortImpedance);
}

PortImpedances::PortImpedances(std::string name, long ports, std::vector<long> wanted)
    : name_(std::move(name)),
      ports_(ports),
      wanted_(std::move(wanted)),
      wanted_values_(wanted_.size()),
      read_(-1) {}

void PortImpedances::Fail(long line, const std::string& message) const {
  throw ReadError(name_, line, message);
}

bool PortImpedances::Comment(std::string_view comment, long line) {
  std::string_view text = Trim(comment);
  if (StartsNoCase(text, kPortImpedance)) {
    if (seen_) Fail(line, "a second \"! Port Impedance\" list for one frequency point");
    seen_ = true;
    line_ = line;
    read_ = 0;
    bad_port_ = 0;
    text.remove_prefix(kPortImpedance.size());  // the first number may follow without a blank
  } else if (read_ < 0 || read_ >= 2 * ports_) {
    return false;
  } else {
    // A continuation holds numbers alone.
    std::string_view rest = text;
    double value = 0;
    const std::string_view first = NextField(rest);
    if (first.empty() || ParseNumber(first, value) != Parsed::kNumber) return false;
  }
  for (std::string_view field; !(field = NextField(text)).empty();) Number(field, line);
  return true;
}

void PortImpedances::Number(std::string_view field, long line) {
  double value = 0;
  if (ParseNumber(field, value) != Parsed::kNumber) {
    Fail(line, "\"! Port Impedance\": " + Quote(field) +
                   " is not a number: expected a real and an imaginary part for each of the " +
                   std::to_string(ports_) + " ports");
  }
  const long index = read_++;
  if (index >= 2 * ports_) return;  // too many: said at the end of the list
  const long port = index / 2 + 1;
  if (index % 2 == 0) {
    // Said once the list is known to be a list of N pairs.
    if (!(value > 0) && bad_port_ == 0) {
      bad_port_ = port;
      bad_re_ = value;
    }
    re_ = value;
    return;
  }
  for (std::size_t i = 0; i < wanted_.size(); ++i) {
    if (wanted_[i] == port) wanted_values_[i] = {re_, value};
  }
}

bool PortImpedances::EndOfPoint() {
  const bool had = seen_;
  if (read_ >= 0 && read_ != 2 * ports_) {
    const std::string pairs = std::to_string(ports_) + (ports_ == 1 ? " pair" : " pairs");
    if (read_ == 2 * ports_ * ports_ && ports_ > 1) {
      Fail(line_, "\"! Port Impedance\" lists " + std::to_string(read_ / 2) +
                      " pairs, a matrix: expected " + pairs +
                      " (the real and imaginary part of each port's reference impedance)");
    }
    Fail(line_, "\"! Port Impedance\" lists " + std::to_string(read_) + " numbers: expected " +
                    pairs + " (the real and imaginary part of each port's reference impedance)");
  }
  if (bad_port_ != 0) {
    Fail(line_, "\"! Port Impedance\": port " + std::to_string(bad_port_) + " has the real part " +
                    Shortest(bad_re_) + ": a reference impedance needs a real part above 0");
  }
  read_ = -1;
  seen_ = false;
  return had;
}

}  // namespace touchstone::detail
