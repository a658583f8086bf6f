#pragma once

// The sweep window's files: the table as CSV, the pictures as they are drawn. Each is written
// whole or not at all (platform/atomic_file.h), and never over a file the sweep was read from.
// Plain C++, without Qt.

#include <string>
#include <string_view>
#include <vector>

#include "ui/sweep_window/sweep_data.h"

namespace ui {

// Raises platform::OutputError when `path` names one of `inputs` (also through a link) or cannot
// be written.
void WriteWholeFile(const std::string& path, std::string_view contents,
                    const std::vector<std::string>& inputs);

// The table of every row, as voranth-calc writes it for the same files (sweep/csv.h).
void WriteCsv(const SweepData& data, const std::string& path,
              const std::vector<std::string>& inputs);

}  // namespace ui
