#include "calc/two_port.h"

#include <cmath>
#include <limits>

#include "calc/log10.h"
#include "calc/warning_text.h"
#include "platform/fp_check.h"

namespace calc {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The flags of the steps since the last ClearFpFlags, as words; empty when none is set.
std::string Failure(int flags) {
  if (flags & FE_INVALID) return "invalid operation";
  if (flags & FE_DIVBYZERO) return "division by zero";
  if (flags & FE_OVERFLOW) return "overflow";
  return {};
}

// a + b·c/(1 − d·g) for Γout and Γin; `why` receives the reason of a failure.
Complex Seen(Complex a, Complex bc, Complex d, Complex g, std::string& why) {
  platform::ClearFpFlags();
  const Complex den = Sub(Complex{1.0, 0.0}, Mul(d, g));
  const double dd = platform::Settle(Norm(den));
  if (dd == 0.0) {
    why = "division by zero";
    return {kNaN, kNaN};
  }
  const Complex num = Mul(bc, g);
  Complex r{(num.re * den.re + num.im * den.im) / dd, (num.im * den.re - num.re * den.im) / dd};
  r = Add(a, r);
  r.re = platform::Settle(r.re);
  r.im = platform::Settle(r.im);
  why = Failure(platform::RaisedFpFlags());
  if (!why.empty()) return {kNaN, kNaN};
  return r;
}

PlaneMismatch Plane(double magnitude1, double angle1, double magnitude2, double angle2) {
  PlaneMismatch p;
  try {
    const Losses losses = EvaluateLosses(magnitude1, angle1, magnitude2, angle2);
    p.result.MismatchFactor = losses.MismatchFactor;
    p.result.MismatchLossDb = losses.MismatchLossDb;
    p.result.ReturnLossDb = losses.ReturnLossDb;
  } catch (const platform::Error& error) {
    p.warning = WarningText(error);
    return p;
  }
  p.computed = true;
  p.figures = ComputeMismatchFigures(magnitude1, magnitude2, p.result.MismatchFactor,
                                     MismatchFigureSet::kRange);
  return p;
}

void Join(std::string& warning, const std::string& more) {
  if (!warning.empty()) warning += warning.back() == '.' ? " " : "; ";
  warning += more;
}

}  // namespace

ThroughResult EvaluateThrough(const TwoPortS& s, double source_magnitude, double source_angle_deg,
                              double load_magnitude, double load_angle_deg, double /*z0*/) {
  ThroughResult t;
  // Γ from magnitude and angle in degrees, converted as the evaluation converts them.
  const Complex gs = FromPolar(source_magnitude, source_angle_deg);
  const Complex gl = FromPolar(load_magnitude, load_angle_deg);
  const Complex s12s21 = Mul(s.s12, s.s21);

  std::string why;
  t.gamma_out = Seen(s.s22, s12s21, s.s11, gs, why);
  if (!why.empty())
    Join(t.warning, "\u0393out cannot be computed (" + why + " in 1 \u2212 S11\u00b7\u0393S)");
  t.gamma_in = Seen(s.s11, s12s21, s.s22, gl, why);
  if (!why.empty())
    Join(t.warning, "\u0393in cannot be computed (" + why + " in 1 \u2212 S22\u00b7\u0393L)");
  t.gamma_out_magnitude = std::hypot(t.gamma_out.re, t.gamma_out.im);
  t.gamma_out_angle_deg = AngleDegrees(t.gamma_out);
  t.gamma_in_magnitude = std::hypot(t.gamma_in.re, t.gamma_in.im);
  t.gamma_in_angle_deg = AngleDegrees(t.gamma_in);

  // Gt from the magnitudes as given, like the mismatch factor.
  platform::ClearFpFlags();
  const Complex den = Sub(Mul(Sub({1.0, 0.0}, Mul(s.s11, gs)), Sub({1.0, 0.0}, Mul(s.s22, gl))),
                          Mul(s12s21, Mul(gs, gl)));
  const double dd = platform::Settle(Norm(den));
  const double num = platform::Settle(Norm(s.s21) * (1.0 - source_magnitude * source_magnitude) *
                                      (1.0 - load_magnitude * load_magnitude));
  std::string gain_why = Failure(platform::RaisedFpFlags());
  if (gain_why.empty() && dd == 0.0) gain_why = "division by zero";
  double gain = 0.0;
  if (gain_why.empty()) {
    gain = platform::Settle(num / dd);
    gain_why = Failure(platform::RaisedFpFlags());
  }
  if (gain_why.empty() && gain < 0.0) gain_why = "one port is active and the other passive";
  if (!gain_why.empty()) {
    t.gain_db = kNaN;
    Join(t.warning, "Gt cannot be computed (" + gain_why + ")");
  } else if (gain == 0.0) {
    t.gain_db = -std::numeric_limits<double>::infinity();
  } else {
    t.gain_db = 10.0 * Log10(gain);
  }

  // The two planes, each as the window would compute it for the two coefficients that meet.
  if (std::isnan(t.gamma_in.re)) {
    t.source_plane.warning = "\u0393in cannot be computed";
  } else {
    t.source_plane =
        Plane(source_magnitude, source_angle_deg, t.gamma_in_magnitude, t.gamma_in_angle_deg);
    if (!t.source_plane.computed) Join(t.warning, "at the source plane: " + t.source_plane.warning);
  }
  if (std::isnan(t.gamma_out.re)) {
    t.load_plane.warning = "\u0393out cannot be computed";
  } else {
    t.load_plane =
        Plane(t.gamma_out_magnitude, t.gamma_out_angle_deg, load_magnitude, load_angle_deg);
    if (!t.load_plane.computed) Join(t.warning, "at the load plane: " + t.load_plane.warning);
  }
  return t;
}

namespace {

PlaneFigures PlaneFiguresOf(const PlaneMismatch& p) {
  if (!p.computed) return {false, {}, {}, {}, p.warning};
  return {
      true, ResultsOf(p.result).mismatch_loss_db, p.figures.loss_min_db, p.figures.loss_max_db, {}};
}

}  // namespace

ThroughFigures ThroughFiguresOf(const ThroughResult& t) {
  constexpr Reason kNoPower = Reason::kNoPowerReachesLoad;
  return {FigureOf(t.gamma_out_magnitude, kNoPower),
          FigureOf(t.gamma_out_angle_deg, kNoPower),
          FigureOf(t.gamma_in_magnitude, kNoPower),
          FigureOf(t.gamma_in_angle_deg, kNoPower),
          FigureOf(t.gain_db, kNoPower),
          PlaneFiguresOf(t.source_plane),
          PlaneFiguresOf(t.load_plane)};
}

}  // namespace calc
