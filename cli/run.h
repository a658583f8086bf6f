#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace draw {
class PlotData;
class SmithData;
}  // namespace draw

namespace cli {

// The name that begins every message.
inline constexpr std::string_view kProgram = "voranth-calc";

using draw::PlotData;
using draw::SmithData;

// The exit status of voranth-calc.
enum ExitStatus : int {
  kSuccess = 0,
  kWarning = 1,  // the calculation gave a warning, or some points of a sweep could not be computed
  kUsage = 2,    // the command line cannot be used
  kFileError = 3,  // a file cannot be read or written, or the two files do not fit together
};

// Draws the plot into an SVG file, written in full or not at all; raises OutputError.
using PlotWriter = std::function<void(const PlotData& data, const std::string& path)>;
// Draws the Smith chart into an SVG file, likewise.
using SmithWriter = std::function<void(const SmithData& data, const std::string& path)>;

// The whole program without its process: `args` without the program name; results go to `out`,
// warnings and notes to `err`. Without a plot writer, --plot is refused, and --smith without a
// Smith chart writer.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const PlotWriter& plot = {}, const SmithWriter& smith = {});

}  // namespace cli
