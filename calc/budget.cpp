#include "calc/budget.h"

#include <cmath>
#include <initializer_list>
#include <utility>

namespace calc {

namespace {

constexpr double kLog10E = 0.4342944819032518;  // log10(e)
// √(ln 20): the 95 % point of a Rayleigh distribution over its root mean square, √(2 ln 20)/√2.
const double kRayleighRatio = std::sqrt(std::log(20.0));

BudgetTerm TermOf(std::string name, std::initializer_list<const BudgetMagnitude*> factors) {
  BudgetTerm t;
  t.name = std::move(name);
  double product = 1.0, rms = 1.0;
  for (const BudgetMagnitude* f : factors) {
    const double m = std::fabs(f->value);
    product *= m;
    rms *= f->limit ? m / kRayleighRatio : m;
    t.limits += f->limit ? 1 : 0;
  }
  t.product = product;
  t.limit = 2.0 * product;
  t.u = std::sqrt(2.0) * rms;
  t.divisor = std::sqrt(2.0) * std::pow(kRayleighRatio, t.limits);
  return t;
}

DrawnMagnitude Drawn(const BudgetMagnitude& f) {
  const double m = std::fabs(f.value);
  return f.limit ? DrawnMagnitude{RayleighSigma(m), true} : DrawnMagnitude{m, false};
}

}  // namespace

double RelativeToDecibels(double u) noexcept {
  return 10.0 * kLog10E * u;
}

double RayleighSigma(double limit) noexcept {
  return limit / std::sqrt(2.0 * std::log(20.0));
}

Budget ComputeBudget(const BudgetInputs& in, std::uint64_t draws, std::uint64_t seed) {
  Budget b;
  ChainModel model;
  if (in.through) {
    b.terms.push_back(TermOf("|\u0393S||S11|", {&in.source, &in.s11}));
    b.terms.push_back(TermOf("|S22||\u0393L|", {&in.s22, &in.load}));
    b.terms.push_back(
        TermOf("|\u0393S||S21||S12||\u0393L|", {&in.source, &in.s21, &in.s12, &in.load}));
    // ΓS, ΓL, S11, S21, S12, S22
    model.magnitudes = {Drawn(in.source), Drawn(in.load), Drawn(in.s11),
                        Drawn(in.s21),    Drawn(in.s12),  Drawn(in.s22)};
    model.a = {0, 2};
    model.b = {5, 1};
    model.c = {0, 3, 4, 1};
  } else {
    b.terms.push_back(TermOf("|\u0393S||\u0393L|", {&in.source, &in.load}));
    model.magnitudes = {Drawn(in.source), Drawn(in.load)};
    model.c = {0, 1};
  }
  double variance = 0.0;
  for (const BudgetTerm& t : b.terms) variance += t.u * t.u;
  for (BudgetTerm& t : b.terms) t.share = variance > 0.0 ? t.u * t.u / variance : 0.0;
  b.combined = std::sqrt(variance);
  b.expanded = 2.0 * b.combined;

  const double a = in.through ? b.terms[0].product : 0.0;
  const double bb = in.through ? b.terms[1].product : 0.0;
  const double c = b.terms.back().product;
  const double least = (1.0 + a) * (1.0 + bb) + c;
  const double most = (1.0 - a) * (1.0 - bb) - c;
  b.worst_low_db = FigureOf(-20.0 * std::log10(least));
  b.worst_high_db =
      most > 0.0 ? FigureOf(-20.0 * std::log10(most)) : Figure::Infinite(Reason::kNone);
  b.monte_carlo = RunMonteCarlo(model, draws, seed);
  return b;
}

Overstatement OverstatementOf(const Budget& b) noexcept {
  const double expanded_db = RelativeToDecibels(b.expanded);
  Overstatement o;
  o.worst_case = (b.worst_high_db.kind == Figure::kNumber && expanded_db > b.worst_high_db.value) ||
                 (b.worst_low_db.kind == Figure::kNumber && -expanded_db < b.worst_low_db.value);
  o.monte_carlo = 2.0 * expanded_db > b.monte_carlo.high_db - b.monte_carlo.low_db;
  return o;
}

CoverageInterval PairCoverage(const MismatchFigures& f) noexcept {
  if (f.standard_uncertainty_pct.kind != Figure::kNumber || !(f.product < 1.0)) {
    const Figure none = Figure::NotDefined(f.standard_uncertainty_pct.reason);
    return {none, none};
  }
  const PairInterval interval = PairCoverageInterval(f.product);
  return {FigureOf(interval.low_db), FigureOf(interval.high_db)};
}

}  // namespace calc
