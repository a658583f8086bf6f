#include "calc/result_format.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "platform/number_format.h"

namespace calc {

namespace {

// The window's patterns: losses with two decimals, resistances and reactances with one.
constexpr std::string_view kLossPattern = "###0.00";
constexpr std::string_view kImpedancePattern = "#####0.0";
// The further figures: losses and VSWR with the two decimals of the window's losses. Shares of
// power with two decimals as well: 0.01 % is about 0.0004 dB, so a percentage never hides a
// change that its decibel counterpart shows, and uncertainty budgets, which add contributions of
// a few hundredths of a per cent, can be read from it.
constexpr std::string_view kDecibelPattern = kLossPattern;
constexpr std::string_view kRatioPattern = kLossPattern;
constexpr std::string_view kPercentPattern = "##0.00";

// An unbounded return loss: the window's text for a perfect match.
constexpr std::string_view kReturnLossUnbounded = ">100";
// Any other unbounded result in the window and in the lines.
constexpr std::string_view kInfinity = "\u221e";
// Unbounded and undefined figures in the lines and the spoken results.
constexpr std::string_view kInfiniteWord = "infinite";
constexpr std::string_view kNotDefinedWords = "not defined";

// A result in the window's form: the number by its pattern, or "∞" ("-∞").
std::string Text(const Figure& f, std::string_view pattern) {
  switch (f.kind) {
    case Figure::kNumber:
      return platform::FormatNumber(f.value, pattern);
    case Figure::kInfinite: {
      std::string text = f.negative() ? "-" : "";
      text += kInfinity;
      return text;
    }
    case Figure::kNotDefined:
      break;
  }
  return {};
}

// "+" for any zero and above, judged on the unrounded value.
std::string SignText(const Figure& reactance) {
  return reactance.negative() ? "-" : "+";
}

Figure Magnitude(Figure f) {
  f.value = std::fabs(f.value);
  return f;
}

// A figure without a finite value in words: "infinite (no reflection)", "not defined:
// |ΓS||ΓL| ≥ 1", "not defined".
std::string Words(const Figure& f) {
  const std::string_view reason = ReasonText(f.reason);
  if (f.kind == Figure::kInfinite) {
    std::string words = f.negative() ? "minus " : "";
    words += kInfiniteWord;
    if (!reason.empty()) {
      words += " (";
      words += reason;
      words += ')';
    }
    return words;
  }
  std::string words(kNotDefinedWords);
  if (!reason.empty()) {
    words += ": ";
    words += reason;
  }
  return words;
}

// "+1.34", and "-1.48" (also "-0.00" for a bound that rounds to zero).
std::string Signed(const Figure& f, std::string_view pattern, char sign) {
  std::string text = Text(f, pattern);
  if (text.front() != '-') text.insert(text.begin(), sign);
  return text;
}

std::string Line(std::string_view label, std::string_view value, std::string_view unit = {}) {
  std::string line(label);
  line += " = ";
  line += value;
  if (!unit.empty()) {
    line += ' ';
    line += unit;
  }
  return line;
}

// Two bounds of one figure: "a to b dB", "+a / -b %"; the words of the first bound without a
// value otherwise.
template <typename Join>
std::string PairLine(std::string_view label, const Figure& first, const Figure& second,
                     std::string_view unit, Join join) {
  if (first.kind != Figure::kNumber) return Line(label, Words(first));
  if (second.kind != Figure::kNumber) return Line(label, Words(second));
  return Line(label, join(), unit);
}

std::string ImpedanceLine(std::string_view label, const std::string& real, const std::string& sign,
                          const std::string& imag) {
  return Line(label, real + " " + sign + " j" + imag, "\u03a9");
}

// "1.25 dB"; `unbounded` for a loss without bound, "not defined" for one without a value.
std::string SpokenLoss(const Figure& f, std::string_view unbounded) {
  if (f.kind == Figure::kNumber) return Text(f, kLossPattern) + " dB";
  if (f.kind == Figure::kInfinite && !f.negative()) return std::string(unbounded);
  std::string words = Words(f);
  return words.substr(0, words.find(" ("));
}

std::string SpokenImpedance(const Impedance& z) {
  return Text(z.resistance, kImpedancePattern) +
         (z.reactance.negative() ? " minus j " : " plus j ") +
         Text(Magnitude(z.reactance), kImpedancePattern) + " ohms";
}

// A value for the table: the number by its pattern, or the kind in a word.
std::string TableValue(const Figure& f, std::string_view pattern) {
  switch (f.kind) {
    case Figure::kNumber:
      return platform::FormatNumber(f.value, pattern);
    case Figure::kInfinite:
      return f.negative() ? "-infinite" : "infinite";
    case Figure::kNotDefined:
      break;
  }
  return std::string(kNotDefinedWords);
}

// A row of the table for a figure; a value in words has no unit.
TableRow FigureRow(std::string label, const Figure& f, std::string_view pattern,
                   std::string_view unit) {
  return {std::move(label), TableValue(f, pattern),
          std::string(f.kind == Figure::kNumber ? unit : std::string_view())};
}

}  // namespace

std::string FigureLine(std::string_view label, const Figure& f, std::string_view pattern,
                       std::string_view unit) {
  if (f.kind == Figure::kNumber) return Line(label, Text(f, pattern), unit);
  return Line(label, Words(f));
}

std::vector<std::string> InputLines(const Inputs& in) {
  const auto polar = [](std::string_view label, double magnitude, double angle) {
    return Line(label,
                platform::Shortest(magnitude) + " \u2220 " + platform::Shortest(angle) + "\u00b0");
  };
  std::vector<std::string> lines = {
      Line("Z0", platform::Shortest(in.reference_impedance), "\u03a9"),
      polar("\u0393S", in.magnitude1, in.angle1),
  };
  if (std::string note = ReadingLine(in.reading1, "\u0393S"); !note.empty()) {
    lines.push_back(std::move(note));
  }
  lines.push_back(polar("\u0393L", in.magnitude2, in.angle2));
  if (std::string note = ReadingLine(in.reading2, "\u0393L"); !note.empty()) {
    lines.push_back(std::move(note));
  }
  return lines;
}

std::vector<TableRow> TableRows(const Inputs& in, const Results& r, const Figures& figures) {
  const MismatchFigures& m = figures.mismatch;
  std::vector<TableRow> rows = {
      {"Z0", platform::Shortest(in.reference_impedance), "\u03a9"},
      {"\u0393S magnitude", platform::Shortest(in.magnitude1), ""},
      {"\u0393S angle", platform::Shortest(in.angle1), "\u00b0"},
      {"\u0393L magnitude", platform::Shortest(in.magnitude2), ""},
      {"\u0393L angle", platform::Shortest(in.angle2), "\u00b0"},
      FigureRow("RL", r.return_loss_db, kLossPattern, "dB"),
      FigureRow("ML", r.mismatch_loss_db, kLossPattern, "dB"),
      FigureRow("ZS resistance", r.source_impedance.resistance, kImpedancePattern, "\u03a9"),
      FigureRow("ZS reactance", r.source_impedance.reactance, kImpedancePattern, "\u03a9"),
      FigureRow("ZL resistance", r.load_impedance.resistance, kImpedancePattern, "\u03a9"),
      FigureRow("ZL reactance", r.load_impedance.reactance, kImpedancePattern, "\u03a9"),
      FigureRow("M", m.delivered_pct, kPercentPattern, "%"),
      FigureRow("ML at any phase, least", m.loss_min_db, kDecibelPattern, "dB"),
      FigureRow("ML at any phase, greatest", m.loss_max_db, kDecibelPattern, "dB"),
      FigureRow("Mismatch uncertainty, upper", m.uncertainty_high_db, kDecibelPattern, "dB"),
      FigureRow("Mismatch uncertainty, lower", m.uncertainty_low_db, kDecibelPattern, "dB"),
      FigureRow("Mismatch uncertainty, upper", m.uncertainty_high_pct, kPercentPattern, "%"),
      FigureRow("Mismatch uncertainty, lower", m.uncertainty_low_pct, kPercentPattern, "%"),
      FigureRow("Standard uncertainty", m.standard_uncertainty_pct, kPercentPattern, "%"),
      FigureRow("Standard uncertainty", m.standard_uncertainty_db, kDecibelPattern, "dB"),
      FigureRow("Expanded uncertainty (k = 2)", m.expanded_uncertainty_pct, kPercentPattern, "%"),
      FigureRow("Expanded uncertainty (k = 2)", m.expanded_uncertainty_db, kDecibelPattern, "dB"),
  };
  const CoverageInterval coverage = PairCoverage(m);
  rows.push_back(FigureRow("Coverage interval (95 %, Monte Carlo), lower", coverage.low_db,
                           kDecibelPattern, "dB"));
  rows.push_back(FigureRow("Coverage interval (95 %, Monte Carlo), upper", coverage.high_db,
                           kDecibelPattern, "dB"));
  // What a magnitude typed as a VSWR or a return loss was read from, after the inputs.
  std::size_t at = 5;
  for (const auto& [name, reading] : {std::pair{"\u0393S magnitude read from", &in.reading1},
                                      {"\u0393L magnitude read from", &in.reading2}}) {
    if (std::string note = ReadingNote(*reading); !note.empty()) {
      rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at++), {name, std::move(note), ""});
    }
  }
  for (const auto& [port, f] : {std::pair{" S", &figures.source}, {" L", &figures.load}}) {
    rows.push_back(FigureRow(std::string("VSWR") + port, f->vswr, kRatioPattern, ""));
    rows.push_back(
        FigureRow(std::string("Return loss") + port, f->return_loss_db, kDecibelPattern, "dB"));
    rows.push_back(FigureRow(std::string("Reflected power") + port, f->reflected_power_pct,
                             kPercentPattern, "%"));
  }
  return rows;
}

ResultTexts BoxTexts(const Results& r) {
  ResultTexts out;
  out[kReturnLoss] = r.return_loss_db.kind == Figure::kInfinite && !r.return_loss_db.negative()
                         ? std::string(kReturnLossUnbounded)
                         : Text(r.return_loss_db, kLossPattern);
  out[kMismatchLoss] = Text(r.mismatch_loss_db, kLossPattern);
  const auto impedance = [&out](const Impedance& z, int resistance, int reactance, int sign) {
    out[resistance] = Text(z.resistance, kImpedancePattern);
    out[reactance] = Text(Magnitude(z.reactance), kImpedancePattern);
    out[sign] = SignText(z.reactance);
  };
  impedance(r.source_impedance, kSourceResistance, kSourceReactance, kSourceReactanceSign);
  impedance(r.load_impedance, kLoadResistance, kLoadReactance, kLoadReactanceSign);
  return out;
}

std::vector<std::string> ResultLines(const Results& r) {
  const ResultTexts t = BoxTexts(r);
  return {
      Line("RL", t[kReturnLoss], "dB"),
      Line("ML", t[kMismatchLoss], "dB"),
      ImpedanceLine("ZS", t[kSourceResistance], t[kSourceReactanceSign], t[kSourceReactance]),
      ImpedanceLine("ZL", t[kLoadResistance], t[kLoadReactanceSign], t[kLoadReactance]),
  };
}

std::vector<std::string> MismatchLines(const MismatchFigures& f) {
  const auto range = [&f] {
    return Text(f.loss_min_db, kDecibelPattern) + " to " + Text(f.loss_max_db, kDecibelPattern);
  };
  const auto uncertainty = [](const Figure& low, const Figure& high, std::string_view pattern) {
    return [&low, &high, pattern] {
      return Signed(high, pattern, '+') + " / " + Signed(low, pattern, '-');
    };
  };
  // "21.21 % (0.92 dB)"
  const auto percent_and_db = [](const Figure& pct, const Figure& db) {
    return [&pct, &db] {
      return Text(pct, kPercentPattern) + " % (" + Text(db, kDecibelPattern) + " dB)";
    };
  };
  constexpr std::string_view kUncertainty = "Mismatch uncertainty";
  return {
      FigureLine("M", f.delivered_pct, kPercentPattern, "%"),
      PairLine("ML at any phase", f.loss_min_db, f.loss_max_db, "dB", range),
      PairLine(kUncertainty, f.uncertainty_low_db, f.uncertainty_high_db, "dB",
               uncertainty(f.uncertainty_low_db, f.uncertainty_high_db, kDecibelPattern)),
      PairLine(kUncertainty, f.uncertainty_low_pct, f.uncertainty_high_pct, "%",
               uncertainty(f.uncertainty_low_pct, f.uncertainty_high_pct, kPercentPattern)),
      PairLine("Standard uncertainty", f.standard_uncertainty_pct, f.standard_uncertainty_db, {},
               percent_and_db(f.standard_uncertainty_pct, f.standard_uncertainty_db)),
      PairLine("Expanded uncertainty (k = 2)", f.expanded_uncertainty_pct,
               f.expanded_uncertainty_db, {},
               percent_and_db(f.expanded_uncertainty_pct, f.expanded_uncertainty_db)),
  };
}

std::vector<std::string> PortLines(const PortFigures& f, Port port) {
  const std::string_view p = port == Port::kSource ? " S" : " L";
  const auto label = [p](std::string_view name) { return std::string(name) + std::string(p); };
  return {
      FigureLine(label("VSWR"), f.vswr, kRatioPattern, {}),
      FigureLine(label("Return loss"), f.return_loss_db, kDecibelPattern, "dB"),
      FigureLine(label("Reflected power"), f.reflected_power_pct, kPercentPattern, "%"),
  };
}

std::vector<std::string> ThroughLines(const ThroughFigures& t) {
  // "0.1234 at 45.00°": a reflection coefficient seen through the two-port.
  const auto coefficient = [](const Figure& magnitude, const Figure& angle) {
    if (magnitude.kind == Figure::kNotDefined) return std::string(kNotDefinedWords);
    return Text(magnitude, "0.0000") + " at " + Text(angle, "##0.00") + "\u00b0";
  };
  std::vector<std::string> lines = {
      "\u0393out = " + coefficient(t.gamma_out_magnitude, t.gamma_out_angle_deg),
      "\u0393in = " + coefficient(t.gamma_in_magnitude, t.gamma_in_angle_deg),
      FigureLine("Gt", t.gain_db, kDecibelPattern, "dB"),
  };
  const auto plane_lines = [&lines](const std::string& label, const PlaneFigures& plane) {
    if (!plane.computed) {
      lines.push_back(Line(label, std::string(kNotDefinedWords) + ": " + plane.why));
      return;
    }
    // The mismatch loss as the window writes it: "0.35" or "∞".
    lines.push_back(Line(label, Text(plane.loss_db, kLossPattern), "dB"));
    lines.push_back(
        PairLine(label + " at any phase", plane.loss_min_db, plane.loss_max_db, "dB", [&plane] {
          return Text(plane.loss_min_db, kDecibelPattern) + " to " +
                 Text(plane.loss_max_db, kDecibelPattern);
        }));
  };
  plane_lines("ML source plane", t.source_plane);
  plane_lines("ML load plane", t.load_plane);
  return lines;
}

std::string CoverageLine(const MismatchFigures& f) {
  const CoverageInterval c = PairCoverage(f);
  return PairLine("Coverage interval (95 %, Monte Carlo)", c.low_db, c.high_db, "dB", [&c] {
    return Signed(c.low_db, kDecibelPattern, '+') + " to " +
           Signed(c.high_db, kDecibelPattern, '+');
  });
}

std::vector<std::string> AllLines(const Results& results, const Figures& figures) {
  std::vector<std::string> lines = ResultLines(results);
  for (const auto& part :
       {MismatchLines(figures.mismatch), std::vector<std::string>{CoverageLine(figures.mismatch)},
        PortLines(figures.source, Port::kSource), PortLines(figures.load, Port::kLoad)}) {
    lines.insert(lines.end(), part.begin(), part.end());
  }
  return lines;
}

std::string SpokenResults(const Results& r) {
  return "Return loss " + SpokenLoss(r.return_loss_db, "more than 100 dB") + ", mismatch loss " +
         SpokenLoss(r.mismatch_loss_db, kInfiniteWord) + ", source impedance " +
         SpokenImpedance(r.source_impedance) + ", load impedance " +
         SpokenImpedance(r.load_impedance) + ".";
}

std::string_view ReasonText(Reason reason) {
  switch (reason) {
    case Reason::kNone:
    case Reason::kNotComputable:
      break;
    case Reason::kNoPowerReachesLoad:
      return "no power reaches the load";
    case Reason::kPerfectMatch:
      return "perfect match";
    case Reason::kTotalReflection:
      return "total reflection or active port";
    case Reason::kNoReflection:
      return "no reflection";
    case Reason::kTotalReflectionAtPort:
      return "total reflection at a port";
    case Reason::kProductNotBelowOne:
      return "|\u0393S||\u0393L| \u2265 1";
    case Reason::kActivePassivePair:
      return "one port is active, the other passive";
  }
  return {};
}

namespace {

// Zero without its sign, for the machine-readable forms: "-0" reads as a value of its own to
// some programs and says nothing that "0" does not.
double Unsigned(double value) noexcept {
  return value == 0.0 ? 0.0 : value;
}

}  // namespace

std::string JsonValue(const Figure& f) {
  switch (f.kind) {
    case Figure::kNumber:
      return platform::Shortest(Unsigned(f.value));
    case Figure::kInfinite:
      return f.negative() ? "\"-infinite\"" : "\"infinite\"";
    case Figure::kNotDefined:
      break;
  }
  return "null";
}

char* WriteCsvField(char* p, const Figure& f) {
  switch (f.kind) {
    case Figure::kNumber:
      return platform::WriteShortest(p, Unsigned(f.value));
    case Figure::kInfinite: {
      const std::string_view text = f.negative() ? "-inf" : "inf";
      std::memcpy(p, text.data(), text.size());
      return p + text.size();
    }
    case Figure::kNotDefined:
      break;
  }
  return p;
}

void AppendCsvField(std::string& out, const Figure& f) {
  char buffer[platform::kShortestSpace];
  out.append(buffer, WriteCsvField(buffer, f));
}

double PlotValue(const Figure& f) noexcept {
  switch (f.kind) {
    case Figure::kNumber:
    case Figure::kInfinite:
      return f.value;
    case Figure::kNotDefined:
      break;
  }
  return std::numeric_limits<double>::quiet_NaN();
}

namespace {

// The budget's decibels: three decimals, as its intervals differ by hundredths of a dB.
constexpr std::string_view kBudgetDecibelPattern = "###0.000";
constexpr std::string_view kDivisorPattern = "0.000";

// `text` followed by blanks up to `width` characters (UTF-8 code points).
std::string Padded(std::string text, std::size_t width) {
  std::size_t length = 0;
  for (const char c : text) length += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  if (length < width) text.append(width - length, ' ');
  return text;
}

std::string Percent(double relative) {
  return platform::FormatNumber(100.0 * relative, kPercentPattern) + " %";
}

// "1.95 % (0.085 dB)"
std::string PercentAndDecibels(double relative, double decibels) {
  return Percent(relative) + " (" + platform::FormatNumber(decibels, kBudgetDecibelPattern) +
         " dB)";
}

std::string SignedDecibels(const Figure& f) {
  if (f.kind != Figure::kNumber) return Words(f);
  return Signed(f, kBudgetDecibelPattern, '+');
}

std::string DistributionName(const BudgetTerm& t) {
  if (t.limits == 0) return "U-shaped";
  return t.limits == 1 ? "Rayleigh" : "Rayleigh (" + std::to_string(t.limits) + " limits)";
}

}  // namespace

std::vector<std::string> BudgetLines(const Budget& b) {
  constexpr std::size_t kTermWidth = 20, kLimitWidth = 11, kNameWidth = 22, kDivisorWidth = 9,
                        kUWidth = 10;
  std::vector<std::string> lines = {
      "Mismatch budget, phases unknown:",
      Padded("Term", kTermWidth) + Padded("Limit", kLimitWidth) +
          Padded("Distribution", kNameWidth) + Padded("Divisor", kDivisorWidth) +
          Padded("u", kUWidth) + "Share of variance",
  };
  for (const BudgetTerm& t : b.terms) {
    lines.push_back(Padded(t.name, kTermWidth) + Padded("\u00b1" + Percent(t.limit), kLimitWidth) +
                    Padded(DistributionName(t), kNameWidth) +
                    Padded(platform::FormatNumber(t.divisor, kDivisorPattern), kDivisorWidth) +
                    Padded(Percent(t.u), kUWidth) + Percent(t.share));
  }
  const double expanded_db = RelativeToDecibels(b.expanded);
  const MonteCarloResult& mc = b.monte_carlo;
  const std::string interval = SignedDecibels(Figure::Number(mc.low_db)) + " to " +
                               SignedDecibels(FigureOf(mc.high_db)) + " dB";
  const std::string worst = SignedDecibels(b.worst_low_db) + " to " +
                            SignedDecibels(b.worst_high_db) +
                            (b.worst_high_db.kind == Figure::kNumber ? " dB" : "");
  lines.push_back("Combined standard uncertainty = " +
                  PercentAndDecibels(b.combined, RelativeToDecibels(b.combined)));
  lines.push_back("Expanded uncertainty (k = 2) = " + PercentAndDecibels(b.expanded, expanded_db));
  lines.push_back("Worst case = " + worst);
  lines.push_back("Monte Carlo = " + std::to_string(mc.draws) + " draws, seed " +
                  std::to_string(mc.seed));
  lines.push_back("Standard deviation (Monte Carlo) = " +
                  (std::isfinite(mc.sd_relative) && std::isfinite(mc.sd_db)
                       ? PercentAndDecibels(mc.sd_relative, mc.sd_db)
                       : std::string(kInfiniteWord)));
  lines.push_back("Coverage interval (95 %, Monte Carlo) = " + interval);
  const Overstatement over = OverstatementOf(b);
  if (over.worst_case || over.monte_carlo) {
    std::string sentence = "Expanding with k = 2 gives \u00b1" +
                           platform::FormatNumber(expanded_db, kBudgetDecibelPattern) +
                           " dB, more than ";
    if (over.worst_case) sentence += "the worst case (" + worst + ")";
    if (over.worst_case && over.monte_carlo) sentence += " and ";
    if (over.monte_carlo) sentence += "the Monte Carlo interval (" + interval + ")";
    sentence +=
        ": the distribution is far from normal, so the Monte Carlo interval is the one "
        "to use.";
    lines.push_back(std::move(sentence));
  }
  return lines;
}

}  // namespace calc
