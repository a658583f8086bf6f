#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace calc {

// How the text of a magnitude box was read. Data sheets and instruments give a port's match as
// a VSWR or a return loss as often as a magnitude; each stands for one |Γ|.
struct MagnitudeReading {
  enum Form {
    kMagnitude,   // "0.2": |Γ| itself (a negative or a larger magnitude as well)
    kVswr,        // "1.5:1", "VSWR 1.5": |Γ| = (s − 1)/(s + 1)
    kReturnLoss,  // "RL 14", "RL 14 dB", "14 dB": |Γ| = 10^(−RL/20)
    kDecibels,    // "-14 dB": |Γ| in dB, |Γ| = 10^(x/20)
  };
  Form form = kMagnitude;
  double typed = 0.0;      // the number in the text: |Γ|, s, RL or x
  double magnitude = 0.0;  // the magnitude it stands for
};

// The rules of a magnitude box's forms that a text may break (platform::Error::rule() of kind
// BrokenRule).
enum class InputRule : platform::Rule {
  kMissingNumber = 1,  // a VSWR or return-loss form without its number: "VSWR", "dB"
  kVswrBelowOne,       // a VSWR below 1, which no reflection gives
};
inline bool Broke(const platform::Error& error, InputRule rule) {
  return error.kind() == platform::ErrorKind::BrokenRule &&
         error.rule() == static_cast<platform::Rule>(rule);
}

// Reads a magnitude box. The number inside follows platform::TextToNumber; the words "VSWR" and
// "RL" (before the number) and "dB" (after it) may be written in any case, with or without blanks
// between them and the number. A plain number stays what it is. Raises platform::Error with the
// whole text: Conversion for a text that is none of these forms, BrokenRule with an InputRule for
// a form without its number or a VSWR below 1, Overflow for a return loss so far
// below zero that |Γ| leaves the 64-bit range; what TextToNumber raises for the number inside.
MagnitudeReading ReadMagnitude(std::string_view text);

// Reads an angle box: a number of degrees, optionally followed by "°". Raises platform::Error
// with the whole text, as TextToNumber does.
double ReadAngle(std::string_view text);

// What a magnitude other than a plain number was read from, for the line "|ΓS| = 0.2 (VSWR
// 1.5:1)": "VSWR 1.5:1", "RL 14 dB", "-14 dB"; empty for a plain number.
std::string ReadingNote(const MagnitudeReading& reading);

// "|ΓS| = 0.2 (VSWR 1.5:1)", "|ΓL| = 0.199526 (RL 14 dB)" for `name` "ΓS" or "ΓL": the magnitude
// to six significant digits, enough to check it against a data sheet; empty for a plain number,
// which needs no note.
std::string ReadingLine(const MagnitudeReading& reading, std::string_view name);

// The lines of both ports, source first, for the magnitudes that were not plain numbers.
std::vector<std::string> ReadingLines(const MagnitudeReading& source, const MagnitudeReading& load);

}  // namespace calc
