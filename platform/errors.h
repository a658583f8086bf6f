#pragma once

#include <array>
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
  AmbiguousNumber,    // a text that reads as two numbers: "1,000", one or one thousand
  BrokenRule,         // a text of a form the reading layer knows, against one of its rules
};

// Which rule of the reading layer a BrokenRule error is about, as that layer numbers its rules;
// kNoRule for every other kind.
using Rule = int;
inline constexpr Rule kNoRule = 0;

// What was being computed when a computation failed, as the layer that computes numbers its
// quantities; kNoSubject for a conversion, or when the computing code names nothing.
using Subject = int;
inline constexpr Subject kNoSubject = 0;

// The one error type of the computing core: what went wrong and where, as numbers and the text
// at fault; the words for the user are made from it by the layer that knows the quantities. It
// never ends the program: the window shows the words to the user and carries on.
class Error : public std::exception {
 public:
  // Up to four values of the failed step, as that step records them.
  using Values = std::array<double, 4>;

  Error(ErrorKind kind, Subject subject, std::string text = {})
      : kind_(kind), subject_(subject), text_(std::move(text)) {}

  ErrorKind kind() const noexcept { return kind_; }
  Subject subject() const noexcept { return subject_; }
  // A short technical description of the kind, for logs and test output.
  const char* what() const noexcept override;

  // For a conversion error (kNoSubject; kind Conversion, Overflow, AmbiguousNumber or
  // BrokenRule): the text that could not be converted, as it was given.
  const std::string& text() const noexcept { return text_; }
  Rule rule() const noexcept { return rule_; }
  void set_rule(Rule rule) noexcept { rule_ = rule; }

  // Index of the input text that could not be converted, when the error is about one
  // (set by whoever knows which input it was).
  std::optional<int> input() const noexcept { return input_; }
  void set_input(int index) noexcept { input_ = index; }

  // The step of the computation that failed, numbered by the code that computes (0 when not
  // recorded), and the values it had.
  int step() const noexcept { return step_; }
  const Values& values() const noexcept { return values_; }
  void set_step(int step, const Values& values) noexcept {
    step_ = step;
    values_ = values;
  }

 private:
  ErrorKind kind_;
  Subject subject_;
  std::string text_;
  Rule rule_ = kNoRule;
  std::optional<int> input_;
  int step_ = 0;
  Values values_{};
};

// A failed computation.
[[noreturn]] void RaiseComputationError(ErrorKind kind, Subject subject);

// A text that is not a number (kind Conversion), a number beyond the 64-bit range (kind
// Overflow), or a text that cannot be taken as the number it seems to be (AmbiguousNumber).
[[noreturn]] void RaiseConversionError(ErrorKind kind, std::string_view text);

// A text that breaks the reading layer's rule `rule` (kind BrokenRule).
[[noreturn]] void RaiseRuleError(Rule rule, std::string_view text);

}  // namespace platform
