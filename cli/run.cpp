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
#include "calc/two_port.h"
#include "calc/warning_text.h"
#include "cli/options.h"
#include "draw/plot_data.h"
#include "platform/atomic_file.h"
#include "platform/errors.h"
#include "platform/number_format.h"
#include "platform/number_text.h"
#include "sweep/csv.h"
#include "sweep/sweep.h"
#include "touchstone/touchstone.h"

#ifndef VORANTH_VERSION
#define VORANTH_VERSION "unknown"
#endif

namespace cli {

namespace {

using platform::Shortest;

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

// "0.1234 at 45.00°": a reflection coefficient seen through the two-port.
std::string Coefficient(double magnitude, double angle_deg) {
  if (std::isnan(magnitude)) return "not defined";
  return platform::FormatNumber(magnitude, "0.0000") + " at " +
         platform::FormatNumber(angle_deg, "##0.00") + "\u00b0";
}

// A plane's mismatch loss and its range at any phase, or the window's warning.
void PlaneLines(std::vector<std::string>& lines, const std::string& label,
                const calc::PlaneMismatch& p) {
  if (!p.computed) {
    lines.push_back(label + " = not defined: " + p.warning);
    return;
  }
  // The window's text of the mismatch loss: "0.35" or "∞".
  const calc::ResultTexts texts = calc::BoxTexts(calc::ResultsOf(p.result));
  lines.push_back(label + " = " + texts[calc::kMismatchLoss] + " dB");
  for (const std::string& line : calc::MismatchLines(p.figures)) {
    if (line.rfind("ML at any phase = ", 0) == 0) lines.push_back(label + line.substr(2));
  }
}

// The two-port's lines of a single point, after the window's.
std::vector<std::string> ThroughLines(const calc::ThroughResult& t) {
  std::vector<std::string> lines = {
      "\u0393out = " + Coefficient(t.gamma_out_magnitude, t.gamma_out_angle_deg),
      "\u0393in = " + Coefficient(t.gamma_in_magnitude, t.gamma_in_angle_deg),
      calc::FigureLine("Gt", calc::FigureOf(t.gain_db, calc::Reason::kNoPowerReachesLoad),
                       "###0.00", "dB"),
  };
  PlaneLines(lines, "ML source plane", t.source_plane);
  PlaneLines(lines, "ML load plane", t.load_plane);
  return lines;
}

// The two-port of a single point from its texts, read by the boxes' rule. Raises UsageError.
calc::TwoPortS ThroughOf(const std::array<PointSpec, 4>& points) {
  static constexpr const char* kNames[] = {"S11", "S21", "S12", "S22"};
  double v[8];
  for (int k = 0; k < 8; ++k) {
    const std::string& text = k % 2 == 0 ? points[k / 2].magnitude : points[k / 2].angle;
    try {
      v[k] = platform::TextToNumber(text);
    } catch (const platform::Error&) {
      throw UsageError("--through: the " + std::string(k % 2 == 0 ? "magnitude" : "angle") +
                       " of " + kNames[k / 2] + " \"" + text + "\" is not a number");
    }
  }
  calc::TwoPortS s;
  calc::Complex* c[] = {&s.s11, &s.s21, &s.s12, &s.s22};
  for (int k = 0; k < 4; ++k) {
    const double radians = v[2 * k + 1] * calc::kPi / 180.0;
    *c[k] = {v[2 * k] * std::cos(radians), v[2 * k] * std::sin(radians)};
    if (!std::isfinite(c[k]->re) || !std::isfinite(c[k]->im)) {
      throw UsageError(std::string("--through: ") + kNames[k] + " is too large to compute with");
    }
  }
  return s;
}

void ThroughJson(JsonObject& parent, std::string& out, const calc::ThroughResult& t) {
  parent.Key("through");
  JsonObject o(out);
  o.Number("gamma_out_magnitude", t.gamma_out_magnitude);
  o.Number("gamma_out_angle_deg", t.gamma_out_angle_deg);
  o.Number("gamma_in_magnitude", t.gamma_in_magnitude);
  o.Number("gamma_in_angle_deg", t.gamma_in_angle_deg);
  o.Figure("Gt_dB", calc::FigureOf(t.gain_db, calc::Reason::kNoPowerReachesLoad));
  for (const auto& [key, plane] :
       {std::pair{"source_plane", &t.source_plane}, std::pair{"load_plane", &t.load_plane}}) {
    o.Key(key);
    JsonObject j(out);
    if (plane->computed) {
      j.Figure("ML_dB", calc::ResultsOf(plane->result).mismatch_loss_db);
    } else {
      j.Figure("ML_dB", calc::Figure{});
    }
    j.Figure("ML_min_dB", plane->computed ? plane->figures.loss_min_db : calc::Figure{});
    j.Figure("ML_max_dB", plane->computed ? plane->figures.loss_max_db : calc::Figure{});
    j.Close();
  }
  o.String("warning", t.warning);
  o.Close();
}

// The lines of a single point: every result and figure, the two-port's (if any), then what a
// magnitude given as a VSWR or a return loss was read as ("|ΓS| = 0.2 (VSWR 1.5:1)").
std::vector<std::string> OutputLines(const calc::Calculation& c,
                                     const calc::ThroughResult* through) {
  std::vector<std::string> lines = calc::AllLines(c.results, c.figures);
  if (through != nullptr) {
    for (std::string& line : ThroughLines(*through)) lines.push_back(std::move(line));
  }
  for (std::string& line : calc::ReadingLines(c.reading1, c.reading2)) {
    lines.push_back(std::move(line));
  }
  return lines;
}

int SinglePoint(const Options& o, std::ostream& out, std::ostream& err) {
  const calc::InputTexts inputs = {o.z0.value_or("50"), o.source_point->magnitude,
                                   o.source_point->angle, o.load_point->magnitude,
                                   o.load_point->angle};
  std::optional<calc::TwoPortS> two_port;
  if (o.through_point) {
    try {
      two_port = ThroughOf(*o.through_point);
    } catch (const UsageError& e) {
      err << kProgram << ": " << e.what() << '\n';
      return kUsage;
    }
  }
  calc::Calculation c;
  try {
    c = calc::Calculate(inputs);
  } catch (const platform::Error& error) {
    err << calc::WarningText(error) << '\n';
    return kWarning;
  }
  std::optional<calc::ThroughResult> through;
  // The reference impedance only names the impedances of each plane, which are not shown.
  if (two_port)
    through =
        calc::EvaluateThrough(*two_port, c.magnitude1, c.angle1, c.magnitude2, c.angle2, 50.0);
  if (o.json) {
    out << JsonFor(c, through ? &*through : nullptr) << '\n';
  } else {
    for (const std::string& line : OutputLines(c, through ? &*through : nullptr)) {
      out << line << '\n';
    }
  }
  if (through && !through->warning.empty()) {
    err << kProgram << ": " << through->warning << '\n';
    out.flush();
    return kWarning;
  }
  out.flush();
  if (!out) {
    err << kProgram << ": cannot write the results\n";
    return kFileError;
  }
  return kSuccess;
}

// "amp.s2p S22" (or "bal.s4p D1,3"), for the plot's title.
std::string PortName(const FileSpec& f) {
  const std::string name = std::filesystem::path(f.path).filename().string();
  if (!f.mode.empty()) return name + " " + f.mode;
  const std::string p = std::to_string(f.port);
  return name + " S" + p + p;
}

// An output that would overwrite an input, or the other output: what is wrong, or nothing.
std::optional<std::string> Clash(const Options& o) {
  std::vector<std::pair<std::string, std::string>> outputs;  // path, what it is for
  if (o.csv && *o.csv != "-") outputs.emplace_back(*o.csv, "--csv");
  if (o.plot) outputs.emplace_back(*o.plot, "--plot");
  if (o.smith) outputs.emplace_back(*o.smith, "--smith");
  std::vector<std::string> inputs = {o.source_file->path, o.load_file->path};
  if (o.through_file) inputs.push_back(o.through_file->path);
  for (const auto& [path, option] : outputs) {
    for (const std::string& input : inputs) {
      if (platform::SameFile(path, input)) {
        return option + " " + path + " is the same file as the input " + input +
               ": the output would destroy it";
      }
    }
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      if (platform::SameFile(outputs[i].first, outputs[j].first)) {
        return outputs[i].second + " and " + outputs[j].second + " name the same file " +
               outputs[i].first + ": one would replace the other";
      }
    }
  }
  return std::nullopt;
}

int Sweep(const Options& o, std::ostream& out, std::ostream& err, const PlotWriter& plot,
          const SmithWriter& smith) {
  if ((o.plot && !plot) || (o.smith && !smith)) {
    err << kProgram << ": " << (o.plot && !plot ? "--plot" : "--smith")
        << " is not available in this build (it was built without Qt)\n";
    return kUsage;
  }
  if (const std::optional<std::string> clash = Clash(o)) {
    err << kProgram << ": " << *clash << "\n" << kProgram << ": nothing was written\n";
    return kFileError;
  }
  const FileSpec& source = *o.source_file;
  const FileSpec& load = *o.load_file;
  // What is already out when something fails.
  bool stdout_started = false;
  std::vector<std::string> written;  // output files complete
  try {
    // The table goes to a file, to standard output, or nowhere when only pictures were asked for.
    std::unique_ptr<platform::AtomicFile> file;
    const bool to_stdout = o.csv ? *o.csv == "-" : !o.plot && !o.smith;
    if (o.csv && !to_stdout) file = std::make_unique<platform::AtomicFile>(*o.csv);
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
    if (table) buffer = sweep::CsvHeader(o.through_file.has_value());

    std::string title = "Mismatch of " + PortName(source) + " and " + PortName(load);
    if (o.through_file) {
      title += " through " + std::filesystem::path(o.through_file->path).filename().string();
      if (o.through_file->reversed) title += " (turned round)";
    }
    std::optional<PlotData> data;
    if (o.plot) data.emplace(title);
    std::optional<SmithData> chart;
    if (o.smith) chart.emplace(title);
    long long failures = 0;
    const auto note = [&](const std::string& text) { err << kProgram << ": " << text << '\n'; };
    const auto sink = [&](const sweep::SweepRow& row) {
      if (table) {
        sweep::AppendCsvRow(buffer, row);
        if (buffer.size() >= kWriteChunk) flush();
      }
      if (data) data->Add(row);
      if (chart) chart->Add(row);
      if (sweep::RowFailed(row) && failures++ < kListedFailures) {
        err << kProgram << ": at " << Shortest(row.frequency_hz)
            << " Hz: " << sweep::RowWarning(row) << '\n';
      }
    };
    const sweep::SweepSummary summary =
        o.through_file ? sweep::RunSweep(source, load, *o.through_file, note, sink)
                       : sweep::RunSweep(source, load, note, sink);
    if (table) flush();
    if (file) {
      file->Commit();
      written.push_back(*o.csv);
    }
    if (to_stdout && !out.flush()) {
      err << kProgram << ": cannot write the table to standard output\n";
      return kFileError;
    }
    if (data) {
      plot(*data, *o.plot);
      written.push_back(*o.plot);
    }
    if (chart) {
      smith(*chart, *o.smith);
      written.push_back(*o.smith);
    }
    if (summary.steep_steps > 0) {
      const FileSpec& spread = summary.source_interpolated ? source : load;
      err << kProgram << ": warning: the phase of " << PortName(spread)
          << " turns by more than 45\u00b0 between " << summary.steep_steps
          << (summary.steep_steps == 1 ? " pair" : " pairs")
          << " of neighbouring points used for interpolation (the first from "
          << Shortest(summary.steep_from_hz) << " to " << Shortest(summary.steep_to_hz)
          << " Hz): the interpolated values there are unreliable\n";
    }
    if (failures > 0) {
      err << kProgram << ": " << failures << " of " << summary.rows
          << " frequency points could not be computed in full; their rows keep the frequency "
             "and the reflection coefficients, leave the results that failed empty and give "
             "the reason in the column \"warning\"\n";
      return kWarning;
    }
    return kSuccess;
  } catch (const touchstone::ReadError& e) {
    err << kProgram << ": " << e.what() << '\n';
  } catch (const sweep::SweepError& e) {
    err << kProgram << ": " << e.what() << '\n';
  } catch (const platform::OutputError& e) {
    err << kProgram << ": " << e.what() << '\n';
  }
  if (stdout_started) {
    err << kProgram << ": the table on standard output is incomplete\n";
  } else if (!written.empty()) {
    std::string list;
    for (const std::string& path : written) list += (list.empty() ? "" : ", ") + path;
    err << kProgram << ": " << list << (written.size() == 1 ? " was" : " were")
        << " written, the rest was not\n";
  } else {
    err << kProgram << ": nothing was written\n";
  }
  return kFileError;
}

}  // namespace

std::string JsonFor(const calc::Calculation& c, const calc::ThroughResult* through) {
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
  if (through != nullptr) ThroughJson(root, out, *through);
  root.Key("lines");
  out += '[';
  bool first = true;
  for (const std::string& line : OutputLines(c, through)) {
    if (!first) out += ',';
    first = false;
    AppendJsonString(out, line);
  }
  out += ']';
  root.Close();
  return out;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const PlotWriter& plot, const SmithWriter& smith) {
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
  return o.sweep() ? Sweep(o, out, err, plot, smith) : SinglePoint(o, out, err);
}

std::string HelpText() {
  return R"HELP(Usage:
  voranth-calc [--z0 OHMS] --source MAG@ANGLE --load MAG@ANGLE
               [--through "S11 S21 S12 S22"] [--json]
  voranth-calc --source FILE:PP --load FILE:PP [--through TWOPORT.s2p[:21]]
               [--csv OUT.csv] [--plot OUT.svg] [--smith OUT.svg]
  voranth-calc --help | --version

Mismatch loss, return loss and impedances of a source-load junction, computed
exactly as the Voranth window computes them: for one point, or at every
frequency of a sweep read from two Touchstone files. With a two-port between
source and load (an adapter, a cable, an attenuator): what each side sees
through it, the transducer gain and the mismatch loss at both of its planes.

Single point:
  --z0 OHMS           reference impedance Z0 in ohms (default 50)
  --source MAG@ANGLE  source reflection coefficient: magnitude, and angle in
                      degrees (for example 0.5@30, or 0.5@30°)
  --load MAG@ANGLE    load reflection coefficient (for example 0.3@-45)
  --through "S11 S21 S12 S22"
                      a two-port between source and load, port 1 facing the
                      source, each S-parameter as MAG@ANGLE (for example
                      "0.05@10 0.9@-40 0.9@-40 0.05@170"); its lines follow
                      the others (see Two-port below)

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
  --source FILE:PP    S_pp of port p of a Touchstone file (version 1, 2.0 or
                      2.1, .s1p to .sNp), for example amp.s2p:22 for S22; from
                      port 10 on, both indices are written (1212 for S1212).
                      A port of mixed-mode data is named as the file's
                      [Mixed-Mode Order] names it: bal.s4p:D1,3 (or
                      bal.s4p:D1 when only one differential pair starts at
                      port 1); it refers to its two ports' reference
                      impedances in series (D) or in parallel (C)
  --load FILE:PP      likewise for the load, for example filter.s2p:11; FILE
                      may be a pipe, a FIFO or /dev/stdin (each file is read
                      once)
  --source-ports N, --load-ports N
                      the number of ports of version 1 data whose name does
                      not end in .sNp (a pipe, for example)
  --csv OUT.csv       write the table to OUT.csv, "-" for standard output; the
                      table goes to standard output when none of --csv,
                      --plot and --smith is given. A symbolic link is
                      followed to its file; a FIFO or a device is written
                      directly
  --plot OUT.svg      draw the mismatch loss, its range at any phase, and the
                      return loss against frequency (with --through: the
                      mismatch loss at both planes, and the transducer gain);
                      unbounded losses go to a band at the top of their panel,
                      marked ∞
  --smith OUT.svg     draw ΓS, ΓL (and Γout with --through) over frequency on
                      a Smith chart, normalised to the source's reference
                      impedance, the first and last frequencies marked
  --through TWOPORT.s2p[:21]
                      a two-port between source and load: all four
                      S-parameters of a 2-port file, port 1 facing the
                      source; ":21" turns it round (see Two-port below)

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
  with --through, before the warning:
    gamma_out_magnitude, gamma_out_angle_deg, gamma_in_magnitude,
    gamma_in_angle_deg                   Γout and Γin
    Gt_dB                                transducer gain (-inf: no power)
    ML_source_plane_dB, ML_source_plane_min_dB, ML_source_plane_max_dB,
    ML_load_plane_dB, ML_load_plane_min_dB, ML_load_plane_max_dB
                                         mismatch loss at each plane, with
                                         its range at any phase
    warning                              why a point could not be computed
  "inf" is an unbounded loss: ML when no power reaches the load, RL for a
  perfect match. An empty field is a figure that is not defined; zero is
  written 0, whatever its sign.

  When the reference impedances of the two ports differ, ΓL is brought to the
  source's reference impedance through its impedance. Files with the same
  frequencies are paired point by point (two frequencies are the same when
  they differ by less than a thousandth of either grid's step there). When the
  grids differ, the sweep covers the whole band both files cover, on the grid
  of the file with more points in it, and the other file is interpolated
  linearly in its real and imaginary parts. Both are said on standard error,
  and so is a phase that turns by more than 45° between the neighbouring
  points interpolated. Bands that do not overlap are an error.

  Each file is read once. A fault in either (with its file, line and what was
  expected) leaves OUT.csv and OUT.svg as they were: each is written beside
  its target, flushed to the disk and renamed over it when complete, and the
  temporary file is removed when the program is interrupted. A table on
  standard output may have been begun. An output that is one of the input
  files, or both outputs naming one file, is refused before anything is
  written.

  A point that cannot be computed (for example |ΓL| = 1 at 0°, an open circuit
  whose impedance is infinite) keeps its row: frequency and reflection
  coefficients, empty results, and the window's warning in the column
  "warning". The first ones are also listed on standard error, and the exit
  status is 1.

Two-port:
  With S11, S21, S12, S22 of a two-port between source and load (port 1
  facing the source), against the source's reference impedance:
    Γout = S22 + S12·S21·ΓS/(1 − S11·ΓS)   the source as the load sees it
    Γin  = S11 + S12·S21·ΓL/(1 − S22·ΓL)   the load as the source sees it
    Gt = |S21|²(1 − |ΓS|²)(1 − |ΓL|²)/|(1 − S11·ΓS)(1 − S22·ΓL)
         − S12·S21·ΓS·ΓL|²                  transducer gain, in dB
    ML at the source plane (ΓS with Γin) and at the load plane (Γout with ΓL),
    each as the window computes it, with its range at any phase.
  The results of ΓS and ΓL met directly keep their place. The two-port's
  reference impedances are renormalised to the source's (they must be
  positive); its file is read once, its S-parameters interpolated linearly
  in their real and imaginary parts where it has no point of its own (with
  a warning where its S21 turns by more than 45° between its points), and
  frequencies outside its band are left out (standard error says so).

Exit status:
  0  success
  1  the calculation gave a warning, or some points of a sweep could not be
     computed (the table is complete; those rows say why)
  2  the command line cannot be used
  3  a file cannot be read or written, or the two files do not fit together;
     no table or plot file is left incomplete, and standard error says what,
     if anything, was written (a table on standard output may be incomplete)
)HELP";
}

}  // namespace cli
