#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A failure to write output; what() names the file and the reason.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Output that appears in full or not at all. A regular file (or a new one) is written to a
// temporary file beside it, flushed to the disk and renamed over it by Commit(); without Commit()
// the temporary file is removed and the target is left as it was, and so it is when the process
// ends on SIGINT, SIGTERM or SIGHUP. A symbolic link is followed to the file it names, which is
// written instead of the link; an existing file keeps its permissions. A FIFO or a character
// device (a pipe, a terminal, /dev/null) is written directly, since it cannot be replaced.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);  // raises OutputError
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // The file written until Commit(): the temporary file, or the target itself when written
  // directly.
  const std::string& temporary_path() const { return temporary_; }
  bool direct() const { return direct_; }
  void Write(std::string_view data);  // raises OutputError
  void Commit();                      // raises OutputError

 private:
  [[noreturn]] void Fail(const std::string& what);

  std::string path_;    // as given, for messages
  std::string target_;  // the file written, after symbolic links
  std::string temporary_;
  bool direct_ = false;
  bool registered_ = false;
  std::FILE* file_ = nullptr;
  std::uint64_t written_ = 0;  // bytes given to Write()
  std::uint64_t started_ = 0;  // bytes whose writing to the disk has been started
};

// Whether two paths name the same file: the same device and inode when both exist, otherwise the
// same path once symbolic links and "." and ".." are resolved.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace platform
