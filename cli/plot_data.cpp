#include "cli/plot_data.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "calc/result_format.h"

namespace cli {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

PlotPoint PointOf(const sweep::SweepRow& row) {
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

PlotData::PlotData(std::string title) : title_(std::move(title)) {
  slivers_.reserve(2 * kSlivers);
}

void PlotData::Merge(Sliver& into, const Sliver& next) {
  into.count += next.count;
  into.low.ml_db = Low(into.low.ml_db, next.low.ml_db);
  into.low.rl_db = Low(into.low.rl_db, next.low.rl_db);
  into.high.ml_db = High(into.high.ml_db, next.high.ml_db);
  into.high.rl_db = High(into.high.rl_db, next.high.rl_db);
  // The band covers every phase range in the sliver.
  into.low.ml_min_db = into.high.ml_min_db = Low(into.low.ml_min_db, next.low.ml_min_db);
  into.low.ml_max_db = into.high.ml_max_db = High(into.high.ml_max_db, next.high.ml_max_db);
  into.last_hz = next.last_hz;
}

void PlotData::Add(const sweep::SweepRow& row) {
  const PlotPoint p = PointOf(row);
  if (slivers_.empty()) first_hz_ = p.frequency_hz;
  last_hz_ = p.frequency_hz;
  const Sliver one{1, p, p, p, p.frequency_hz};
  if (!slivers_.empty() && slivers_.back().count < rows_per_sliver_) {
    Merge(slivers_.back(), one);
    return;
  }
  if (slivers_.size() == 2 * kSlivers) {
    // Full: every two slivers become one, twice as wide.
    for (std::size_t i = 0; i < kSlivers; ++i) {
      Sliver merged = slivers_[2 * i];
      Merge(merged, slivers_[2 * i + 1]);
      slivers_[i] = merged;
    }
    slivers_.resize(kSlivers);
    rows_per_sliver_ *= 2;
  }
  slivers_.push_back(one);
}

std::vector<PlotPoint> PlotData::Points() const {
  std::vector<PlotPoint> points;
  for (const Sliver& s : slivers_) {
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
