#include "sweep/csv.h"

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
  out += ",\n";
}

}  // namespace sweep
