#pragma once

// A two-port between source and load (an adapter, a cable, an attenuator): what each side sees
// through it, the transducer gain, and the mismatch at each of its two planes. Port 1 faces the
// source, port 2 the load. Plain C++, without Qt.

#include <optional>
#include <string>

#include "calc/figures.h"
#include "calc/mismatch.h"
#include "calc/reflection.h"
#include "calc/results.h"
#include "platform/errors.h"

namespace calc {

// What stopped a step of the two-port's arithmetic.
enum class ThroughStop : unsigned char {
  kNone,
  kInvalidOperation,
  kDivisionByZero,
  kOverflow,
  kActiveAndPassive,  // Gt: one port is active and the other passive
  kNotSeen,           // a plane: the coefficient seen through the two-port was not computed
};

// The mismatch of one plane, computed as the window computes the losses for the two reflection
// coefficients that meet there. Only what is shown of a plane is computed: of `result` M, ML and
// RL (no impedance), of `figures` the range at any phase. When not computed, `error` holds the
// window's error, or `stop` is kNotSeen.
struct PlaneMismatch {
  bool computed = false;
  ThroughStop stop = ThroughStop::kNone;
  std::optional<platform::Error> error;
  MismatchResult result;
  MismatchFigures figures;
};

// What the two-port gives; a step that fails leaves what it feeds without a value, and says why.
struct ThroughResult {
  // Γout = S22 + S12·S21·ΓS/(1 − S11·ΓS): the source as the load sees it through the two-port;
  // also as magnitude and angle in degrees.
  std::optional<Complex> gamma_out;
  Figure gamma_out_magnitude, gamma_out_angle_deg;
  ThroughStop gamma_out_stop = ThroughStop::kNone;
  // Γin = S11 + S12·S21·ΓL/(1 − S22·ΓL): the load as the source sees it.
  std::optional<Complex> gamma_in;
  Figure gamma_in_magnitude, gamma_in_angle_deg;
  ThroughStop gamma_in_stop = ThroughStop::kNone;
  // The transducer gain, power delivered to the load over power available from the source:
  // Gt = |S21|²(1 − |ΓS|²)(1 − |ΓL|²)/|(1 − S11·ΓS)(1 − S22·ΓL) − S12·S21·ΓS·ΓL|², in dB;
  // minus infinite when no power reaches the load.
  Figure gain_db;
  ThroughStop gain_stop = ThroughStop::kNone;
  PlaneMismatch source_plane;  // ΓS meeting Γin
  PlaneMismatch load_plane;    // Γout meeting ΓL
};

// Whether a step failed, and every reason in words, joined by "; " (or a space after a full
// stop); empty when all was computed.
bool ThroughFailed(const ThroughResult& t);
std::string ThroughWarning(const ThroughResult& t);

// A plane's mismatch loss and its range at any phase as quantities; none of them has a value
// when the plane was not computed, and `why` then says so.
struct PlaneFigures {
  bool computed = false;
  Figure loss_db, loss_min_db, loss_max_db;
  std::string why;
};

// The two-port's figures as quantities, as every output writes them: a coefficient seen through
// it is not defined when it cannot be computed, Gt is minus infinite when no power reaches the
// load.
struct ThroughFigures {
  Figure gamma_out_magnitude, gamma_out_angle_deg;
  Figure gamma_in_magnitude, gamma_in_angle_deg;
  Figure gain_db;
  PlaneFigures source_plane, load_plane;
};
ThroughFigures ThroughFiguresOf(const ThroughResult& t);

// Computes the two-port's figures for ΓS and ΓL given as magnitude and angle in degrees, its
// S-parameters against the same reference impedance as ΓS and ΓL. Each complex step is tested for
// invalid operation, division by zero and overflow; a failing one leaves its figures without a
// value, with its reason, and never affects the others it does not feed. The losses of each plane
// are the window's evaluation; no figure shown needs the reference impedance `z0`. Never raises.
ThroughResult EvaluateThrough(const TwoPortS& s, double source_magnitude, double source_angle_deg,
                              double load_magnitude, double load_angle_deg, double z0);

}  // namespace calc
