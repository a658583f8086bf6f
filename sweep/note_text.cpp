#include "sweep/note_text.h"

#include <string>
#include <variant>

#include "platform/number_format.h"

namespace sweep {

namespace {

using platform::Shortest;

const char* NameOf(touchstone::WaveDefinition definition) {
  switch (definition) {
    case touchstone::WaveDefinition::kPower:
      return "power-wave";
    case touchstone::WaveDefinition::kPseudo:
      return "pseudo-wave";
    case touchstone::WaveDefinition::kTravelling:
      break;
  }
  return "travelling-wave";
}

std::string Text(const RepeatedPointNote& n) {
  std::string text = n.path + ":" + std::to_string(n.line) + ": the frequency " +
                     Shortest(n.frequency_hz) +
                     " Hz repeats the point before (where two segments of a sweep meet): the "
                     "point before is kept and this line skipped; ";
  if (n.difference == 0) return text + "the two are equal";
  if (!(n.difference >= 0.00005)) return text + "|\u0394\u0393| between the two is below 0.0001";
  return text + "|\u0394\u0393| between the two is " +
         platform::FormatNumber(n.difference, "0.0000");
}

std::string Text(const CommonReferenceNote& n) {
  std::string stated;
  for (const CommonReferenceNote::StatedFile& file : n.stated) {
    stated += (stated.empty() ? "" : ", ") + file.path;
    if (file.definition) stated += std::string(" (") + NameOf(*file.definition) + ")";
  }
  return (stated.empty() ? std::string()
                         : "the port impedances stated at each frequency (! Port Impedance) are "
                           "used: " +
                               stated + "; ") +
         "every reflection coefficient is brought to the common reference of " + Shortest(n.ohms) +
         " \u03a9 (" +
         (n.given ? "--z0" : "the source's option-line R, 50 \u03a9 when it gives none") +
         "), and ZS and ZL are given against it";
}

std::string Text(const ReferencesDifferNote& n) {
  return "the reference impedances differ (" + n.source_path + ": " + Shortest(n.source_ohms) +
         " \u03a9, " + n.load_path + ": " + Shortest(n.load_ohms) +
         " \u03a9): \u0393L is brought to " + Shortest(n.source_ohms) +
         " \u03a9 through its impedance, and ZS and ZL are given against " +
         Shortest(n.source_ohms) + " \u03a9";
}

std::string Text(const GridsDifferNote& n) {
  const std::string& grid = n.on_load_grid ? n.load_path : n.source_path;
  return "the frequency grids differ (" + n.source_path + " has " +
         std::to_string(n.source_points) + ", " + n.load_path + " has " +
         std::to_string(n.load_points) + "): computing from " + Shortest(n.from_hz) + " to " +
         Shortest(n.to_hz) + " Hz, the band both cover, " +
         (n.frequencies == 1
              ? "at the one frequency of " + grid + " there"
              : "at the " + std::to_string(n.frequencies) + " frequencies of " + grid + " there") +
         ", with " + (n.on_load_grid ? "\u0393S" : "\u0393L") +
         " interpolated linearly in its real and imaginary parts where " +
         (n.on_load_grid ? n.source_path : n.load_path) + " has no point of its own";
}

std::string Text(const ThroughRenormalisedNote& n) {
  return "the reference impedances of the two-port " + n.path + " (" + Shortest(n.port1_ohms) +
         " and " + Shortest(n.port2_ohms) +
         " \u03a9) differ from the source's: its S-parameters are renormalised to " +
         Shortest(n.to_ohms) + " \u03a9";
}

std::string Text(const ThroughInterpolatedNote& n) {
  return "the two-port " + n.path + " has no point of its own at " + Shortest(n.frequency_hz) +
         " Hz: there and wherever its grid differs, its S-parameters are interpolated linearly in "
         "their real and imaginary parts";
}

std::string Text(const ThroughSteepNote& n) {
  return "warning: the phase of S21 of the two-port " + n.path +
         " turns by more than 45\u00b0 between " + std::to_string(n.steps) +
         (n.steps == 1 ? " pair" : " pairs") +
         " of neighbouring points used for interpolation (the first from " + Shortest(n.from_hz) +
         " to " + Shortest(n.to_hz) + " Hz): the interpolated values there are unreliable";
}

std::string Text(const OutsideThroughNote& n) {
  return std::to_string(n.frequencies) + (n.frequencies == 1 ? " frequency" : " frequencies") +
         " of the sweep outside the band of the two-port " + n.path + " (" + Shortest(n.from_hz) +
         " to " + Shortest(n.to_hz) + " Hz) left out";
}

}  // namespace

std::string NoteText(const Note& note) {
  return std::visit([](const auto& n) { return Text(n); }, note);
}

}  // namespace sweep
