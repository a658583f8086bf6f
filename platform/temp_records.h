#pragma once

// An unnamed temporary file of fixed-size records, written front to back, then read front to back
// or at any record. It disappears when closed, also when the program ends without closing it.

#include <cstddef>
#include <cstdio>

namespace platform {

class TempRecords {
 public:
  // Records of `record_size` bytes. Check ok(): false when no temporary file could be made.
  explicit TempRecords(std::size_t record_size);
  ~TempRecords();
  TempRecords(const TempRecords&) = delete;
  TempRecords& operator=(const TempRecords&) = delete;

  bool ok() const noexcept { return file_ != nullptr; }
  long long count() const noexcept { return count_; }

  // Appends one record. False on failure, errno then says why.
  bool Write(const void* record);
  // Ends writing; reading starts at the first record. False on failure.
  bool Rewind();
  // Reads the next record; false at the end (`failed` false) or on failure (`failed` true).
  bool Read(void* record, bool& failed);
  // Reads `size` bytes at the start of record `index` without moving the reading position.
  bool ReadAt(long long index, void* data, std::size_t size) const;

 private:
  std::size_t record_size_;
  std::FILE* file_;
  long long count_ = 0;
};

}  // namespace platform
