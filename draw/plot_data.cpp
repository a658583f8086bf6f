#include "draw/plot_data.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "calc/reflection.h"
#include "calc/result_format.h"

namespace draw {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

PlotPoint PointOf(const sweep::SweepRow& row) {
  PlotPoint p;
  p.frequency_hz = row.frequency_hz;
  p.source_plane_db = p.source_plane_min_db = p.source_plane_max_db = kNaN;
  p.load_plane_db = p.load_plane_min_db = p.load_plane_max_db = p.gain_db = kNaN;
  if (row.has_through) {
    const calc::ThroughResult& t = row.through;
    p.gain_db = calc::PlotValue(t.gain_db);
    const auto plane = [](const calc::PlaneMismatch& m, double& db, double& min_db,
                          double& max_db) {
      if (!m.computed) return;
      db = calc::PlotValue(calc::ResultsOf(m.result).mismatch_loss_db);
      min_db = calc::PlotValue(m.figures.loss_min_db);
      max_db = calc::PlotValue(m.figures.loss_max_db);
    };
    plane(t.source_plane, p.source_plane_db, p.source_plane_min_db, p.source_plane_max_db);
    plane(t.load_plane, p.load_plane_db, p.load_plane_min_db, p.load_plane_max_db);
  }
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
  for (const auto line :
       {&PlotPoint::source_plane_db, &PlotPoint::load_plane_db, &PlotPoint::gain_db}) {
    into.low.*line = Low(into.low.*line, next.low.*line);
    into.high.*line = High(into.high.*line, next.high.*line);
  }
  for (const auto& [min, max] :
       {std::pair{&PlotPoint::source_plane_min_db, &PlotPoint::source_plane_max_db},
        std::pair{&PlotPoint::load_plane_min_db, &PlotPoint::load_plane_max_db}}) {
    into.low.*min = into.high.*min = Low(into.low.*min, next.low.*min);
    into.low.*max = into.high.*max = High(into.high.*max, next.high.*max);
  }
  into.last_hz = next.last_hz;
}

void PlotData::Add(const sweep::SweepRow& row) {
  const PlotPoint p = PointOf(row);
  through_ = through_ || row.has_through;
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

std::vector<PlotPoint> PlotData::Points(std::size_t most) const {
  const std::size_t group =
      most > 0 && slivers_.size() > most ? (slivers_.size() + most - 1) / most : 1;
  std::vector<PlotPoint> points;
  points.reserve(2 * (slivers_.size() / group + 1));
  for (std::size_t i = 0; i < slivers_.size(); i += group) {
    Sliver s = slivers_[i];
    for (std::size_t j = i + 1; j < std::min(i + group, slivers_.size()); ++j) {
      Merge(s, slivers_[j]);
    }
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

SmithData::SmithData(std::string title) : title_(std::move(title)) {
  kept_.reserve(2 * static_cast<std::size_t>(kPoints));
}

SmithPoint SmithData::PointOf(const Row& row) {
  return {row.frequency_hz, calc::FromPolar(row.source_magnitude, row.source_angle_deg),
          calc::FromPolar(row.load_magnitude, row.load_angle_deg), row.out};
}

void SmithData::Add(const sweep::SweepRow& row) {
  last_ = {row.frequency_hz,
           row.source_magnitude,
           row.source_angle_deg,
           row.load_magnitude,
           row.load_angle_deg,
           row.has_through ? row.through.gamma_out.value_or(calc::Complex{kNaN, kNaN})
                           : calc::Complex{kNaN, kNaN}};
  through_ = through_ || row.has_through;
  if (rows_++ % stride_ != 0) return;
  if (kept_.size() == 2 * static_cast<std::size_t>(kPoints)) {
    // Full: every second point goes, and from now on only every second of the rows is kept.
    for (std::size_t i = 0; i < static_cast<std::size_t>(kPoints); ++i) kept_[i] = kept_[2 * i];
    kept_.resize(kPoints);
    stride_ *= 2;
    if ((rows_ - 1) % stride_ != 0) return;
  }
  kept_.push_back(PointOf(last_));
}

std::vector<SmithPoint> SmithData::Points() const {
  std::vector<SmithPoint> points = kept_;
  if (rows_ > 0 && (points.empty() || points.back().frequency_hz != last_.frequency_hz)) {
    points.push_back(PointOf(last_));
  }
  return points;
}

}  // namespace draw
