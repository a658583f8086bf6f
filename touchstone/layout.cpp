#include "touchstone/layout.h"

namespace touchstone::detail {

Layout LayoutOf(const Header& header) {
  Layout layout;
  const std::int64_t n = header.ports, p = header.port;
  const int version = header.version;
  std::int64_t pairs = n * n;
  std::int64_t index = (p - 1) * n + (p - 1);  // rows of the full matrix, one after another
  if (version == 2 && header.matrix == Matrix::kLower) {
    pairs = n * (n + 1) / 2;  // row i holds S_i1 ... S_ii
    index = p * (p + 1) / 2 - 1;
  } else if (version == 2 && header.matrix == Matrix::kUpper) {
    pairs = n * (n + 1) / 2;  // row i holds S_ii ... S_iN
    index = (p - 1) * (n + 1) - (p - 1) * p / 2;
  }
  layout.numbers_per_point = 1 + 2 * pairs;
  layout.target[0] = 1 + 2 * index;
  if (header.two_port) {
    layout.slots = 4;
    // S11 S21 S12 S22, as version 1 writes them; version 2 says its own order, and a lower or
    // upper matrix holds S21 = S12 once.
    if (version == 2 && header.matrix != Matrix::kFull) {
      layout.target[1] = layout.target[2] = 3;
      layout.target[3] = 5;
    } else {
      if (version == 2 && !header.order_seen) {
        header.Fail(
            "expected [Two-Port Data Order] 12_21 or 21_12 before the data: the order of S21 "
            "and S12 is needed");
      }
      const bool s12_first = version == 2 && header.order_12_21;
      layout.target[1] = s12_first ? 5 : 3;
      layout.target[2] = s12_first ? 3 : 5;
      layout.target[3] = 7;
    }
  }
  layout.lines_per_row = n <= 2 ? 1 : (n + 3) / 4;
  layout.lines_per_point = n <= 2 ? 1 : n * layout.lines_per_row;
  return layout;
}

}  // namespace touchstone::detail
