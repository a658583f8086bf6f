#include "draw/text_width.h"

#include <cstdint>
#include <vector>

namespace draw {

namespace {

// Advances of the printable ASCII characters, in thousandths of an em.
constexpr std::uint16_t kRegular[95] = {
    318, 401, 460, 838, 636, 950, 780, 275, 390, 390, 500, 838, 318, 361,  318, 337, 636, 636, 636,
    636, 636, 636, 636, 636, 636, 636, 337, 337, 838, 838, 838, 531, 1000, 684, 686, 698, 770, 632,
    575, 775, 752, 295, 295, 656, 557, 863, 748, 787, 603, 787, 695, 635,  611, 732, 684, 989, 685,
    611, 685, 390, 337, 390, 838, 500, 500, 613, 635, 550, 635, 615, 352,  635, 634, 278, 278, 579,
    278, 974, 634, 612, 635, 635, 411, 521, 392, 634, 592, 818, 592, 592,  525, 636, 337, 636, 838};
constexpr std::uint16_t kBold[95] = {
    348,  456, 521, 838, 696, 1002, 872, 306,  457, 457, 523, 838, 380, 415,  380, 365,
    696,  696, 696, 696, 696, 696,  696, 696,  696, 696, 400, 400, 838, 838,  838, 580,
    1000, 774, 762, 734, 830, 683,  683, 821,  837, 372, 372, 775, 637, 995,  837, 850,
    733,  850, 770, 720, 682, 812,  774, 1103, 771, 724, 725, 457, 365, 457,  838, 500,
    500,  675, 716, 593, 716, 678,  435, 716,  712, 343, 343, 665, 343, 1042, 712, 687,
    716,  716, 493, 595, 478, 712,  652, 924,  645, 652, 582, 712, 365, 712,  838};

struct Wide {
  char32_t code;
  std::uint16_t regular, bold;
};
constexpr Wide kOthers[] = {{U'\u0393', 557, 637}, {U'\u221e', 833, 833}, {U'\u2026', 1000, 1000},
                            {U'\u2212', 838, 838}, {U'\u03a9', 764, 850}, {U'\u2220', 896, 896},
                            {U'\u00b0', 500, 500}, {U'\u00b7', 318, 380}, {U'\u2265', 838, 838}};

// The code points of UTF-8 text; a byte that starts no valid sequence counts as one character.
std::vector<std::pair<char32_t, std::size_t>> CodePoints(std::string_view s) {
  std::vector<std::pair<char32_t, std::size_t>> out;  // code point, its first byte
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t length = b < 0x80 ? 1 : b >= 0xf0 ? 4 : b >= 0xe0 ? 3 : b >= 0xc0 ? 2 : 1;
    char32_t c = length == 1 ? b : b & (0x7f >> length);
    std::size_t n = 1;
    for (; n < length && i + n < s.size(); ++n) {
      c = (c << 6) | (static_cast<unsigned char>(s[i + n]) & 0x3f);
    }
    out.emplace_back(c, i);
    i += n;
  }
  return out;
}

double Advance(char32_t c, bool bold) {
  if (c >= 32 && c < 127) return (bold ? kBold : kRegular)[c - 32] / 1000.0;
  for (const Wide& w : kOthers) {
    if (w.code == c) return (bold ? w.bold : w.regular) / 1000.0;
  }
  return bold ? 0.995 : 0.863;
}

}  // namespace

double TextWidth(std::string_view utf8, double pixels, bool bold) {
  double em = 0.0;
  for (const auto& [c, at] : CodePoints(utf8)) em += Advance(c, bold);
  return em * pixels;
}

std::string ElideMiddle(const std::string& text, double width, double pixels, bool bold) {
  if (TextWidth(text, pixels, bold) <= width) return text;
  const auto points = CodePoints(text);
  // Drop characters from the middle outwards until the rest and the ellipsis fit.
  std::size_t head = points.size() / 2, tail = points.size() / 2;  // keep [0, head) and [tail, n)
  const auto kept = [&] {
    const std::size_t head_end = head < points.size() ? points[head].second : text.size();
    const std::size_t tail_start = tail < points.size() ? points[tail].second : text.size();
    return text.substr(0, head_end) + "\u2026" + text.substr(tail_start);
  };
  bool from_head = true;
  while ((head > 0 || tail < points.size()) && TextWidth(kept(), pixels, bold) > width) {
    if ((from_head && head > 0) || tail == points.size()) {
      --head;
    } else {
      ++tail;
    }
    from_head = !from_head;
  }
  return kept();
}

}  // namespace draw
