#include "cli/budget_command.h"

#include <array>
#include <cmath>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "calc/calculate_texts.h"
#include "calc/result_format.h"
#include "calc/warning_text.h"
#include "cli/json.h"
#include "cli/options.h"
#include "cli/run.h"
#include "platform/errors.h"
#include "platform/number_format.h"
#include "platform/number_text.h"

namespace cli {

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  for (std::size_t i = 0; i < text.size();) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::size_t j = i;
    while (j < text.size() && text[j] != ' ' && text[j] != '\t') ++j;
    if (j > i) words.push_back(text.substr(i, j - i));
    i = j;
  }
  return words;
}

bool Reads(const std::string& text) {
  try {
    ReadBudgetMagnitude(text);
    return true;
  } catch (const platform::Error&) {
    return false;
  }
}

// The fields of "S11 S21 S12 S22": each ["max"] ["VSWR" | "RL"] NUMBER ["dB"], the words in any
// case.
std::vector<std::string> MagnitudeFields(const std::string& value) {
  const std::vector<std::string> words = Words(value);
  std::vector<std::string> fields;
  for (std::size_t i = 0; i < words.size();) {
    std::string field;
    const auto take = [&] {
      if (!field.empty()) field += ' ';
      field += words[i++];
    };
    if (Lower(words[i]) == "max") take();
    if (i < words.size() && (Lower(words[i]) == "vswr" || Lower(words[i]) == "rl")) take();
    if (i < words.size()) take();
    if (i < words.size() && Lower(words[i]) == "db") take();
    fields.push_back(field);
  }
  return fields;
}

void AppendString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      out += ' ';
      continue;
    }
    out += c;
  }
  out += '"';
}

// A JSON member: `"key":value`, the value already JSON.
void Member(std::string& out, std::string_view key, std::string_view value) {
  if (out.back() != '{') out += ',';
  AppendString(out, key);
  out += ':';
  out += value;
}

std::string Number(double value) {
  return calc::JsonValue(calc::FigureOf(value, calc::Reason::kNone));
}

std::string MagnitudeJson(const calc::BudgetMagnitude& m) {
  std::string out = "{";
  Member(out, "magnitude", Number(m.value));
  Member(out, "limit", m.limit ? "true" : "false");
  if (m.limit) Member(out, "rayleigh_sigma", Number(calc::RayleighSigma(m.value)));
  out += '}';
  return out;
}

}  // namespace

BudgetReading ReadBudgetMagnitude(const std::string& text) {
  std::string_view rest = platform::StripBlanks(text);
  BudgetReading r;
  if (rest.size() >= 3 && Lower(rest.substr(0, 3)) == "max" &&
      (rest.size() == 3 || rest[3] == ' ' || rest[3] == '\t')) {
    r.limit = true;
    rest = platform::StripBlanks(rest.substr(3));
  }
  r.reading = calc::ReadMagnitude(rest);
  return r;
}

bool IsBudgetMagnitude(const std::string& value) {
  if (value.find('@') != std::string::npos) return false;
  // "amp.s2p:22" and "-:11" are files; "1.5:1" and "VSWR 1.5:1" are magnitudes, and so are the
  // forms of one with a number that cannot be taken ("VSWR 0.8", "1,000"), whose warning the
  // budget gives.
  try {
    ReadBudgetMagnitude(value);
    return true;
  } catch (const platform::Error& error) {
    return error.kind() != platform::ErrorKind::Conversion;
  }
}

bool IsBudgetThrough(const std::string& value) {
  if (value.find('@') != std::string::npos) return false;
  // A path may hold blanks too ("an adapter.s2p"): magnitudes start with one.
  const std::vector<std::string> fields = MagnitudeFields(value);
  return fields.size() > 1 && Reads(fields[0]);
}

std::optional<std::array<std::string, 4>> SplitThroughMagnitudes(const std::string& value) {
  const std::vector<std::string> fields = MagnitudeFields(value);
  if (fields.size() != 4) return std::nullopt;
  return std::array<std::string, 4>{fields[0], fields[1], fields[2], fields[3]};
}

void CheckBudgetOptions(const Options& o, bool ports) {
  const bool source = o.source_magnitude.has_value(), load = o.load_magnitude.has_value();
  if ((source || load || o.through_magnitudes) && !(source && load)) {
    throw UsageError(
        "with the phases unknown, --source and --load are both magnitudes without an angle "
        "(for example --source \"VSWR 1.5\" --load \"max VSWR 1.15\")");
  }
  if (o.through_point || o.through_file) {
    throw UsageError(
        "with the phases unknown, --through takes the four magnitudes of S11 S21 S12 S22 "
        "without angles (for example --through \"max VSWR 1.05  -0.1 dB  -0.1 dB  max VSWR "
        "1.05\")");
  }
  if (o.through_magnitudes && !SplitThroughMagnitudes(*o.through_magnitudes)) {
    throw UsageError("--through \"" + *o.through_magnitudes +
                     "\": expected four magnitudes, S11 S21 S12 S22, each a number, a VSWR or "
                     "a value in dB, \"max\" before a data-sheet limit");
  }
  if (o.csv || o.plot || o.smith || ports) {
    throw UsageError(
        "--csv, --plot, --smith and the port counts are for a sweep; the budget of "
        "magnitudes alone is one point");
  }
}

std::string BudgetJson(const calc::BudgetInputs& in, const calc::Budget& b,
                       const std::vector<std::string>& notes) {
  std::string out = "{";
  Member(out, "budget", "");
  out += '{';
  {
    std::string inputs = "{";
    Member(inputs, "source", MagnitudeJson(in.source));
    Member(inputs, "load", MagnitudeJson(in.load));
    if (in.through) {
      std::string t = "{";
      Member(t, "S11", MagnitudeJson(in.s11));
      Member(t, "S21", MagnitudeJson(in.s21));
      Member(t, "S12", MagnitudeJson(in.s12));
      Member(t, "S22", MagnitudeJson(in.s22));
      t += '}';
      Member(inputs, "through", t);
    } else {
      Member(inputs, "through", "null");
    }
    inputs += '}';
    Member(out, "inputs", inputs);
  }
  std::string terms = "[";
  for (const calc::BudgetTerm& t : b.terms) {
    if (terms.size() > 1) terms += ',';
    std::string o = "{";
    std::string name;
    AppendString(name, t.name);
    Member(o, "term", name);
    Member(o, "product", Number(t.product));
    Member(o, "limit_percent", Number(100.0 * t.limit));
    Member(o, "distribution", t.limits == 0 ? "\"U-shaped\"" : "\"Rayleigh\"");
    Member(o, "limits", Number(t.limits));
    Member(o, "divisor", Number(t.divisor));
    Member(o, "u_percent", Number(100.0 * t.u));
    Member(o, "u_dB", Number(calc::RelativeToDecibels(t.u)));
    Member(o, "share_percent", Number(100.0 * t.share));
    o += '}';
    terms += o;
  }
  terms += ']';
  Member(out, "terms", terms);
  Member(out, "combined_standard_uncertainty_percent", Number(100.0 * b.combined));
  Member(out, "combined_standard_uncertainty_dB", Number(calc::RelativeToDecibels(b.combined)));
  Member(out, "expanded_uncertainty_percent", Number(100.0 * b.expanded));
  Member(out, "expanded_uncertainty_dB", Number(calc::RelativeToDecibels(b.expanded)));
  Member(out, "worst_case_low_dB", calc::JsonValue(b.worst_low_db));
  Member(out, "worst_case_high_dB", calc::JsonValue(b.worst_high_db));
  {
    const calc::MonteCarloResult& mc = b.monte_carlo;
    std::string m = "{";
    Member(m, "draws", std::to_string(mc.draws));
    Member(m, "seed", std::to_string(mc.seed));
    Member(m, "standard_deviation_percent", Number(100.0 * mc.sd_relative));
    Member(m, "standard_deviation_dB", Number(mc.sd_db));
    Member(m, "coverage_low_dB", Number(mc.low_db));
    Member(m, "coverage_high_dB", Number(mc.high_db));
    m += '}';
    Member(out, "monte_carlo", m);
  }
  const calc::Overstatement over = calc::OverstatementOf(b);
  Member(out, "k2_more_than_worst_case", over.worst_case ? "true" : "false");
  Member(out, "k2_more_than_monte_carlo", over.monte_carlo ? "true" : "false");
  out += '}';
  std::string lines = "[";
  std::vector<std::string> all = calc::BudgetLines(b);
  all.insert(all.end(), notes.begin(), notes.end());
  for (const std::string& line : all) {
    if (lines.size() > 1) lines += ',';
    AppendString(lines, line);
  }
  lines += ']';
  Member(out, "lines", lines);
  out += '}';
  return out;
}

int RunBudget(const Options& o, std::ostream& out, std::ostream& err) {
  calc::BudgetInputs in;
  std::vector<std::string> notes;
  // A warning goes to standard error, and with --json as {"error": ...} as a point's does.
  const auto warn = [&](const std::string& warning) {
    err << warning << '\n';
    if (o.json) out << JsonError(warning) << '\n' << std::flush;
    return kWarning;
  };
  // The ports, by the boxes' rule and with the window's warnings.
  for (const auto& [text, input, magnitude, name] :
       {std::tuple{&*o.source_magnitude, calc::kSourceMagnitude, &in.source, "\u0393S"},
        std::tuple{&*o.load_magnitude, calc::kLoadMagnitude, &in.load, "\u0393L"}}) {
    BudgetReading r;
    try {
      r = ReadBudgetMagnitude(*text);
    } catch (platform::Error& error) {
      error.set_input(input);
      return warn(calc::WarningText(error));
    }
    *magnitude = {std::fabs(r.reading.magnitude), r.limit};
    if (!(magnitude->value < 1.0)) {
      return warn(std::string(kProgram) + ": |" + name +
                  "| = " + platform::Shortest(magnitude->value) +
                  ": the budget is for passive ports, whose reflection is below 1");
    }
    if (std::string note = calc::ReadingLine(r.reading, name); !note.empty()) {
      notes.push_back(std::move(note));
    }
  }
  if (o.through_magnitudes) {
    static constexpr const char* kNames[] = {"S11", "S21", "S12", "S22"};
    calc::BudgetMagnitude* s[] = {&in.s11, &in.s21, &in.s12, &in.s22};
    const std::array<std::string, 4> fields = *SplitThroughMagnitudes(*o.through_magnitudes);
    in.through = true;
    for (int k = 0; k < 4; ++k) {
      BudgetReading r;
      try {
        r = ReadBudgetMagnitude(fields[k]);
      } catch (const platform::Error&) {
        err << kProgram << ": --through: " << kNames[k] << " \"" << fields[k]
            << "\" is not a magnitude (a number, a VSWR, a return loss or a value in dB)\n";
        return kUsage;
      }
      *s[k] = {std::fabs(r.reading.magnitude), r.limit};
      if (std::string note = calc::ReadingLine(r.reading, kNames[k]); !note.empty()) {
        notes.push_back(std::move(note));
      }
      const bool reflection = k == 0 || k == 3;
      // A data-sheet limit is a reflection's: a transmission near 1 is not Rayleigh-distributed.
      if (r.limit && !reflection) {
        err << kProgram << ": --through: \"max\" is for the reflections S11 and S22; give "
            << kNames[k] << " as its magnitude\n";
        return kUsage;
      }
      if (!std::isfinite(s[k]->value) || (reflection && !(s[k]->value < 1.0))) {
        return warn(std::string(kProgram) + ": --through: |" + kNames[k] +
                    "| = " + platform::Shortest(s[k]->value) +
                    (reflection ? ": the budget is for a passive two-port, whose reflection is "
                                  "below 1"
                                : ": too large to compute with"));
      }
    }
  }
  const calc::Budget budget = calc::ComputeBudget(in);
  if (o.json) {
    out << BudgetJson(in, budget, notes) << '\n';
  } else {
    for (const std::string& line : calc::BudgetLines(budget)) out << line << '\n';
    for (const std::string& note : notes) out << note << '\n';
  }
  out.flush();
  if (!out) {
    err << kProgram << ": cannot write the results\n";
    return kFileError;
  }
  return kSuccess;
}

std::string BudgetHelpText() {
  return R"HELP(Mismatch budget (the phases unknown):
  --source MAG, --load MAG
                      a magnitude without an angle: 0.2, "VSWR 1.5", "1.5:1",
                      "RL 23 dB"; the budget is written in place of the
                      results of one point
  max MAG             a data-sheet limit ("max VSWR 1.5"): a Rayleigh
                      magnitude whose 95 % point is the limit
  --through "S11 S21 S12 S22"
                      four magnitudes without angles, each a number, a VSWR
                      or a value in dB ("max VSWR 1.05  -0.1 dB  -0.1 dB
                      max VSWR 1.05"; S21 and S12 in dB are |S| in dB); max
                      only before S11 and S22

  The delivered power relative to the chain without reflections is
  X = 1/|(1 − a)(1 − b) − c|², a = |ΓS||S11|, b = |S22||ΓL|,
  c = |ΓS||S21||S12||ΓL| (|ΓS||ΓL| without a two-port), at unknown phases.
    table                 each term: its limit ±2·product, its distribution
                          (U-shaped, or Rayleigh with a limit), the divisor,
                          its standard uncertainty u, its share of the variance
    Combined standard uncertainty   root sum of squares of the u
    Expanded uncertainty  k = 2
    Worst case            1/((1 ± a)(1 ± b) ± c)² in dB
    Monte Carlo           1000000 draws of X, fixed seed: standard deviation,
                          and the 95 % probabilistically symmetric coverage
                          interval in dB
  and a sentence where k = 2 gives more than the worst case or than the Monte
  Carlo interval. --json gives the same as numbers, "budget" and "lines".
)HELP";
}

}  // namespace cli
