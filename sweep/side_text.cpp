#include "sweep/side_text.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <string>

#include "calc/calculate_texts.h"
#include "calc/reflection.h"
#include "platform/errors.h"
#include "platform/number_text.h"

namespace sweep {

namespace {

// "22" (S22) and "1010" (S1010) name port 2 and port 10; a single digit names the port itself.
std::optional<int> PortOf(const std::string& digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::string port = digits;
  if (digits.size() > 1) {
    const std::size_t half = digits.size() / 2;
    if (digits.size() % 2 != 0 || digits.compare(0, half, digits, half, half) != 0) {
      return std::nullopt;
    }
    port = digits.substr(0, half);
  }
  int value = 0;
  std::from_chars(port.data(), port.data() + port.size(), value);
  if (value < 1) return std::nullopt;
  return value;
}

// A port of mixed-mode data as the file names it: D or C and a pair of ports (D1,3), S and one
// port (S2); or D or C with the first port of the pair alone (D1).
bool IsModeName(const std::string& name) {
  if (name.size() < 2 || std::string("DdCcSs").find(name[0]) == std::string::npos) return false;
  int commas = 0;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] == ',' && i > 1 && i + 1 < name.size() && commas++ == 0) continue;
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

// "FILE:PP" first, so that a file name may hold an '@'; then "MAG@ANGLE".
void ReadPort(const std::string& option, const std::string& value, std::optional<PointSpec>& point,
              std::optional<FileSpec>& file) {
  const std::size_t colon = value.rfind(':');
  if (colon != std::string::npos && colon > 0) {
    if (IsModeName(value.substr(colon + 1))) {
      file = FileSpec{value.substr(0, colon),
                      1,
                      0,
                      "or give it with " + option + "-ports N (for example " + option + "-ports 2)",
                      value.substr(colon + 1),
                      std::nullopt};
      return;
    }
    if (const std::optional<int> port = PortOf(value.substr(colon + 1))) {
      file = FileSpec{value.substr(0, colon),
                      *port,
                      0,
                      "or give it with " + option + "-ports N (for example " + option + "-ports 2)",
                      "",
                      std::nullopt};
      return;
    }
  }
  if (const std::size_t at = value.find('@'); at != std::string::npos) {
    point = PointSpec{value.substr(0, at), value.substr(at + 1)};
    return;
  }
  throw UsageError(option + " \"" + value +
                   "\": expected MAG@ANGLE (for example 0.5@30) or FILE:PP, the reflection "
                   "coefficient S_pp of port p of a Touchstone file (for example amp.s2p:22), "
                   "or FILE:D1,3 for a port of mixed-mode data");
}

}  // namespace

// "-:PP" reads standard input.
void ReadCoefficient(const std::string& option, const std::string& value,
                     std::optional<PointSpec>& point, std::optional<FileSpec>& file) {
  ReadPort(option, value, point, file);
  if (file && file->path == "-") file->path = kStandardInput;
}

// "S11 S21 S12 S22", each MAG@ANGLE; otherwise a 2-port file, "FILE:12" as it is or "FILE:21"
// turned round. A path may hold blanks: it is a file unless every field is MAG@ANGLE.
void ReadThrough(const std::string& value, std::optional<ThroughFile>& file,
                 std::optional<std::array<PointSpec, 4>>& point) {
  std::vector<std::string> fields;
  for (std::size_t i = 0; i < value.size();) {
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    std::size_t j = i;
    while (j < value.size() && value[j] != ' ' && value[j] != '\t') ++j;
    if (j > i) fields.push_back(value.substr(i, j - i));
    i = j;
  }
  if (fields.empty()) throw UsageError("--through needs a 2-port file or four S-parameters");
  bool points = fields.size() > 1;
  for (const std::string& field : fields) points = points && field.find('@') != std::string::npos;
  if (points) {
    if (fields.size() != 4) {
      throw UsageError("--through \"" + value +
                       "\": expected S11 S21 S12 S22, each as MAG@ANGLE (for example \"0.05@10 "
                       "0.9@-40 0.9@-40 0.05@170\"), or a 2-port Touchstone file");
    }
    std::array<PointSpec, 4> s;
    for (std::size_t k = 0; k < 4; ++k) {
      const std::size_t at = fields[k].find('@');
      s[k] = PointSpec{fields[k].substr(0, at), fields[k].substr(at + 1)};
    }
    point = s;
    return;
  }
  ThroughFile through{value == "-" ? std::string(kStandardInput) : value, false, {}};
  if (const std::size_t colon = value.rfind(':'); colon != std::string::npos && colon > 0) {
    const std::string order = value.substr(colon + 1);
    if (order == "12" || order == "21") {
      through.path = value.substr(0, colon);
      if (through.path == "-") through.path = kStandardInput;
      through.reversed = order == "21";
    } else if (!order.empty() && order.find_first_not_of("0123456789") == std::string::npos &&
               !std::filesystem::exists(value)) {
      throw UsageError("--through \"" + value + "\": a two-port is used as its file gives it (" +
                       value.substr(0, colon) + ":12, port 1 facing the source) or turned round (" +
                       value.substr(0, colon) + ":21); there is no other orientation");
    }
  }
  file = through;
}

calc::TwoPortS ThroughOf(const std::array<PointSpec, 4>& points) {
  static constexpr const char* kNames[] = {"S11", "S21", "S12", "S22"};
  double v[8];
  for (int k = 0; k < 8; ++k) {
    const std::string& text = k % 2 == 0 ? points[k / 2].magnitude : points[k / 2].angle;
    try {
      v[k] = platform::TextToNumber(text);
    } catch (const platform::Error&) {
      throw UsageError("--through: the " + std::string(k % 2 == 0 ? "magnitude" : "angle") +
                       " of " + kNames[k / 2] + " \"" + text + "\" is not a number");
    }
  }
  calc::TwoPortS s;
  calc::Complex* c[] = {&s.s11, &s.s21, &s.s12, &s.s22};
  for (int k = 0; k < 4; ++k) {
    *c[k] = calc::FromPolar(v[2 * k], v[2 * k + 1]);
    if (!std::isfinite(c[k]->re) || !std::isfinite(c[k]->im)) {
      throw UsageError(std::string("--through: ") + kNames[k] + " is too large to compute with");
    }
  }
  return s;
}

Reflection FixedReflectionOf(const PointSpec& point, bool load, calc::MagnitudeReading& reading) {
  calc::InputTexts texts;
  const int magnitude = load ? calc::kLoadMagnitude : calc::kSourceMagnitude;
  const int angle = load ? calc::kLoadAngle : calc::kSourceAngle;
  texts[magnitude] = point.magnitude;
  texts[angle] = point.angle;
  const double m = calc::ConvertInput(texts, magnitude);
  const double a = calc::ConvertInput(texts, angle);
  reading = calc::ReadMagnitude(point.magnitude);
  return calc::Reflection::Polar(m, a);
}

}  // namespace sweep
