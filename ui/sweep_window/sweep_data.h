#pragma once

// A sweep as the sweep window holds it: the request (which file and port, or which fixed
// reflection coefficient, on each side, and a two-port between), and the rows read in the
// background, kept as the few numbers each row is made from. Plain C++, without Qt.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calc/two_port.h"
#include "draw/plot_data.h"
#include "sweep/sweep.h"

namespace ui {

// One side of the junction: a port of a Touchstone file, or one reflection coefficient for every
// frequency (`fixed`: a data sheet's match, or the main window's), against the other side's
// reference impedance.
using SweepSide = sweep::FilePort;

struct SweepRequest {
  SweepSide source, load;
  std::optional<sweep::ThroughFile> through;
};

// "amp.s2p:22", "bal.s4p:D1,3", or "0.5 ∠ 30°" for a fixed side.
std::string SideName(const SweepSide& side);
// "amp.s2p:22 → filter.s2p:11", with " through att.s2p" (":21" when turned round).
std::string RequestName(const SweepRequest& request);
// The same with the files' names alone, for the pictures.
std::string PictureTitle(SweepRequest request);
// The files the request reads, for the check that no output is written over one of them.
std::vector<std::string> RequestFiles(const SweepRequest& request);

// Where the mismatch loss is least or greatest.
struct Extreme {
  bool found = false;
  double ml_db = 0.0;  // +inf: no power reaches the load
  double frequency_hz = 0.0;
};

// The rows of a sweep. Each is kept as its frequency and its two reflection coefficients as
// used (and the two-port's S-parameters), and made again on demand with sweep::MakeRow, which
// gives the same bits as the sweep itself: a million rows take 40 bytes each, and no text.
class SweepData {
 public:
  long long size() const { return static_cast<long long>(rows_.size()); }
  bool through() const { return !through_.empty(); }
  double reference_ohms() const { return reference_ohms_; }
  double frequency(long long row) const { return rows_[static_cast<std::size_t>(row)].hz; }
  sweep::SweepRow Row(long long row) const;
  // The row whose frequency is nearest to `hz`.
  long long NearestRow(double hz) const;

  const std::vector<std::string>& notes() const { return notes_; }
  const Extreme& least() const { return least_; }
  const Extreme& greatest() const { return greatest_; }
  long long failed() const { return failed_; }
  // The frequencies of the first rows that could not be computed (at most kFirstFailed).
  static constexpr int kFirstFailed = 10;
  const std::vector<double>& first_failed() const { return first_failed_; }

  // What the pictures show, gathered as the rows came (in bounded memory).
  const draw::PlotData& plot() const { return plot_; }
  const draw::SmithData& smith() const { return smith_; }
  // The point of one row on the Smith chart.
  draw::SmithPoint SmithPointOf(long long row) const;

  explicit SweepData(const std::string& title = {}) : plot_(title), smith_(title) {}
  void Add(const sweep::SweepRow& row);
  void AddNote(std::string note) { notes_.push_back(std::move(note)); }
  void set_reference_ohms(double ohms) { reference_ohms_ = ohms; }

 private:
  struct Stored {
    double hz, source_magnitude, source_angle_deg, load_magnitude, load_angle_deg;
  };
  std::deque<Stored> rows_;  // in blocks: no copy of the whole as it grows
  std::deque<calc::TwoPortS> through_;
  // The few rows that their numbers cannot make again: those of a "nan" or "inf" in a file, whose
  // warning names the file's line.
  std::map<long long, sweep::SweepRow> kept_;
  double reference_ohms_ = 0.0;
  std::vector<std::string> notes_;
  Extreme least_, greatest_;
  long long failed_ = 0;
  std::vector<double> first_failed_;
  draw::PlotData plot_;
  draw::SmithData smith_;
};

// Reading was cancelled.
struct SweepCancelled {};

// Reads the sweep of `request`, front to back. `cancel` is looked at for every row;
// `progress` receives the share read so far (0 to 1; -1 while it cannot be told) now and then,
// and `also` every row as it comes. Raises touchstone::ReadError for a file
// that cannot be read, sweep::SweepError for files that cannot be used together, SweepCancelled.
std::shared_ptr<SweepData> ReadSweep(const SweepRequest& request, const std::atomic<bool>& cancel,
                                     const std::function<void(double)>& progress,
                                     const std::function<void(const sweep::SweepRow&)>& also = {});

}  // namespace ui
