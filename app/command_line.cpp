#include "app/command_line.h"

#include "ui/sweep_window/side_text.h"

namespace app {

std::optional<ui::SweepRequest> SweepFromArguments(const std::vector<std::string>& args) {
  if (args.empty()) return std::nullopt;
  ui::SweepRequest request;
  bool source = false, load = false, through = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i], value;
    bool has_value = false;
    if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != name.npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
      has_value = true;
    }
    bool* seen = name == "--source"    ? &source
                 : name == "--load"    ? &load
                 : name == "--through" ? &through
                                       : nullptr;
    if (seen == nullptr) {
      throw ui::SideError(
          (name.rfind("-", 0) == 0 ? "unknown option \"" : "unexpected argument \"") + name +
          "\": voranth takes --source FILE:PP --load FILE:PP [--through FILE[:21]], one side "
          "possibly MAG@ANGLE");
    }
    if (*seen) throw ui::SideError(name + " is given twice");
    *seen = true;
    if (!has_value) {
      if (i + 1 >= args.size()) throw ui::SideError(name + " needs a value");
      value = args[++i];
    }
    if (name == "--source") {
      request.source = ui::ReadSide(name, value);
    } else if (name == "--load") {
      request.load = ui::ReadSide(name, value);
    } else {
      request.through = ui::ReadThroughFile(value);
    }
  }
  if (!source || !load) throw ui::SideError("both --source and --load are needed");
  ui::CheckRequest(request);
  return request;
}

}  // namespace app
