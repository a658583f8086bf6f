#include "calc/figures.h"

#include <cmath>
#include <numbers>

#include "calc/log10.h"
#include "platform/fp_check.h"

namespace calc {

namespace {

using platform::Opaque;
using platform::Settle;

// The figures use the checked arithmetic of the evaluation without raising: the flags are
// tested after each figure, and a set flag leaves that figure without a value and is cleared
// for the next one.
bool Failed() noexcept {
  return platform::RaisedFpFlags() != 0;
}

Figure Number(double value) noexcept {
  if (Failed()) {
    platform::ClearFpFlags();
    return Figure::NotDefined();
  }
  if (!std::isfinite(value)) return Figure::NotDefined();
  return Figure::Number(value);
}

// 10·log10(e): a small relative change u of power is 10·log10(e)·u dB.
constexpr double kDecibelsPerNeper = 10.0 * std::numbers::log10e;

// factor·log10(x), the factor applied after the logarithm as the evaluation does; x > 0.
Figure Decibels(double x, double factor) noexcept {
  if (!(x > 0.0)) return Figure::NotDefined();
  return Number(Settle(Settle(Log10(x)) * factor));
}

}  // namespace

namespace {

PortFigures PortFiguresOf(double magnitude) noexcept {
  PortFigures f;
  const double a = std::fabs(Settle(magnitude));
  f.magnitude = a;
  if (std::isnan(a)) return f;

  if (a >= 1.0) {
    f.vswr = Figure::Infinite(Reason::kTotalReflection);
  } else {
    f.vswr = Number(Settle((1.0 + a) / (1.0 - a)));
  }

  if (a == 0.0) {
    f.return_loss_db = Figure::Infinite(Reason::kNoReflection);
  } else {
    f.return_loss_db = Decibels(a, -20.0);
  }

  f.reflected_power_pct = Number(Settle(Settle(a * a) * 100.0));
  return f;
}

// Each figure is computed on its own: one left out changes no other (a flag it would raise is
// cleared before the next figure is tested).
MismatchFigures MismatchFiguresOf(double magnitude1, double magnitude2, double mismatch_factor,
                                  MismatchFigureSet set) noexcept {
  MismatchFigures f;
  const double a1 = std::fabs(Settle(magnitude1));
  const double a2 = std::fabs(Settle(magnitude2));

  if (set == MismatchFigureSet::kAll) {
    f.delivered_pct = Number(Settle(Settle(mismatch_factor) * 100.0));
  }

  // An overflow makes the product infinite, which is what it is for the test below.
  const double p = Settle(a1 * a2);
  f.product = p;
  if (std::isnan(p)) return f;
  if (p >= 1.0) {
    const Figure none = Figure::NotDefined(Reason::kProductNotBelowOne);
    f.loss_min_db = f.loss_max_db = none;
    f.uncertainty_low_db = f.uncertainty_high_db = none;
    f.uncertainty_low_pct = f.uncertainty_high_pct = none;
    f.standard_uncertainty_pct = f.standard_uncertainty_db = none;
    f.expanded_uncertainty_pct = f.expanded_uncertainty_db = none;
    return f;
  }

  // p < 1, so 1 − p > 0 and every uncertainty has a value.
  const double low = Settle(1.0 - p);
  const double high = Settle(1.0 + p);
  if (set == MismatchFigureSet::kAll) {
    f.uncertainty_low_db = Decibels(low, 20.0);
    f.uncertainty_high_db = Decibels(high, 20.0);
    f.uncertainty_low_pct = Number(Settle(Settle(Settle(low * low) - 1.0) * 100.0));
    f.uncertainty_high_pct = Number(Settle(Settle(Settle(high * high) - 1.0) * 100.0));
  }

  // (1 − |ΓS|²)(1 − |ΓL|²) in the order of the evaluation, so that a zero magnitude gives ML
  // itself at both ends of the range.
  if (Failed()) platform::ClearFpFlags();
  const double t = Settle(1.0 - a2 * a2);
  const double numerator = Settle((1.0 - a1 * a1) * t);
  if (Failed() || std::isnan(numerator) || numerator < 0.0) {
    // One port active, the other passive (an overflow here also means a huge magnitude).
    const Figure none = Figure::NotDefined(Reason::kActivePassivePair);
    f.loss_min_db = f.loss_max_db = none;
    f.standard_uncertainty_pct = f.standard_uncertainty_db = none;
    f.expanded_uncertainty_pct = f.expanded_uncertainty_db = none;
    return f;
  }

  // The U-shaped distribution's standard uncertainty, and twice it for k = 2. Doubling is exact,
  // so U is 2u to the last bit in both units.
  if (set != MismatchFigureSet::kRange) {
    const double u = Settle(std::numbers::sqrt2 * p);
    f.standard_uncertainty_pct = Number(Settle(u * 100.0));
    f.standard_uncertainty_db = Number(Settle(u * kDecibelsPerNeper));
    f.expanded_uncertainty_pct = Number(Settle(Settle(2.0 * u) * 100.0));
    f.expanded_uncertainty_db = Number(Settle(Settle(2.0 * u) * kDecibelsPerNeper));
  }

  if (numerator == 0.0) {
    // A magnitude of exactly 1: total reflection, no power reaches the load at any phase.
    f.loss_min_db = f.loss_max_db = Figure::Infinite(Reason::kTotalReflectionAtPort);
    return f;
  }
  const double best = Settle(numerator / Settle(low * low));     // M at the best phase
  const double worst = Settle(numerator / Settle(high * high));  // M at the worst phase
  f.loss_min_db = Decibels(best, -10.0);
  f.loss_max_db = Decibels(worst, -10.0);
  return f;
}

}  // namespace

// The flags start clear, and whatever the figures raise is cleared again, so they leave no
// trace.
PortFigures ComputePortFigures(double magnitude) noexcept {
  platform::ClearFpFlags();
  const PortFigures f = PortFiguresOf(magnitude);
  if (Failed()) platform::ClearFpFlags();
  return f;
}

MismatchFigures ComputeMismatchFigures(double magnitude1, double magnitude2, double mismatch_factor,
                                       MismatchFigureSet set) noexcept {
  platform::ClearFpFlags();
  const MismatchFigures f = MismatchFiguresOf(magnitude1, magnitude2, mismatch_factor, set);
  if (Failed()) platform::ClearFpFlags();
  return f;
}

Figures ComputeFigures(double magnitude1, double magnitude2, double mismatch_factor) noexcept {
  Figures f;
  f.source = ComputePortFigures(magnitude1);
  f.load = ComputePortFigures(magnitude2);
  f.mismatch = ComputeMismatchFigures(magnitude1, magnitude2, mismatch_factor);
  return f;
}

}  // namespace calc
