#include "ui/sweep_window/sweep_export.h"

#include "platform/atomic_file.h"
#include "sweep/csv.h"

namespace ui {

namespace {

void RefuseInputs(const std::string& path, const std::vector<std::string>& inputs) {
  for (const std::string& input : inputs) {
    if (platform::SameFile(path, input)) {
      throw platform::OutputError(path + ": is the input file " + input +
                                  ", which would be lost: choose another name");
    }
  }
}

}  // namespace

void WriteWholeFile(const std::string& path, std::string_view contents,
                    const std::vector<std::string>& inputs) {
  RefuseInputs(path, inputs);
  platform::AtomicFile file(path);
  file.Write(contents);
  file.Commit();
}

void WriteCsv(const SweepData& data, const std::string& path,
              const std::vector<std::string>& inputs) {
  RefuseInputs(path, inputs);
  platform::AtomicFile file(path);
  std::string text = sweep::CsvHeader(data.through());
  for (long long i = 0; i < data.size(); ++i) {
    sweep::AppendCsvRow(text, data.Row(i));
    if (text.size() >= (1u << 20)) {
      file.Write(text);
      text.clear();
    }
  }
  file.Write(text);
  file.Commit();
}

}  // namespace ui
