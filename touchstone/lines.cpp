#include "touchstone/lines.h"

#include <algorithm>
#include <cerrno>

#include "touchstone/touchstone.h"

namespace touchstone::detail {

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 16;
constexpr std::size_t kMaxLine = std::size_t{1} << 20;

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Quote(std::string_view text) {
  constexpr std::size_t kShown = 24;
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    quoted += text[i] >= ' ' && text[i] <= '~' ? text[i] : '?';
  }
  if (text.size() > kShown) quoted += "...";
  return quoted + "\"";
}

LineReader::LineReader(std::istream& in, std::string name)
    : in_(&in), name_(std::move(name)), buffer_(kBlock) {}

std::optional<std::string_view> LineReader::Next() {
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
    // The line goes on beyond the buffer: move its start to the front (growing the buffer when
    // the line fills it) and read the next block behind it.
    if (size >= kMaxLine) {
      throw ReadError(name_, line_number_ + 1,
                      "line longer than " + std::to_string(kMaxLine) + " characters");
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
      throw ReadError(name_, line_number_ == 0 ? 0 : line_number_ + 1,
                      std::string("cannot read the file") +
                          (cause != 0 ? std::string(": ") + std::strerror(cause) : ""));
    }
    if (!*in_) at_end_ = true;
  }
}

}  // namespace touchstone::detail
