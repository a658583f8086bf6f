#include "cli/sweep_notes.h"

#include <string>
#include <variant>

#include "platform/number_format.h"

namespace cli {

namespace {

using platform::Shortest;

std::string Text(const sweep::ReferencesDiffer& n) {
  return "the reference impedances differ (" + n.source_path + ": " + Shortest(n.source_ohms) +
         " \u03a9, " + n.load_path + ": " + Shortest(n.load_ohms) +
         " \u03a9): \u0393L is brought to " + Shortest(n.source_ohms) +
         " \u03a9 through its impedance, and ZS and ZL are given against " +
         Shortest(n.source_ohms) + " \u03a9";
}

std::string Text(const sweep::GridsDiffer& n) {
  const std::string& grid = n.on_load_grid ? n.load_path : n.source_path;
  return "the frequency grids differ (" + n.source_path + " has " +
         std::to_string(n.source_points) + ", " + n.load_path + " has " +
         std::to_string(n.load_points) + "): computing from " + Shortest(n.low_hz) + " to " +
         Shortest(n.high_hz) + " Hz, the band both cover, " +
         (n.frequencies == 1
              ? "at the one frequency of " + grid + " there"
              : "at the " + std::to_string(n.frequencies) + " frequencies of " + grid + " there") +
         ", with " + (n.on_load_grid ? "\u0393S" : "\u0393L") +
         " interpolated linearly in its real and imaginary parts where " +
         (n.on_load_grid ? n.source_path : n.load_path) + " has no point of its own";
}

std::string Text(const sweep::ThroughRenormalised& n) {
  return "the reference impedances of the two-port " + n.path + " (" + Shortest(n.port1_ohms) +
         " and " + Shortest(n.port2_ohms) +
         " \u03a9) differ from the source's: its S-parameters are renormalised to " +
         Shortest(n.to_ohms) + " \u03a9";
}

std::string Text(const sweep::ThroughInterpolated& n) {
  return "the two-port " + n.path + " has no point of its own at " + Shortest(n.hz) +
         " Hz: there and wherever its grid differs, its S-parameters are interpolated linearly "
         "in their real and imaginary parts";
}

std::string Text(const sweep::ThroughSteep& n) {
  return "warning: the phase of S21 of the two-port " + n.path +
         " turns by more than 45\u00b0 between " + std::to_string(n.pairs) +
         (n.pairs == 1 ? " pair" : " pairs") +
         " of neighbouring points used for interpolation (the first from " + Shortest(n.from_hz) +
         " to " + Shortest(n.to_hz) + " Hz): the interpolated values there are unreliable";
}

std::string Text(const sweep::ThroughOutside& n) {
  return std::to_string(n.frequencies) + (n.frequencies == 1 ? " frequency" : " frequencies") +
         " of the sweep outside the band of the two-port " + n.path + " (" + Shortest(n.first_hz) +
         " to " + Shortest(n.last_hz) + " Hz) left out";
}

}  // namespace

std::string NoteText(const sweep::Note& note) {
  return std::visit([](const auto& n) { return Text(n); }, note);
}

}  // namespace cli
