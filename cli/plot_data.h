#pragma once

#include <string>
#include <vector>

#include "cli/sweep.h"

namespace cli {

// One point of the plot. NaN: no value here (the line has a gap); +inf: unbounded (drawn at
// the top edge of its axis).
struct PlotPoint {
  double frequency_hz = 0.0;
  double ml_db = 0.0;
  double ml_min_db = 0.0;  // the mismatch loss at any phase, lower and upper edge
  double ml_max_db = 0.0;
  double rl_db = 0.0;
};

// The points to plot, gathered row by row in bounded memory: a sweep of more points than a
// picture can show is reduced to the least and greatest value of each curve per sliver of the
// frequency axis, which keeps every peak and notch.
class PlotData {
 public:
  static constexpr int kSlivers = 4000;

  PlotData(const SweepPlan& plan, std::string title);
  void Add(const SweepRow& row);
  // The points, in order of frequency (after the last Add).
  std::vector<PlotPoint> Points() const;

  const std::string& title() const { return title_; }
  bool log_axis() const { return log_axis_; }  // a frequency span of two decades or more
  double first_hz() const { return first_hz_; }
  double last_hz() const { return last_hz_; }

 private:
  struct Sliver {
    long long count = 0;
    PlotPoint first, low, high;
    double last_hz = 0.0;
  };
  double Position(double hz) const;  // 0 at the first frequency, 1 at the last

  std::string title_;
  bool log_axis_ = false;
  double first_hz_ = 0.0, last_hz_ = 0.0;
  bool reduce_ = false;
  std::vector<PlotPoint> all_;   // when every point is kept
  std::vector<Sliver> slivers_;  // otherwise
};

}  // namespace cli
