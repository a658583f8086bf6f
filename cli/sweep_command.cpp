#include "cli/sweep_command.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "calc/input_text.h"
#include "calc/warning_text.h"
#include "draw/plot_data.h"
#include "platform/atomic_file.h"
#include "platform/errors.h"
#include "platform/number_format.h"
#include "platform/number_text.h"
#include "sweep/csv.h"
#include "sweep/note_text.h"
#include "sweep/side_text.h"
#include "sweep/sweep.h"
#include "touchstone/touchstone.h"

namespace cli {

namespace {

using platform::Shortest;

// Failing points listed one by one on standard error; the rest are counted.
constexpr int kListedFailures = 10;
// CSV text gathered before it is written out.
constexpr std::size_t kWriteChunk = 1 << 16;

// "amp.s2p S22" (or "bal.s4p D1,3"), for the plot's title; "ΓS 0.2 at 0°" for a fixed value.
std::string PortName(const FileSpec& f, const char* gamma) {
  if (f.fixed) {
    return std::string(gamma) + " " + Shortest(f.fixed->magnitude) + " at " +
           Shortest(f.fixed->angle_deg) + "\u00b0";
  }
  const std::string name = std::filesystem::path(f.path).filename().string();
  if (!f.mode.empty()) return name + " " + f.mode;
  const std::string p = std::to_string(f.port);
  return name + " S" + p + p;
}

// An output that would overwrite an input, or another output: what is wrong, or nothing.
std::optional<std::string> Clash(const Options& o) {
  std::vector<std::pair<std::string, std::string>> outputs;  // path, what it is for
  if (o.csv) outputs.emplace_back(*o.csv, "--csv");
  if (o.plot) outputs.emplace_back(*o.plot, "--plot");
  if (o.smith) outputs.emplace_back(*o.smith, "--smith");
  std::vector<std::string> inputs;
  if (o.source_file) inputs.push_back(o.source_file->path);
  if (o.load_file) inputs.push_back(o.load_file->path);
  if (o.through_file) inputs.push_back(o.through_file->path);
  for (const auto& [path, option] : outputs) {
    if (path == "-") continue;
    for (const std::string& input : inputs) {
      if (platform::SameFile(path, input)) {
        return option + " " + path + " is the same file as the input " + input +
               ": the output would destroy it";
      }
    }
  }
  // "-" and a path to the file that standard output already is: the one would spoil the other.
  for (const auto& [dash, dash_option] : outputs) {
    if (dash != "-") continue;
    for (const auto& [path, option] : outputs) {
      if (path != "-" && platform::IsStandardOutput(path)) {
        return option + " " + path + " is standard output, where " + dash_option +
               " - goes too: one would spoil the other";
      }
    }
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      const std::string& a = outputs[i].first;
      const std::string& b = outputs[j].first;
      if (a != "-" && b != "-" && platform::SameFile(a, b)) {
        return outputs[i].second + " and " + outputs[j].second + " name the same file " + a +
               (a == b ? "" : " (as " + b + ")") + ": one would replace the other";
      }
    }
  }
  return std::nullopt;
}

// A side given as MAG@ANGLE, the same at every frequency; says so on standard error. Raises
// platform::Error as the window's boxes do.
FileSpec SideOf(const std::optional<FileSpec>& file, const std::optional<PointSpec>& point,
                bool load, std::ostream& err) {
  if (file) return *file;
  FileSpec fixed;
  calc::MagnitudeReading reading;
  fixed.fixed = sweep::FixedReflectionOf(*point, load, reading);
  const std::string name = load ? "\u0393L" : "\u0393S";
  err << kProgram << ": " << name << " is " << Shortest(fixed.fixed->magnitude) << " at "
      << Shortest(fixed.fixed->angle_deg) << "\u00b0 at every frequency";
  if (const std::string note = calc::ReadingNote(reading); !note.empty()) {
    err << " (" << note << ")";
  }
  err << '\n';
  return fixed;
}

// One output file of the run, opened before the sweep so that a target that cannot be written
// fails before any work; standard output for "-".
struct Output {
  std::string path;
  std::unique_ptr<platform::AtomicFile> file;  // none for standard output

  explicit Output(const std::string& p) : path(p) {
    if (path != "-") file = std::make_unique<platform::AtomicFile>(path);
  }
};

// Writes a picture's SVG text into the output's temporary file, or to standard output.
void WritePicture(const std::string& svg, Output& output, std::ostream& out) {
  if (output.file) {
    output.file->Write(svg);
  } else {
    out << svg;
  }
}

}  // namespace

int Sweep(const Options& o, std::ostream& out, std::ostream& err, const PlotWriter& plot,
          const SmithWriter& smith) {
  if (const std::optional<std::string> clash = Clash(o)) {
    err << kProgram << ": " << *clash << "\n" << kProgram << ": nothing was written\n";
    return kFileError;
  }
  // --z0: the common reference of every file.
  double z0 = 0.0;
  if (o.z0) {
    try {
      z0 = platform::TextToNumber(*o.z0);
    } catch (const platform::Error&) {
      z0 = -1.0;
    }
    if (!(z0 > 0.0) || !std::isfinite(z0)) {
      err << kProgram << ": --z0 \"" << *o.z0
          << "\": expected a reference impedance in ohms above 0\n";
      return kUsage;
    }
  }
  FileSpec source, load;
  std::optional<sweep::ThroughFile> through = o.through_file;
  try {
    source = SideOf(o.source_file, o.source_point, false, err);
    load = SideOf(o.load_file, o.load_point, true, err);
  } catch (const platform::Error& error) {
    err << calc::WarningText(error) << '\n';
    return kWarning;
  }
  if (o.through_point) {
    try {
      through = sweep::ThroughFile{"", false, sweep::ThroughOf(*o.through_point)};
    } catch (const UsageError& e) {
      err << kProgram << ": " << e.what() << '\n';
      return kUsage;
    }
  }
  // What is already out when something fails.
  bool stdout_started = false;
  std::vector<std::string> written;  // output files replaced
  try {
    // Every output is opened first; the table goes to a file, to standard output, or nowhere
    // when only pictures were asked for.
    std::optional<Output> table_out, plot_out, smith_out;
    if (o.csv) table_out.emplace(*o.csv);
    if (!o.csv && !o.plot && !o.smith) table_out.emplace("-");
    if (o.plot) plot_out.emplace(*o.plot);
    if (o.smith) smith_out.emplace(*o.smith);
    platform::AtomicFile* const file = table_out ? table_out->file.get() : nullptr;
    const bool table = table_out.has_value();
    std::string buffer;
    const auto flush = [&] {
      if (file) {
        file->Write(buffer);
      } else if (table) {
        stdout_started = true;
        out << buffer;
      }
      buffer.clear();
    };
    if (table) buffer = sweep::CsvHeader(through.has_value());

    std::string title =
        "Mismatch of " + PortName(source, "\u0393S") + " and " + PortName(load, "\u0393L");
    if (through) {
      if (through->fixed) {
        title += " through a two-port";
      } else {
        title += " through " + std::filesystem::path(through->path).filename().string();
      }
      if (through->reversed) title += " (turned round)";
    }
    std::optional<PlotData> data;
    if (o.plot) data.emplace(title);
    std::optional<SmithData> chart;
    if (o.smith) chart.emplace(title);
    long long failures = 0;
    const auto note = [&](const sweep::Note& n) {
      err << kProgram << ": " << sweep::NoteText(n) << '\n';
    };
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
        through ? sweep::RunSweep(source, load, *through, note, sink, z0)
                : sweep::RunSweep(source, load, note, sink, z0);
    if (table) flush();
    if (data) {
      const std::string svg = plot(*data);
      if (!plot_out->file) stdout_started = true;
      WritePicture(svg, *plot_out, out);
    }
    if (chart) {
      const std::string svg = smith(*chart);
      if (!smith_out->file) stdout_started = true;
      WritePicture(svg, *smith_out, out);
    }
    // Every output complete on the disk before any target is replaced.
    std::vector<Output*> files;
    for (std::optional<Output>* output : {&table_out, &plot_out, &smith_out}) {
      if (*output && (*output)->file) files.push_back(&**output);
    }
    for (Output* output : files) output->file->Finish();
    for (Output* output : files) {
      output->file->Commit();
      written.push_back(output->path);
    }
    if (stdout_started && !out.flush()) {
      err << kProgram << ": cannot write to standard output\n";
      return kFileError;
    }
    if (summary.steep_steps > 0) {
      const FileSpec& spread = summary.source_interpolated ? source : load;
      err << kProgram << ": warning: the phase of "
          << PortName(spread, summary.source_interpolated ? "\u0393S" : "\u0393L")
          << " turns by more than 45\u00b0 between " << summary.steep_steps
          << (summary.steep_steps == 1 ? " pair" : " pairs")
          << " of neighbouring points used for interpolation (the first from "
          << Shortest(summary.steep_from_hz) << " to " << Shortest(summary.steep_to_hz)
          << " Hz): the interpolated values there are unreliable\n";
    }
    if (failures > 0) {
      err << kProgram << ": " << failures << " of " << summary.rows
          << (summary.rows == 1 ? " frequency point" : " frequency points")
          << " could not be computed in full; their rows keep the frequency "
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
    err << kProgram << ": what went to standard output is incomplete\n";
  }
  if (!written.empty()) {
    std::string list;
    for (const std::string& path : written) list += (list.empty() ? "" : ", ") + path;
    err << kProgram << ": " << list << (written.size() == 1 ? " was" : " were")
        << " written, the rest was not\n";
  } else if (!stdout_started) {
    err << kProgram << ": nothing was written\n";
  }
  return kFileError;
}

}  // namespace cli
