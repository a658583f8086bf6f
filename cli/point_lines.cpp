#include "cli/point_lines.h"

#include <string>
#include <utility>
#include <vector>

#include "calc/result_format.h"

namespace cli {

std::vector<std::string> OutputLines(const calc::Calculation& c,
                                     const calc::ThroughResult* through) {
  std::vector<std::string> lines = calc::AllLines(c.results, c.figures);
  if (through != nullptr) {
    for (std::string& line : calc::ThroughLines(calc::ThroughFiguresOf(*through))) {
      lines.push_back(std::move(line));
    }
  }
  for (std::string& line : calc::ReadingLines(c.reading1, c.reading2)) {
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace cli
