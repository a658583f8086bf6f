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
// ends on a signal whose default action ends it (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM,
// SIGUSR1, SIGUSR2, SIGXFSZ, SIGPIPE). A symbolic link is followed to the file it names, which is
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
  // Flushes the data to the disk and closes the file, without replacing the target yet: the outputs
  // of one run are all finished before any of them is committed. Raises OutputError.
  void Finish();
  // Finishes the file if it is not yet, and renames it over its target. Raises OutputError.
  void Commit();

 private:
  [[noreturn]] void Fail(const std::string& what);

  std::string path_;    // as given, for messages
  std::string target_;  // the file written, after symbolic links
  std::string temporary_;
  bool direct_ = false;
  bool registered_ = false;
  bool finished_ = false;
  std::FILE* file_ = nullptr;
  std::uint64_t written_ = 0;  // bytes given to Write()
  std::uint64_t started_ = 0;  // bytes whose writing to the disk has been started
};

// Whether two paths name the same file, with symbolic links followed: the same device and inode
// when both exist; otherwise the same final name in the same directory (its device and inode),
// however either path is spelt (relative, with "." or "..", absolute, through a link).
bool SameFile(const std::string& a, const std::string& b);

// Whether `path` names the file that standard output is open on (through /dev/stdout, or a
// shell's redirection to it).
bool IsStandardOutput(const std::string& path);

}  // namespace platform
