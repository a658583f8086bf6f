#include "cli/options.h"

#include <charconv>
#include <filesystem>

#include "cli/budget_command.h"

namespace cli {

namespace {

// "22" (S22) and "1010" (S1010) name port 2 and port 10; a single digit names the port itself.
std::optional<int> PortOf(const std::string& digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::string port = digits;
  if (digits.size() > 1) {
    const std::size_t half = digits.size() / 2;
    if (digits.size() % 2 != 0 || digits.compare(0, half, digits, half, half) != 0) {
      return std::nullopt;
    }
    port = digits.substr(0, half);
  }
  int value = 0;
  std::from_chars(port.data(), port.data() + port.size(), value);
  if (value < 1) return std::nullopt;
  return value;
}

// A port of mixed-mode data as the file names it: D or C and a pair of ports (D1,3), S and one
// port (S2); or D or C with the first port of the pair alone (D1).
bool IsModeName(const std::string& name) {
  if (name.size() < 2 || std::string("DdCcSs").find(name[0]) == std::string::npos) return false;
  int commas = 0;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] == ',' && i > 1 && i + 1 < name.size() && commas++ == 0) continue;
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

}  // namespace

// "FILE:PP" first, so that a file name may hold an '@'; then "MAG@ANGLE".
void ReadPort(const std::string& option, const std::string& value, std::optional<PointSpec>& point,
              std::optional<FileSpec>& file) {
  const std::size_t colon = value.rfind(':');
  if (colon != std::string::npos && colon > 0) {
    if (IsModeName(value.substr(colon + 1))) {
      file = FileSpec{value.substr(0, colon),
                      1,
                      0,
                      "or give it with " + option + "-ports N (for example " + option + "-ports 2)",
                      value.substr(colon + 1),
                      std::nullopt};
      return;
    }
    if (const std::optional<int> port = PortOf(value.substr(colon + 1))) {
      file = FileSpec{value.substr(0, colon),
                      *port,
                      0,
                      "or give it with " + option + "-ports N (for example " + option + "-ports 2)",
                      "",
                      std::nullopt};
      return;
    }
  }
  if (const std::size_t at = value.find('@'); at != std::string::npos) {
    point = PointSpec{value.substr(0, at), value.substr(at + 1)};
    return;
  }
  throw UsageError(option + " \"" + value +
                   "\": expected MAG@ANGLE (for example 0.5@30) or FILE:PP, the reflection "
                   "coefficient S_pp of port p of a Touchstone file (for example amp.s2p:22), "
                   "or FILE:D1,3 for a port of mixed-mode data");
}

// "-:PP" reads standard input.
void ReadCoefficient(const std::string& option, const std::string& value,
                     std::optional<PointSpec>& point, std::optional<FileSpec>& file) {
  ReadPort(option, value, point, file);
  if (file && file->path == "-") file->path = kStandardInput;
}

// "S11 S21 S12 S22", each MAG@ANGLE; otherwise a 2-port file, "FILE:12" as it is or "FILE:21"
// turned round. A path may hold blanks: it is a file unless every field is MAG@ANGLE.
void ReadThrough(const std::string& value, Options& o) {
  std::vector<std::string> fields;
  for (std::size_t i = 0; i < value.size();) {
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    std::size_t j = i;
    while (j < value.size() && value[j] != ' ' && value[j] != '\t') ++j;
    if (j > i) fields.push_back(value.substr(i, j - i));
    i = j;
  }
  if (fields.empty()) throw UsageError("--through needs a 2-port file or four S-parameters");
  bool points = fields.size() > 1;
  for (const std::string& field : fields) points = points && field.find('@') != std::string::npos;
  if (points) {
    if (fields.size() != 4) {
      throw UsageError("--through \"" + value +
                       "\": expected S11 S21 S12 S22, each as MAG@ANGLE (for example \"0.05@10 "
                       "0.9@-40 0.9@-40 0.05@170\"), or a 2-port Touchstone file");
    }
    std::array<PointSpec, 4> s;
    for (std::size_t k = 0; k < 4; ++k) {
      const std::size_t at = fields[k].find('@');
      s[k] = PointSpec{fields[k].substr(0, at), fields[k].substr(at + 1)};
    }
    o.through_point = s;
    return;
  }
  sweep::ThroughFile through{value == "-" ? std::string(kStandardInput) : value, false, {}};
  if (const std::size_t colon = value.rfind(':'); colon != std::string::npos && colon > 0) {
    const std::string order = value.substr(colon + 1);
    if (order == "12" || order == "21") {
      through.path = value.substr(0, colon);
      if (through.path == "-") through.path = kStandardInput;
      through.reversed = order == "21";
    } else if (!order.empty() && order.find_first_not_of("0123456789") == std::string::npos &&
               !std::filesystem::exists(value)) {
      throw UsageError("--through \"" + value + "\": a two-port is used as its file gives it (" +
                       value.substr(0, colon) + ":12, port 1 facing the source) or turned round (" +
                       value.substr(0, colon) + ":21); there is no other orientation");
    }
  }
  o.through_file = through;
}

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
        ReadCoefficient(name, *value, o.source_point, o.source_file);
    } else if (name == "--load") {
      if (IsBudgetMagnitude(*value))
        o.load_magnitude = *value;
      else
        ReadCoefficient(name, *value, o.load_point, o.load_file);
    } else if (name == "--through") {
      if (IsBudgetThrough(*value))
        o.through_magnitudes = *value;
      else
        ReadThrough(*value, o);
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
