#pragma once

#include <string>

namespace sweep {

struct SweepRow;

// The CSV table of a sweep: a header row, then one row per frequency with the numbers at full
// precision. A mismatch loss or return loss without bound is "inf"; a figure that is not defined
// is an empty field, and zero is "0" whatever its sign; a point that could not be computed keeps
// its frequency and reflection coefficients, leaves the results empty and gives the reason in the
// last column. With a two-port between source and load, its columns come before the warning:
// Γout and Γin, the transducer gain (-inf when no power reaches the load) and the mismatch loss
// at the source plane and at the load plane with their ranges; the warning then gives every
// reason, joined by "; " (or a space after a full stop).
std::string CsvHeader(bool through = false);
void AppendCsvRow(std::string& out, const SweepRow& row);

}  // namespace sweep
