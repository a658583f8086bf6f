#include "platform/errors.h"

#include <string>

#include "platform/number_text.h"

namespace platform {

std::string_view QuantityName(Quantity quantity) {
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

namespace {

std::string_view KindHeading(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::Conversion:
      return "No number";
    case ErrorKind::Overflow:
      return "Overflow";
    case ErrorKind::DivisionByZero:
      return "Division by zero";
    case ErrorKind::InvalidOperation:
      return "Invalid operation";
    case ErrorKind::LogarithmArgument:
      return "Invalid argument of the logarithm";
  }
  return "Error";
}

// Why the failure happened, in the engineer's terms, for the failures that the inputs can reach.
std::string_view Explanation(ErrorKind kind, Quantity quantity) {
  const bool impedance =
      quantity == Quantity::SourceImpedance || quantity == Quantity::LoadImpedance;
  switch (kind) {
    case ErrorKind::Overflow:
      if (impedance) {
        return "the reference impedance or a reflection coefficient is too large to compute with "
               "(the limit is about 1.3e154).";
      }
      return "a reflection coefficient magnitude is too large to compute with (the limit is "
             "about 1.3e154).";
    case ErrorKind::DivisionByZero:
      if (impedance) {
        return "a reflection coefficient of exactly 1 is an open circuit.";
      }
      if (quantity == Quantity::MismatchFactor) {
        return "the product of the two reflection coefficients is exactly 1, so 1 - "
               "\u0393S\u00b7\u0393L "
               "is zero.";
      }
      return "a value was divided by zero.";
    case ErrorKind::InvalidOperation:
      if (impedance) {
        return "a reflection coefficient of exactly 1 with a reference impedance of 0 gives 0 "
               "divided by 0.";
      }
      if (quantity == Quantity::MismatchFactor) {
        return "both reflection coefficients have magnitude 1 and their product is exactly 1, "
               "so the mismatch factor is 0 divided by 0.";
      }
      return "the result is not a number.";
    case ErrorKind::LogarithmArgument:
      if (quantity == Quantity::MismatchLoss) {
        return "the mismatch factor is negative, which happens when one reflection coefficient "
               "magnitude is below 1 and the other above 1.";
      }
      if (quantity == Quantity::ReturnLoss) {
        return "rounding put the mismatch factor above 1; the two reflection coefficients are "
               "conjugate to within the last digits. Enter them as exact conjugates for a "
               "perfect match.";
      }
      return "the argument is negative.";
    case ErrorKind::Conversion:
      break;
  }
  return {};
}

}  // namespace

void RaiseComputationError(ErrorKind kind, Quantity quantity) {
  std::string message(KindHeading(kind));
  const std::string_view name = QuantityName(quantity);
  if (!name.empty()) {
    message += " while computing ";
    message += name;
  }
  const std::string_view why = Explanation(kind, quantity);
  if (!why.empty()) {
    message += ": ";
    message += why;
  } else {
    message += '.';
  }
  throw Error(kind, quantity, std::move(message));
}

void RaiseConversionError(ErrorKind kind, std::string_view field, std::string_view text) {
  // Quote at most this many characters of what the user typed.
  constexpr std::size_t kQuoteLimit = 40;
  std::string quoted;
  if (text.size() > kQuoteLimit) {
    // Cut on a UTF-8 character boundary.
    std::size_t cut = kQuoteLimit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    quoted = std::string(text.substr(0, cut)) + "\u2026";
  } else {
    quoted = std::string(text);
  }
  const std::string box = "the box \u201c" + std::string(field) + "\u201d";
  std::string message;
  if (IsBlankText(text)) {
    message = "Nothing to compute with: " + box + " is empty. Please enter a number.";
  } else if (kind == ErrorKind::Overflow) {
    message = "\u201c" + quoted + "\u201d in " + box +
              " is beyond the range of numbers the calculator can hold (about \u00b11.8e308).";
  } else {
    message = "\u201c" + quoted + "\u201d in " + box + " is not a number.";
  }
  throw Error(kind, Quantity::None, std::move(message));
}

}  // namespace platform
