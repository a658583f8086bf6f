#include "sweep/csv.h"

#include <cmath>

#include "platform/number_format.h"
#include "sweep/sweep.h"

namespace sweep {

namespace {

// A number of the table: zero without its sign, since "-0" reads as a value of its own to some
// programs and says nothing that "0" does not.
void AppendShortest(std::string& out, double value) {
  platform::AppendShortest(out, value == 0.0 ? 0.0 : value);
}

void AppendFigure(std::string& out, const calc::Figure& f) {
  if (f.kind == calc::Figure::kNumber) {
    AppendShortest(out, f.value);
  } else if (f.kind == calc::Figure::kInfinite) {
    out += "inf";
  }
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// A number that may be NaN (empty: not computed) or infinite.
void AppendValue(std::string& out, double value) {
  if (std::isnan(value)) return;
  if (std::isinf(value)) {
    out += value > 0 ? "inf" : "-inf";
    return;
  }
  AppendShortest(out, value);
}

// The mismatch loss of a junction and its range: inf where no power reaches the load.
void AppendPlane(std::string& out, const calc::PlaneMismatch& p) {
  if (p.computed) {
    if (p.result.MismatchFactor == 0.0) {
      out += "inf";
    } else {
      AppendShortest(out, p.result.MismatchLossDb);
    }
  }
  out += ',';
  if (p.computed) AppendFigure(out, p.figures.loss_min_db);
  out += ',';
  if (p.computed) AppendFigure(out, p.figures.loss_max_db);
  out += ',';
}

void AppendThrough(std::string& out, const calc::ThroughResult& t) {
  for (const double x : {t.gamma_out_magnitude, t.gamma_out_angle_deg, t.gamma_in_magnitude,
                         t.gamma_in_angle_deg, t.gain_db}) {
    AppendValue(out, x);
    out += ',';
  }
  AppendPlane(out, t.source_plane);
  AppendPlane(out, t.load_plane);
}

}  // namespace

std::string CsvHeader(bool through) {
  std::string header =
      "frequency_hz,source_magnitude,source_angle_deg,load_magnitude,load_angle_deg,"
      "M,ML_dB,RL_dB,ZS_re_ohm,ZS_im_ohm,ZL_re_ohm,ZL_im_ohm,ML_min_dB,ML_max_dB,";
  if (through) {
    header +=
        "gamma_out_magnitude,gamma_out_angle_deg,gamma_in_magnitude,gamma_in_angle_deg,Gt_dB,"
        "ML_source_plane_dB,ML_source_plane_min_dB,ML_source_plane_max_dB,"
        "ML_load_plane_dB,ML_load_plane_min_dB,ML_load_plane_max_dB,";
  }
  return header + "warning\n";
}

void AppendCsvRow(std::string& out, const SweepRow& row) {
  for (const double x : {row.frequency_hz, row.source_magnitude, row.source_angle_deg,
                         row.load_magnitude, row.load_angle_deg}) {
    AppendShortest(out, x);
    out += ',';
  }
  if (!row.computed) {
    out += ",,,,,,,,,";
    if (row.has_through) AppendThrough(out, row.through);
    AppendQuoted(out, RowWarning(row));
    out += '\n';
    return;
  }
  const calc::MismatchResult& r = row.result;
  AppendShortest(out, r.MismatchFactor);
  out += ',';
  // The evaluation answers a logarithm of zero with a large finite stand-in; the table says what
  // it stands for. No power reaches the load (M = 0): the mismatch loss has no bound. A perfect
  // match (ML = 0, the window's ">100"): the return loss has no bound.
  if (r.MismatchFactor == 0.0) {
    out += "inf";
  } else {
    AppendShortest(out, r.MismatchLossDb);
  }
  out += ',';
  if (r.MismatchLossDb == 0.0) {
    out += "inf";
  } else {
    AppendShortest(out, r.ReturnLossDb);
  }
  for (const double x :
       {r.Impedance1.Real, r.Impedance1.Imag, r.Impedance2.Real, r.Impedance2.Imag}) {
    out += ',';
    AppendShortest(out, x);
  }
  out += ',';
  AppendFigure(out, row.figures.loss_min_db);
  out += ',';
  AppendFigure(out, row.figures.loss_max_db);
  out += ',';
  if (row.has_through) AppendThrough(out, row.through);
  if (RowFailed(row)) AppendQuoted(out, RowWarning(row));
  out += '\n';
}

}  // namespace sweep
