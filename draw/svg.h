#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace draw {

// A colour, with its opacity from 0 to 1.
struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  double alpha = 1.0;
};

// Colours shared by the pictures.
inline constexpr Colour kGrid{0xd6, 0xd6, 0xd6};
inline constexpr Colour kFrame{0x55, 0x55, 0x55};
inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kBlack{0, 0, 0};

// Of DejaVu Sans, in ems: the height above the baseline, and a line's height.
inline constexpr double kAscent = 0.93, kLineHeight = 1.17;

struct Point {
  double x = 0.0, y = 0.0;
};

// How a shape's outline is drawn.
struct Pen {
  Colour colour;
  double width = 1.0;
  bool dashed = false;
  bool round = false;  // round caps and joins
};

enum class Anchor { kStart, kMiddle, kEnd };

// A font size, and its weight.
struct Font {
  double pixels = 12.0;
  bool bold = false;
};

// Writes an SVG document: the picture's size is its view box, in CSS pixels with y downwards.
// Coordinates are written with two decimals, texts escaped for XML. Shapes are drawn in the order
// they are added; a clip holds for the shapes added until it ends.
class SvgWriter {
 public:
  SvgWriter(double width, double height, std::string_view title, std::string_view description);

  void Rect(double x, double y, double width, double height, std::optional<Colour> fill,
            std::optional<Pen> pen = {});
  void Line(Point a, Point b, const Pen& pen);
  void Circle(Point centre, double radius, std::optional<Colour> fill, std::optional<Pen> pen = {});
  // An open line through the points.
  void Polyline(const std::vector<Point>& points, const Pen& pen);
  void Polygon(const std::vector<Point>& points, std::optional<Colour> fill,
               std::optional<Pen> pen = {});
  // A path in SVG's own path syntax, made with PathData.
  void Path(const std::string& data, std::optional<Colour> fill, std::optional<Pen> pen = {});
  // Text on the baseline at `at`, turned by `degrees` clockwise round it.
  void Text(Point at, std::string_view text, const Font& font, Colour colour,
            Anchor anchor = Anchor::kStart, double degrees = 0.0);

  // Shapes added from now on show only inside the rectangle, or the circle, until EndClip. Qt
  // 6.4's SVG renderer ignores clip paths: what must not show outside is cut by geometry too.
  void BeginClip(double x, double y, double width, double height);
  void BeginClipCircle(Point centre, double radius);
  void EndClip();

  // The document, closed.
  std::string Finish();

 private:
  void Paint(std::optional<Colour> fill, const std::optional<Pen>& pen);

  std::string out_;
  int clips_ = 0;  // clip paths made so far, for their names
  int open_ = 0;   // clipped groups still open
};

// Appends the number with at most two decimals, whatever the process locale.
void AppendNumber(std::string& out, double value);

// The path of polylines: each run of points a subpath ("M x y L x y …").
std::string PathData(const std::vector<std::vector<Point>>& runs);

}  // namespace draw
