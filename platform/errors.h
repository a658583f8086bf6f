#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What went wrong. Every failure of a conversion or a computation is one of these.
enum class ErrorKind {
  Conversion,         // a text that is not a number
  Overflow,           // a value beyond the 64-bit floating-point range
  DivisionByZero,     // a non-zero value divided by zero
  InvalidOperation,   // zero divided by zero, and the like
  LogarithmArgument,  // a negative argument of the logarithm
};

// The quantity being computed when a computation failed.
enum class Quantity {
  None,
  MismatchFactor,
  MismatchLoss,
  ReturnLoss,
  SourceImpedance,
  LoadImpedance,
};

// "the mismatch factor", "the load impedance", ...; empty for Quantity::None.
std::string_view QuantityName(Quantity quantity);

// The one error type of the computing core. It never ends the program: the window shows its
// message to the user and carries on.
class Error : public std::exception {
 public:
  Error(ErrorKind kind, Quantity quantity, std::string message)
      : kind_(kind), quantity_(quantity), message_(std::move(message)) {}

  ErrorKind kind() const noexcept { return kind_; }
  Quantity quantity() const noexcept { return quantity_; }
  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

  // Index of the input text that could not be converted, when the error is about one
  // (set by whoever knows which input it was).
  std::optional<int> input() const noexcept { return input_; }
  void set_input(int index) noexcept { input_ = index; }

 private:
  ErrorKind kind_;
  Quantity quantity_;
  std::string message_;
  std::optional<int> input_;
};

// A failed computation, with a message that explains it in the engineer's terms.
[[noreturn]] void RaiseComputationError(ErrorKind kind, Quantity quantity);

// A text that is not a number (kind Conversion) or a number beyond the 64-bit range (kind
// Overflow). `field` names the input in the user's words ("load reflection coefficient, angle");
// the text is quoted, shortened when long.
[[noreturn]] void RaiseConversionError(ErrorKind kind, std::string_view field,
                                       std::string_view text);

}  // namespace platform
