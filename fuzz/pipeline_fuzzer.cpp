// libFuzzer target for the whole text pipeline: five input texts in, eight result texts and the
// further figures, or a platform::Error and its warning out. The input is split on '\n' into the
// five texts in their order (reference impedance, source magnitude and angle, load magnitude and
// angle); missing texts are empty and the last one keeps everything after the fourth '\n'. Any
// other outcome aborts.
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/calculate_texts.h"
#include "calc/mismatch.h"
#include "calc/quantity.h"
#include "calc/result_format.h"
#include "calc/warning_text.h"
#include "platform/errors.h"
#include "platform/fp_check.h"
#include "platform/number_format.h"
#include "platform/number_text.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "pipeline_fuzzer: %s [%.*s]\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// "-?(0|[1-9][0-9]*)\.[0-9]{decimals}", with no minus sign when every digit is zero.
bool IsFixedPoint(std::string_view text, int decimals, bool may_be_negative) {
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    if (!may_be_negative) return false;
    negative = true;
    text.remove_prefix(1);
  }
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos || point == 0) return false;
  if (text.size() - point - 1 != static_cast<std::size_t>(decimals)) return false;
  if (point > 1 && text[0] == '0') return false;
  bool nonzero = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == point) continue;
    if (!IsDigit(text[i])) return false;
    nonzero = nonzero || text[i] != '0';
  }
  return !negative || nonzero;
}

void CheckResults(const calc::ResultTexts& out) {
  using calc::Output;
  if (out[Output::kReturnLoss] != ">100" && !IsFixedPoint(out[Output::kReturnLoss], 2, true)) {
    Fail("return loss", out[Output::kReturnLoss]);
  }
  // No power reaches the load: an unbounded mismatch loss.
  if (out[Output::kMismatchLoss] != "\u221e" &&
      !IsFixedPoint(out[Output::kMismatchLoss], 2, true)) {
    Fail("mismatch loss", out[Output::kMismatchLoss]);
  }
  for (const Output real : {Output::kSourceResistance, Output::kLoadResistance}) {
    if (!IsFixedPoint(out[real], 1, true)) Fail("real part", out[real]);
  }
  for (const Output magnitude : {Output::kSourceReactance, Output::kLoadReactance}) {
    if (!IsFixedPoint(out[magnitude], 1, false)) Fail("reactance magnitude", out[magnitude]);
  }
  for (const Output sign : {Output::kSourceReactanceSign, Output::kLoadReactanceSign}) {
    if (out[sign] != "+" && out[sign] != "-") Fail("reactance sign", out[sign]);
  }
}

// The figures never raise, never leave a floating-point flag set, keep their bounds in order
// and always give the same lines, none of them with a bare "inf" or "nan".
void CheckFigures(const calc::Calculation& c) {
  using calc::Figure;
  const calc::Figures& f = c.figures;
  if (platform::RaisedFpFlags() != 0) Fail("the figures left a flag set");
  for (const calc::PortFigures* port : {&f.source, &f.load}) {
    if (port->vswr.kind == Figure::kNumber && !(port->vswr.value >= 1.0)) Fail("VSWR below 1");
    if ((port->vswr.kind == Figure::kInfinite) != (port->magnitude >= 1.0)) Fail("VSWR kind");
  }
  const calc::MismatchFigures& m = f.mismatch;
  if (m.loss_min_db.kind == Figure::kNumber && m.loss_max_db.kind == Figure::kNumber &&
      !(m.loss_min_db.value <= m.loss_max_db.value)) {
    Fail("mismatch-loss range out of order");
  }
  if ((m.uncertainty_low_db.kind == Figure::kNumber) != (m.product < 1.0)) {
    Fail("uncertainty defined for a product of 1 or more, or undefined below 1");
  }
  if (m.standard_uncertainty_pct.kind == Figure::kNumber &&
      !(m.product < 1.0 && m.standard_uncertainty_pct.value >= 0.0)) {
    Fail("standard uncertainty for a product of 1 or more, or below zero");
  }
  if (m.uncertainty_low_db.kind == Figure::kNumber &&
      !(m.uncertainty_low_db.value <= 0.0 && m.uncertainty_high_db.value >= 0.0)) {
    Fail("uncertainty bounds on the wrong side of zero");
  }
  const std::vector<std::string> lines = calc::AllLines(c.results, f);
  if (lines.size() != 17) Fail("number of lines");
  for (const std::string& line : lines) {
    if (line.find("nan") != std::string::npos) Fail("a line with nan", line);
    for (std::size_t at = line.find("inf"); at != std::string::npos;
         at = line.find("inf", at + 1)) {
      if (line.compare(at, 8, "infinite") != 0) Fail("a line with a bare inf", line);
    }
  }
}

// The conversion of one box on its own: the kind of error it raises for the box's text, or
// nothing. A plain number it gives must come back to the same bits from its shortest exact text.
std::optional<platform::ErrorKind> ConversionOf(const calc::InputTexts& texts, int input) {
  const std::string& text = texts[input];
  try {
    calc::ConvertInput(texts, input);
  } catch (const platform::Error& e) {
    if (calc::QuantityOf(e) != calc::Quantity::None || e.input() != input) {
      Fail("conversion raised a computation error", text);
    }
    return e.kind();
  }
  double value = 0.0;
  try {
    value = platform::TextToNumber(text);
  } catch (const platform::Error&) {
    return std::nullopt;  // a VSWR, a return loss, or an angle with its degree sign
  }
  char again[40];
  std::snprintf(again, sizeof again, "%.17g", value);
  if (std::bit_cast<std::uint64_t>(platform::TextToNumber(again)) !=
      std::bit_cast<std::uint64_t>(value)) {
    Fail("conversion does not round-trip", text);
  }
  if (!IsFixedPoint(platform::FormatNumber(value, "###0.00"), 2, true)) {
    Fail("formatting", text);
  }
  return std::nullopt;
}

// The warning must be one line of valid UTF-8 without control characters, whatever the input.
void CheckWarning(const std::string& text) {
  if (text.empty()) Fail("empty warning");
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t size = 1;
    std::uint32_t code = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
      size = 2;
      code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      size = 3;
      code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      size = 4;
      code = lead & 0x07u;
    } else if (lead >= 0x80) {
      Fail("warning is not UTF-8", text);
    }
    if (i + size > text.size()) Fail("warning is not UTF-8", text);
    for (std::size_t k = 1; k < size; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      if ((byte & 0xC0u) != 0x80u) Fail("warning is not UTF-8", text);
      code = (code << 6) | (byte & 0x3Fu);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[size] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      Fail("warning is not UTF-8", text);
    }
    if (code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029) {
      Fail("control character in the warning", text);
    }
    i += size;
  }
}

// The evaluation's fast path (unchecked, flags tested at the end) against its checked steps: the
// same bits, or the same error with the same step and values, and the same conversions of the
// reference impedance.
void CheckFastPath(const calc::InputTexts& texts) {
  double x[calc::kInputCount] = {};
  for (int i = calc::kSourceMagnitude; i <= calc::kLoadAngle; ++i) {
    x[i] = calc::ConvertInput(texts, i);
  }
  struct Outcome {
    std::optional<calc::MismatchResult> result;
    std::optional<platform::Error> error;
    int conversions = 0;
  };
  const auto run = [&](bool checked) {
    Outcome o;
    auto z0 = [&] {
      ++o.conversions;
      return calc::ConvertInput(texts, calc::kReferenceImpedance);
    };
    try {
      o.result = calc::EvaluateMismatch(
          z0, x[calc::kSourceMagnitude], x[calc::kSourceAngle], x[calc::kLoadMagnitude],
          x[calc::kLoadAngle], checked ? calc::Checking::kEveryStep : calc::Checking::kFast);
    } catch (const platform::Error& e) {
      o.error = e;
    }
    return o;
  };
  const Outcome fast = run(false), checked = run(true);
  const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
  if (fast.conversions != checked.conversions) Fail("fast path converts Z0 otherwise");
  if (fast.result.has_value() != checked.result.has_value()) Fail("fast path fails otherwise");
  if (fast.error) {
    const platform::Error &f = *fast.error, &c = *checked.error;
    if (f.kind() != c.kind() || f.subject() != c.subject() || f.step() != c.step() ||
        f.input() != c.input()) {
      Fail("fast path raises another error", calc::WarningText(f));
    }
    for (int i = 0; i < 4; ++i) {
      if (bits(f.values()[i]) != bits(c.values()[i])) Fail("fast path traces other values");
    }
    return;
  }
  const calc::MismatchResult &f = *fast.result, &c = *checked.result;
  const double fv[] = {f.MismatchFactor,       f.MismatchLossDb,       f.ReturnLossDb,
                       f.Impedance1.Magnitude, f.Impedance1.Angle,     f.Impedance1.Real,
                       f.Impedance1.Imag,      f.Impedance2.Magnitude, f.Impedance2.Angle,
                       f.Impedance2.Real,      f.Impedance2.Imag};
  const double cv[] = {c.MismatchFactor,       c.MismatchLossDb,       c.ReturnLossDb,
                       c.Impedance1.Magnitude, c.Impedance1.Angle,     c.Impedance1.Real,
                       c.Impedance1.Imag,      c.Impedance2.Magnitude, c.Impedance2.Angle,
                       c.Impedance2.Real,      c.Impedance2.Imag};
  for (std::size_t i = 0; i < std::size(fv); ++i) {
    if (bits(fv[i]) != bits(cv[i])) Fail("fast path gives other bits");
  }
}

}  // namespace

// The number writer writes what the standard library writes, for the input's first eight bytes
// taken as a double.
void CheckShortest(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double)) return;
  double x = 0;
  std::memcpy(&x, data, sizeof x);
  char expected[64];
  const std::to_chars_result r = std::to_chars(expected, expected + sizeof expected, x);
  if (platform::Shortest(x) !=
      std::string_view(expected, static_cast<std::size_t>(r.ptr - expected))) {
    Fail("the number writer differs from std::to_chars", platform::Shortest(x));
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckShortest(data, size);
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  calc::InputTexts texts;
  std::size_t start = 0;
  for (int i = 0; i < calc::kInputCount && start <= input.size(); ++i) {
    const std::size_t newline =
        i + 1 < calc::kInputCount ? input.find('\n', start) : std::string_view::npos;
    const std::size_t stop = newline == std::string_view::npos ? input.size() : newline;
    texts[i] = std::string(input.substr(start, stop - start));
    start = stop + 1;
  }

  std::optional<platform::ErrorKind> conversion[calc::kInputCount];
  for (int i = 0; i < calc::kInputCount; ++i) conversion[i] = ConversionOf(texts, i);
  // The first of the four reflection-coefficient texts that does not convert, if any.
  int first_bad = -1;
  for (int i = calc::kSourceMagnitude; i <= calc::kLoadAngle && first_bad < 0; ++i) {
    if (conversion[i]) first_bad = i;
  }

  if (first_bad < 0) CheckFastPath(texts);
  try {
    const calc::ResultTexts out = calc::CalculateTexts(texts);
    if (first_bad >= 0 || conversion[calc::kReferenceImpedance]) {
      Fail("results from an input that does not convert");
    }
    CheckResults(out);
    if (calc::CalculateTexts(texts) != out) Fail("two runs differ");
    const calc::Calculation c = calc::Calculate(texts);
    if (calc::BoxTexts(c.results) != out) Fail("the figures changed the results");
    CheckFigures(c);
  } catch (const platform::Error& e) {
    const std::string warning = calc::WarningText(e);
    CheckWarning(warning);
    if (first_bad >= 0) {
      // The reflection coefficients are converted first, in order.
      if (e.input() != first_bad || e.kind() != *conversion[first_bad]) {
        Fail("wrong conversion error reported", warning);
      }
    } else if (e.input()) {
      // Only the reference impedance is left to fail in conversion.
      if (*e.input() != calc::kReferenceImpedance || !conversion[calc::kReferenceImpedance] ||
          e.kind() != *conversion[calc::kReferenceImpedance]) {
        Fail("unexpected conversion error", warning);
      }
    } else if (e.kind() == platform::ErrorKind::Conversion ||
               calc::QuantityOf(e) == calc::Quantity::None) {
      Fail("computation error without its quantity", warning);
    }
  } catch (...) {
    Fail("an exception other than platform::Error");
  }
  return 0;
}
