#include "ui/sweep_window/sweep_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "calc/result_format.h"
#include "platform/number_format.h"
#include "sweep/note_text.h"

namespace ui {

namespace {

using platform::Shortest;

std::string FileName(const sweep::FilePort& file) {
  if (!file.mode.empty()) return file.path + ":" + file.mode;
  const std::string port = std::to_string(file.port);
  return file.path + ":" + port + port;  // S22 of port 2, S1010 of port 10
}

// About how many lines a regular file has (0 when it is none, or cannot be read): its size over
// the length of the lines in its first 64 KiB. Enough for a progress bar, without reading it twice.
long long EstimateLines(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  std::string text(std::size_t{1} << 16, '\0');
  const char* buffer = text.data();
  const std::size_t got = std::fread(text.data(), 1, text.size(), file);
  long long size = 0;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  std::fclose(file);
  long long lines = 0;
  for (const char* p = buffer;
       (p = static_cast<const char*>(std::memchr(p, '\n', buffer + got - p))) != nullptr; ++p) {
    ++lines;
  }
  if (got == 0 || lines == 0 || size <= 0) return 0;
  return static_cast<long long>(static_cast<double>(size) * static_cast<double>(lines) /
                                static_cast<double>(got));
}

bool IsRegularFile(const std::string& path) {
  // Pipes and devices are read once only: they are not counted before.
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  const bool seekable = std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) > 0;
  std::fclose(file);
  return seekable;
}

}  // namespace

std::string SideName(const SweepSide& side) {
  if (!side.fixed) return FileName(side);
  return Shortest(side.fixed->magnitude) + " \u2220 " + Shortest(side.fixed->angle_deg) + "\u00b0";
}

std::string RequestName(const SweepRequest& request) {
  std::string name = SideName(request.source) + " \u2192 " + SideName(request.load);
  if (request.through && request.through->fixed) {
    name += " through a fixed two-port";
  } else if (request.through) {
    name += " through " + request.through->path + (request.through->reversed ? ":21" : "");
  }
  return name;
}

// The pictures' title: the files by their names, without their folders.
std::string PictureTitle(SweepRequest request) {
  for (SweepSide* side : {&request.source, &request.load}) {
    side->path = std::filesystem::path(side->path).filename().string();
  }
  if (request.through) {
    request.through->path = std::filesystem::path(request.through->path).filename().string();
  }
  return RequestName(request);
}

std::vector<std::string> RequestFiles(const SweepRequest& request) {
  std::vector<std::string> files;
  for (const SweepSide* side : {&request.source, &request.load}) {
    if (!side->fixed) files.push_back(side->path);
  }
  if (request.through && !request.through->fixed) files.push_back(request.through->path);
  return files;
}

sweep::SweepRow SweepData::Row(long long row) const {
  if (const auto kept = kept_.find(row); kept != kept_.end()) return kept->second;
  const Stored& s = rows_[static_cast<std::size_t>(row)];
  return sweep::MakeRow(s.hz, s.source_magnitude, s.source_angle_deg, s.load_magnitude,
                        s.load_angle_deg, reference_ohms_,
                        through_.empty() ? nullptr : &through_[static_cast<std::size_t>(row)]);
}

long long SweepData::NearestRow(double hz) const {
  if (rows_.empty()) return -1;
  const auto after = std::lower_bound(rows_.begin(), rows_.end(), hz,
                                      [](const Stored& s, double f) { return s.hz < f; });
  long long index = after - rows_.begin();
  if (index == size()) return index - 1;
  if (index > 0 && hz - rows_[static_cast<std::size_t>(index - 1)].hz < after->hz - hz) --index;
  return index;
}

draw::SmithPoint SweepData::SmithPointOf(long long row) const {
  draw::SmithData one({});
  one.Add(Row(row));
  return one.Points().front();
}

void SweepData::Add(const sweep::SweepRow& row) {
  plot_.Add(row);
  smith_.Add(row);
  rows_.push_back({row.frequency_hz, row.source_magnitude, row.source_angle_deg, row.load_magnitude,
                   row.load_angle_deg});
  if (row.has_through) through_.push_back(row.through_s);
  if (sweep::RowFailed(row)) {
    // Failed rows are few: each is checked to come out the same when made again.
    if (sweep::RowWarning(Row(size() - 1)) != sweep::RowWarning(row))
      kept_.emplace(size() - 1, row);
    ++failed_;
    if (first_failed_.size() < kFirstFailed) first_failed_.push_back(row.frequency_hz);
  }
  if (!row.computed) return;
  const double ml = row.result.MismatchLossDb;
  if (!least_.found || ml < least_.ml_db) least_ = {true, ml, row.frequency_hz};
  if (!greatest_.found || ml > greatest_.ml_db) greatest_ = {true, ml, row.frequency_hz};
}

std::shared_ptr<SweepData> ReadSweep(const SweepRequest& request, const std::atomic<bool>& cancel,
                                     const std::function<void(double)>& progress,
                                     const std::function<void(const sweep::SweepRow&)>& also) {
  auto data = std::make_shared<SweepData>(PictureTitle(request));
  // The rows to expect: about as many as the lines of the longer file.
  long long expected = 0;
  for (const SweepSide* side : {&request.source, &request.load}) {
    if (!side->fixed && IsRegularFile(side->path)) {
      expected = std::max(expected, EstimateLines(side->path));
    }
  }
  progress(expected > 0 ? 0.0 : -1.0);
  long long rows = 0;
  const long long step = std::max<long long>(1, expected / 100);
  const auto note = [&data](const sweep::Note& n) { data->AddNote(sweep::NoteText(n)); };
  const auto sink = [&](const sweep::SweepRow& row) {
    if (cancel.load(std::memory_order_relaxed)) throw SweepCancelled{};
    data->Add(row);
    if (also) also(row);
    if (expected > 0 && ++rows % step == 0) {
      progress(std::min(1.0, static_cast<double>(rows) / static_cast<double>(expected)));
    }
  };
  sweep::SweepSummary summary;
  if (request.source.fixed && request.load.fixed) {
    throw sweep::SweepError("a sweep needs a Touchstone file for the source or for the load");
  }
  summary = request.through
                ? sweep::RunSweep(request.source, request.load, *request.through, note, sink)
                : sweep::RunSweep(request.source, request.load, note, sink);
  data->set_reference_ohms(summary.reference_ohms);
  progress(1.0);
  return data;
}

}  // namespace ui
