#pragma once

#include <string>
#include <string_view>

namespace draw {

// The width of a line of text in DejaVu Sans (the first of the fonts the pictures name, and the
// widest of them), at `pixels` CSS pixels a em, regular or bold. Characters the table does not
// know count as wide as an M.
double TextWidth(std::string_view utf8, double pixels, bool bold = false);

// `text` with its middle replaced by "…" so that it fits `width`; unchanged when it fits.
std::string ElideMiddle(const std::string& text, double width, double pixels, bool bold = false);

}  // namespace draw
