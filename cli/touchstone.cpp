// A small reader for version 1 Touchstone files: the option line, comments and S-parameter data
// of any number of ports, wrapped over as many lines as the writer chose.
#include "cli/touchstone.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace touchstone {

namespace {

std::string Where(const std::string& file, long line) {
  return line > 0 ? file + ":" + std::to_string(line) : file;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The number of ports from a ".sNp" extension; 0 when the name has none.
int PortsFromName(const std::string& name) {
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return 0;
  const std::string ext = Lower(name.substr(dot + 1));
  if (ext.size() < 3 || ext.front() != 's' || ext.back() != 'p') return 0;
  int ports = 0;
  const char* first = ext.data() + 1;
  const char* last = ext.data() + ext.size() - 1;
  const auto [end, ec] = std::from_chars(first, last, ports);
  return ec == std::errc() && end == last && ports > 0 ? ports : 0;
}

constexpr bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

}  // namespace

ReadError::ReadError(std::string file, long line, const std::string& message)
    : std::runtime_error(Where(file, line) + ": " + message), file_(std::move(file)), line_(line) {}

ReflectionReader::ReflectionReader(const std::string& path, int port) : name_(path) {
  file_ = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!*file_)
    throw ReadError(path, 0, std::string("cannot open the file: ") + std::strerror(errno));
  in_ = file_.get();
  ReadHeader(port);
}

ReflectionReader::ReflectionReader(std::istream& in, std::string name, int port)
    : in_(&in), name_(std::move(name)) {
  ReadHeader(port);
}

void ReflectionReader::Fail(const std::string& message) const {
  throw ReadError(name_, line_number_, message);
}

void ReflectionReader::ReadHeader(int port) {
  ports_ = PortsFromName(name_);
  if (ports_ == 0) throw ReadError(name_, 0, "expected a file name ending in .sNp (N ports)");
  if (port < 1 || port > ports_) {
    throw ReadError(
        name_, 0,
        "the file has " + std::to_string(ports_) + " port(s), not port " + std::to_string(port));
  }
  port_ = port;
  bool option_line = false;
  while (std::getline(*in_, line_)) {
    ++line_number_;
    line_ = line_.substr(0, line_.find('!'));
    const std::size_t first = line_.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    if (line_[first] == '[') Fail("expected version 1 data; keywords are not read");
    if (line_[first] != '#') {
      pos_ = first;
      have_line_ = true;
      return;
    }
    if (option_line) continue;  // only the first option line counts
    option_line = true;
    std::string token;
    std::size_t at = first + 1;
    const auto next = [&]() {
      token.clear();
      while (at < line_.size() && IsSpace(line_[at])) ++at;
      while (at < line_.size() && !IsSpace(line_[at])) {
        token += line_[at++];
      }
      token = Lower(token);
      return !token.empty();
    };
    while (next()) {
      if (token == "hz")
        unit_exponent_ = "e0";
      else if (token == "khz")
        unit_exponent_ = "e3";
      else if (token == "mhz")
        unit_exponent_ = "e6";
      else if (token == "ghz")
        unit_exponent_ = "e9";
      else if (token == "s")
        continue;
      else if (token == "y" || token == "z" || token == "h" || token == "g") {
        Fail("only S-parameters can be read, not " + token);
      } else if (token == "ri")
        format_ = Format::kRI;
      else if (token == "ma")
        format_ = Format::kMA;
      else if (token == "db")
        format_ = Format::kDB;
      else if (token == "r") {
        if (!next()) Fail("expected the reference impedance after R");
        reference_ = Number(token);
      } else {
        Fail("unknown option \"" + token + "\" in the option line");
      }
    }
  }
  have_line_ = false;
}

bool ReflectionReader::NextToken(std::string& token) {
  for (;;) {
    if (have_line_) {
      while (pos_ < line_.size() && IsSpace(line_[pos_])) ++pos_;
      if (pos_ < line_.size()) {
        const std::size_t start = pos_;
        while (pos_ < line_.size() && !IsSpace(line_[pos_])) {
          ++pos_;
        }
        token.assign(line_, start, pos_ - start);
        return true;
      }
    }
    if (!std::getline(*in_, line_)) {
      have_line_ = false;
      return false;
    }
    ++line_number_;
    line_ = line_.substr(0, line_.find('!'));
    pos_ = 0;
    have_line_ = true;
    const std::size_t first = line_.find_first_not_of(" \t\r");
    if (first != std::string::npos && line_[first] == '#') Fail("a second option line in the data");
  }
}

double ReflectionReader::Number(const std::string& token) const {
  double value = 0.0;
  const char* first = token.data();
  if (*first == '+') ++first;
  const auto [end, ec] = std::from_chars(first, token.data() + token.size(), value);
  if (ec != std::errc() || end != token.data() + token.size() || !std::isfinite(value)) {
    Fail("expected a number, found \"" + token + "\"");
  }
  return value;
}

bool ReflectionReader::Next(Sample& sample) {
  const long count = 1 + 2L * ports_ * ports_;
  const long wanted = 1 + 2L * ((port_ - 1) * ports_ + (port_ - 1));
  std::string token;
  double a = 0.0, b = 0.0;
  for (long i = 0; i < count; ++i) {
    if (!NextToken(token)) {
      if (i == 0) return false;
      Fail("expected " + std::to_string(count) + " numbers for a frequency point, found " +
           std::to_string(i));
    }
    if (i == 0) {
      // The unit as a decimal exponent, so that "1.1" GHz is exactly the double nearest 1.1e9.
      const double value = Number(token);
      sample.frequency_hz = token.find_first_of("eE") == std::string::npos
                                ? Number(token + unit_exponent_)
                                : value * std::stod("1" + unit_exponent_);
      if (seen_point_ && !(sample.frequency_hz > last_frequency_)) {
        Fail("expected a frequency above the previous one");
      }
      seen_point_ = true;
      last_frequency_ = sample.frequency_hz;
    } else if (i == wanted) {
      a = Number(token);
    } else if (i == wanted + 1) {
      b = Number(token);
    } else {
      Number(token);
    }
  }
  // Two-port and smaller files hold one point per line.
  if (ports_ <= 2 && have_line_ && line_.find_first_not_of(" \t\r", pos_) != std::string::npos) {
    Fail("expected " + std::to_string(count) + " numbers on the line, found more");
  }
  if (format_ == Format::kRI) {
    sample.re = a;
    sample.im = b;
    sample.magnitude = std::hypot(a, b);
    sample.angle_deg = std::atan2(b, a) * kDegreesPerRadian;
    if (sample.angle_deg == -180.0) sample.angle_deg = 180.0;
  } else {
    sample.magnitude = format_ == Format::kMA ? a : std::pow(10.0, a / 20.0);
    sample.angle_deg = b;
    const double radians = b / kDegreesPerRadian;
    sample.re = sample.magnitude * std::cos(radians);
    sample.im = sample.magnitude * std::sin(radians);
  }
  return true;
}

}  // namespace touchstone
