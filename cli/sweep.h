#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "calc/figures.h"
#include "calc/mismatch.h"
#include "cli/options.h"

namespace cli {

// Two files that cannot be used together (no common frequency range, no data); what() says why.
class SweepError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the first reading of both files found, and how the second one pairs their points.
struct SweepPlan {
  enum class Grid {
    kSame,          // every frequency in both files
    kCommon,        // the frequencies both files have
    kInterpolated,  // the source's frequencies inside the load's range, the load interpolated
  };
  Grid grid = Grid::kSame;
  double source_reference_ohms = 50.0;
  double load_reference_ohms = 50.0;
  long long source_points = 0, load_points = 0;
  long long rows = 0;                    // frequency points of the result
  double first_hz = 0.0, last_hz = 0.0;  // of the result
  double source_first_hz = 0.0, source_last_hz = 0.0;
  double load_first_hz = 0.0, load_last_hz = 0.0;

  bool renormalised() const { return load_reference_ohms != source_reference_ohms; }
};

// One frequency point of the result.
struct SweepRow {
  double frequency_hz = 0.0;
  // ΓS as read, and ΓL as used: brought to the source's reference impedance and interpolated
  // where the plan says so. Angles in degrees.
  double source_magnitude = 0.0, source_angle_deg = 0.0;
  double load_magnitude = 0.0, load_angle_deg = 0.0;
  bool computed = false;  // false: the evaluation failed, `warning` says why
  std::string warning;
  calc::MismatchResult result;    // when computed; impedances against the source's reference
  calc::MismatchFigures figures;  // when computed
};

// Pass 1: reads both files to the end, checks every line and decides how to pair the points.
// Raises touchstone::ReadError for a file that cannot be read and SweepError when the two cannot
// be used together. Memory stays constant whatever the files' length.
SweepPlan PlanSweep(const FileSpec& source, const FileSpec& load);

// What the plan means for the user, one line each (empty when the files simply match).
std::vector<std::string> PlanNotes(const SweepPlan& plan, const FileSpec& source,
                                   const FileSpec& load);

// Pass 2: reads both files again and hands each row of the result to `sink`, in order of
// frequency. A point whose evaluation fails still gives its row, with `computed` false. Raises
// touchstone::ReadError, or SweepError when a file changed since the plan was made.
void RunSweep(const FileSpec& source, const FileSpec& load, const SweepPlan& plan,
              const std::function<void(const SweepRow&)>& sink);

}  // namespace cli
