#include "calc/warning_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "calc/calculate_texts.h"
#include "calc/input_text.h"
#include "calc/mismatch.h"
#include "platform/number_text.h"

namespace calc {

namespace {

using platform::ErrorKind;

// Fills %1 to %9 of `pattern` with `args`, in one pass: text that an argument brings in (the
// user's, say) is never read for placeholders.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args = {}) {
  std::string out;
  out.reserve(pattern.size() + 64);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
        pattern[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (n < args.size()) {
        out += args.begin()[n];
        ++i;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

// A value in a message: three significant digits, "1.7e-202", "-1e308", "0.268".
std::string Value(double x) {
  char buffer[32];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 3);
  if (ec != std::errc()) return "?";
  std::string text(buffer, end);
  // Exponents as engineers write them: no plus sign, no leading zeros.
  if (const std::size_t e = text.find('e'); e != std::string::npos) {
    std::size_t digits = e + 1;
    if (text[digits] == '+') {
      text.erase(digits, 1);
    } else if (text[digits] == '-') {
      ++digits;
    }
    while (digits + 1 < text.size() && text[digits] == '0') text.erase(digits, 1);
  }
  return text;
}

// One character of UTF-8 text: its code point, or none when the bytes are not UTF-8; and its
// length, which for bytes that are not UTF-8 is the longest start of a valid sequence (at least
// one byte), so that each broken sequence shows as one replacement character.
struct Decoded {
  char32_t code = 0;
  std::size_t size = 1;
  bool valid = false;
};

Decoded DecodeUtf8(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t follow = 0;
  char32_t code = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the first continuation byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    follow = 1;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    follow = 2;
    code = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    follow = 3;
    code = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return {};
  }
  std::size_t size = 1;
  for (std::size_t k = 0; k < follow; ++k, ++size) {
    if (i + size >= text.size()) return {0, size, false};
    const auto byte = static_cast<unsigned char>(text[i + size]);
    if (byte < low || byte > high) return {0, size, false};
    code = (code << 6) | (byte & 0x3Fu);
    low = 0x80;
    high = 0xBF;
  }
  return {code, size, true};
}

// Characters that would break the message's line, turn its direction or hide in it: the
// control characters, the line and paragraph separators, and the invisible formatting marks.
bool Escaped(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x180E ||
         (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x206F) || c == 0xFEFF ||
         (c >= 0xFFF9 && c <= 0xFFFB);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The user's text for a quote: valid UTF-8 on one line, control and formatting characters as
// escapes (\x0A below U+0080,   above), bytes that are not UTF-8 as U+FFFD, and at most
// kQuoteLimit characters shown (an escape counts as the characters it is written with), with an
// ellipsis when there was more.
std::string Quote(std::string_view text) {
  constexpr std::size_t kQuoteLimit = 40;
  std::string out;
  std::size_t shown = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Decoded d = DecodeUtf8(text, i);
    std::string piece;
    if (!d.valid) {
      AppendUtf8(piece, 0xFFFD);
    } else if (Escaped(d.code)) {
      char escape[8];
      std::snprintf(escape, sizeof escape, d.code < 0x80 ? "\\x%02X" : "\\u%04X",
                    static_cast<unsigned>(d.code));
      piece = escape;
    } else {
      AppendUtf8(piece, d.code);
    }
    const std::size_t width = d.valid && Escaped(d.code) ? piece.size() : 1;
    if (shown + width > kQuoteLimit) {
      out += "…";
      break;
    }
    out += piece;
    shown += width;
    i += d.size;
  }
  return out;
}

// The two readings of an ambiguous "1,000": without the comma, and with a point for it (an
// ASCII or a full-width comma; the text holds one).
std::pair<std::string, std::string> Alternatives(std::string_view text) {
  for (const std::string_view comma : {std::string_view(","), std::string_view("\uFF0C")}) {
    if (const std::size_t at = text.find(comma); at != std::string_view::npos) {
      const std::string_view before = text.substr(0, at);
      const std::string_view after = text.substr(at + comma.size());
      std::string grouped(before), decimal(before);
      grouped.append(after);
      decimal.push_back('.');
      decimal.append(after);
      return {grouped, decimal};
    }
  }
  return {std::string(text), std::string(text)};
}

std::string InputName(int input) {
  switch (input) {
    case kReferenceImpedance:
      return "reference impedance";
    case kSourceMagnitude:
      return "source reflection coefficient, magnitude";
    case kSourceAngle:
      return "source reflection coefficient, angle";
    case kLoadMagnitude:
      return "load reflection coefficient, magnitude";
    case kLoadAngle:
      return "load reflection coefficient, angle";
    default:
      return {};
  }
}

std::string ConversionText(const platform::Error& error) {
  const std::optional<int> input = error.input();
  const std::string box = input ? InputName(*input) : std::string();
  const std::string quoted = Quote(error.text());
  if (platform::IsBlankText(error.text())) {
    return box.empty()
               ? Fill("Nothing to compute with: the text is empty. Please enter a number.")
               : Fill("Nothing to compute with: the box “%1” is empty. Please enter a number.",
                      {box});
  }
  switch (error.kind()) {
    case ErrorKind::AmbiguousNumber: {
      // The two readings, written without doubt: the comma dropped, or made a point.
      const auto readings = Alternatives(error.text());
      return box.empty() ? Fill(
                               "“%1” can be read two ways: the comma may be a "
                               "decimal comma or group the digits. Please write "
                               "“%2” or “%3”, as you mean it.",
                               {quoted, Quote(readings.first), Quote(readings.second)})
                         : Fill(
                               "“%1” in the box “%2” can be read two ways: the "
                               "comma may be a decimal comma or group the digits. "
                               "Please write “%3” or “%4”, as you mean it.",
                               {quoted, box, Quote(readings.first), Quote(readings.second)});
    }
    case ErrorKind::BrokenRule:
      if (Broke(error, InputRule::kMissingNumber)) {
        return box.empty() ? Fill(
                                 "“%1” names a VSWR or a return loss but gives no "
                                 "number, as in “VSWR 1.5”, “1.5:1”, “RL 14” or "
                                 "“14 dB”.",
                                 {quoted})
                           : Fill(
                                 "“%1” in the box “%2” names a VSWR or a return "
                                 "loss but gives no number, as in “VSWR 1.5”, "
                                 "“1.5:1”, “RL 14” or “14 dB”.",
                                 {quoted, box});
      }
      if (Broke(error, InputRule::kVswrBelowOne)) {
        return box.empty() ? Fill(
                                 "“%1” is a VSWR below 1, which no reflection "
                                 "gives: VSWR = (1 + |Γ|)/(1 - |Γ|) is 1 for a "
                                 "perfect match and above 1 for any reflection.",
                                 {quoted})
                           : Fill(
                                 "“%1” in the box “%2” is a VSWR below 1, which no "
                                 "reflection gives: VSWR = (1 + |Γ|)/(1 - |Γ|) is 1 "
                                 "for a perfect match and above 1 for any "
                                 "reflection.",
                                 {quoted, box});
      }
      break;
    default:
      break;
  }
  if (error.kind() == ErrorKind::Overflow) {
    return box.empty() ? Fill(
                             "“%1” is beyond the range of numbers the calculator "
                             "can hold (about ±1.8e308).",
                             {quoted})
                       : Fill(
                             "“%1” in the box “%2” is beyond the range of numbers "
                             "the calculator can hold (about ±1.8e308).",
                             {quoted, box});
  }
  return box.empty() ? Fill("“%1” is not a number.", {quoted})
                     : Fill("“%1” in the box “%2” is not a number.", {quoted, box});
}

std::string Heading(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::Overflow:
      return "Overflow";
    case ErrorKind::DivisionByZero:
      return "Division by zero";
    case ErrorKind::InvalidOperation:
      return "Invalid operation";
    case ErrorKind::LogarithmArgument:
      return "Invalid argument of the logarithm";
    case ErrorKind::Conversion:
    case ErrorKind::AmbiguousNumber:
    case ErrorKind::BrokenRule:
      break;
  }
  return "Error";
}

std::string QuantityName(Quantity quantity) {
  switch (quantity) {
    case Quantity::MismatchFactor:
      return "the mismatch factor";
    case Quantity::MismatchLoss:
      return "the mismatch loss";
    case Quantity::ReturnLoss:
      return "the return loss";
    case Quantity::SourceImpedance:
      return "the source impedance";
    case Quantity::LoadImpedance:
      return "the load impedance";
    case Quantity::None:
      break;
  }
  return {};
}

// A negative mismatch factor: one port delivers more power than it receives (|Γ| > 1) while the
// other absorbs it. The larger magnitude is the active one, as exactly one lies above 1; without
// the values recorded, the port is not named.
std::string ActivePortText(EvaluationStep step, const platform::Error::Values& v) {
  constexpr std::string_view kWhy = ": no mismatch loss exists; the pair may oscillate.";
  if (step != EvaluationStep::kLogarithm) {
    return Fill("One port is active (|Γ| > 1) and the other passive%1", {kWhy});
  }
  const bool source_active = std::hypot(v[0], v[1]) >= std::hypot(v[2], v[3]);
  return source_active ? Fill("ΓS is active (|ΓS| > 1) and ΓL passive%1", {kWhy})
                       : Fill("ΓL is active (|ΓL| > 1) and ΓS passive%1", {kWhy});
}

// Why the computation failed, in the engineer's terms: from the step that failed and its values
// where the evaluation recorded them, otherwise from the kind and the quantity alone.
std::string Explanation(const platform::Error& error) {
  const Quantity quantity = QuantityOf(error);
  const auto step = static_cast<EvaluationStep>(error.step());
  const platform::Error::Values& v = error.values();
  const bool impedance =
      quantity == Quantity::SourceImpedance || quantity == Quantity::LoadImpedance;
  // The reflection coefficient of the impedance being computed.
  const std::string_view gamma = quantity == Quantity::LoadImpedance ? "ΓL" : "ΓS";

  // At the numerator A: a magnitude whose square is beyond range (the other one may be 1,
  // making the product infinity times zero, an invalid operation).
  const bool square_overflows =
      step == EvaluationStep::kNumerator && (std::isinf(v[0] * v[0]) || std::isinf(v[1] * v[1]));
  const auto magnitude_too_large = [] {
    return Fill(
        "a reflection coefficient magnitude is too large to "
        "compute with (the limit is about 1.3e154).");
  };

  switch (error.kind()) {
    case ErrorKind::Overflow: {
      if (step == EvaluationStep::kQuotient && std::isfinite(v[3])) {
        return Fill(
            "(1 - |ΓS|²)(1 - |ΓL|²) = %1 divided by |1 - ΓS·ΓL|² = %2 is beyond "
            "the range of numbers the calculator can hold (about ±1.8e308).",
            {Value(v[0]), Value(v[3])});
      }
      if (step == EvaluationStep::kQuotient || step == EvaluationStep::kProduct ||
          (step == EvaluationStep::kNumerator && !square_overflows)) {
        return Fill(
            "the product of the two reflection coefficient magnitudes is too "
            "large to compute with (the limit is about 1.3e154).");
      }
      if (step == EvaluationStep::kImpedanceQuotient) {
        return Fill(
            "|Z0·(1 + %1)| = %2 divided by |1 - %1| = %3 is beyond the range of "
            "numbers the calculator can hold (about ±1.8e308).",
            {gamma, Value(v[0]), Value(std::hypot(v[1], v[2]))});
      }
      if (impedance) {
        return Fill(
            "the reference impedance or a reflection coefficient is too large to "
            "compute with (the limit is about 1.3e154).");
      }
      if (quantity == Quantity::None) {
        return Fill(
            "a value is beyond the range of numbers the calculator can hold (about ±1.8e308).");
      }
      return magnitude_too_large();
    }
    case ErrorKind::DivisionByZero:
      if (impedance) {
        // 1 - G is zero, or so small that its squared modulus was lost.
        if (step == EvaluationStep::kImpedanceQuotient && (v[1] != 0.0 || v[2] != 0.0)) {
          return Fill(
              "|1 - %1| is only about %2, so its square is too "
              "small to hold and became 0; %1 is not exactly 1.",
              {gamma, Value(std::hypot(v[1], v[2]))});
        }
        return Fill("a reflection coefficient of exactly 1 is an open circuit.");
      }
      if (quantity == Quantity::MismatchFactor) {
        if (step == EvaluationStep::kQuotient && (v[1] != 0.0 || v[2] != 0.0)) {
          return Fill(
              "|1 - ΓS·ΓL| is only about %1, so its square is too small to hold "
              "and became 0; ΓS·ΓL is not exactly 1.",
              {Value(std::hypot(v[1], v[2]))});
        }
        if (step == EvaluationStep::kQuotient && v[0] == 0.0) {
          return Fill(
              "both reflection coefficients have magnitude 1 and their product "
              "is exactly 1, so the mismatch factor is 0 divided by 0.");
        }
        return Fill(
            "the product of the two reflection coefficients is exactly 1, so 1 - ΓS·ΓL is zero.");
      }
      return Fill("a value was divided by zero.");
    case ErrorKind::InvalidOperation:
      if (square_overflows) return magnitude_too_large();
      if (impedance && step == EvaluationStep::kImpedanceQuotient &&
          !(v[3] == 0.0 && v[1] == 0.0 && v[2] == 0.0)) {
        return Fill(
            "Z0·(1 + %1) and 1 - %1 are both 0 or too small for their squares to "
            "be held, so the impedance is 0 divided by 0.",
            {gamma});
      }
      if (impedance) {
        return Fill(
            "a reflection coefficient of exactly 1 with a "
            "reference impedance of 0 gives 0 divided by 0.");
      }
      return Fill("the result is not a number.");
    case ErrorKind::LogarithmArgument:
      if (quantity == Quantity::ReturnLoss) {
        // M never exceeds 1 in exact arithmetic: 1 - M = |G1 - conj G2|^2 / |1 - G1 G2|^2. Rounding
        // takes it above 1 when G1 is the conjugate of G2 to within the last digits, or when
        // both are so large that |1 - G1 G2| dwarfs their difference.
        if (step == EvaluationStep::kLogarithm) {
          const double size =
              std::fmax(1.0, std::fmax(std::hypot(v[0], v[1]), std::hypot(v[2], v[3])));
          if (std::hypot(v[0] - v[2], v[1] + v[3]) > 1e-6 * size) {
            return Fill(
                "rounding put the mismatch factor above 1; for reflection coefficients as "
                "large as these (magnitudes %1 and %2) it is 1 to within the last digits.",
                {Value(std::hypot(v[0], v[1])), Value(std::hypot(v[2], v[3]))});
          }
        }
        return Fill(
            "rounding put the mismatch factor above 1; the two reflection "
            "coefficients are conjugate to within the last digits. Enter them as "
            "exact conjugates for a perfect match.");
      }
      return Fill("the argument is negative.");
    case ErrorKind::Conversion:
    case ErrorKind::AmbiguousNumber:
    case ErrorKind::BrokenRule:
      break;
  }
  return {};
}

}  // namespace

std::string WarningText(const platform::Error& error) {
  const bool conversion = QuantityOf(error) == Quantity::None && error.step() == 0 &&
                          (error.kind() == ErrorKind::Conversion || !error.text().empty());
  if (conversion) return ConversionText(error);
  // An active port against a passive one is a fact of the circuit, not a fault of the arithmetic:
  // it is said in RF words alone.
  if (error.kind() == ErrorKind::LogarithmArgument && QuantityOf(error) == Quantity::MismatchLoss) {
    return ActivePortText(static_cast<EvaluationStep>(error.step()), error.values());
  }

  const std::string heading = Heading(error.kind());
  const std::string name = QuantityName(QuantityOf(error));
  const std::string why = Explanation(error);
  if (name.empty()) {
    return why.empty() ? Fill("%1.", {heading}) : Fill("%1: %2", {heading, why});
  }
  return why.empty() ? Fill("%1 while computing %2.", {heading, name})
                     : Fill("%1 while computing %2: %3", {heading, name, why});
}

}  // namespace calc
