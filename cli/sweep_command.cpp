#include "cli/sweep_command.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/plot_data.h"
#include "platform/atomic_file.h"
#include "platform/number_format.h"
#include "sweep/csv.h"
#include "sweep/sweep.h"
#include "touchstone/touchstone.h"

namespace cli {

namespace {

using platform::Shortest;

// Failing points listed one by one on standard error; the rest are counted.
constexpr int kListedFailures = 10;
// CSV text gathered before it is written out.
constexpr std::size_t kWriteChunk = 1 << 16;

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

}  // namespace

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

}  // namespace cli
