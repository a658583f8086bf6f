#include "calc/two_port.h"

#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "calc/log10.h"
#include "calc/warning_text.h"
#include "platform/fp_check.h"

namespace calc {

namespace {

// What the flags of the steps since the last ClearFpFlags say; kNone when none is set.
ThroughStop StopOf(int flags) {
  if (flags & FE_INVALID) return ThroughStop::kInvalidOperation;
  if (flags & FE_DIVBYZERO) return ThroughStop::kDivisionByZero;
  if (flags & FE_OVERFLOW) return ThroughStop::kOverflow;
  return ThroughStop::kNone;
}

// a + b·c/(1 − d·g) for Γout and Γin; `stop` receives the reason of a failure.
std::optional<Complex> Seen(Complex a, Complex bc, Complex d, Complex g, ThroughStop& stop) {
  platform::ClearFpFlags();
  const Complex den = Sub(Complex{1.0, 0.0}, Mul(d, g));
  const double dd = platform::Settle(Norm(den));
  if (dd == 0.0) {
    stop = ThroughStop::kDivisionByZero;
    return std::nullopt;
  }
  const Complex num = Mul(bc, g);
  Complex r{(num.re * den.re + num.im * den.im) / dd, (num.im * den.re - num.re * den.im) / dd};
  r = Add(a, r);
  r.re = platform::Settle(r.re);
  r.im = platform::Settle(r.im);
  stop = StopOf(platform::RaisedFpFlags());
  // A NaN among the S-parameters goes through without a flag: no value, and no reason to give.
  if (stop != ThroughStop::kNone || std::isnan(r.re) || std::isnan(r.im)) return std::nullopt;
  return r;
}

// The magnitude and angle of a coefficient seen through the two-port.
void Polar(const std::optional<Complex>& g, Figure& magnitude, Figure& angle_deg) {
  magnitude = g ? FigureOf(Magnitude(*g), Reason::kNoPowerReachesLoad) : Figure::NotDefined();
  angle_deg = g ? FigureOf(AngleDegrees(*g), Reason::kNoPowerReachesLoad) : Figure::NotDefined();
}

// The plane where ΓS or ΓL (magnitude1, angle1) meets the coefficient seen through the two-port
// (magnitude2, angle2), which comes first in the evaluation when `seen_first`.
PlaneMismatch Plane(double magnitude1, double angle1, bool seen, const Figure& seen_magnitude,
                    const Figure& seen_angle, bool seen_first) {
  PlaneMismatch p;
  if (!seen) {
    p.stop = ThroughStop::kNotSeen;
    return p;
  }
  const double magnitude2 = seen_magnitude.value, angle2 = seen_angle.value;
  const double m1 = seen_first ? magnitude2 : magnitude1, a1 = seen_first ? angle2 : angle1;
  const double m2 = seen_first ? magnitude1 : magnitude2, a2 = seen_first ? angle1 : angle2;
  try {
    const Losses losses = EvaluateLosses(m1, a1, m2, a2);
    p.result.MismatchFactor = losses.MismatchFactor;
    p.result.MismatchLossDb = losses.MismatchLossDb;
    p.result.ReturnLossDb = losses.ReturnLossDb;
  } catch (const platform::Error& error) {
    p.error = error;
    return p;
  }
  p.computed = true;
  p.figures = ComputeMismatchFigures(m1, m2, p.result.MismatchFactor, MismatchFigureSet::kRange);
  return p;
}

const char* StopWords(ThroughStop stop) {
  switch (stop) {
    case ThroughStop::kInvalidOperation:
      return "invalid operation";
    case ThroughStop::kDivisionByZero:
      return "division by zero";
    case ThroughStop::kOverflow:
      return "overflow";
    case ThroughStop::kActiveAndPassive:
      return "one port is active and the other passive";
    case ThroughStop::kNotSeen:
    case ThroughStop::kNone:
      break;
  }
  return "";
}

void Join(std::string& warning, const std::string& more) {
  if (!warning.empty()) warning += warning.back() == '.' ? " " : "; ";
  warning += more;
}

// Why a plane was not computed. The window's words name the two coefficients ΓS and ΓL; at a
// plane of the two-port one of them is the coefficient seen through it, and is named so.
std::string PlaneWhy(const PlaneMismatch& p, bool source_plane) {
  if (!p.error)
    return source_plane ? "\u0393in cannot be computed" : "\u0393out cannot be computed";
  std::string text = WarningText(*p.error);
  const std::string_view from = source_plane ? "\u0393L" : "\u0393S";
  const std::string_view to = source_plane ? "\u0393in" : "\u0393out";
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

}  // namespace

ThroughResult EvaluateThrough(const TwoPortS& s, double source_magnitude, double source_angle_deg,
                              double load_magnitude, double load_angle_deg, double /*z0*/) {
  ThroughResult t;
  // Γ from magnitude and angle in degrees, converted as the evaluation converts them.
  const Complex gs = FromPolar(source_magnitude, source_angle_deg);
  const Complex gl = FromPolar(load_magnitude, load_angle_deg);
  const Complex s12s21 = Mul(s.s12, s.s21);
  t.gamma_out = Seen(s.s22, s12s21, s.s11, gs, t.gamma_out_stop);
  t.gamma_in = Seen(s.s11, s12s21, s.s22, gl, t.gamma_in_stop);
  Polar(t.gamma_out, t.gamma_out_magnitude, t.gamma_out_angle_deg);
  Polar(t.gamma_in, t.gamma_in_magnitude, t.gamma_in_angle_deg);

  // Gt from the magnitudes as given, like the mismatch factor.
  platform::ClearFpFlags();
  const Complex den = Sub(Mul(Sub({1.0, 0.0}, Mul(s.s11, gs)), Sub({1.0, 0.0}, Mul(s.s22, gl))),
                          Mul(s12s21, Mul(gs, gl)));
  const double dd = platform::Settle(Norm(den));
  const double num = platform::Settle(Norm(s.s21) * (1.0 - source_magnitude * source_magnitude) *
                                      (1.0 - load_magnitude * load_magnitude));
  t.gain_stop = StopOf(platform::RaisedFpFlags());
  if (t.gain_stop == ThroughStop::kNone && dd == 0.0) t.gain_stop = ThroughStop::kDivisionByZero;
  double gain = 0.0;
  if (t.gain_stop == ThroughStop::kNone) {
    gain = platform::Settle(num / dd);
    t.gain_stop = StopOf(platform::RaisedFpFlags());
  }
  if (t.gain_stop == ThroughStop::kNone && gain < 0.0) t.gain_stop = ThroughStop::kActiveAndPassive;
  if (t.gain_stop != ThroughStop::kNone) {
    t.gain_db = Figure::NotDefined();
  } else if (gain == 0.0) {
    t.gain_db = Figure::Infinite(Reason::kNoPowerReachesLoad, true);
  } else {
    t.gain_db = FigureOf(10.0 * Log10(gain), Reason::kNoPowerReachesLoad);
  }

  // The two planes, each as the window would compute it for the two coefficients that meet.
  t.source_plane = Plane(source_magnitude, source_angle_deg, t.gamma_in.has_value(),
                         t.gamma_in_magnitude, t.gamma_in_angle_deg, false);
  t.load_plane = Plane(load_magnitude, load_angle_deg, t.gamma_out.has_value(),
                       t.gamma_out_magnitude, t.gamma_out_angle_deg, true);
  return t;
}

bool ThroughFailed(const ThroughResult& t) {
  return t.gamma_out_stop != ThroughStop::kNone || t.gamma_in_stop != ThroughStop::kNone ||
         t.gain_stop != ThroughStop::kNone || t.source_plane.error || t.load_plane.error;
}

std::string ThroughWarning(const ThroughResult& t) {
  std::string warning;
  if (t.gamma_out_stop != ThroughStop::kNone) {
    Join(warning, std::string("\u0393out cannot be computed (") + StopWords(t.gamma_out_stop) +
                      " in 1 \u2212 S11\u00b7\u0393S)");
  }
  if (t.gamma_in_stop != ThroughStop::kNone) {
    Join(warning, std::string("\u0393in cannot be computed (") + StopWords(t.gamma_in_stop) +
                      " in 1 \u2212 S22\u00b7\u0393L)");
  }
  if (t.gain_stop != ThroughStop::kNone) {
    Join(warning, std::string("Gt cannot be computed (") + StopWords(t.gain_stop) + ")");
  }
  if (t.source_plane.error) Join(warning, "at the source plane: " + PlaneWhy(t.source_plane, true));
  if (t.load_plane.error) Join(warning, "at the load plane: " + PlaneWhy(t.load_plane, false));
  return warning;
}

namespace {

PlaneFigures PlaneFiguresOf(const PlaneMismatch& p, bool source_plane) {
  if (!p.computed) return {false, {}, {}, {}, PlaneWhy(p, source_plane)};
  return {
      true, ResultsOf(p.result).mismatch_loss_db, p.figures.loss_min_db, p.figures.loss_max_db, {}};
}

}  // namespace

ThroughFigures ThroughFiguresOf(const ThroughResult& t) {
  return {t.gamma_out_magnitude,
          t.gamma_out_angle_deg,
          t.gamma_in_magnitude,
          t.gamma_in_angle_deg,
          t.gain_db,
          PlaneFiguresOf(t.source_plane, true),
          PlaneFiguresOf(t.load_plane, false)};
}

}  // namespace calc
