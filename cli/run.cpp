#include "cli/run.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calc/input_text.h"
#include "calc/result_format.h"
#include "calc/warning_text.h"
#include "cli/csv.h"
#include "cli/options.h"
#include "cli/plot_data.h"
#include "cli/sweep.h"
#include "cli/touchstone.h"
#include "platform/errors.h"

#ifndef VORANTH_VERSION
#define VORANTH_VERSION "unknown"
#endif

namespace cli {

namespace {

constexpr std::string_view kProgram = "voranth-calc";
// Failing points listed one by one on standard error; the rest are counted.
constexpr int kListedFailures = 10;
// CSV text gathered before it is written out.
constexpr std::size_t kWriteChunk = 1 << 16;

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static constexpr char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[(c >> 4) & 0xF];
          out += kHex[c & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

// Builds a JSON object member by member.
class JsonObject {
 public:
  explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
  void Key(std::string_view key) {
    if (!first_) out_ += ',';
    first_ = false;
    AppendJsonString(out_, key);
    out_ += ':';
  }
  void String(std::string_view key, std::string_view value) {
    Key(key);
    AppendJsonString(out_, value);
  }
  void Number(std::string_view key, double value) {
    Key(key);
    out_ += std::isfinite(value) ? Shortest(value) : "null";  // JSON has no infinities
  }
  void Figure(std::string_view key, const calc::Figure& f) {
    Key(key);
    out_ += calc::JsonValue(f);
  }
  void Close() { out_ += '}'; }

 private:
  std::string& out_;
  bool first_ = true;
};

void PortJson(JsonObject& parent, std::string& out, std::string_view key,
              const calc::PortFigures& f, const calc::MagnitudeReading& reading) {
  parent.Key(key);
  JsonObject o(out);
  o.Number("magnitude", f.magnitude);
  // What a VSWR or a return loss typed for the magnitude was read as; null for a plain number.
  if (const std::string note = calc::ReadingNote(reading); !note.empty()) {
    o.String("read_as", note);
  } else {
    o.Key("read_as");
    out += "null";
  }
  o.Figure("VSWR", f.vswr);
  o.Figure("return_loss_dB", f.return_loss_db);
  o.Figure("reflected_power_percent", f.reflected_power_pct);
  o.Close();
}

void ImpedanceJson(JsonObject& parent, std::string& out, std::string_view key,
                   const calc::ResultTexts& t, calc::Output real, calc::Output sign,
                   calc::Output imag) {
  parent.Key(key);
  JsonObject o(out);
  o.String("real", t[real]);
  o.String("sign", t[sign]);
  o.String("imag", t[imag]);
  o.Close();
}

// The lines of a single point: every result and figure, then what a magnitude given as a VSWR
// or a return loss was read as ("|ΓS| = 0.2 (VSWR 1.5:1)").
std::vector<std::string> OutputLines(const calc::Calculation& c) {
  std::vector<std::string> lines = calc::AllLines(c.results, c.figures);
  for (std::string& line : calc::ReadingLines(c.reading1, c.reading2)) {
    lines.push_back(std::move(line));
  }
  return lines;
}

int SinglePoint(const Options& o, std::ostream& out, std::ostream& err) {
  const calc::InputTexts inputs = {o.z0.value_or("50"), o.source_point->magnitude,
                                   o.source_point->angle, o.load_point->magnitude,
                                   o.load_point->angle};
  calc::Calculation c;
  try {
    c = calc::Calculate(inputs);
  } catch (const platform::Error& error) {
    err << calc::WarningText(error) << '\n';
    return kWarning;
  }
  if (o.json) {
    out << JsonFor(c) << '\n';
  } else {
    for (const std::string& line : OutputLines(c)) out << line << '\n';
  }
  out.flush();
  if (!out) {
    err << kProgram << ": cannot write the results\n";
    return kFileError;
  }
  return kSuccess;
}

// "amp.s2p S22", for the plot's title.
std::string PortName(const FileSpec& f) {
  const std::string p = std::to_string(f.port);
  return std::filesystem::path(f.path).filename().string() + " S" + p + p;
}

int Sweep(const Options& o, std::ostream& out, std::ostream& err, const PlotWriter& plot) {
  if (o.plot && !plot) {
    err << kProgram << ": --plot is not available in this build (it was built without Qt)\n";
    return kUsage;
  }
  const FileSpec& source = *o.source_file;
  const FileSpec& load = *o.load_file;
  // What is already out when something fails.
  bool stdout_started = false;
  bool csv_done = false;
  try {
    const SweepPlan plan = PlanSweep(source, load);
    for (const std::string& note : PlanNotes(plan, source, load)) {
      err << kProgram << ": " << note << '\n';
    }

    // The table goes to a file, to standard output, or nowhere when only a plot was asked for.
    std::unique_ptr<AtomicFile> file;
    const bool to_stdout = o.csv ? *o.csv == "-" : !o.plot;
    if (o.csv && !to_stdout) file = std::make_unique<AtomicFile>(*o.csv);
    const bool table = file || to_stdout;
    std::string buffer;
    const auto flush = [&] {
      if (file) {
        file->Write(buffer);
      } else if (to_stdout) {
        stdout_started = true;
        out << buffer;
      }
      buffer.clear();
    };
    if (table) buffer = CsvHeader();

    std::optional<PlotData> data;
    if (o.plot) {
      data.emplace(plan, "Mismatch of " + PortName(source) + " and " + PortName(load));
    }
    long long failures = 0;
    RunSweep(source, load, plan, [&](const SweepRow& row) {
      if (table) {
        AppendCsvRow(buffer, row);
        if (buffer.size() >= kWriteChunk) flush();
      }
      if (data) data->Add(row);
      if (!row.computed && failures++ < kListedFailures) {
        err << kProgram << ": at " << Shortest(row.frequency_hz) << " Hz: " << row.warning << '\n';
      }
    });
    if (table) flush();
    if (file) file->Commit();
    csv_done = file != nullptr;
    if (to_stdout && !out.flush()) {
      err << kProgram << ": cannot write the table to standard output\n";
      return kFileError;
    }
    if (data) plot(*data, *o.plot);
    if (failures > 0) {
      err << kProgram << ": " << failures << " of " << plan.rows
          << " frequency points could not be computed; their rows keep the frequency and the "
             "reflection coefficients, leave the results empty and give the reason in the "
             "column \"warning\"\n";
      return kWarning;
    }
    return kSuccess;
  } catch (const touchstone::ReadError& e) {
    err << kProgram << ": " << e.what() << '\n';
  } catch (const SweepError& e) {
    err << kProgram << ": " << e.what() << '\n';
  } catch (const OutputError& e) {
    err << kProgram << ": " << e.what() << '\n';
  }
  if (stdout_started) {
    err << kProgram << ": the table on standard output is incomplete\n";
  } else if (csv_done) {
    err << kProgram << ": " << *o.csv << " was written, the plot was not\n";
  } else {
    err << kProgram << ": nothing was written\n";
  }
  return kFileError;
}

}  // namespace

std::string JsonFor(const calc::Calculation& c) {
  std::string out;
  JsonObject root(out);
  {
    root.Key("results");
    JsonObject r(out);
    const calc::ResultTexts t = calc::BoxTexts(c.results);
    r.String("RL", t[calc::kReturnLoss]);
    r.String("ML", t[calc::kMismatchLoss]);
    ImpedanceJson(r, out, "ZS", t, calc::kSourceResistance, calc::kSourceReactanceSign,
                  calc::kSourceReactance);
    ImpedanceJson(r, out, "ZL", t, calc::kLoadResistance, calc::kLoadReactanceSign,
                  calc::kLoadReactance);
    r.Close();
  }
  {
    root.Key("figures");
    JsonObject f(out);
    PortJson(f, out, "source", c.figures.source, c.reading1);
    PortJson(f, out, "load", c.figures.load, c.reading2);
    const calc::MismatchFigures& m = c.figures.mismatch;
    f.Key("mismatch");
    JsonObject j(out);
    j.Figure("M_percent", m.delivered_pct);
    j.Number("product", m.product);
    j.Figure("ML_min_dB", m.loss_min_db);
    j.Figure("ML_max_dB", m.loss_max_db);
    j.Figure("uncertainty_low_dB", m.uncertainty_low_db);
    j.Figure("uncertainty_high_dB", m.uncertainty_high_db);
    j.Figure("uncertainty_low_percent", m.uncertainty_low_pct);
    j.Figure("uncertainty_high_percent", m.uncertainty_high_pct);
    j.Figure("standard_uncertainty_percent", m.standard_uncertainty_pct);
    j.Figure("standard_uncertainty_dB", m.standard_uncertainty_db);
    j.Figure("expanded_uncertainty_percent", m.expanded_uncertainty_pct);
    j.Figure("expanded_uncertainty_dB", m.expanded_uncertainty_db);
    j.Close();
    f.Close();
  }
  root.Key("lines");
  out += '[';
  bool first = true;
  for (const std::string& line : OutputLines(c)) {
    if (!first) out += ',';
    first = false;
    AppendJsonString(out, line);
  }
  out += ']';
  root.Close();
  return out;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const PlotWriter& plot) {
  Options o;
  try {
    o = ParseOptions(args);
  } catch (const UsageError& e) {
    err << kProgram << ": " << e.what() << "\n(" << kProgram << " --help tells how to use it)\n";
    return kUsage;
  }
  if (o.help) {
    out << HelpText();
    return out.flush() ? kSuccess : kFileError;
  }
  if (o.version) {
    out << kProgram << ' ' << VORANTH_VERSION << '\n';
    return out.flush() ? kSuccess : kFileError;
  }
  return o.sweep() ? Sweep(o, out, err, plot) : SinglePoint(o, out, err);
}

std::string HelpText() {
  return R"HELP(Usage:
  voranth-calc [--z0 OHMS] --source MAG@ANGLE --load MAG@ANGLE [--json]
  voranth-calc --source FILE:PP --load FILE:PP [--csv OUT.csv] [--plot OUT.svg]
  voranth-calc --help | --version

Mismatch loss, return loss and impedances of a source-load junction, computed
exactly as the Voranth window computes them: for one point, or at every
frequency of a sweep read from two Touchstone files.

Single point:
  --z0 OHMS           reference impedance Z0 in ohms (default 50)
  --source MAG@ANGLE  source reflection coefficient: magnitude, and angle in
                      degrees (for example 0.5@30, or 0.5@30°)
  --load MAG@ANGLE    load reflection coefficient (for example 0.3@-45)

  MAG is |Γ|, or a VSWR ("1.5:1", "VSWR 1.5"), or a return loss ("14 dB",
  "RL 14", "RL 14 dB"); "-14 dB" is |Γ| in dB, the same magnitude as "14 dB".
  The words may be written in any case. A magnitude given so is followed in the
  output by what it was read as: |ΓS| = 0.2 (VSWR 1.5:1).
  --json              write JSON instead of labelled lines

  Numbers follow the rule of the window's boxes: a point or a comma as the
  decimal separator, an optional sign and exponent, blanks around ignored; no
  digit grouping, inf, nan or hexadecimal. A comma followed by exactly three
  digits ("1,000") is refused: write 1000 or 1.000. Z0 is read only when the
  impedances need it, as in the window.

  The output gives the eight results exactly as the window writes them
  (RL = 6.02 dB, ML = 1.25 dB, ZS = 150.0 + j0.0 Ω, ZL = ...; RL = >100 dB for
  a perfect match, ML = ∞ dB when no power reaches the load), then:
    M                     share of the available power that reaches the load
    ML at any phase       mismatch loss for the same magnitudes at the best
                          and the worst phase
    Mismatch uncertainty  20·log10(1 ± |ΓS||ΓL|) in dB, (1 ± |ΓS||ΓL|)² − 1 in %
    Standard uncertainty  u = √2·|ΓS||ΓL| of the U-shaped mismatch term, in %
                          and in dB (10·log10(e)·u)
    Expanded uncertainty  U = 2u (k = 2)
    VSWR, Return loss, Reflected power   of the source (S) and the load (L)
  A figure without a finite value says so in words, for example "infinite
  (total reflection or active port)" or "not defined: |ΓS||ΓL| ≥ 1".

  JSON: {"results": the eight texts, "figures": the figures as numbers
  ("infinite" for an unbounded one, null for one that is not defined),
  "lines": the lines}.

  When a box of the window would hold no number, or a quantity cannot be
  computed, the window's warning is written to standard error and nothing to
  standard output.

Sweep:
  --source FILE:PP    S_pp of port p of a Touchstone file (version 1 or 2.0,
                      .s1p to .sNp), for example amp.s2p:22 for S22; from
                      port 10 on, both indices are written (1212 for S1212)
  --load FILE:PP      likewise for the load, for example filter.s2p:11
  --csv OUT.csv       write the table to OUT.csv, "-" for standard output; the
                      table goes to standard output when neither --csv nor
                      --plot is given
  --plot OUT.svg      draw the mismatch loss, its range at any phase, and the
                      return loss against frequency; unbounded losses go to a
                      band at the top of their panel, marked ∞

  The table is CSV with a header row and one row per frequency, every number
  at full precision (the shortest text that reads back to the same value):
    frequency_hz                         frequency in Hz
    source_magnitude, source_angle_deg   ΓS as read
    load_magnitude, load_angle_deg       ΓL as used (renormalised, interpolated)
    M                                    mismatch factor
    ML_dB, RL_dB                         mismatch loss, return loss
    ZS_re_ohm, ZS_im_ohm, ZL_re_ohm, ZL_im_ohm   impedances against the source's
                                         reference impedance
    ML_min_dB, ML_max_dB                 mismatch loss at any phase
    warning                              why a point could not be computed
  "inf" is an unbounded loss: ML when no power reaches the load, RL for a
  perfect match. An empty field is a figure that is not defined.

  When the reference impedances of the two ports differ, ΓL is brought to the
  source's reference impedance through its impedance. When the frequency grids
  differ, the frequencies both files have are used; when they have none in
  common, the source's frequencies inside the load's range are used, with ΓL
  interpolated linearly in its real and imaginary parts. Both are said on
  standard error. Frequency ranges that do not overlap are an error.

  Both files are read through once and checked before anything is written, so
  a fault in either (with its file, line and what was expected) leaves no
  table and no plot. OUT.csv and OUT.svg appear in full or not at all: each is
  written beside its target and renamed over it when complete.

  A point that cannot be computed (for example |ΓL| = 1 at 0°, an open circuit
  whose impedance is infinite) keeps its row: frequency and reflection
  coefficients, empty results, and the window's warning in the column
  "warning". The first ones are also listed on standard error, and the exit
  status is 1.

Exit status:
  0  success
  1  the calculation gave a warning, or some points of a sweep could not be
     computed (the table is complete; those rows say why)
  2  the command line cannot be used
  3  a file cannot be read or written, or the two files do not fit together;
     no table or plot file is left incomplete, and standard error says what,
     if anything, was written
)HELP";
}

}  // namespace cli
