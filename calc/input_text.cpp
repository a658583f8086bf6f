#include "calc/input_text.h"

#include <charconv>
#include <cmath>
#include <system_error>
#include <utility>

#include "platform/errors.h"
#include "platform/number_format.h"
#include "platform/number_text.h"

namespace calc {

namespace {

using platform::ErrorKind;

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `text` starts (or ends) with `word`, in any case; the word is then taken off.
bool TakePrefix(std::string_view& text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (Lower(text[i]) != word[i]) return false;
  }
  text = platform::StripBlanks(text.substr(word.size()));
  return true;
}

bool TakeSuffix(std::string_view& text, std::string_view word) {
  if (text.size() < word.size()) return false;
  const std::size_t start = text.size() - word.size();
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (Lower(text[start + i]) != word[i]) return false;
  }
  text = platform::StripBlanks(text.substr(0, start));
  return true;
}

// ":1" at the end, with blanks allowed around the colon.
bool TakeRatio(std::string_view& text) {
  std::string_view rest = text;
  if (!TakeSuffix(rest, "1") || !TakeSuffix(rest, ":")) return false;
  text = rest;
  return true;
}

// The number inside a longer text; an error names the whole text, as the user typed it.
double NumberIn(std::string_view number, std::string_view whole) {
  try {
    return platform::TextToNumber(number);
  } catch (const platform::Error& error) {
    platform::RaiseConversionError(error.kind(), whole);
  }
}

}  // namespace

MagnitudeReading ReadMagnitude(std::string_view text) {
  std::string_view rest = platform::StripBlanks(text);
  const bool vswr = TakePrefix(rest, "vswr");
  const bool rl = !vswr && TakePrefix(rest, "rl");
  const bool db = !vswr && TakeSuffix(rest, "db");
  const bool ratio = !rl && !db && TakeRatio(rest);
  if (!vswr && !rl && !db && !ratio) {
    const double value = platform::TextToNumber(text);
    return {MagnitudeReading::kMagnitude, value, value};
  }
  if (rest.empty())
    platform::RaiseRuleError(static_cast<platform::Rule>(InputRule::kMissingNumber), text);

  const double typed = NumberIn(rest, text);
  MagnitudeReading r;
  r.typed = typed;
  if (vswr || ratio) {
    // A VSWR of 1 is a perfect match; below 1 there is no reflection that gives it.
    if (!(typed >= 1.0))
      platform::RaiseRuleError(static_cast<platform::Rule>(InputRule::kVswrBelowOne), text);
    r.form = MagnitudeReading::kVswr;
    // Both operands are exact for the usual VSWRs (1.5 gives 0.5/2.5), so the quotient is the
    // magnitude typed as a decimal would be: correctly rounded.
    r.magnitude = (typed - 1.0) / (typed + 1.0);
    return r;
  }
  // "-14 dB" is |Γ| in dB, the same magnitude as the return loss "14 dB"; after "RL" the sign is
  // the return loss's own, and a negative one is an active port.
  const bool decibels = !rl && std::signbit(typed);
  r.form = decibels ? MagnitudeReading::kDecibels : MagnitudeReading::kReturnLoss;
  r.magnitude = std::pow(10.0, (decibels ? typed : -typed) / 20.0);
  if (std::isinf(r.magnitude)) platform::RaiseConversionError(ErrorKind::Overflow, text);
  return r;
}

double ReadAngle(std::string_view text) {
  std::string_view rest = platform::StripBlanks(text);
  if (!TakeSuffix(rest, "\u00b0")) return platform::TextToNumber(text);
  if (rest.empty()) platform::RaiseConversionError(ErrorKind::Conversion, text);
  return NumberIn(rest, text);
}

std::string ReadingNote(const MagnitudeReading& reading) {
  std::string note;
  switch (reading.form) {
    case MagnitudeReading::kVswr:
      note = "VSWR ";
      platform::AppendShortest(note, reading.typed);
      note += ":1";
      break;
    case MagnitudeReading::kReturnLoss:
      note = "RL ";
      platform::AppendShortest(note, reading.typed);
      note += " dB";
      break;
    case MagnitudeReading::kDecibels:
      platform::AppendShortest(note, reading.typed);
      note += " dB";
      break;
    case MagnitudeReading::kMagnitude:
      break;
  }
  return note;
}

std::string ReadingLine(const MagnitudeReading& reading, std::string_view name) {
  const std::string note = ReadingNote(reading);
  if (note.empty()) return {};
  // Six significant digits, as "%.6g" would write them in the C locale, whatever the process's.
  char magnitude[32];
  const auto [end, ec] = std::to_chars(magnitude, magnitude + sizeof magnitude, reading.magnitude,
                                       std::chars_format::general, 6);
  std::string line = "|";
  line.append(name).append("| = ").append(magnitude, ec == std::errc() ? end : magnitude);
  line.append(" (").append(note).append(")");
  return line;
}

std::vector<std::string> ReadingLines(const MagnitudeReading& source,
                                      const MagnitudeReading& load) {
  std::vector<std::string> lines;
  for (std::string line : {ReadingLine(source, "\u0393S"), ReadingLine(load, "\u0393L")}) {
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace calc
