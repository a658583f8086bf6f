#include "cli/sweep.h"

#include <cmath>
#include <utility>

#include "calc/warning_text.h"
#include "cli/csv.h"
#include "cli/touchstone.h"
#include "platform/errors.h"

namespace cli {

namespace {

using touchstone::ReflectionReader;
using touchstone::Sample;

constexpr double kDegreesPerRadian = 57.295779513082320876798154814105;

// Frequencies that agree to within 1e-9 of their size are the same point: files written in
// different units (GHz and Hz) seldom give the same bits for it.
bool SameFrequency(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::fmax(std::fabs(a), std::fabs(b));
}

// A reader that counts what it reads.
class Stream {
 public:
  explicit Stream(const FileSpec& spec) : reader_(spec.path, spec.port) {}
  bool Next(Sample& s) {
    if (!reader_.Next(s)) return false;
    if (count_++ == 0) first_ = s.frequency_hz;
    last_ = s.frequency_hz;
    return true;
  }
  double reference() const { return reader_.reference_ohms(); }
  long long count() const { return count_; }
  double first() const { return first_; }
  double last() const { return last_; }

 private:
  ReflectionReader reader_;
  long long count_ = 0;
  double first_ = 0.0, last_ = 0.0;
};

// The load's point at each source frequency: `same` when the load has that frequency, else
// `before` and `after` when it lies inside the load's range (both null outside it).
struct Match {
  const Sample* same = nullptr;
  const Sample* before = nullptr;
  const Sample* after = nullptr;
};

// Walks both files in order of frequency, calling visit(source sample, match) for each source
// point. Both files are strictly increasing in frequency (the reader checks).
template <typename Visit>
void Walk(Stream& source, Stream& load, Visit&& visit) {
  Sample s, l, before;
  bool have_l = load.Next(l);
  bool have_before = false;
  while (source.Next(s)) {
    while (have_l && l.frequency_hz < s.frequency_hz &&
           !SameFrequency(l.frequency_hz, s.frequency_hz)) {
      before = l;
      have_before = true;
      have_l = load.Next(l);
    }
    Match m;
    if (have_l && SameFrequency(l.frequency_hz, s.frequency_hz)) {
      m.same = &l;
    } else if (have_l && have_before) {
      m.before = &before;
      m.after = &l;
    }
    visit(s, m);
  }
}

struct Complex {
  double re, im;
};

// Γ against r_from brought to r_to through its impedance Z = r_from (1 + Γ)/(1 − Γ):
// Γ' = (r_from (1 + Γ) − r_to (1 − Γ)) / (r_from (1 + Γ) + r_to (1 − Γ)), which keeps Γ = 1.
Complex Renormalise(Complex g, double r_from, double r_to) {
  const Complex a{r_from * (1.0 + g.re), r_from * g.im};
  const Complex b{r_to * (1.0 - g.re), -r_to * g.im};
  const Complex n{a.re - b.re, a.im - b.im};
  const Complex d{a.re + b.re, a.im + b.im};
  const double dd = d.re * d.re + d.im * d.im;
  return {(n.re * d.re + n.im * d.im) / dd, (n.im * d.re - n.re * d.im) / dd};
}

Complex Interpolate(const Sample& a, const Sample& b, double f) {
  const double t = (f - a.frequency_hz) / (b.frequency_hz - a.frequency_hz);
  return {a.re + t * (b.re - a.re), a.im + t * (b.im - a.im)};
}

SweepRow MakeRow(const Sample& s, const Match& m, const SweepPlan& plan) {
  SweepRow row;
  row.frequency_hz = s.frequency_hz;
  row.source_magnitude = s.magnitude;
  row.source_angle_deg = s.angle_deg;
  if (m.same && !plan.renormalised()) {
    // As written in the file, the same numbers one would type into the window.
    row.load_magnitude = m.same->magnitude;
    row.load_angle_deg = m.same->angle_deg;
  } else {
    Complex g =
        m.same ? Complex{m.same->re, m.same->im} : Interpolate(*m.before, *m.after, s.frequency_hz);
    if (plan.renormalised()) {
      g = Renormalise(g, plan.load_reference_ohms, plan.source_reference_ohms);
    }
    row.load_magnitude = std::hypot(g.re, g.im);
    row.load_angle_deg = std::atan2(g.im, g.re) * kDegreesPerRadian;
  }

  for (const double x :
       {row.source_magnitude, row.source_angle_deg, row.load_magnitude, row.load_angle_deg}) {
    if (!std::isfinite(x)) {
      row.warning = "the reflection coefficients at this frequency are not finite numbers";
      return row;
    }
  }
  const double z0 = plan.source_reference_ohms;
  try {
    row.result =
        calc::EvaluateMismatch([z0] { return z0; }, row.source_magnitude, row.source_angle_deg,
                               row.load_magnitude, row.load_angle_deg);
  } catch (const platform::Error& error) {
    row.warning = calc::WarningText(error);
    return row;
  }
  row.computed = true;
  row.figures = calc::ComputeMismatchFigures(row.source_magnitude, row.load_magnitude,
                                             row.result.MismatchFactor);
  return row;
}

}  // namespace

SweepPlan PlanSweep(const FileSpec& source_spec, const FileSpec& load_spec) {
  Stream source(source_spec);
  Stream load(load_spec);
  SweepPlan plan;
  plan.source_reference_ohms = source.reference();
  plan.load_reference_ohms = load.reference();

  long long common = 0, inside = 0;
  double common_first = 0, common_last = 0, inside_first = 0, inside_last = 0;
  Walk(source, load, [&](const Sample& s, const Match& m) {
    if (m.same) {
      if (common++ == 0) common_first = s.frequency_hz;
      common_last = s.frequency_hz;
    } else if (m.before) {
      if (inside++ == 0) inside_first = s.frequency_hz;
      inside_last = s.frequency_hz;
    }
  });
  Sample rest;
  while (load.Next(rest)) {
  }

  plan.source_points = source.count();
  plan.load_points = load.count();
  plan.source_first_hz = source.first();
  plan.source_last_hz = source.last();
  plan.load_first_hz = load.first();
  plan.load_last_hz = load.last();
  if (plan.source_points == 0 || plan.load_points == 0) {
    throw SweepError((plan.source_points == 0 ? source_spec.path : load_spec.path) +
                     ": the file holds no frequency points");
  }
  if (common > 0) {
    plan.grid = common == plan.source_points && common == plan.load_points
                    ? SweepPlan::Grid::kSame
                    : SweepPlan::Grid::kCommon;
    plan.rows = common;
    plan.first_hz = common_first;
    plan.last_hz = common_last;
  } else if (inside > 0) {
    plan.grid = SweepPlan::Grid::kInterpolated;
    plan.rows = inside;
    plan.first_hz = inside_first;
    plan.last_hz = inside_last;
  } else {
    throw SweepError("the frequency ranges do not overlap: " + source_spec.path + " covers " +
                     Shortest(plan.source_first_hz) + " to " + Shortest(plan.source_last_hz) +
                     " Hz, " + load_spec.path + " covers " + Shortest(plan.load_first_hz) + " to " +
                     Shortest(plan.load_last_hz) + " Hz");
  }
  return plan;
}

std::vector<std::string> PlanNotes(const SweepPlan& plan, const FileSpec& source,
                                   const FileSpec& load) {
  std::vector<std::string> notes;
  if (plan.renormalised()) {
    notes.push_back("the reference impedances differ (" + source.path + ": " +
                    Shortest(plan.source_reference_ohms) + " \u03a9, " + load.path + ": " +
                    Shortest(plan.load_reference_ohms) + " \u03a9): \u0393L is brought to " +
                    Shortest(plan.source_reference_ohms) +
                    " \u03a9 through its impedance, and ZS and ZL are given against " +
                    Shortest(plan.source_reference_ohms) + " \u03a9");
  }
  const std::string counts = " (" + source.path + " has " + std::to_string(plan.source_points) +
                             ", " + load.path + " has " + std::to_string(plan.load_points) + ")";
  if (plan.grid == SweepPlan::Grid::kCommon) {
    notes.push_back("the frequency grids differ: using the " + std::to_string(plan.rows) +
                    " frequencies both files have" + counts);
  } else if (plan.grid == SweepPlan::Grid::kInterpolated) {
    notes.push_back("the frequency grids have no point in common: using the " +
                    std::to_string(plan.rows) + " frequencies of " + source.path +
                    " inside the range of " + load.path + " (" + Shortest(plan.load_first_hz) +
                    " to " + Shortest(plan.load_last_hz) + " Hz), with \u0393L interpolated " +
                    "linearly in its real and imaginary parts" + counts);
  }
  return notes;
}

void RunSweep(const FileSpec& source_spec, const FileSpec& load_spec, const SweepPlan& plan,
              const std::function<void(const SweepRow&)>& sink) {
  Stream source(source_spec);
  Stream load(load_spec);
  if (source.reference() != plan.source_reference_ohms ||
      load.reference() != plan.load_reference_ohms) {
    throw SweepError("the files changed while they were being read");
  }
  const bool interpolate = plan.grid == SweepPlan::Grid::kInterpolated;
  long long rows = 0;
  Walk(source, load, [&](const Sample& s, const Match& m) {
    if (interpolate ? m.before == nullptr : m.same == nullptr) return;
    ++rows;
    sink(MakeRow(s, m, plan));
  });
  if (rows != plan.rows) throw SweepError("the files changed while they were being read");
}

}  // namespace cli
