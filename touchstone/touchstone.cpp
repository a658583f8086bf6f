#include "touchstone/touchstone.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace touchstone {

namespace {

std::string WhatOf(const std::string& file, long line, const std::string& message) {
  if (line > 0) return file + ":" + std::to_string(line) + ": " + message;
  return file + ": " + message;
}

constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// IsBlank by table, for the data's inner loop.
constexpr std::array<bool, 256> kBlanks = [] {
  std::array<bool, 256> blanks{};
  for (int c = 0; c < 256; ++c) blanks[static_cast<std::size_t>(c)] = IsBlank(static_cast<char>(c));
  return blanks;
}();

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A line without its comment ('!' to the end of the line) and surrounding blanks.
std::string_view Significant(std::string_view line) {
  if (const void* bang = std::memchr(line.data(), '!', line.size())) {
    line = line.substr(0, static_cast<const char*>(bang) - line.data());
  }
  return Trim(line);
}

// Whether the eight bytes at `p` are all decimal digits.
bool EightDigits(const char* p) {
  std::uint64_t x = 0;
  std::memcpy(&x, p, sizeof x);
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0, kThrees = 0x3030303030303030;
  return (x & kHigh) == kThrees && ((x + 0x0606060606060606) & kHigh) == kThrees;
}

// Splits the next blank-separated field off `rest`; empty when none is left.
std::string_view NextField(std::string_view& rest) {
  const auto blank = [](char c) { return kBlanks[static_cast<unsigned char>(c)]; };
  std::size_t i = 0;
  while (i < rest.size() && blank(rest[i])) ++i;
  std::size_t j = i;
  while (j < rest.size() && !blank(rest[j])) ++j;
  const std::string_view field = rest.substr(i, j - i);
  rest.remove_prefix(j);
  return field;
}

// A field of the file quoted for a message: shortened, with bytes outside printable ASCII as '?'.
std::string Quote(std::string_view text) {
  constexpr std::size_t kShown = 24;
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    quoted += text[i] >= ' ' && text[i] <= '~' ? text[i] : '?';
  }
  if (text.size() > kShown) quoted += "...";
  return quoted + "\"";
}

enum class Parsed { kNumber, kNotANumber, kOutOfRange };

// Decimal exponents beyond which a number is out of any double's range: clamping an exponent
// there keeps the sums below from overflowing and changes no outcome.
constexpr std::int64_t kExponentLimit = 100000;

// The decimal exponent of the first significant digit of a plain decimal number ("0.05e3" gives
// 1); `text` has been read as a number already and is not zero.
std::int64_t LeadingExponent(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::int64_t integer_digits = 0, fraction_zeros = 0;
  bool significant = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    significant = significant || text[i] != '0';
    if (significant) ++integer_digits;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (integer_digits == 0 && !significant) {
        if (text[i] == '0') {
          ++fraction_zeros;
        } else {
          significant = true;
        }
      }
    }
  }
  std::int64_t exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      exponent = std::min(exponent * 10 + (text[i] - '0'), kExponentLimit);
    }
    if (negative) exponent = -exponent;
  }
  return exponent + (integer_digits > 0 ? integer_digits - 1 : -(fraction_zeros + 1));
}

// A plain decimal number in the C locale: optional sign, digits with an optional point, optional
// exponent. Not inf, nan or hexadecimal.
Parsed ParseNumber(std::string_view text, double& value) {
  const char* p = text.data();
  const char* const end = p + text.size();
  if (p != end && *p == '+') {
    ++p;  // from_chars takes no plus sign
    if (p != end && *p == '-') return Parsed::kNotANumber;
  }
  const char* digits = p != end && *p == '-' ? p + 1 : p;
  if (digits == end || !((*digits >= '0' && *digits <= '9') || *digits == '.')) {
    return Parsed::kNotANumber;
  }
  const auto [stop, error] = std::from_chars(p, end, value);
  if (error == std::errc::result_out_of_range && stop == end) {
    // Too small for a double reads as zero of its sign, as the boxes of the window read it.
    if (LeadingExponent(text) < 0) {
      value = digits != p ? -0.0 : 0.0;
      return Parsed::kNumber;
    }
    return Parsed::kOutOfRange;
  }
  if (error == std::errc::result_out_of_range) return Parsed::kOutOfRange;
  if (error != std::errc{} || stop != end) return Parsed::kNotANumber;
  return Parsed::kNumber;
}

// Whether `text` is certainly a number that ParseNumber reads (a plain decimal within the range
// of a double), found without reading its value; false when unsure.
bool PlainNumberInRange(std::string_view text) {
  // The forms that files use, first: a sign, at most 40 digits with at most one point, and an
  // exponent of at most three digits up to 250 are certainly in range.
  {
    const char* c = text.data();
    const char* const end = c + text.size();
    if (c != end && (*c == '-' || *c == '+')) ++c;
    const char* const mantissa = c;
    int points = 0;
    for (; c != end; ++c) {
      if (static_cast<unsigned char>(*c - '0') > 9) {
        if (*c != '.') break;
        ++points;
      }
    }
    const long mantissa_length = c - mantissa;
    if (mantissa_length > points && points <= 1 && mantissa_length <= 40) {
      if (c == end) return true;
      if (*c == 'e' || *c == 'E') {
        if (++c != end && (*c == '-' || *c == '+')) ++c;
        int exponent = 0, exponent_digits = 0;
        for (; c != end && static_cast<unsigned char>(*c - '0') <= 9 && exponent_digits < 4;
             ++c, ++exponent_digits) {
          exponent = exponent * 10 + (*c - '0');
        }
        if (c == end && exponent_digits >= 1 && exponent_digits <= 3 && exponent <= 250) {
          return true;
        }
      }
    }
  }
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (i < n && text[i] == '+') ++i;
  if (i < n && text[i] == '-') {
    if (i > 0) return false;  // "+-"
    ++i;
  }
  const auto digit = [&](std::size_t k) { return k < n && text[k] >= '0' && text[k] <= '9'; };
  std::size_t digits = 0, integer_digits = 0;
  bool leading = true;  // no significant digit yet
  std::int64_t fraction_zeros = 0;
  for (; digit(i); ++i, ++digits) {
    if (text[i] != '0') leading = false;
    if (!leading) ++integer_digits;
  }
  if (i < n && text[i] == '.') {
    for (++i; digit(i); ++i, ++digits) {
      if (leading && text[i] == '0') ++fraction_zeros;
      if (text[i] != '0') leading = false;
    }
  }
  if (digits == 0) return false;
  std::int64_t exponent = 0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    const bool negative = i < n && text[i] == '-';
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digit(i)) return false;
    for (; digit(i); ++i) {
      exponent = std::min(exponent * 10 + (text[i] - '0'), kExponentLimit);
    }
    if (negative) exponent = -exponent;
  }
  if (i != n) return false;
  if (leading) return true;  // zero
  const std::int64_t lead =
      exponent + (integer_digits > 0 ? integer_digits - 1 : -(fraction_zeros + 1));
  return lead < 300;  // far from overflowing; a number too small reads as zero
}

// A frequency written in the file's unit, in hertz: the unit's power of ten is added to the
// number's decimal exponent before the text is read, so that 1.00001 GHz is exactly the double
// nearest to 1000010000 Hz, not 1.00001 times 1e9 with the rounding of both. `field` has been
// read as a number already; `value` is that number.
double FrequencyInHz(std::string_view field, double value, int unit_exponent) {
  if (unit_exponent == 0) return value;
  const std::size_t e = field.find_first_of("eE");
  const std::string_view mantissa = field.substr(0, e);
  std::int64_t exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = field.substr(e + 1);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    const auto [stop, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
    if (error != std::errc{} || stop != digits.data() + digits.size()) {
      return value * std::pow(10.0, unit_exponent);
    }
    exponent = std::clamp(exponent, -kExponentLimit, kExponentLimit);
  }
  std::string text(mantissa.substr(!mantissa.empty() && mantissa.front() == '+' ? 1 : 0));
  text += 'e';
  text += std::to_string(exponent + unit_exponent);
  double hz = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), hz);
  if (error != std::errc{} || stop != text.data() + text.size()) {
    return value * std::pow(10.0, unit_exponent);
  }
  return hz;
}

// A whole number of 1 or more.
std::optional<long> ParseCount(std::string_view text) {
  long value = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || stop != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

// The shortest text that reads back to the same double, for messages.
std::string Shortest(double value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc{} ? std::string(text, end) : std::string("?");
}

// Whether the complex number that a pair of the file stands for is finite in either form: its
// magnitude, and its real and imaginary parts.
bool Computable(double a, double b, Format format) {
  if (format == Format::kRealImaginary) return std::isfinite(std::hypot(a, b));
  constexpr double kPi = 3.14159265358979;
  const double magnitude = format == Format::kMagnitudeAngle ? a : std::pow(10.0, a / 20.0);
  const double radians = b * kPi / 180.0;
  return std::isfinite(magnitude) && std::isfinite(radians) &&
         std::isfinite(magnitude * std::cos(radians)) &&
         std::isfinite(magnitude * std::sin(radians));
}

constexpr long kMaxPorts = 100000;
constexpr std::size_t kBlock = std::size_t{1} << 16;
constexpr std::size_t kMaxLine = std::size_t{1} << 20;

// The keywords of version 2, and the bit of each in Impl::keywords_seen_.
enum Keyword : unsigned {
  kVersion,
  kNumberOfPorts,
  kTwoPortDataOrder,
  kNumberOfFrequencies,
  kNumberOfNoiseFrequencies,
  kReference,
  kMatrixFormat,
  kNetworkData,
  kNoiseData,
  kEnd,
  kBeginInformation,
  kEndInformation,
  kMixedModeOrder,
  kUnknown,
};
constexpr std::string_view kKeywordNames[] = {
    "Version",
    "Number of Ports",
    "Two-Port Data Order",
    "Number of Frequencies",
    "Number of Noise Frequencies",
    "Reference",
    "Matrix Format",
    "Network Data",
    "Noise Data",
    "End",
    "Begin Information",
    "End Information",
    "Mixed-Mode Order",
};

std::string MoreNumbers(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " more number" : " more numbers");
}

std::string Bracketed(Keyword keyword) {
  std::string text(1, '[');
  text += kKeywordNames[keyword];
  text += ']';
  return text;
}

}  // namespace

ReadError::ReadError(std::string file, long line, const std::string& message)
    : std::runtime_error(WhatOf(file, line, message)),
      file_(std::move(file)),
      line_(line),
      message_(message) {}

class ReflectionReader::Impl {
 public:
  Impl(const std::string& path, int port, int ports, std::string hint, bool two_port = false,
       std::string mode = {})
      : name_(path),
        port_(mode.empty() ? port : 1),
        two_port_(two_port),
        mode_(std::move(mode)),
        given_ports_(ports),
        ports_hint_(std::move(hint)),
        buffer_(kBlock) {
    file_ = std::make_unique<std::ifstream>();
    errno = 0;
    file_->open(path, std::ios::binary);
    if (!file_->is_open()) {
      throw ReadError(path, 0, std::string("cannot open the file: ") + std::strerror(errno));
    }
    in_ = file_.get();
    ReadHeader();
  }
  Impl(std::istream& in, std::string name, int port, int ports, std::string hint,
       bool two_port = false, std::string mode = {})
      : name_(std::move(name)),
        port_(mode.empty() ? port : 1),
        two_port_(two_port),
        mode_(std::move(mode)),
        given_ports_(ports),
        ports_hint_(std::move(hint)),
        in_(&in),
        buffer_(kBlock) {
    ReadHeader();
  }

  int port_count() const noexcept { return ports_; }
  // The reference impedance of the chosen port (slot 0), or of port 1 or 2 of a two-port.
  // A mixed-mode port refers to the ports of its pair in series (differential) or in parallel
  // (common).
  double reference_ohms(int slot = 0) const noexcept {
    if (two_port_) return PortOhms(slot + 1);
    if (mode_kind_ == 'D') return PortOhms(mode_ports_[0]) + PortOhms(mode_ports_[1]);
    if (mode_kind_ == 'C') {
      const double a = PortOhms(mode_ports_[0]), b = PortOhms(mode_ports_[1]);
      return a * b / (a + b);
    }
    if (mode_kind_ == 'S') return PortOhms(mode_ports_[0]);
    return PortOhms(port_);
  }
  double PortOhms(long port) const noexcept {
    return port >= 1 && port <= static_cast<long>(references_.size())
               ? references_[static_cast<std::size_t>(port - 1)]
               : option_reference_;
  }
  const std::string& name() const noexcept { return name_; }
  Format format() const noexcept { return format_; }

  bool Next(Sample& sample) {
    if (error_) throw *error_;
    if (done_) return false;
    if (!(version_ == 1 ? NextVersion1() : NextVersion2())) return false;
    sample = Sample{frequency_hz_, a_[0], b_[0]};
    return true;
  }

  bool Next(TwoPortSample& sample) {
    if (error_) throw *error_;
    if (done_) return false;
    if (!(version_ == 1 ? NextVersion1() : NextVersion2())) return false;
    sample.frequency_hz = frequency_hz_;
    for (int k = 0; k < 4; ++k) sample.s[k] = {a_[k], b_[k]};
    return true;
  }

 private:
  enum class Matrix { kFull, kLower, kUpper };

  [[noreturn]] void Fail(long line, const std::string& message) {
    error_.emplace(name_, line, message);
    throw *error_;
  }
  [[noreturn]] void Fail(const std::string& message) { Fail(line_number_, message); }

  // The next line without its line end, valid until the next call; nothing at the end.
  // A line ends in LF, CR LF or CR alone (as old exports end their lines).
  std::optional<std::string_view> ReadLine() {
    for (;;) {
      const char* start = buffer_.data() + begin_;
      const std::size_t size = end_ - begin_;
      const void* newline = std::memchr(start, '\n', size);
      const std::size_t scanned = newline ? static_cast<const char*>(newline) - start : size;
      if (const void* cr = std::memchr(start, '\r', scanned)) {
        const std::size_t length = static_cast<const char*>(cr) - start;
        // A CR at the end of what was read may be the first half of CR LF.
        if (length + 1 < size || at_end_) {
          begin_ += length + 1;
          if (length + 1 < size && start[length + 1] == '\n') ++begin_;
          ++line_number_;
          return std::string_view(start, length);
        }
      } else if (newline) {
        begin_ += scanned + 1;
        ++line_number_;
        return std::string_view(start, scanned);
      }
      if (at_end_) {
        if (size == 0) return std::nullopt;
        begin_ = end_;
        ++line_number_;
        return std::string_view(start, size);
      }
      // The line goes on beyond the buffer: move its start to the front (growing the buffer
      // when the line fills it) and read the next block behind it.
      if (size >= kMaxLine) {
        Fail(line_number_ + 1, "line longer than " + std::to_string(kMaxLine) + " characters");
      }
      if (begin_ > 0) {
        std::memmove(buffer_.data(), start, size);
        begin_ = 0;
        end_ = size;
      }
      if (end_ == buffer_.size()) buffer_.resize(std::min(2 * buffer_.size(), kMaxLine));
      errno = 0;
      in_->read(buffer_.data() + end_, static_cast<std::streamsize>(buffer_.size() - end_));
      end_ += static_cast<std::size_t>(in_->gcount());
      if (in_->bad()) {
        const int cause = errno;
        Fail(line_number_ == 0 ? 0 : line_number_ + 1,
             std::string("cannot read the file") +
                 (cause != 0 ? std::string(": ") + std::strerror(cause) : ""));
      }
      if (!*in_) at_end_ = true;
    }
  }

  double Number(std::string_view field) {
    double value = 0;
    switch (ParseNumber(field, value)) {
      case Parsed::kNumber:
        return value;
      case Parsed::kOutOfRange:
        Fail("number out of range: " + Quote(field));
      case Parsed::kNotANumber:
        break;
    }
    Fail("non-numeric field " + Quote(field) + ": expected a number");
  }

  // Checks a number that is not needed as Number() would, without reading its value.
  void Check(std::string_view field) {
    if (!PlainNumberInRange(field)) Number(field);
  }

  // Splits the next field off `rest` and checks it as Check() does; false when none is left.
  // The usual field, a plain decimal without exponent followed by a blank or the end of the
  // line, is found and checked in one pass, eight digits at a time.
  bool SkipCheckedField(std::string_view& rest) {
    const char* p = rest.data();
    const char* const end = p + rest.size();
    while (p != end && kBlanks[static_cast<unsigned char>(*p)]) ++p;
    if (p == end) {
      rest = {};
      return false;
    }
    const char* const start = p;
    if (*p == '-' || *p == '+') ++p;
    const char* const mantissa = p;
    long points = 0;
    for (;;) {
      while (end - p >= 8 && EightDigits(p)) p += 8;
      if (p == end) break;
      if (static_cast<unsigned char>(*p - '0') <= 9) {
        ++p;
      } else if (*p == '.') {
        ++points;
        ++p;
      } else {
        break;
      }
    }
    const long length = p - mantissa;
    if ((p == end || kBlanks[static_cast<unsigned char>(*p)]) && length > points && points <= 1 &&
        length <= 40) {
      rest = std::string_view(p, static_cast<std::size_t>(end - p));
      return true;
    }
    rest = std::string_view(start, static_cast<std::size_t>(end - start));
    Check(NextField(rest));
    return true;
  }

  void ReadHeader() {
    while (auto line = ReadLine()) {
      // A byte-order mark, as some Windows programs write, is not part of the first line.
      if (line_number_ == 1 && line->substr(0, 3) == "\xEF\xBB\xBF") line->remove_prefix(3);
      // UTF-32 and UTF-16: the byte-order mark, or an ASCII character with zero bytes before or
      // after it.
      const auto ascii = [](char c) { return c >= ' ' && c <= '~'; };
      using namespace std::string_view_literals;
      if (line_number_ == 1 && line->size() >= 4 &&
          (line->substr(0, 4) == "\xFF\xFE\0\0"sv || line->substr(0, 4) == "\0\0\xFE\xFF"sv ||
           (ascii((*line)[0]) && line->substr(1, 3) == "\0\0\0"sv) ||
           (line->substr(0, 3) == "\0\0\0"sv && ascii((*line)[3])))) {
        Fail("the file is UTF-32 text: expected ASCII or UTF-8; save it again in one of these");
      }
      if (line_number_ == 1 && line->size() >= 2 &&
          (line->substr(0, 2) == "\xFF\xFE" || line->substr(0, 2) == "\xFE\xFF" ||
           ((*line)[0] == '\0' && ascii((*line)[1])) ||
           (ascii((*line)[0]) && (*line)[1] == '\0'))) {
        Fail("the file is UTF-16 text: expected ASCII or UTF-8; save it again in one of these");
      }
      const std::string_view text = Significant(*line);
      if (text.empty()) continue;
      if (in_information_) {
        // The information block is for people: skipped up to its end, whatever it holds.
        const std::size_t close = text.find(']');
        if (text.front() == '[' && close != std::string_view::npos &&
            EqualsNoCase(Trim(text.substr(1, close - 1)), "End Information")) {
          in_information_ = false;
        }
        continue;
      }
      if (modes_left_ > 0 && text.front() != '[' && text.front() != '#') {
        ReadModes(text);
        continue;
      }
      if (modes_left_ > 0) {
        Fail("[Mixed-Mode Order] lists " + std::to_string(modes_.size()) + " ports: expected " +
             std::to_string(ports_) + ", one per port");
      }
      if (version_ == 0) {
        // The first line that is not a comment tells the version.
        if (text.front() == '[') {
          if (KeywordOf(text).first != kVersion) {
            Fail("expected [Version] 2.0 or 2.1 as the first keyword of a version 2 file");
          }
        } else {
          version_ = 1;
          SetPortCount(PortsFromName(), 0);
          ResolveMode();
        }
      }
      if (references_left_ > 0 && text.front() != '[' && text.front() != '#') {
        ReadReferences(text);
      } else if (references_left_ > 0) {
        Fail("[Reference] lists " + std::to_string(reference_index_) +
             " reference impedances: expected " + std::to_string(ports_) + ", one per port");
      } else if (text.front() == '#') {
        ReadOptionLine(text);
      } else if (text.front() == '[') {
        if (ReadKeyword(text)) break;
      } else {
        if (version_ == 2 && !in_network_data_) {
          Fail("expected a keyword: version 2 data follows [Network Data]");
        }
        StartData(text);
        return;
      }
    }
    Fail("no network data: expected a line of numbers");
  }

  void ReadOptionLine(std::string_view text) {
    if (option_seen_) return;  // only the first option line counts
    if (data_started_ || in_network_data_) {
      Fail("the option line must come before the data");
    }
    option_seen_ = true;
    bool unit = false, parameter = false, format = false, reference = false;
    auto once = [this](bool& seen, const char* what) {
      if (seen) Fail(std::string("option line: two ") + what);
      seen = true;
    };
    text.remove_prefix(1);
    for (std::string_view field; !(field = NextField(text)).empty();) {
      if (EqualsNoCase(field, "hz") || EqualsNoCase(field, "khz") || EqualsNoCase(field, "mhz") ||
          EqualsNoCase(field, "ghz")) {
        once(unit, "frequency units");
        const char prefix = Lower(field.front());
        unit_exponent_ = prefix == 'g' ? 9 : prefix == 'm' ? 6 : prefix == 'k' ? 3 : 0;
        unit_hz_ = std::pow(10.0, unit_exponent_);
        unit_name_ = prefix == 'g' ? "GHz" : prefix == 'm' ? "MHz" : prefix == 'k' ? "kHz" : "Hz";
      } else if (EqualsNoCase(field, "s")) {
        once(parameter, "parameter types");
      } else if (EqualsNoCase(field, "y") || EqualsNoCase(field, "z") || EqualsNoCase(field, "h") ||
                 EqualsNoCase(field, "g")) {
        Fail("only S-parameters can be read: the option line gives " +
             std::string(1, static_cast<char>(Lower(field.front()) - 'a' + 'A')) + "-parameters");
      } else if (EqualsNoCase(field, "ri") || EqualsNoCase(field, "ma") ||
                 EqualsNoCase(field, "db")) {
        once(format, "data formats");
        format_ = EqualsNoCase(field, "ri")   ? Format::kRealImaginary
                  : EqualsNoCase(field, "ma") ? Format::kMagnitudeAngle
                                              : Format::kDecibelAngle;
      } else if (EqualsNoCase(field, "r")) {
        once(reference, "reference impedances");
        const std::string_view value = NextField(text);
        if (value.empty()) Fail("option line: expected a reference impedance after R");
        option_reference_ = Number(value);
        // Version 2.1 may give one per port: "R 50 50 75 75".
        for (std::string_view rest = text;;) {
          const std::string_view more = NextField(rest);
          double ohms = 0;
          if (more.empty() || ParseNumber(more, ohms) != Parsed::kNumber) break;
          if (!version_2_1_) {
            Fail("option line: one reference impedance per port after R needs [Version] 2.1");
          }
          if (references_.empty()) references_.push_back(option_reference_);
          references_.push_back(ohms);
          text = rest;
        }
      } else {
        Fail("unknown option line: " + Quote(field) +
             " is none of Hz, kHz, MHz, GHz, S, RI, MA, DB, R and its value");
      }
    }
  }

  // The keyword of a line that starts with '[', and the rest of the line.
  std::pair<Keyword, std::string_view> KeywordOf(std::string_view text) {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) Fail("expected ']' to close the keyword");
    const std::string_view name = Trim(text.substr(1, close - 1));
    unsigned keyword = 0;
    while (keyword < kUnknown && !EqualsNoCase(name, kKeywordNames[keyword])) ++keyword;
    if (keyword == kUnknown) {
      Fail("unknown keyword " + Quote(text.substr(0, close + 1)) +
           " (not a keyword of version 2.0 or 2.1)");
    }
    if (version_ == 1) {
      Fail("unexpected keyword " + Quote(text.substr(0, close + 1)) +
           ": a version 2 file begins with [Version] 2.0 or 2.1");
    }
    return {static_cast<Keyword>(keyword), Trim(text.substr(close + 1))};
  }

  // Reads one keyword line of the version 2 header; true when it ends the network data before
  // any data.
  bool ReadKeyword(std::string_view text) {
    const auto parsed = KeywordOf(text);
    const Keyword keyword = parsed.first;
    const std::string_view argument = parsed.second;
    const std::string shown = Bracketed(keyword);
    if (in_network_data_) {
      if (keyword == kNoiseData || keyword == kEnd) return true;
      Fail("unexpected keyword " + shown + " in the network data");
    }
    if (keywords_seen_ & (1u << keyword)) Fail("repeated keyword " + shown);
    keywords_seen_ |= 1u << keyword;
    auto count = [&]() {
      const std::optional<long> n = ParseCount(argument);
      if (!n) Fail("expected a whole number of 1 or more after " + shown);
      return *n;
    };
    switch (keyword) {
      case kVersion: {
        double version = 0;
        if (ParseNumber(argument, version) != Parsed::kNumber ||
            (version != 2.0 && version != 2.1)) {
          Fail("unsupported version " + Quote(argument) + ": expected [Version] 2.0 or 2.1");
        }
        version_ = 2;
        version_2_1_ = version == 2.1;
        break;
      }
      case kNumberOfPorts:
        SetPortCount(count(), line_number_);
        break;
      case kTwoPortDataOrder:
        // S_pp is the first or last pair of a 2-port either way; all four need the order.
        if (!EqualsNoCase(argument, "12_21") && !EqualsNoCase(argument, "21_12")) {
          Fail("expected 12_21 or 21_12 after " + shown);
        }
        order_seen_ = true;
        order_12_21_ = EqualsNoCase(argument, "12_21");
        break;
      case kNumberOfFrequencies:
        frequencies_expected_ = count();
        break;
      case kNumberOfNoiseFrequencies:
        count();  // the noise data is not read
        break;
      case kReference:
        if (ports_ == 0) Fail("[Reference] must follow [Number of Ports]");
        references_left_ = ports_;
        references_.clear();  // instead of the option line's
        ReadReferences(argument);
        break;
      case kBeginInformation:
        in_information_ = true;
        break;
      case kEndInformation:
        Fail("[End Information] without [Begin Information]");
      case kMixedModeOrder:
        if (ports_ == 0) Fail("[Mixed-Mode Order] must follow [Number of Ports]");
        modes_left_ = ports_;
        ReadModes(argument);
        break;
      case kMatrixFormat:
        if (EqualsNoCase(argument, "full")) {
          matrix_ = Matrix::kFull;
        } else if (EqualsNoCase(argument, "lower")) {
          matrix_ = Matrix::kLower;
        } else if (EqualsNoCase(argument, "upper")) {
          matrix_ = Matrix::kUpper;
        } else {
          Fail("expected Full, Lower or Upper after " + shown);
        }
        break;
      case kNetworkData:
        if (ports_ == 0) Fail("expected [Number of Ports] before [Network Data]");
        if (frequencies_expected_ == 0) {
          Fail("expected [Number of Frequencies] before [Network Data]");
        }
        if (references_.size() > 1 && references_.size() != static_cast<std::size_t>(ports_)) {
          Fail("the option line lists " + std::to_string(references_.size()) +
               " reference impedances after R: expected one, or one per port (" +
               std::to_string(ports_) + ")");
        }
        ResolveMode();
        in_network_data_ = true;
        break;
      case kNoiseData:
      case kEnd:
        Fail("expected [Network Data] before " + shown);
      case kUnknown:
        break;
    }
    return false;
  }

  void ReadReferences(std::string_view numbers) {
    for (std::string_view field; !(field = NextField(numbers)).empty();) {
      if (references_left_ == 0) {
        Fail("[Reference] lists more than " + std::to_string(ports_) + " reference impedances");
      }
      const double ohms = Number(field);
      ++reference_index_;
      references_.push_back(ohms);
      --references_left_;
    }
  }

  // The ports of a [Mixed-Mode Order]: D or C with the two ports of a pair (D1,3), or S with one.
  void ReadModes(std::string_view names) {
    for (std::string_view field; !(field = NextField(names)).empty();) {
      if (modes_left_ == 0) {
        Fail("[Mixed-Mode Order] lists more than " + std::to_string(ports_) + " ports");
      }
      const char kind = static_cast<char>(Lower(field.front()) - 'a' + 'A');
      const std::size_t comma = field.find(',');
      const std::optional<long> first = ParseCount(field.substr(1, comma - 1));
      const std::optional<long> second =
          comma == std::string_view::npos ? std::nullopt : ParseCount(field.substr(comma + 1));
      const bool pair = kind == 'D' || kind == 'C';
      if (!(pair || kind == 'S') || !first || *first > ports_ || pair != second.has_value() ||
          (second && *second > ports_)) {
        Fail("[Mixed-Mode Order]: " + Quote(field) +
             " is not a port: expected D or C with the two ports of a pair (D1,3), or S with "
             "one (S2), each from 1 to " +
             std::to_string(ports_));
      }
      modes_.emplace_back(field);
      --modes_left_;
    }
  }

  // Which port of the matrix a mixed-mode name gives ("D1,3", or "D1" when only one pair of that
  // mode starts at port 1); and a port number is refused where the ports are mixed-mode.
  void ResolveMode() {
    if (mode_.empty()) {
      if (modes_.empty()) return;
      Fail(two_port_ ? "the file holds mixed-mode data ([Mixed-Mode Order]): a two-port here "
                       "must be single-ended"
                     : "the file holds mixed-mode data: name the port as [Mixed-Mode Order] "
                       "does (" +
                           ModeList() + "), for example " + modes_.front());
    }
    if (modes_.empty()) {
      Fail("port " + mode_ + " is a mixed-mode port, and the file has no [Mixed-Mode Order]: its " +
           std::to_string(ports_) + (ports_ == 1 ? " port is" : " ports are") +
           " single-ended, numbered from 1");
    }
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < modes_.size(); ++i) {
      const std::string_view m = modes_[i];
      if (EqualsNoCase(m, mode_) ||
          (mode_.find(',') == std::string::npos && m.size() > mode_.size() &&
           EqualsNoCase(m.substr(0, mode_.size()), mode_) && m[mode_.size()] == ',')) {
        found.push_back(i);
      }
    }
    if (found.empty()) {
      Fail("[Mixed-Mode Order] has no port " + mode_ + ": it lists " + ModeList());
    }
    if (found.size() > 1) {
      std::string names;
      for (const std::size_t i : found) names += (names.empty() ? "" : ", ") + modes_[i];
      Fail(mode_ + " names several ports of [Mixed-Mode Order] (" + names +
           "): give its pair, for example " + modes_[found.front()]);
    }
    const std::string& m = modes_[found.front()];
    port_ = static_cast<int>(found.front() + 1);
    mode_kind_ = static_cast<char>(Lower(m.front()) - 'a' + 'A');
    const std::size_t comma = m.find(',');
    mode_ports_[0] = *ParseCount(std::string_view(m).substr(1, comma - 1));
    if (comma != std::string::npos)
      mode_ports_[1] = *ParseCount(std::string_view(m).substr(comma + 1));
    if (!std::isfinite(reference_ohms())) {
      Fail("the reference impedance of " + m + " (of its ports together) is not a finite number");
    }
  }

  std::string ModeList() const {
    std::string list;
    for (std::size_t i = 0; i < modes_.size() && i < 8; ++i) list += (i ? " " : "") + modes_[i];
    if (modes_.size() > 8) list += " ...";
    return list;
  }

  // The number of ports of a version 1 file: as given, or from the extension .sNp of its name.
  long PortsFromName() {
    if (given_ports_ > 0) return given_ports_;
    const std::size_t slash = name_.find_last_of("/\\");
    const std::size_t dot = name_.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
        name_.size() - dot >= 4 && Lower(name_[dot + 1]) == 's' && Lower(name_.back()) == 'p') {
      if (const auto n =
              ParseCount(std::string_view(name_).substr(dot + 2, name_.size() - dot - 3))) {
        return *n;
      }
    }
    if (two_port_) return 2;  // a name that does not tell: the two-port asked for
    std::string message =
        "version 1 data needs its number of ports: from a name ending in .sNp (.s1p, .s2p, ...)";
    if (!ports_hint_.empty()) message += ", " + ports_hint_;
    Fail(0, message);
  }

  void SetPortCount(long ports, long line) {
    if (ports > kMaxPorts) {
      Fail(line, "more than " + std::to_string(kMaxPorts) + " ports are not supported");
    }
    ports_ = static_cast<int>(ports);
    if (two_port() && ports_ != 2) {
      Fail(line, "a two-port is needed here, and the file has " + std::to_string(ports_) +
                     (ports_ == 1 ? " port" : " ports"));
    }
    if (!two_port() && mode_.empty() && (port_ < 1 || port_ > ports_)) {
      Fail(line, "port " + std::to_string(port_) + " does not exist: expected a port from 1 to " +
                     std::to_string(ports_));
    }
  }

  // Works out where S_pp lies in a frequency point, and keeps the first data line.
  void StartData(std::string_view first_line) {
    const std::int64_t n = ports_, p = port_;
    std::int64_t pairs = n * n;
    std::int64_t index = (p - 1) * n + (p - 1);  // rows of the full matrix, one after another
    if (version_ == 2 && matrix_ == Matrix::kLower) {
      pairs = n * (n + 1) / 2;  // row i holds S_i1 ... S_ii
      index = p * (p + 1) / 2 - 1;
    } else if (version_ == 2 && matrix_ == Matrix::kUpper) {
      pairs = n * (n + 1) / 2;  // row i holds S_ii ... S_iN
      index = (p - 1) * (n + 1) - (p - 1) * p / 2;
    }
    numbers_per_point_ = 1 + 2 * pairs;
    target_[0] = 1 + 2 * index;
    if (two_port()) {
      // S11 S21 S12 S22, as version 1 writes them; version 2 says its own order, and a lower or
      // upper matrix holds S21 = S12 once.
      if (version_ == 2 && matrix_ != Matrix::kFull) {
        target_[1] = target_[2] = 3;
        target_[3] = 5;
      } else {
        if (version_ == 2 && !order_seen_) {
          Fail(
              "expected [Two-Port Data Order] 12_21 or 21_12 before the data: the order of S21 "
              "and S12 is needed");
        }
        const bool s12_first = version_ == 2 && order_12_21_;
        target_[1] = s12_first ? 5 : 3;
        target_[2] = s12_first ? 3 : 5;
        target_[3] = 7;
      }
    }
    // Version 1 puts a 1- or 2-port point on one line, and otherwise each row of the matrix on
    // lines of at most four pairs.
    lines_per_row_ = n <= 2 ? 1 : (n + 3) / 4;
    lines_per_point_ = n <= 2 ? 1 : n * lines_per_row_;
    data_started_ = true;
    pending_ = first_line;
    pending_line_ = line_number_;
  }

  // The next line that holds data, with its comment and surrounding blanks removed; nothing at
  // the end of the network data (end of file, or [Noise Data] or [End]).
  std::optional<std::string_view> NextDataLine() {
    if (pending_) {
      const std::string_view text = *pending_;
      pending_.reset();
      data_line_ = pending_line_;
      return text;
    }
    while (const auto line = ReadLine()) {
      const std::string_view text = Significant(*line);
      if (text.empty()) continue;
      if (text.front() == '#') {
        ReadOptionLine(text);
      } else if (text.front() == '[') {
        const Keyword keyword = KeywordOf(text).first;
        if (keyword != kNoiseData && keyword != kEnd) {
          Fail("unexpected keyword " + Bracketed(keyword) +
               " in the network data: expected numbers, [Noise Data] or [End]");
        }
        return std::nullopt;
      } else {
        data_line_ = line_number_;
        return text;
      }
    }
    return std::nullopt;
  }

  void CheckFrequency(double frequency, std::string_view field, long line) {
    const std::string unit = std::string(" ") + unit_name_;
    if (frequency < 0) Fail(line, "negative frequency " + Quote(field) + unit);
    if (!std::isfinite(frequency * unit_hz_)) {
      Fail(line, "frequency out of range: " + Quote(field) + unit);
    }
    if (frequencies_read_ > 0 && frequency <= last_frequency_) {
      std::string message = frequency == last_frequency_
                                ? "repeated frequency " + Shortest(frequency) + unit
                                : "decreasing frequencies: " + Shortest(frequency) + unit +
                                      " after " + Shortest(last_frequency_) + unit;
      message += "; frequencies must increase";
      if (version_ == 2) message += " (or the point before has a number too many or too few)";
      Fail(line, message);
    }
    last_frequency_ = frequency;
    ++frequencies_read_;
  }

  bool NextVersion1() {
    const std::optional<std::string_view> first = NextDataLine();
    if (!first) {
      done_ = true;
      return false;
    }
    double frequency_hz = 0;
    std::string_view frequency_field;
    std::int64_t position = 0;  // numbers of the point read so far
    for (std::int64_t j = 0; j < lines_per_point_; ++j) {
      std::string_view text;
      if (j == 0) {
        text = *first;
      } else if (const auto next = NextDataLine()) {
        text = *next;
      } else {
        Fail(data_line_, "the file ends inside a frequency point: expected " +
                             MoreNumbers(numbers_per_point_ - position));
      }
      const std::int64_t column = 4 * (j % lines_per_row_);
      const int pairs = ports_ <= 2 ? ports_ * ports_
                                    : static_cast<int>(std::min<std::int64_t>(4, ports_ - column));
      const int expected = 2 * pairs + (j == 0 ? 1 : 0);
      double values[9];
      int count = 0;
      for (;; ++count) {
        // Only the frequency and the pairs read are needed; the other numbers are only checked.
        if (count < expected && !(j == 0 && count == 0) && !Wanted(position + count)) {
          if (!SkipCheckedField(text)) break;
          continue;
        }
        const std::string_view field = NextField(text);
        if (field.empty()) break;
        if (count < expected) values[count] = Number(field);
        if (j == 0 && count == 0) frequency_field = field;
      }
      if (j == 0 && ports_ == 2 && count == 5 && frequencies_read_ > 0 &&
          values[0] <= last_frequency_) {
        // Noise parameters follow the network data of a 2-port, starting at a frequency not
        // above the last one.
        done_ = true;
        return false;
      }
      if (count != expected) {
        Fail(data_line_, "wrong count of numbers: expected " + std::to_string(expected) +
                             (j == 0 ? " (the frequency and " : " (") + std::to_string(pairs) +
                             (pairs == 1 ? " pair)" : " pairs)") + ", found " +
                             std::to_string(count));
      }
      if (j == 0) {
        CheckFrequency(values[0], frequency_field, data_line_);
        frequency_hz = FrequencyInHz(frequency_field, values[0], unit_exponent_);
      }
      for (int k = 0; k < slots(); ++k) {
        if (target_[k] >= position && target_[k] < position + count) {
          a_[k] = values[target_[k] - position];
          b_[k] = values[target_[k] - position + 1];
          target_line_[k] = data_line_;
        }
      }
      position += count;
    }
    Fill(frequency_hz);
    return true;
  }

  bool NextVersion2() {
    double frequency_hz = 0;
    for (std::int64_t position = 0; position < numbers_per_point_;) {
      const std::string_view field = NextField(line_);
      if (field.empty()) {
        // Numbers run on over lines freely: only their count matters.
        if (const auto next = NextDataLine()) {
          line_ = *next;
          continue;
        }
        if (position > 0) {
          Fail(data_line_, "the network data ends inside a frequency point: expected " +
                               MoreNumbers(numbers_per_point_ - position));
        }
        if (frequencies_read_ != frequencies_expected_) {
          Fail("[Number of Frequencies] is " + std::to_string(frequencies_expected_) +
               " but the network data holds " + std::to_string(frequencies_read_));
        }
        done_ = true;
        return false;
      }
      if (position != 0 && !Wanted(position)) {
        Check(field);  // not needed, only checked
        ++position;
        continue;
      }
      const double value = Number(field);
      if (position == 0) {
        if (frequencies_read_ == frequencies_expected_) {
          Fail("more frequencies than [Number of Frequencies] " +
               std::to_string(frequencies_expected_));
        }
        CheckFrequency(value, field, data_line_);
        frequency_hz = FrequencyInHz(field, value, unit_exponent_);
      } else {
        for (int k = 0; k < slots(); ++k) {
          if (position == target_[k]) {
            a_[k] = value;
            target_line_[k] = data_line_;
          } else if (position == target_[k] + 1) {
            b_[k] = value;
          }
        }
      }
      ++position;
    }
    Fill(frequency_hz);
    return true;
  }

  void Fill(double frequency_hz) {
    frequency_hz_ = frequency_hz;
    for (int k = 0; k < slots(); ++k) {
      if (!Computable(a_[k], b_[k], format_)) {
        static constexpr const char* kTwoPortNames[] = {"S11", "S21", "S12", "S22"};
        const std::string p = std::to_string(port_);
        Fail(target_line_[k],
             (two_port() ? std::string(kTwoPortNames[k]) : "S" + p + (port_ < 10 ? "" : ",") + p) +
                 " out of range: its magnitude or angle is too large to compute "
                 "with");
      }
    }
  }

  bool two_port() const { return two_port_; }
  // Whether the number at `position` of a frequency point is one of a pair that is read.
  bool Wanted(std::int64_t position) const {
    for (int k = 0; k < slots(); ++k) {
      if (position == target_[k] || position == target_[k] + 1) return true;
    }
    return false;
  }
  int slots() const { return two_port() ? 4 : 1; }

  std::string name_;
  int port_;
  bool two_port_;     // all four S-parameters of a 2-port, not S_pp of one port
  std::string mode_;  // a mixed-mode port by its name, instead of port_
  int given_ports_;
  std::string ports_hint_;
  std::unique_ptr<std::ifstream> file_;
  std::istream* in_ = nullptr;

  // Lines of the stream, read in blocks into one buffer that grows only for a long line.
  std::vector<char> buffer_;
  std::size_t begin_ = 0, end_ = 0;
  bool at_end_ = false;
  long line_number_ = 0;  // of the line last read

  // The header.
  int version_ = 0;  // 0 until the first line that is not a comment
  int ports_ = 0;
  double unit_hz_ = 1e9;
  int unit_exponent_ = 9;
  const char* unit_name_ = "GHz";
  Format format_ = Format::kMagnitudeAngle;
  double option_reference_ = 50.0;
  // One reference impedance per port, from [Reference] or a version 2.1 option line; empty
  // when all ports have option_reference_.
  std::vector<double> references_;
  bool version_2_1_ = false;
  bool in_information_ = false;  // within [Begin Information] ... [End Information]
  // [Mixed-Mode Order]: its ports, and how many are still to come.
  std::vector<std::string> modes_;
  long modes_left_ = 0;
  // The chosen mixed-mode port: D, C or S (0 for a port given by number) and its ports.
  char mode_kind_ = 0;
  long mode_ports_[2] = {};
  bool order_seen_ = false, order_12_21_ = false;  // [Two-Port Data Order]
  bool option_seen_ = false;
  unsigned keywords_seen_ = 0;
  Matrix matrix_ = Matrix::kFull;
  std::int64_t frequencies_expected_ = 0;
  long references_left_ = 0;  // numbers of a [Reference] list still to come
  long reference_index_ = 0;  // ports listed so far
  bool in_network_data_ = false;

  // Layout of one frequency point: how many numbers, and where S_pp lies (the index of its first
  // number, after the frequency at index 0).
  std::int64_t numbers_per_point_ = 0;
  // (of S11, S21, S12 and S22 for a two-port).
  std::int64_t target_[4] = {};
  std::int64_t lines_per_row_ = 1, lines_per_point_ = 1;

  // Position in the data.
  bool data_started_ = false;
  std::optional<std::string_view> pending_;  // the first data line, read with the header
  long pending_line_ = 0;
  long data_line_ = 0;     // number of the data line last returned
  std::string_view line_;  // rest of the current version 2 data line
  bool done_ = false;
  std::int64_t frequencies_read_ = 0;
  double last_frequency_ = 0;
  std::optional<ReadError> error_;
  // The point last read: its frequency, and the pairs at target_.
  double frequency_hz_ = 0;
  double a_[4] = {}, b_[4] = {};
  long target_line_[4] = {};
};

ReflectionReader::ReflectionReader(const std::string& path, int port, int ports,
                                   const std::string& ports_hint, const std::string& mixed_mode)
    : impl_(std::make_unique<Impl>(path, port, ports, ports_hint, false, mixed_mode)) {}
ReflectionReader::ReflectionReader(std::istream& in, std::string name, int port, int ports,
                                   const std::string& ports_hint, const std::string& mixed_mode)
    : impl_(std::make_unique<Impl>(in, std::move(name), port, ports, ports_hint, false,
                                   mixed_mode)) {}
ReflectionReader::ReflectionReader(ReflectionReader&&) noexcept = default;
ReflectionReader& ReflectionReader::operator=(ReflectionReader&&) noexcept = default;
ReflectionReader::~ReflectionReader() = default;

int ReflectionReader::port_count() const noexcept {
  return impl_->port_count();
}
double ReflectionReader::reference_ohms() const noexcept {
  return impl_->reference_ohms();
}
Format ReflectionReader::format() const noexcept {
  return impl_->format();
}
const std::string& ReflectionReader::name() const noexcept {
  return impl_->name();
}
bool ReflectionReader::Next(Sample& sample) {
  return impl_->Next(sample);
}

TwoPortReader::TwoPortReader(const std::string& path, int ports, const std::string& ports_hint)
    : impl_(std::make_unique<ReflectionReader::Impl>(path, 1, ports, ports_hint, true)) {}
TwoPortReader::TwoPortReader(std::istream& in, std::string name, int ports,
                             const std::string& ports_hint)
    : impl_(std::make_unique<ReflectionReader::Impl>(in, std::move(name), 1, ports, ports_hint,
                                                     true)) {}
TwoPortReader::TwoPortReader(TwoPortReader&&) noexcept = default;
TwoPortReader& TwoPortReader::operator=(TwoPortReader&&) noexcept = default;
TwoPortReader::~TwoPortReader() = default;

double TwoPortReader::reference_ohms(int port) const noexcept {
  return impl_->reference_ohms(port == 2 ? 1 : 0);
}
Format TwoPortReader::format() const noexcept {
  return impl_->format();
}
const std::string& TwoPortReader::name() const noexcept {
  return impl_->name();
}
bool TwoPortReader::Next(TwoPortSample& sample) {
  return impl_->Next(sample);
}

}  // namespace touchstone
