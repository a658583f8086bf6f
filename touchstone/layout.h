#pragma once

// The layout of one frequency point in the data: how many numbers it holds, and where the pairs
// that are read lie. Internal to touchstone/.

#include <cstdint>

#include "touchstone/header.h"

namespace touchstone::detail {

struct Layout {
  // Numbers of one frequency point: the frequency and its pairs.
  std::int64_t numbers_per_point = 0;
  // The index of the first number of each pair that is read (after the frequency at index 0):
  // S_pp of the chosen port, or S11, S21, S12 and S22 of a two-port.
  std::int64_t target[4] = {};
  int slots = 1;  // pairs read: 1, or 4 for a two-port
  // Version 1 puts a 1- or 2-port point on one line, and otherwise each row of the matrix on
  // lines of at most four pairs.
  std::int64_t lines_per_row = 1, lines_per_point = 1;

  // Whether the number at `position` of a frequency point is one of a pair that is read.
  bool Wanted(std::int64_t position) const {
    for (int k = 0; k < slots; ++k) {
      if (position == target[k] || position == target[k] + 1) return true;
    }
    return false;
  }
};

// Works out the layout from what the header says. Raises ReadError (through the header) for a
// version 2 two-port of full matrix without [Two-Port Data Order].
Layout LayoutOf(const Header& header);

}  // namespace touchstone::detail
