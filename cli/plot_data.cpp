#include "cli/plot_data.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "calc/result_format.h"

namespace cli {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

PlotPoint PointOf(const SweepRow& row) {
  PlotPoint p;
  p.frequency_hz = row.frequency_hz;
  if (!row.computed) {
    p.ml_db = p.ml_min_db = p.ml_max_db = p.rl_db = kNaN;
    return p;
  }
  const calc::Results r = calc::ResultsOf(row.result);
  p.ml_db = calc::PlotValue(r.mismatch_loss_db);
  p.rl_db = calc::PlotValue(r.return_loss_db);
  p.ml_min_db = calc::PlotValue(row.figures.loss_min_db);
  p.ml_max_db = calc::PlotValue(row.figures.loss_max_db);
  return p;
}

// The least and greatest of the values that exist; NaN only when none does.
double Low(double a, double b) {
  return std::fmin(a, b);
}
double High(double a, double b) {
  return std::fmax(a, b);
}

}  // namespace

PlotData::PlotData(const SweepPlan& plan, std::string title)
    : title_(std::move(title)), first_hz_(plan.first_hz), last_hz_(plan.last_hz) {
  log_axis_ = first_hz_ > 0.0 && last_hz_ >= 100.0 * first_hz_;
  reduce_ = plan.rows > 2 * kSlivers && last_hz_ > first_hz_;
  if (reduce_) {
    slivers_.resize(kSlivers);
  } else {
    all_.reserve(static_cast<std::size_t>(plan.rows));
  }
}

double PlotData::Position(double hz) const {
  if (log_axis_) return std::log(hz / first_hz_) / std::log(last_hz_ / first_hz_);
  return (hz - first_hz_) / (last_hz_ - first_hz_);
}

void PlotData::Add(const SweepRow& row) {
  const PlotPoint p = PointOf(row);
  if (!reduce_) {
    all_.push_back(p);
    return;
  }
  const double position = Position(p.frequency_hz);
  const int index = std::clamp(
      static_cast<int>(std::isfinite(position) ? position * kSlivers : 0.0), 0, kSlivers - 1);
  Sliver& s = slivers_[static_cast<std::size_t>(index)];
  if (s.count++ == 0) {
    s.first = s.low = s.high = p;
  } else {
    s.low.ml_db = Low(s.low.ml_db, p.ml_db);
    s.low.rl_db = Low(s.low.rl_db, p.rl_db);
    s.high.ml_db = High(s.high.ml_db, p.ml_db);
    s.high.rl_db = High(s.high.rl_db, p.rl_db);
    // The band covers every phase range in the sliver.
    s.low.ml_min_db = s.high.ml_min_db = Low(s.low.ml_min_db, p.ml_min_db);
    s.low.ml_max_db = s.high.ml_max_db = High(s.high.ml_max_db, p.ml_max_db);
  }
  s.last_hz = p.frequency_hz;
}

std::vector<PlotPoint> PlotData::Points() const {
  if (!reduce_) return all_;
  std::vector<PlotPoint> points;
  for (const Sliver& s : slivers_) {
    if (s.count == 0) continue;
    if (s.count == 1) {
      points.push_back(s.first);
      continue;
    }
    PlotPoint low = s.low;
    PlotPoint high = s.high;
    low.frequency_hz = s.first.frequency_hz;
    high.frequency_hz = s.last_hz;
    points.push_back(low);
    points.push_back(high);
  }
  return points;
}

}  // namespace cli
