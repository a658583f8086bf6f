#include "draw/svg.h"

#include <charconv>
#include <cmath>

namespace draw {

namespace {

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

void AppendColour(std::string& out, const Colour& c) {
  constexpr char kHex[] = "0123456789abcdef";
  out += '#';
  for (const std::uint8_t v : {c.r, c.g, c.b}) {
    out += kHex[v >> 4];
    out += kHex[v & 15];
  }
}

void Attribute(std::string& out, std::string_view name, double value) {
  out += ' ';
  out += name;
  out += "=\"";
  AppendNumber(out, value);
  out += '"';
}

}  // namespace

void AppendNumber(std::string& out, double value) {
  if (!std::isfinite(value)) value = 0.0;  // never written: shapes are kept inside the picture
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  if (error != std::errc()) {
    out += '0';
    return;
  }
  char* last = end;
  while (last[-1] == '0') --last;
  if (last[-1] == '.') --last;
  const std::string_view text(buffer, static_cast<std::size_t>(last - buffer));
  out += text == "-0" ? "0" : text;
}

std::string PathData(const std::vector<std::vector<Point>>& runs) {
  std::string d;
  for (const auto& run : runs) {
    for (std::size_t i = 0; i < run.size(); ++i) {
      d += i == 0 ? (d.empty() ? "M" : " M") : " L";
      AppendNumber(d, run[i].x);
      d += ' ';
      AppendNumber(d, run[i].y);
    }
  }
  return d;
}

SvgWriter::SvgWriter(double width, double height, std::string_view title,
                     std::string_view description) {
  out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
  Attribute(out_, "width", width);
  Attribute(out_, "height", height);
  out_ += " viewBox=\"0 0 ";
  AppendNumber(out_, width);
  out_ += ' ';
  AppendNumber(out_, height);
  out_ += "\" font-family=\"DejaVu Sans, Liberation Sans, Arial, sans-serif\">\n<title>";
  AppendEscaped(out_, title);
  out_ += "</title>\n<desc>";
  AppendEscaped(out_, description);
  out_ += "</desc>\n";
}

void SvgWriter::Paint(std::optional<Colour> fill, const std::optional<Pen>& pen) {
  out_ += " fill=\"";
  if (fill) {
    AppendColour(out_, *fill);
    out_ += '"';
    if (fill->alpha < 1.0) Attribute(out_, "fill-opacity", fill->alpha);
  } else {
    out_ += "none\"";
  }
  if (pen) {
    out_ += " stroke=\"";
    AppendColour(out_, pen->colour);
    out_ += '"';
    if (pen->colour.alpha < 1.0) Attribute(out_, "stroke-opacity", pen->colour.alpha);
    Attribute(out_, "stroke-width", pen->width);
    if (pen->dashed) {
      out_ += " stroke-dasharray=\"";
      AppendNumber(out_, 4 * pen->width);
      out_ += ' ';
      AppendNumber(out_, 2 * pen->width);
      out_ += '"';
    }
    if (pen->round) out_ += " stroke-linecap=\"round\" stroke-linejoin=\"round\"";
  }
  out_ += "/>\n";
}

void SvgWriter::Rect(double x, double y, double width, double height, std::optional<Colour> fill,
                     std::optional<Pen> pen) {
  out_ += "<rect";
  Attribute(out_, "x", x);
  Attribute(out_, "y", y);
  Attribute(out_, "width", width);
  Attribute(out_, "height", height);
  Paint(fill, pen);
}

void SvgWriter::Line(Point a, Point b, const Pen& pen) {
  out_ += "<line";
  Attribute(out_, "x1", a.x);
  Attribute(out_, "y1", a.y);
  Attribute(out_, "x2", b.x);
  Attribute(out_, "y2", b.y);
  Paint(std::nullopt, pen);
}

void SvgWriter::Circle(Point centre, double radius, std::optional<Colour> fill,
                       std::optional<Pen> pen) {
  out_ += "<circle";
  Attribute(out_, "cx", centre.x);
  Attribute(out_, "cy", centre.y);
  Attribute(out_, "r", radius);
  Paint(fill, pen);
}

void SvgWriter::Polyline(const std::vector<Point>& points, const Pen& pen) {
  if (points.size() < 2) return;
  Path(PathData({points}), std::nullopt, pen);
}

void SvgWriter::Polygon(const std::vector<Point>& points, std::optional<Colour> fill,
                        std::optional<Pen> pen) {
  if (points.size() < 3) return;
  Path(PathData({points}) + " Z", fill, pen);
}

void SvgWriter::Path(const std::string& data, std::optional<Colour> fill, std::optional<Pen> pen) {
  if (data.empty()) return;
  out_ += "<path d=\"";
  out_ += data;
  out_ += '"';
  Paint(fill, pen);
}

void SvgWriter::Text(Point at, std::string_view text, const Font& font, Colour colour,
                     Anchor anchor, double degrees) {
  out_ += "<text";
  Attribute(out_, "x", at.x);
  Attribute(out_, "y", at.y);
  Attribute(out_, "font-size", font.pixels);
  if (font.bold) out_ += " font-weight=\"bold\"";
  if (anchor != Anchor::kStart) {
    out_ += anchor == Anchor::kMiddle ? " text-anchor=\"middle\"" : " text-anchor=\"end\"";
  }
  if (degrees != 0.0) {
    out_ += " transform=\"rotate(";
    AppendNumber(out_, degrees);
    out_ += ' ';
    AppendNumber(out_, at.x);
    out_ += ' ';
    AppendNumber(out_, at.y);
    out_ += ")\"";
  }
  out_ += " fill=\"";
  AppendColour(out_, colour);
  out_ += '"';
  if (colour.alpha < 1.0) Attribute(out_, "fill-opacity", colour.alpha);
  out_ += '>';
  AppendEscaped(out_, text);
  out_ += "</text>\n";
}

void SvgWriter::BeginClip(double x, double y, double width, double height) {
  const std::string id = "clip" + std::to_string(++clips_);
  out_ += "<clipPath id=\"" + id + "\"><rect";
  Attribute(out_, "x", x);
  Attribute(out_, "y", y);
  Attribute(out_, "width", width);
  Attribute(out_, "height", height);
  // The clip's shape is geometry only; unfilled, it shows nothing in a viewer that ignores clip
  // paths and draws their contents instead (Qt 6.4's renderer does).
  out_ += " fill=\"none\"/></clipPath>\n<g clip-path=\"url(#" + id + ")\">\n";
  ++open_;
}

void SvgWriter::BeginClipCircle(Point centre, double radius) {
  const std::string id = "clip" + std::to_string(++clips_);
  out_ += "<clipPath id=\"" + id + "\"><circle";
  Attribute(out_, "cx", centre.x);
  Attribute(out_, "cy", centre.y);
  Attribute(out_, "r", radius);
  out_ += " fill=\"none\"/></clipPath>\n<g clip-path=\"url(#" + id + ")\">\n";
  ++open_;
}

void SvgWriter::EndClip() {
  if (open_ == 0) return;
  out_ += "</g>\n";
  --open_;
}

std::string SvgWriter::Finish() {
  while (open_ > 0) EndClip();
  out_ += "</svg>\n";
  return std::move(out_);
}

}  // namespace draw
