#include "platform/temp_records.h"

#include <sys/types.h>
#include <unistd.h>

namespace platform {

TempRecords::TempRecords(std::size_t record_size)
    : record_size_(record_size), file_(std::tmpfile()) {}

TempRecords::~TempRecords() {
  if (file_ != nullptr) std::fclose(file_);
}

bool TempRecords::Write(const void* record) {
  if (std::fwrite(record, record_size_, 1, file_) != 1) return false;
  ++count_;
  return true;
}

bool TempRecords::Rewind() {
  return std::fflush(file_) == 0 && std::fseek(file_, 0, SEEK_SET) == 0;
}

bool TempRecords::Read(void* record, bool& failed) {
  failed = false;
  if (std::fread(record, record_size_, 1, file_) == 1) return true;
  failed = std::ferror(file_) != 0;
  return false;
}

bool TempRecords::ReadAt(long long index, void* data, std::size_t size) const {
  // pread leaves the stream's own position alone, so reading on with Read() is not disturbed.
  const off_t at = static_cast<off_t>(index) * static_cast<off_t>(record_size_);
  return pread(fileno(file_), data, size, at) == static_cast<ssize_t>(size);
}

}  // namespace platform
