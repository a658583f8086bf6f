#include "sweep/csv.h"

#include "calc/result_format.h"
#include "sweep/sweep.h"

namespace sweep {

namespace {

// A number read from a file, written as every number of the table is (calc::AppendCsvField).
void AppendShortest(std::string& out, double value) {
  calc::AppendCsvField(out, calc::Figure::Number(value));
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

std::string CsvHeader() {
  return "frequency_hz,source_magnitude,source_angle_deg,load_magnitude,load_angle_deg,"
         "M,ML_dB,RL_dB,ZS_re_ohm,ZS_im_ohm,ZL_re_ohm,ZL_im_ohm,ML_min_dB,ML_max_dB,warning\n";
}

void AppendCsvRow(std::string& out, const SweepRow& row) {
  for (const double x : {row.frequency_hz, row.source_magnitude, row.source_angle_deg,
                         row.load_magnitude, row.load_angle_deg}) {
    AppendShortest(out, x);
    out += ',';
  }
  if (!row.computed) {
    out += ",,,,,,,,,";
    AppendQuoted(out, row.warning);
    out += '\n';
    return;
  }
  // Unbounded losses are "inf" (calc::AppendCsvField), figures that are not defined empty.
  const calc::Results r = calc::ResultsOf(row.result);
  const calc::Impedance& zs = r.source_impedance;
  const calc::Impedance& zl = r.load_impedance;
  bool first = true;
  for (const calc::Figure* f :
       {&r.mismatch_factor, &r.mismatch_loss_db, &r.return_loss_db, &zs.resistance, &zs.reactance,
        &zl.resistance, &zl.reactance, &row.figures.loss_min_db, &row.figures.loss_max_db}) {
    if (!first) out += ',';
    first = false;
    calc::AppendCsvField(out, *f);
  }
  out += ",\n";
}

}  // namespace sweep
