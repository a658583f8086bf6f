#include "cli/options.h"

#include <charconv>

#include "cli/budget_command.h"

namespace cli {

Options ParseOptions(const std::vector<std::string>& args) {
  Options o;
  int source_ports = 0, load_ports = 0;
  std::vector<std::string> seen;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const std::size_t eq = name.find('=');
        name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (name == "--help" || name == "-h") {
      o.help = true;
      return o;
    }
    const bool flag = name == "--version" || name == "--json";
    const bool ports = name == "--source-ports" || name == "--load-ports";
    const bool takes_value = name == "--z0" || name == "--source" || name == "--load" ||
                             name == "--csv" || name == "--plot" || name == "--smith" ||
                             name == "--through" || ports;
    if (!flag && !takes_value) {
      if (name.rfind("-", 0) == 0) throw UsageError("unknown option \"" + name + "\"");
      throw UsageError("unexpected argument \"" + name + "\"");
    }
    for (const std::string& s : seen) {
      if (s == name) throw UsageError(name + " is given twice");
    }
    seen.push_back(name);
    if (flag) {
      if (value) throw UsageError(name + " takes no value");
      (name == "--json" ? o.json : o.version) = true;
      continue;
    }
    if (!value) {
      if (i + 1 >= args.size()) throw UsageError(name + " needs a value");
      value = args[++i];
    }
    if (name == "--z0") {
      o.z0 = *value;
    } else if (name == "--source") {
      if (IsBudgetMagnitude(*value))
        o.source_magnitude = *value;
      else
        sweep::ReadCoefficient(name, *value, o.source_point, o.source_file);
    } else if (name == "--load") {
      if (IsBudgetMagnitude(*value))
        o.load_magnitude = *value;
      else
        sweep::ReadCoefficient(name, *value, o.load_point, o.load_file);
    } else if (name == "--through") {
      if (IsBudgetThrough(*value))
        o.through_magnitudes = *value;
      else
        sweep::ReadThrough(*value, o.through_file, o.through_point);
    } else if (ports) {
      int count = 0;
      const auto [stop, error] =
          std::from_chars(value->data(), value->data() + value->size(), count);
      if (error != std::errc{} || stop != value->data() + value->size() || count < 1) {
        throw UsageError(name + " \"" + *value + "\": expected a number of ports, 1 or more");
      }
      (name == "--source-ports" ? source_ports : load_ports) = count;
    } else if (value->empty()) {
      throw UsageError(name + " needs a file name");
    } else {
      (name == "--csv" ? o.csv : name == "--plot" ? o.plot : o.smith) = *value;
    }
  }
  if (o.version) return o;
  if (o.budget()) {
    CheckBudgetOptions(o, source_ports > 0 || load_ports > 0);
    return o;
  }

  const bool source = o.source_point || o.source_file;
  const bool load = o.load_point || o.load_file;
  if (!source || !load) throw UsageError("both --source and --load are needed");
  {
    int from_stdin = 0;
    for (const std::optional<FileSpec>* f : {&o.source_file, &o.load_file}) {
      from_stdin += *f && (*f)->path == kStandardInput;
    }
    from_stdin += o.through_file && o.through_file->path == kStandardInput;
    if (from_stdin > 1) {
      throw UsageError(
          "standard input (-) can be read for one of --source, --load and --through "
          "only");
    }
  }
  if ((o.csv == "-") + (o.plot == "-") + (o.smith == "-") > 1) {
    throw UsageError("only one of --csv, --plot and --smith can go to standard output (-)");
  }
  if ((source_ports > 0 && !o.source_file) || (load_ports > 0 && !o.load_file)) {
    throw UsageError(
        std::string(source_ports > 0 && !o.source_file ? "--source-ports" : "--load-ports") +
        " is for a Touchstone file (FILE:PP)");
  }
  if (o.sweep()) {
    if (o.source_file) o.source_file->ports = source_ports;
    if (o.load_file) o.load_file->ports = load_ports;
    if (o.json) throw UsageError("--json is for a single point; a sweep writes CSV");
  } else if (o.csv || o.plot || o.smith) {
    throw UsageError(std::string(o.csv    ? "--csv"
                                 : o.plot ? "--plot"
                                          : "--smith") +
                     " is for a sweep from "
                     "Touchstone files (--source FILE:PP --load FILE:PP)");
  } else if (o.through_file) {
    throw UsageError(
        "--through with a file is for a sweep; a single point takes four S-parameters "
        "(--through \"S11 S21 S12 S22\", each MAG@ANGLE)");
  }
  return o;
}

}  // namespace cli
