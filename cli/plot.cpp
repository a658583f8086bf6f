#include "cli/plot.h"

#include "draw/plot.h"
#include "draw/sweep_smith.h"
#include "platform/atomic_file.h"

namespace cli {

namespace {

void WriteWhole(const std::string& path, const std::string& svg) {
  platform::AtomicFile file(path);
  file.Write(svg);
  file.Commit();
}

}  // namespace

void WritePlotSvg(const PlotData& data, const std::string& path) {
  WriteWhole(path, draw::PlotSvg(data));
}

void WriteSmithSvg(const SmithData& data, const std::string& path) {
  WriteWhole(path, draw::SweepSmithSvg(data));
}

}  // namespace cli
