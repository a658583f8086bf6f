#pragma once

#include <string>
#include <vector>

#include "sweep/sweep.h"

namespace draw {

// One point of the plot. NaN: no value here (the line has a gap); +inf: unbounded (drawn at
// the top edge of its axis).
struct PlotPoint {
  double frequency_hz = 0.0;
  double ml_db = 0.0;
  double ml_min_db = 0.0;  // the mismatch loss at any phase, lower and upper edge
  double ml_max_db = 0.0;
  double rl_db = 0.0;
  // With a two-port between: the mismatch loss at the source plane and at the load plane, each
  // with its range at any phase, and the transducer gain (-inf: no power reaches the load).
  double source_plane_db = 0.0, source_plane_min_db = 0.0, source_plane_max_db = 0.0;
  double load_plane_db = 0.0, load_plane_min_db = 0.0, load_plane_max_db = 0.0;
  double gain_db = 0.0;
};

// The points to plot, gathered row by row in bounded memory: a sweep of more points than a
// picture can show is reduced to the least and greatest value of each curve per sliver of
// neighbouring rows, which keeps every peak and notch. The slivers widen as rows come, so the
// length of the sweep need not be known in advance.
class PlotData {
 public:
  static constexpr int kSlivers = 4000;

  explicit PlotData(std::string title);
  void Add(const sweep::SweepRow& row);
  // The points, in order of frequency (after the last Add). With `most` > 0, neighbouring
  // slivers are merged further so that at most `most` remain: a picture need not draw more
  // than its width can show, and still gets every peak and notch.
  std::vector<PlotPoint> Points(std::size_t most = 0) const;

  const std::string& title() const { return title_; }
  // A frequency span of two decades or more.
  // Whether the rows had a two-port between source and load.
  bool through() const { return through_; }
  bool log_axis() const { return first_hz_ > 0.0 && last_hz_ >= 100.0 * first_hz_; }
  double first_hz() const { return first_hz_; }
  double last_hz() const { return last_hz_; }

 private:
  struct Sliver {
    long long count = 0;
    PlotPoint first, low, high;
    double last_hz = 0.0;
  };
  static void Merge(Sliver& into, const Sliver& next);

  std::string title_;
  bool through_ = false;
  double first_hz_ = 0.0, last_hz_ = 0.0;
  long long rows_per_sliver_ = 1;
  std::vector<Sliver> slivers_;  // at most 2 kSlivers
};

// One point of the Smith chart: ΓS, ΓL and, with a two-port between, Γout (NaN: not computed).
struct SmithPoint {
  double frequency_hz = 0.0;
  calc::Complex source, load, out;
};

// The points of the Smith chart, gathered row by row in bounded memory: a sweep of more points
// than a chart can show keeps every second, then every fourth row and so on (a curve over
// frequency does not jump between neighbouring rows), and always its first and last rows.
class SmithData {
 public:
  static constexpr int kPoints = 2000;

  explicit SmithData(std::string title);
  void Add(const sweep::SweepRow& row);
  std::vector<SmithPoint> Points() const;

  const std::string& title() const { return title_; }
  bool through() const { return through_; }

 private:
  std::string title_;
  bool through_ = false;
  long long rows_ = 0, stride_ = 1;
  // A row as it came; made a point (which takes a sine and a cosine) only when kept.
  struct Row {
    double frequency_hz = 0.0;
    double source_magnitude = 0.0, source_angle_deg = 0.0;
    double load_magnitude = 0.0, load_angle_deg = 0.0;
    calc::Complex out;
  };
  static SmithPoint PointOf(const Row& row);
  std::vector<SmithPoint> kept_;  // at most 2 kPoints
  Row last_;
};

}  // namespace draw
