#include "calc/result_lines.h"

#include <string_view>

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
constexpr std::string_view kActiveAndPassive = "not defined: one port is active, the other passive";

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

// "Standard uncertainty = 21.21 % (0.92 dB)"; not defined where the range at any phase is not.
std::string StandardUncertaintyLine(std::string_view label, const MismatchFigures& f,
                                    const Figure& pct, const Figure& db) {
  if (!(f.product < 1.0)) return Line(label, kProductTooLarge);
  if (pct.kind != Figure::kNumber || db.kind != Figure::kNumber) {
    return Line(label, kActiveAndPassive);
  }
  return Line(label, Format(pct, kPercentPattern) + " % (" + Format(db, kDecibelPattern) + " dB)");
}

}  // namespace

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
    lines.push_back(Line(kRange, kActiveAndPassive));
  }

  lines.push_back(
      UncertaintyLine(f, f.uncertainty_low_db, f.uncertainty_high_db, kDecibelPattern, "dB"));
  lines.push_back(
      UncertaintyLine(f, f.uncertainty_low_pct, f.uncertainty_high_pct, kPercentPattern, "%"));
  lines.push_back(StandardUncertaintyLine("Standard uncertainty", f, f.standard_uncertainty_pct,
                                          f.standard_uncertainty_db));
  lines.push_back(StandardUncertaintyLine("Expanded uncertainty (k = 2)", f,
                                          f.expanded_uncertainty_pct, f.expanded_uncertainty_db));
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
