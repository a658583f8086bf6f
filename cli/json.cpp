#include "cli/json.h"

#include <string>
#include <string_view>
#include <utility>

#include "calc/budget.h"
#include "calc/input_text.h"
#include "calc/result_format.h"
#include "cli/point_lines.h"
#include "platform/number_format.h"

namespace cli {

namespace {

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static constexpr char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[(c >> 4) & 0xF];
          out += kHex[c & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

// Builds a JSON object member by member.
class JsonObject {
 public:
  explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
  void Key(std::string_view key) {
    if (!first_) out_ += ',';
    first_ = false;
    AppendJsonString(out_, key);
    out_ += ':';
  }
  void String(std::string_view key, std::string_view value) {
    Key(key);
    AppendJsonString(out_, value);
  }
  // Every value of the document follows one rule: a number, "infinite" or "-infinite", or null
  // for one that is not defined.
  void Figure(std::string_view key, const calc::Figure& f) {
    Key(key);
    out_ += calc::JsonValue(f);
  }
  // A number computed outside the figures: NaN is not defined, an infinity infinite.
  void Number(std::string_view key, double value) { Figure(key, calc::FigureOf(value)); }
  void Close() { out_ += '}'; }

 private:
  std::string& out_;
  bool first_ = true;
};

void PortJson(JsonObject& parent, std::string& out, std::string_view key,
              const calc::PortFigures& f, const calc::MagnitudeReading& reading) {
  parent.Key(key);
  JsonObject o(out);
  o.Number("magnitude", f.magnitude);
  // What a VSWR or a return loss typed for the magnitude was read as; null for a plain number.
  if (const std::string note = calc::ReadingNote(reading); !note.empty()) {
    o.String("read_as", note);
  } else {
    o.Key("read_as");
    out += "null";
  }
  o.Figure("VSWR", f.vswr);
  o.Figure("return_loss_dB", f.return_loss_db);
  o.Figure("reflected_power_percent", f.reflected_power_pct);
  o.Close();
}

// The window's three texts of an impedance, then its real and imaginary parts as numbers.
void ImpedanceJson(JsonObject& parent, std::string& out, std::string_view key,
                   const calc::ResultTexts& t, calc::Output real, calc::Output sign,
                   calc::Output imag, const calc::Impedance& z) {
  parent.Key(key);
  JsonObject o(out);
  o.String("real", t[real]);
  o.String("sign", t[sign]);
  o.String("imag", t[imag]);
  o.Figure("re_ohm", z.resistance);
  o.Figure("im_ohm", z.reactance);
  o.Close();
}

void ThroughJson(JsonObject& parent, std::string& out, const calc::ThroughResult& t) {
  const calc::ThroughFigures f = calc::ThroughFiguresOf(t);
  parent.Key("through");
  JsonObject o(out);
  o.Figure("gamma_out_magnitude", f.gamma_out_magnitude);
  o.Figure("gamma_out_angle_deg", f.gamma_out_angle_deg);
  o.Figure("gamma_in_magnitude", f.gamma_in_magnitude);
  o.Figure("gamma_in_angle_deg", f.gamma_in_angle_deg);
  o.Figure("Gt_dB", f.gain_db);
  for (const auto& [key, plane] :
       {std::pair{"source_plane", &f.source_plane}, std::pair{"load_plane", &f.load_plane}}) {
    o.Key(key);
    JsonObject j(out);
    j.Figure("ML_dB", plane->loss_db);
    j.Figure("ML_min_dB", plane->loss_min_db);
    j.Figure("ML_max_dB", plane->loss_max_db);
    j.Close();
  }
  o.String("warning", calc::ThroughWarning(t));
  o.Close();
}

}  // namespace

std::string JsonFor(const calc::Calculation& c, const calc::ThroughResult* through) {
  std::string out;
  JsonObject root(out);
  {
    root.Key("results");
    JsonObject r(out);
    const calc::ResultTexts t = calc::BoxTexts(c.results);
    r.String("RL", t[calc::kReturnLoss]);
    r.Figure("RL_dB", c.results.return_loss_db);
    r.String("ML", t[calc::kMismatchLoss]);
    r.Figure("ML_dB", c.results.mismatch_loss_db);
    ImpedanceJson(r, out, "ZS", t, calc::kSourceResistance, calc::kSourceReactanceSign,
                  calc::kSourceReactance, c.results.source_impedance);
    ImpedanceJson(r, out, "ZL", t, calc::kLoadResistance, calc::kLoadReactanceSign,
                  calc::kLoadReactance, c.results.load_impedance);
    r.Close();
  }
  {
    root.Key("figures");
    JsonObject f(out);
    PortJson(f, out, "source", c.figures.source, c.reading1);
    PortJson(f, out, "load", c.figures.load, c.reading2);
    const calc::MismatchFigures& m = c.figures.mismatch;
    f.Key("mismatch");
    JsonObject j(out);
    j.Figure("M_percent", m.delivered_pct);
    j.Number("product", m.product);
    j.Figure("ML_min_dB", m.loss_min_db);
    j.Figure("ML_max_dB", m.loss_max_db);
    j.Figure("uncertainty_low_dB", m.uncertainty_low_db);
    j.Figure("uncertainty_high_dB", m.uncertainty_high_db);
    j.Figure("uncertainty_low_percent", m.uncertainty_low_pct);
    j.Figure("uncertainty_high_percent", m.uncertainty_high_pct);
    j.Figure("standard_uncertainty_percent", m.standard_uncertainty_pct);
    j.Figure("standard_uncertainty_dB", m.standard_uncertainty_db);
    j.Figure("expanded_uncertainty_percent", m.expanded_uncertainty_pct);
    j.Figure("expanded_uncertainty_dB", m.expanded_uncertainty_db);
    // The 95 % Monte Carlo coverage interval of the delivered power, as the lines give it.
    const calc::CoverageInterval coverage = calc::PairCoverage(m);
    j.Figure("coverage_low_dB", coverage.low_db);
    j.Figure("coverage_high_dB", coverage.high_db);
    j.Close();
    f.Close();
  }
  if (through != nullptr) ThroughJson(root, out, *through);
  root.Key("lines");
  out += '[';
  bool first = true;
  for (const std::string& line : OutputLines(c, through)) {
    if (!first) out += ',';
    first = false;
    AppendJsonString(out, line);
  }
  out += ']';
  root.Close();
  return out;
}

std::string JsonError(std::string_view warning) {
  std::string out;
  JsonObject root(out);
  root.Key("error");
  JsonObject e(out);
  e.String("warning", warning);
  e.Close();
  root.Close();
  return out;
}

}  // namespace cli
