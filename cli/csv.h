#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/number_format.h"

namespace cli {

struct SweepRow;

// The shortest text that reads back to the same double, as the tables and messages write numbers.
using platform::Shortest;

// The CSV table of a sweep: a header row, then one row per frequency with the numbers at full
// precision. A mismatch loss or return loss without bound is "inf"; a figure that is not defined
// is an empty field; a point that could not be computed keeps its frequency and reflection
// coefficients, leaves the results empty and gives the reason in the last column.
std::string CsvHeader();
void AppendCsvRow(std::string& out, const SweepRow& row);

// A failure to write output; what() names the file and the reason.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Output that appears in full or not at all: it is written to a temporary file in the target's
// directory, which Commit() renames over the target. Without Commit() the temporary file is
// removed and the target is left as it was.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);  // raises OutputError
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  const std::string& temporary_path() const { return temporary_; }
  void Write(std::string_view data);  // raises OutputError
  void Commit();                      // raises OutputError

 private:
  [[noreturn]] void Fail(const std::string& what);

  std::string path_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
};

}  // namespace cli
