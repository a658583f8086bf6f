#include "platform/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace platform {

namespace {

// Temporary files to remove when a signal ends the process. A handler may only call
// async-signal-safe functions: it reads these slots and calls unlink.
constexpr std::size_t kSlots = 16;
std::array<std::atomic<char*>, kSlots> g_temporaries{};
// Every signal that ends the process by default and that a user, a shell or the system sends: an
// interrupt, a termination, a lost terminal, a quit, a timer, the user's signals, a file grown over
// its limit, and a reader of standard output gone.
constexpr int kSignals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT, SIGALRM,
                            SIGUSR1, SIGUSR2, SIGXFSZ, SIGPIPE};

extern "C" void RemoveTemporariesAndDie(int signal_number) {
  for (auto& slot : g_temporaries) {
    if (char* path = slot.load()) unlink(path);
  }
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// Installs the handler for the signals that still have their default action.
void InstallHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const int s : kSignals) {
      struct sigaction current {};
      if (sigaction(s, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = RemoveTemporariesAndDie;
      sigemptyset(&action.sa_mask);
      sigaction(s, &action, nullptr);
    }
  });
}

bool Register(const std::string& path) {
  char* copy = strdup(path.c_str());
  if (copy == nullptr) return false;
  for (auto& slot : g_temporaries) {
    char* expected = nullptr;
    if (slot.compare_exchange_strong(expected, copy)) return true;
  }
  std::free(copy);
  return false;
}

void Unregister(const std::string& path) {
  for (auto& slot : g_temporaries) {
    char* held = slot.load();
    if (held != nullptr && path == held && slot.compare_exchange_strong(held, nullptr)) {
      std::free(held);
      return;
    }
  }
}

// The signals above held back while a temporary file is made and registered.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : kSignals) sigaddset(&set, s);
    sigprocmask(SIG_BLOCK, &set, &previous_);
  }
  ~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

 private:
  sigset_t previous_;
};

// The file that `path` names after following symbolic links (which may end at a file not yet
// made).
std::string FollowLinks(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path at = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at.string();
    std::error_code error;
    const fs::path target = fs::read_symlink(at, error);
    if (error) return at.string();
    at = target.is_absolute() ? target : at.parent_path() / target;
  }
  return at.string();
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  target_ = FollowLinks(path_);
  struct stat st {};
  const bool exists = stat(target_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    Fail("cannot write");
  }
  if (exists && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
    // A pipe or a device takes the data as it comes; there is nothing to rename over it.
    direct_ = true;
    const int fd = open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) Fail("cannot write");
    file_ = fdopen(fd, "wb");
    if (file_ == nullptr) {
      close(fd);
      Fail("cannot write");
    }
    temporary_ = target_;
    return;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    throw OutputError(path_ +
                      ": cannot write: neither a regular file, a FIFO nor a character "
                      "device");
  }
  InstallHandlers();
  int fd = -1;
  {
    const SignalsHeld held;
    temporary_ = target_ + ".XXXXXX";
    fd = mkstemp(temporary_.data());
    if (fd >= 0) registered_ = Register(temporary_);
  }
  if (fd < 0) {
    const std::string reason = std::strerror(errno);
    temporary_.clear();
    throw OutputError(path_ + ": cannot create a file beside it: " + reason);
  }
  // mkstemp makes the file private: give it the permissions of the file it replaces, or those
  // of an ordinary new file.
  mode_t mode = 0;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  fchmod(fd, mode);
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    close(fd);
    Fail("cannot write");
  }
}

AtomicFile::~AtomicFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!direct_ && !temporary_.empty()) std::remove(temporary_.c_str());
  if (registered_) Unregister(temporary_);
}

void AtomicFile::Fail(const std::string& what) {
  throw OutputError(path_ + ": " + what + ": " + std::strerror(errno));
}

void AtomicFile::Write(std::string_view data) {
  if (std::fwrite(data.data(), 1, data.size(), file_) != data.size()) Fail("cannot write");
  written_ += data.size();
#ifdef __linux__
  // Large output goes to the disk while the rest is being computed, so that the flush before the
  // rename has little left to wait for: every few megabytes the kernel is asked to start writing
  // what it has (without waiting for it).
  constexpr std::uint64_t kWriteBehind = std::uint64_t{8} << 20;
  if (!direct_ && written_ - started_ >= kWriteBehind) {
    if (std::fflush(file_) != 0) Fail("cannot write");
    sync_file_range(fileno(file_), static_cast<off_t>(started_),
                    static_cast<off_t>(written_ - started_), SYNC_FILE_RANGE_WRITE);
    started_ = written_;
  }
#endif
}

void AtomicFile::Finish() {
  if (finished_) return;
  finished_ = true;
  std::FILE* file = file_;
  file_ = nullptr;
  // On the disk before the rename, so that a power cut leaves the old file or the new one.
  if (std::fflush(file) != 0 || (!direct_ && fsync(fileno(file)) != 0)) {
    const int cause = errno;
    std::fclose(file);
    errno = cause;
    Fail("cannot write");
  }
  if (std::fclose(file) != 0) Fail("cannot write");
}

void AtomicFile::Commit() {
  Finish();
  if (direct_ || temporary_.empty()) return;
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) Fail("cannot replace");
  if (registered_) Unregister(temporary_);
  registered_ = false;
  temporary_.clear();
  // The rename itself reaches the disk with the directory.
  const std::string directory = std::filesystem::path(target_).parent_path().string();
  const int dir = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

namespace {

// Where a path leads once symbolic links are followed: the device and inode of the file, or of
// its directory with the final name when the file does not exist (yet).
struct Place {
  bool known = false;
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;
};

Place PlaceOf(const std::string& path) {
  Place place;
  const std::string target = FollowLinks(path);
  struct stat st {};
  if (stat(target.c_str(), &st) == 0) {
    place.known = place.exists = true;
    place.device = st.st_dev;
    place.inode = st.st_ino;
    return place;
  }
  const std::filesystem::path p = target;
  place.name = p.filename().string();
  const std::string directory = p.has_parent_path() ? p.parent_path().string() : ".";
  if (place.name.empty() || place.name == "." || place.name == "..") return place;
  char* resolved = realpath(directory.c_str(), nullptr);
  if (resolved == nullptr) return place;
  const bool found = stat(resolved, &st) == 0;
  std::free(resolved);
  if (!found) return place;
  place.known = true;
  place.device = st.st_dev;
  place.inode = st.st_ino;
  return place;
}

}  // namespace

bool IsStandardOutput(const std::string& path) {
  struct stat out {};
  struct stat named {};
  return ::fstat(STDOUT_FILENO, &out) == 0 && ::stat(path.c_str(), &named) == 0 &&
         out.st_dev == named.st_dev && out.st_ino == named.st_ino;
}

bool SameFile(const std::string& a, const std::string& b) {
  const Place pa = PlaceOf(a), pb = PlaceOf(b);
  if (pa.known && pb.known) {
    return pa.exists == pb.exists && pa.device == pb.device && pa.inode == pb.inode &&
           pa.name == pb.name;
  }
  // A directory that cannot be resolved: compare the spellings, made absolute and normal.
  const auto spelt = [](const std::string& path) {
    std::error_code error;
    return std::filesystem::absolute(FollowLinks(path), error).lexically_normal();
  };
  return spelt(a) == spelt(b);
}

}  // namespace platform
