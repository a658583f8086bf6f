#include "platform/errors.h"

#include <string>

namespace platform {

const char* Error::what() const noexcept {
  switch (kind_) {
    case ErrorKind::Conversion:
      return "conversion error";
    case ErrorKind::Overflow:
      return "overflow";
    case ErrorKind::DivisionByZero:
      return "division by zero";
    case ErrorKind::InvalidOperation:
      return "invalid operation";
    case ErrorKind::LogarithmArgument:
      return "invalid argument of the logarithm";
    case ErrorKind::AmbiguousNumber:
      return "ambiguous number";
    case ErrorKind::BrokenRule:
      return "broken rule";
  }
  return "error";
}

void RaiseComputationError(ErrorKind kind, Subject subject) {
  throw Error(kind, subject);
}

void RaiseConversionError(ErrorKind kind, std::string_view text) {
  throw Error(kind, kNoSubject, std::string(text));
}

void RaiseRuleError(Rule rule, std::string_view text) {
  Error error(ErrorKind::BrokenRule, kNoSubject, std::string(text));
  error.set_rule(rule);
  throw error;
}

}  // namespace platform
