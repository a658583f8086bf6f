#pragma once

// Line reading for the Touchstone reader: the lines of a stream in constant memory, and the
// small text helpers that split them into fields. Internal to touchstone/.

#include <array>
#include <cstddef>
#include <cstring>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace touchstone::detail {

constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// IsBlank by table, for the data's inner loop.
inline constexpr std::array<bool, 256> kBlanks = [] {
  std::array<bool, 256> blanks{};
  for (int c = 0; c < 256; ++c) blanks[static_cast<std::size_t>(c)] = IsBlank(static_cast<char>(c));
  return blanks;
}();

inline char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b);
// Whether `text` starts with `prefix`, ignoring case.
bool StartsNoCase(std::string_view text, std::string_view prefix);
std::string_view Trim(std::string_view s);

// A line without its comment ('!' to the end of the line) and surrounding blanks.
inline std::string_view Significant(std::string_view line) {
  if (const void* bang = std::memchr(line.data(), '!', line.size())) {
    line = line.substr(0, static_cast<const char*>(bang) - line.data());
  }
  return Trim(line);
}

// Splits the next blank-separated field off `rest`; empty when none is left.
inline std::string_view NextField(std::string_view& rest) {
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
std::string Quote(std::string_view text);

// The lines of a stream, read in blocks into one buffer that grows only for a long line. A line
// ends in LF, CR LF or CR alone (as old exports end their lines); a line longer than 1 MiB is an
// error. Raises ReadError naming `name`.
class LineReader {
 public:
  LineReader(std::istream& in, std::string name);
  // The next line without its line end, valid until the next call; nothing at the end.
  std::optional<std::string_view> Next();
  long line_number() const noexcept { return line_number_; }  // of the line last read

 private:
  std::istream* in_;
  std::string name_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0, end_ = 0;
  bool at_end_ = false;
  long line_number_ = 0;
};

}  // namespace touchstone::detail
