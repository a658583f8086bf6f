#include "touchstone/header.h"

#include <cmath>
#include <optional>

#include "touchstone/comments.h"
#include "touchstone/numbers.h"

namespace touchstone::detail {

namespace {

constexpr long kMaxPorts = 100000;

constexpr std::string_view kKeywordNames[] = {
    "Version",
    "Number of Ports",
    "Two-Port Data Order",
    "Number of Frequencies",
    "Number of Noise Frequencies",
    "Reference",
    "Matrix Format",
    "Network Data",
    "Noise Data",
    "End",
    "Begin Information",
    "End Information",
    "Mixed-Mode Order",
};

}  // namespace

std::string Bracketed(Keyword keyword) {
  std::string text(1, '[');
  text += kKeywordNames[keyword];
  text += ']';
  return text;
}

Header::Header(LineReader& lines, std::string name, Request request)
    : port(request.mode.empty() ? request.port : 1),
      two_port(request.two_port),
      lines_(lines),
      name_(std::move(name)),
      mode_(std::move(request.mode)),
      given_ports_(request.given_ports) {}

void Header::Fail(long line, const std::string& message) const {
  throw ReadError(name_, line, message);
}

double Header::ReferenceOhms(int slot) const noexcept {
  if (two_port) return PortOhms(slot + 1);
  if (mode_kind == 'D') return PortOhms(mode_ports[0]) + PortOhms(mode_ports[1]);
  if (mode_kind == 'C') {
    const double a = PortOhms(mode_ports[0]), b = PortOhms(mode_ports[1]);
    return a * b / (a + b);
  }
  if (mode_kind == 'S') return PortOhms(mode_ports[0]);
  return PortOhms(port);
}

double Header::PortOhms(long number) const noexcept {
  return number >= 1 && number <= static_cast<long>(references.size())
             ? references[static_cast<std::size_t>(number - 1)]
             : option_reference;
}

std::string_view Header::Read() {
  while (auto line = lines_.Next()) {
    // A byte-order mark, as some Windows programs write, is not part of the first line.
    if (lines_.line_number() == 1 && line->substr(0, 3) == "\xEF\xBB\xBF") line->remove_prefix(3);
    // UTF-32 and UTF-16: the byte-order mark, or an ASCII character with zero bytes before or
    // after it.
    const auto ascii = [](char c) { return c >= ' ' && c <= '~'; };
    using namespace std::string_view_literals;
    if (lines_.line_number() == 1 && line->size() >= 4 &&
        (line->substr(0, 4) == "\xFF\xFE\0\0"sv || line->substr(0, 4) == "\0\0\xFE\xFF"sv ||
         (ascii((*line)[0]) && line->substr(1, 3) == "\0\0\0"sv) ||
         (line->substr(0, 3) == "\0\0\0"sv && ascii((*line)[3])))) {
      Fail("the file is UTF-32 text: expected ASCII or UTF-8; save it again in one of these");
    }
    if (lines_.line_number() == 1 && line->size() >= 2 &&
        (line->substr(0, 2) == "\xFF\xFE" || line->substr(0, 2) == "\xFE\xFF" ||
         ((*line)[0] == '\0' && ascii((*line)[1])) || (ascii((*line)[0]) && (*line)[1] == '\0'))) {
      Fail("the file is UTF-16 text: expected ASCII or UTF-8; save it again in one of these");
    }
    if (const void* bang = std::memchr(line->data(), '!', line->size())) {
      const std::size_t at = static_cast<const char*>(bang) - line->data();
      if (const auto named = DefinitionOf(line->substr(at + 1))) definition = *named;
      if (IsPortImpedances(line->substr(at + 1)) && !Significant(*line).empty() &&
          Significant(*line).front() != '[' && Significant(*line).front() != '#') {
        Fail(
            "\"! Port Impedance\" on a line of data: expected it on a line of its own after "
            "the point's data");
      }
    }
    const std::string_view text = Significant(*line);
    if (text.empty()) continue;
    if (in_information_) {
      // The information block is for people: skipped up to its end, whatever it holds.
      const std::size_t close = text.find(']');
      if (text.front() == '[' && close != std::string_view::npos &&
          EqualsNoCase(Trim(text.substr(1, close - 1)), "End Information")) {
        in_information_ = false;
      }
      continue;
    }
    if (modes_left_ > 0 && text.front() != '[' && text.front() != '#') {
      ReadModes(text);
      continue;
    }
    if (modes_left_ > 0) {
      Fail("[Mixed-Mode Order] lists " + std::to_string(modes_.size()) + " ports: expected " +
           std::to_string(ports) + ", one per port");
    }
    if (version == 0) {
      // The first line that is not a comment tells the version.
      if (text.front() == '[') {
        if (KeywordOf(text).first != kVersion) {
          Fail("expected [Version] 2.0 or 2.1 as the first keyword of a version 2 file");
        }
      } else {
        version = 1;
        SetPortCount(PortsFromName(), 0);
        ResolveMode();
      }
    }
    if (references_left_ > 0 && text.front() != '[' && text.front() != '#') {
      ReadReferences(text);
    } else if (references_left_ > 0) {
      Fail("[Reference] lists " + std::to_string(reference_index_) +
           " reference impedances: expected " + std::to_string(ports) + ", one per port");
    } else if (text.front() == '#') {
      ReadOptionLine(text);
    } else if (text.front() == '[') {
      if (ReadKeyword(text)) break;
    } else {
      if (version == 2 && !in_network_data) {
        Fail("expected a keyword: version 2 data follows [Network Data]");
      }
      return text;
    }
  }
  Fail("no network data: expected a line of numbers");
}

double Header::Number(std::string_view field) const {
  double value = 0;
  switch (ParseNumber(field, value)) {
    case Parsed::kNumber:
      return value;
    case Parsed::kOutOfRange:
      Fail("number out of range: " + Quote(field));
    case Parsed::kNotANumber:
      break;
  }
  Fail("non-numeric field " + Quote(field) + ": expected a number");
}

double Header::Reference(std::string_view field, const char* where) const {
  const double ohms = Number(field);
  if (!(ohms > 0)) {
    Fail(std::string(where) + " " + Quote(field) + ": a reference impedance must be above 0 ohms");
  }
  return ohms;
}

void Header::ReadOptionLine(std::string_view text) {
  if (option_seen_) return;  // only the first option line counts
  if (data_started || in_network_data) {
    Fail("the option line must come before the data");
  }
  option_seen_ = true;
  bool unit_seen = false, parameter_seen = false, format_seen = false, reference_seen = false;
  auto once = [this](bool& seen, const char* what) {
    if (seen) Fail(std::string("option line: two ") + what);
    seen = true;
  };
  text.remove_prefix(1);
  for (std::string_view field; !(field = NextField(text)).empty();) {
    if (EqualsNoCase(field, "hz") || EqualsNoCase(field, "khz") || EqualsNoCase(field, "mhz") ||
        EqualsNoCase(field, "ghz")) {
      once(unit_seen, "frequency units");
      const char prefix = Lower(field.front());
      unit_exponent = prefix == 'g' ? 9 : prefix == 'm' ? 6 : prefix == 'k' ? 3 : 0;
      unit_hz = std::pow(10.0, unit_exponent);
      unit_name = prefix == 'g' ? "GHz" : prefix == 'm' ? "MHz" : prefix == 'k' ? "kHz" : "Hz";
    } else if (EqualsNoCase(field, "s")) {
      once(parameter_seen, "parameter types");
    } else if (EqualsNoCase(field, "y") || EqualsNoCase(field, "z") || EqualsNoCase(field, "h") ||
               EqualsNoCase(field, "g")) {
      Fail("only S-parameters can be read: the option line gives " +
           std::string(1, static_cast<char>(Lower(field.front()) - 'a' + 'A')) + "-parameters");
    } else if (EqualsNoCase(field, "ri") || EqualsNoCase(field, "ma") ||
               EqualsNoCase(field, "db")) {
      once(format_seen, "data formats");
      format = EqualsNoCase(field, "ri")   ? Format::kRealImaginary
               : EqualsNoCase(field, "ma") ? Format::kMagnitudeAngle
                                           : Format::kDecibelAngle;
    } else if (EqualsNoCase(field, "r")) {
      once(reference_seen, "reference impedances");
      const std::string_view value = NextField(text);
      if (value.empty()) Fail("option line: expected a reference impedance after R");
      option_reference = Reference(value, "option line: R");
      // Version 2.1, and version 1 files as some programs write them ("version 1.1"), may give
      // one per port: "R 50 50 75 75".
      for (std::string_view rest = text;;) {
        const std::string_view more = NextField(rest);
        double ohms = 0;
        if (more.empty() || ParseNumber(more, ohms) != Parsed::kNumber) break;
        if (version == 2 && !version_2_1_) {
          Fail("option line: one reference impedance per port after R needs [Version] 2.1");
        }
        if (references.empty()) references.push_back(option_reference);
        references.push_back(Reference(more, "option line: R"));
        text = rest;
      }
      if (version == 1 && references.size() > 1 &&
          references.size() != static_cast<std::size_t>(ports)) {
        Fail("the option line lists " + std::to_string(references.size()) +
             " reference impedances after R: expected one, or one per port (" +
             std::to_string(ports) + ")");
      }
    } else {
      Fail("unknown option line: " + Quote(field) +
           " is none of Hz, kHz, MHz, GHz, S, RI, MA, DB, R and its value");
    }
  }
}

// The keyword of a line that starts with '[', and the rest of the line.
std::pair<Keyword, std::string_view> Header::KeywordOf(std::string_view text) {
  const std::size_t close = text.find(']');
  if (close == std::string_view::npos) Fail("expected ']' to close the keyword");
  const std::string_view name = Trim(text.substr(1, close - 1));
  unsigned keyword = 0;
  while (keyword < kUnknown && !EqualsNoCase(name, kKeywordNames[keyword])) ++keyword;
  if (keyword == kUnknown) {
    Fail("unknown keyword " + Quote(text.substr(0, close + 1)) +
         " (not a keyword of version 2.0 or 2.1)");
  }
  if (version == 1) {
    Fail("unexpected keyword " + Quote(text.substr(0, close + 1)) +
         ": a version 2 file begins with [Version] 2.0 or 2.1");
  }
  return {static_cast<Keyword>(keyword), Trim(text.substr(close + 1))};
}

// Reads one keyword line of the version 2 header; true when it ends the network data before
// any data.
bool Header::ReadKeyword(std::string_view text) {
  const auto parsed = KeywordOf(text);
  const Keyword keyword = parsed.first;
  const std::string_view argument = parsed.second;
  const std::string shown = Bracketed(keyword);
  if (in_network_data) {
    if (keyword == kNoiseData || keyword == kEnd) return true;
    Fail("unexpected keyword " + shown + " in the network data");
  }
  if (keywords_seen_ & (1u << keyword)) Fail("repeated keyword " + shown);
  keywords_seen_ |= 1u << keyword;
  auto count = [&]() {
    const std::optional<long> n = ParseCount(argument);
    if (!n) Fail("expected a whole number of 1 or more after " + shown);
    return *n;
  };
  switch (keyword) {
    case kVersion: {
      double number = 0;
      if (ParseNumber(argument, number) != Parsed::kNumber || (number != 2.0 && number != 2.1)) {
        Fail("unsupported version " + Quote(argument) + ": expected [Version] 2.0 or 2.1");
      }
      version = 2;
      version_2_1_ = number == 2.1;
      break;
    }
    case kNumberOfPorts:
      SetPortCount(count(), lines_.line_number());
      break;
    case kTwoPortDataOrder:
      // S_pp is the first or last pair of a 2-port either way; all four need the order.
      if (!EqualsNoCase(argument, "12_21") && !EqualsNoCase(argument, "21_12")) {
        Fail("expected 12_21 or 21_12 after " + shown);
      }
      order_seen = true;
      order_12_21 = EqualsNoCase(argument, "12_21");
      break;
    case kNumberOfFrequencies:
      frequencies_expected = count();
      break;
    case kNumberOfNoiseFrequencies:
      count();  // the noise data is not read
      break;
    case kReference:
      if (ports == 0) Fail("[Reference] must follow [Number of Ports]");
      references_left_ = ports;
      references.clear();  // instead of the option line's
      ReadReferences(argument);
      break;
    case kBeginInformation:
      in_information_ = true;
      break;
    case kEndInformation:
      Fail("[End Information] without [Begin Information]");
    case kMixedModeOrder:
      if (ports == 0) Fail("[Mixed-Mode Order] must follow [Number of Ports]");
      modes_left_ = ports;
      ReadModes(argument);
      break;
    case kMatrixFormat:
      if (EqualsNoCase(argument, "full")) {
        matrix = Matrix::kFull;
      } else if (EqualsNoCase(argument, "lower")) {
        matrix = Matrix::kLower;
      } else if (EqualsNoCase(argument, "upper")) {
        matrix = Matrix::kUpper;
      } else {
        Fail("expected Full, Lower or Upper after " + shown);
      }
      break;
    case kNetworkData:
      if (ports == 0) Fail("expected [Number of Ports] before [Network Data]");
      if (frequencies_expected == 0) {
        Fail("expected [Number of Frequencies] before [Network Data]");
      }
      if (references.size() > 1 && references.size() != static_cast<std::size_t>(ports)) {
        Fail("the option line lists " + std::to_string(references.size()) +
             " reference impedances after R: expected one, or one per port (" +
             std::to_string(ports) + ")");
      }
      ResolveMode();
      in_network_data = true;
      break;
    case kNoiseData:
    case kEnd:
      Fail("expected [Network Data] before " + shown);
    case kUnknown:
      break;
  }
  return false;
}

void Header::ReadReferences(std::string_view numbers) {
  for (std::string_view field; !(field = NextField(numbers)).empty();) {
    if (references_left_ == 0) {
      Fail("[Reference] lists more than " + std::to_string(ports) + " reference impedances");
    }
    const double ohms = Reference(field, "[Reference]");
    ++reference_index_;
    references.push_back(ohms);
    --references_left_;
  }
}

// The ports of a [Mixed-Mode Order]: D or C with the two ports of a pair (D1,3), or S with one.
void Header::ReadModes(std::string_view names) {
  for (std::string_view field; !(field = NextField(names)).empty();) {
    if (modes_left_ == 0) {
      Fail("[Mixed-Mode Order] lists more than " + std::to_string(ports) + " ports");
    }
    const char kind = static_cast<char>(Lower(field.front()) - 'a' + 'A');
    const std::size_t comma = field.find(',');
    const std::optional<long> first = ParseCount(field.substr(1, comma - 1));
    const std::optional<long> second =
        comma == std::string_view::npos ? std::nullopt : ParseCount(field.substr(comma + 1));
    const bool pair = kind == 'D' || kind == 'C';
    if (!(pair || kind == 'S') || !first || *first > ports || pair != second.has_value() ||
        (second && *second > ports)) {
      Fail("[Mixed-Mode Order]: " + Quote(field) +
           " is not a port: expected D or C with the two ports of a pair (D1,3), or S with "
           "one (S2), each from 1 to " +
           std::to_string(ports));
    }
    modes_.emplace_back(field);
    --modes_left_;
  }
}

// Which port of the matrix a mixed-mode name gives ("D1,3", or "D1" when only one pair of that
// mode starts at port 1); and a port number is refused where the ports are mixed-mode.
void Header::ResolveMode() {
  if (mode_.empty()) {
    if (modes_.empty()) return;
    Fail(two_port ? "the file holds mixed-mode data ([Mixed-Mode Order]): a two-port here "
                    "must be single-ended"
                  : "the file holds mixed-mode data: name the port as [Mixed-Mode Order] "
                    "does (" +
                        ModeList() + "), for example " + modes_.front());
  }
  if (modes_.empty()) {
    Fail("port " + mode_ + " is a mixed-mode port, and the file has no [Mixed-Mode Order]: its " +
         std::to_string(ports) + (ports == 1 ? " port is" : " ports are") +
         " single-ended, numbered from 1");
  }
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < modes_.size(); ++i) {
    const std::string_view m = modes_[i];
    if (EqualsNoCase(m, mode_) ||
        (mode_.find(',') == std::string::npos && m.size() > mode_.size() &&
         EqualsNoCase(m.substr(0, mode_.size()), mode_) && m[mode_.size()] == ',')) {
      found.push_back(i);
    }
  }
  if (found.empty()) {
    Fail("[Mixed-Mode Order] has no port " + mode_ + ": it lists " + ModeList());
  }
  if (found.size() > 1) {
    std::string names;
    for (const std::size_t i : found) names += (names.empty() ? "" : ", ") + modes_[i];
    Fail(mode_ + " names several ports of [Mixed-Mode Order] (" + names +
         "): give its pair, for example " + modes_[found.front()]);
  }
  const std::string& m = modes_[found.front()];
  port = static_cast<int>(found.front() + 1);
  mode_kind = static_cast<char>(Lower(m.front()) - 'a' + 'A');
  const std::size_t comma = m.find(',');
  mode_ports[0] = *ParseCount(std::string_view(m).substr(1, comma - 1));
  if (comma != std::string::npos)
    mode_ports[1] = *ParseCount(std::string_view(m).substr(comma + 1));
  if (!std::isfinite(ReferenceOhms(0))) {
    Fail("the reference impedance of " + m + " (of its ports together) is not a finite number");
  }
}

std::string Header::ModeList() const {
  std::string list;
  for (std::size_t i = 0; i < modes_.size() && i < 8; ++i) list += (i ? " " : "") + modes_[i];
  if (modes_.size() > 8) list += " ...";
  return list;
}

// The number of ports of a version 1 file: as given, or from the extension .sNp of its name.
long Header::PortsFromName() {
  if (given_ports_ > 0) return given_ports_;
  const std::size_t slash = name_.find_last_of("/\\");
  const std::size_t dot = name_.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
      name_.size() - dot >= 4 && Lower(name_[dot + 1]) == 's' && Lower(name_.back()) == 'p') {
    if (const auto n =
            ParseCount(std::string_view(name_).substr(dot + 2, name_.size() - dot - 3))) {
      return *n;
    }
  }
  if (two_port) return 2;  // a name that does not tell: the two-port asked for
  throw ReadError(
      name_, 0,
      "version 1 data needs its number of ports: from a name ending in .sNp (.s1p, .s2p, ...)",
      ReadError::Cause::kPortCountUnknown);
}

void Header::SetPortCount(long count, long line) {
  if (count > kMaxPorts) {
    Fail(line, "more than " + std::to_string(kMaxPorts) + " ports are not supported");
  }
  ports = static_cast<int>(count);
  if (two_port && ports != 2) {
    Fail(line, "a two-port is needed here, and the file has " + std::to_string(ports) +
                   (ports == 1 ? " port" : " ports"));
  }
  if (!two_port && mode_.empty() && (port < 1 || port > ports)) {
    Fail(line, "port " + std::to_string(port) + " does not exist: expected a port from 1 to " +
                   std::to_string(ports));
  }
}

}  // namespace touchstone::detail
