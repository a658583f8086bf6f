#include "calc/result_lines.h"

#include <string_view>
#include <utility>

#include "platform/number_format.h"

namespace calc {

namespace {

// Losses and VSWR with the two decimals of the window's losses. Shares of power with two
// decimals as well: 0.01 % is about 0.0004 dB, so a percentage never hides a change that its
// decibel counterpart shows, and uncertainty budgets, which add contributions of a few
// hundredths of a per cent, can be read from it.
constexpr std::string_view kDecibelPattern = "###0.00";
constexpr std::string_view kRatioPattern = "###0.00";
constexpr std::string_view kPercentPattern = "##0.00";

constexpr std::string_view kNotDefined = "not defined";
constexpr std::string_view kProductTooLarge = "not defined: |\u0393S||\u0393L| \u2265 1";

std::string Format(const Figure& f, std::string_view pattern) {
  return platform::FormatNumber(f.value, pattern);
}

// "+1.34", and "-1.48" (also "-0.00" for a bound that rounds to zero).
std::string Signed(const Figure& f, std::string_view pattern, char sign) {
  std::string text = Format(f, pattern);
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

// A figure with its unit, or the words for its infinite value; "not defined" otherwise.
std::string FigureLine(std::string_view label, const Figure& f, std::string_view pattern,
                       std::string_view unit, std::string_view infinite_words) {
  switch (f.kind) {
    case Figure::kNumber:
      return Line(label, Format(f, pattern), unit);
    case Figure::kInfinite:
      return Line(label, infinite_words);
    case Figure::kNotDefined:
      break;
  }
  return Line(label, kNotDefined);
}

std::string ImpedanceLine(std::string_view label, const std::string& real, const std::string& sign,
                          const std::string& imag) {
  return Line(label, real + " " + sign + " j" + imag, "\u03a9");
}

std::string UncertaintyLine(const MismatchFigures& f, const Figure& low, const Figure& high,
                            std::string_view pattern, std::string_view unit) {
  constexpr std::string_view kLabel = "Mismatch uncertainty";
  if (!(f.product < 1.0)) return Line(kLabel, kProductTooLarge);
  if (low.kind != Figure::kNumber || high.kind != Figure::kNumber) return Line(kLabel, kNotDefined);
  return Line(kLabel, Signed(high, pattern, '+') + " / " + Signed(low, pattern, '-'), unit);
}

// The value of a figure for the table: its number, or the words for its kind.
std::string TableValue(const Figure& f, std::string_view pattern) {
  switch (f.kind) {
    case Figure::kNumber:
      return Format(f, pattern);
    case Figure::kInfinite:
      return "infinite";
    case Figure::kNotDefined:
      break;
  }
  return std::string(kNotDefined);
}

std::string SignedImag(const std::string& sign, const std::string& magnitude) {
  return sign == "-" ? "-" + magnitude : magnitude;
}

}  // namespace

std::vector<std::string> InputLines(const Calculation& c) {
  const auto polar = [](std::string_view label, double magnitude, double angle) {
    return Line(label,
                platform::Shortest(magnitude) + " \u2220 " + platform::Shortest(angle) + "\u00b0");
  };
  return {
      Line("Z0", platform::Shortest(c.reference_impedance), "\u03a9"),
      polar("\u0393S", c.magnitude1, c.angle1),
      polar("\u0393L", c.magnitude2, c.angle2),
  };
}

std::vector<TableRow> TableRows(const Calculation& c) {
  const ResultTexts& t = c.texts;
  const MismatchFigures& m = c.figures.mismatch;
  std::vector<TableRow> rows = {
      {"Z0", platform::Shortest(c.reference_impedance), "\u03a9"},
      {"\u0393S magnitude", platform::Shortest(c.magnitude1), ""},
      {"\u0393S angle", platform::Shortest(c.angle1), "\u00b0"},
      {"\u0393L magnitude", platform::Shortest(c.magnitude2), ""},
      {"\u0393L angle", platform::Shortest(c.angle2), "\u00b0"},
      {"RL", t[kReturnLoss], "dB"},
      {"ML", t[kMismatchLoss], "dB"},
      {"ZS resistance", t[kReal1], "\u03a9"},
      {"ZS reactance", SignedImag(t[kImagSign1], t[kImagAbs1]), "\u03a9"},
      {"ZL resistance", t[kReal2], "\u03a9"},
      {"ZL reactance", SignedImag(t[kImagSign2], t[kImagAbs2]), "\u03a9"},
      {"M", TableValue(m.delivered_pct, kPercentPattern), "%"},
      {"ML at any phase, least", TableValue(m.loss_min_db, kDecibelPattern), "dB"},
      {"ML at any phase, greatest", TableValue(m.loss_max_db, kDecibelPattern), "dB"},
      {"Mismatch uncertainty, upper", TableValue(m.uncertainty_high_db, kDecibelPattern), "dB"},
      {"Mismatch uncertainty, lower", TableValue(m.uncertainty_low_db, kDecibelPattern), "dB"},
      {"Mismatch uncertainty, upper", TableValue(m.uncertainty_high_pct, kPercentPattern), "%"},
      {"Mismatch uncertainty, lower", TableValue(m.uncertainty_low_pct, kPercentPattern), "%"},
  };
  for (const auto& [port, f] : {std::pair{" S", &c.figures.source}, {" L", &c.figures.load}}) {
    rows.push_back({std::string("VSWR") + port, TableValue(f->vswr, kRatioPattern), ""});
    rows.push_back(
        {std::string("Return loss") + port, TableValue(f->return_loss_db, kDecibelPattern), "dB"});
    rows.push_back({std::string("Reflected power") + port,
                    TableValue(f->reflected_power_pct, kPercentPattern), "%"});
  }
  // A figure without a number has no unit.
  for (TableRow& row : rows) {
    if (row.value == "infinite" || row.value == kNotDefined) row.unit.clear();
  }
  return rows;
}

std::vector<std::string> ResultLines(const ResultTexts& t) {
  return {
      Line("RL", t[kReturnLoss], "dB"),
      Line("ML", t[kMismatchLoss], "dB"),
      ImpedanceLine("ZS", t[kReal1], t[kImagSign1], t[kImagAbs1]),
      ImpedanceLine("ZL", t[kReal2], t[kImagSign2], t[kImagAbs2]),
  };
}

std::vector<std::string> MismatchLines(const MismatchFigures& f) {
  std::vector<std::string> lines;
  lines.push_back(FigureLine("M", f.delivered_pct, kPercentPattern, "%", {}));

  constexpr std::string_view kRange = "ML at any phase";
  if (!(f.product < 1.0)) {
    lines.push_back(Line(kRange, kProductTooLarge));
  } else if (f.loss_min_db.kind == Figure::kNumber && f.loss_max_db.kind == Figure::kNumber) {
    lines.push_back(Line(
        kRange,
        Format(f.loss_min_db, kDecibelPattern) + " to " + Format(f.loss_max_db, kDecibelPattern),
        "dB"));
  } else if (f.loss_min_db.kind == Figure::kInfinite) {
    lines.push_back(Line(kRange, "infinite (total reflection at a port)"));
  } else {
    lines.push_back(Line(kRange, "not defined: one port is active, the other passive"));
  }

  lines.push_back(
      UncertaintyLine(f, f.uncertainty_low_db, f.uncertainty_high_db, kDecibelPattern, "dB"));
  lines.push_back(
      UncertaintyLine(f, f.uncertainty_low_pct, f.uncertainty_high_pct, kPercentPattern, "%"));
  return lines;
}

std::vector<std::string> PortLines(const PortFigures& f, Port port) {
  const std::string_view p = port == Port::kSource ? " S" : " L";
  const auto label = [p](std::string_view name) { return std::string(name) + std::string(p); };
  return {
      FigureLine(label("VSWR"), f.vswr, kRatioPattern, {},
                 "infinite (total reflection or active port)"),
      FigureLine(label("Return loss"), f.return_loss_db, kDecibelPattern, "dB",
                 "infinite (no reflection)"),
      FigureLine(label("Reflected power"), f.reflected_power_pct, kPercentPattern, "%", {}),
  };
}

std::vector<std::string> AllLines(const ResultTexts& texts, const Figures& figures) {
  std::vector<std::string> lines = ResultLines(texts);
  for (const auto& part :
       {MismatchLines(figures.mismatch), PortLines(figures.source, Port::kSource),
        PortLines(figures.load, Port::kLoad)}) {
    lines.insert(lines.end(), part.begin(), part.end());
  }
  return lines;
}

}  // namespace calc
