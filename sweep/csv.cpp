#include "sweep/csv.h"

#include <cmath>

#include "calc/result_format.h"
#include "platform/number_format.h"
#include "sweep/sweep.h"

namespace sweep {

namespace {

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// The two-port's 11 fields, each followed by a comma: at most 11 · 25 characters, and the room
// that writing the last one needs.
void AppendThrough(std::string& out, const calc::ThroughResult& t) {
  const calc::ThroughFigures f = calc::ThroughFiguresOf(t);
  char text[11 * 25 + platform::kShortestSpace];
  char* p = text;
  for (const calc::Figure* x :
       {&f.gamma_out_magnitude, &f.gamma_out_angle_deg, &f.gamma_in_magnitude,
        &f.gamma_in_angle_deg, &f.gain_db, &f.source_plane.loss_db, &f.source_plane.loss_min_db,
        &f.source_plane.loss_max_db, &f.load_plane.loss_db, &f.load_plane.loss_min_db,
        &f.load_plane.loss_max_db}) {
    p = calc::WriteCsvField(p, *x);
    *p++ = ',';
  }
  out.append(text, p);
}

}  // namespace

std::string CsvHeader(bool through) {
  std::string header =
      "frequency_hz,source_magnitude,source_angle_deg,load_magnitude,load_angle_deg,"
      "M,ML_dB,RL_dB,ZS_re_ohm,ZS_im_ohm,ZL_re_ohm,ZL_im_ohm,ML_min_dB,ML_max_dB,"
      "standard_uncertainty_percent,standard_uncertainty_dB,expanded_uncertainty_percent,"
      "expanded_uncertainty_dB,";
  if (through) {
    header +=
        "gamma_out_magnitude,gamma_out_angle_deg,gamma_in_magnitude,gamma_in_angle_deg,Gt_dB,"
        "ML_source_plane_dB,ML_source_plane_min_dB,ML_source_plane_max_dB,"
        "ML_load_plane_dB,ML_load_plane_min_dB,ML_load_plane_max_dB,";
  }
  return header + "warning\n";
}

void AppendCsvRow(std::string& out, const SweepRow& row) {
  // The numbers of a row go through a buffer on the stack, appended once: at most 29 fields of
  // at most 24 characters and a comma each, and the room that writing the last one needs.
  char text[29 * 25 + platform::kShortestSpace];
  char* p = text;
  for (const double x : {row.frequency_hz, row.source_magnitude, row.source_angle_deg,
                         row.load_magnitude, row.load_angle_deg}) {
    // Empty where the file has no number ("nan" or "inf" written in it).
    if (!std::isnan(x)) p = calc::WriteCsvField(p, calc::Figure::Number(x));
    *p++ = ',';
  }
  if (!row.computed) {
    out.append(text, p);
    out += ",,,,,,,,,,,,,";
    if (row.has_through) AppendThrough(out, row.through);
    AppendQuoted(out, RowWarning(row));
    out += '\n';
    return;
  }
  // Unbounded losses are "inf" (calc::WriteCsvField), figures that are not defined empty.
  const calc::Results r = calc::ResultsOf(row.result);
  const calc::Impedance& zs = r.source_impedance;
  const calc::Impedance& zl = r.load_impedance;
  for (const calc::Figure* f :
       {&r.mismatch_factor, &r.mismatch_loss_db, &r.return_loss_db, &zs.resistance, &zs.reactance,
        &zl.resistance, &zl.reactance, &row.figures.loss_min_db, &row.figures.loss_max_db,
        &row.figures.standard_uncertainty_pct, &row.figures.standard_uncertainty_db,
        &row.figures.expanded_uncertainty_pct, &row.figures.expanded_uncertainty_db}) {
    p = calc::WriteCsvField(p, *f);
    *p++ = ',';
  }
  out.append(text, p);
  if (row.has_through) AppendThrough(out, row.through);
  if (RowFailed(row)) AppendQuoted(out, RowWarning(row));
  out += '\n';
}

}  // namespace sweep
