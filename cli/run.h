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

// Draws the plot, or the Smith chart, as the text of an SVG document. A writer that cannot draw
// raises an exception; OutputError is reported like a file that cannot be written.
using PlotWriter = std::function<std::string(const PlotData& data)>;
using SmithWriter = std::function<std::string(const SmithData& data)>;

// The program's pictures, at their usual size.
std::string DrawPlot(const PlotData& data);
std::string DrawSmith(const SmithData& data);

// The whole program without its process: `args` without the program name; results go to `out`,
// warnings and notes to `err`.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const PlotWriter& plot = DrawPlot, const SmithWriter& smith = DrawSmith);

}  // namespace cli
