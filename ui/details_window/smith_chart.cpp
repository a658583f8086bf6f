#include "ui/details_window/smith_chart.h"

#include <QFontInfo>
#include <QPainter>
#include <QSvgRenderer>
#include <string>

#include "draw/situation_chart.h"

namespace ui {

namespace {

draw::Colour ColourOf(const QColor& c) {
  return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
          static_cast<std::uint8_t>(c.blue()), c.alphaF()};
}

// The chart's colours from the palette: its base and text, and lighter hues on a dark scheme.
draw::SituationStyle StyleFor(const QPalette& palette, int font_pixels) {
  const QColor ground = palette.color(QPalette::Base);
  draw::SituationStyle style =
      ground.lightness() < 128 ? draw::DarkSituationStyle() : draw::LightSituationStyle();
  style.ground = ColourOf(ground);
  style.text = ColourOf(palette.color(QPalette::Text));
  style.grid = style.text;
  style.grid.alpha = 0.28;
  style.legend_text = ColourOf(palette.color(QPalette::WindowText));
  style.font_px = font_pixels;
  return style;
}

}  // namespace

SmithChart::SmithChart(QWidget* parent) : QWidget(parent) {
  setAccessibleName(tr("Smith chart"));
  setAccessibleDescription(QString::fromStdString(draw::SituationDescription(std::nullopt)));
}

void SmithChart::setPicture(const std::optional<calc::SmithGeometry>& geometry) {
  geometry_ = geometry;
  setAccessibleDescription(QString::fromStdString(draw::SituationDescription(geometry_)));
  update();
}

void SmithChart::paintEvent(QPaintEvent* /*event*/) {
  const std::string svg = draw::SituationSvg(geometry_, width(), height(),
                                             StyleFor(palette(), QFontInfo(font()).pixelSize()));
  QSvgRenderer renderer(QByteArray::fromRawData(svg.data(), static_cast<qsizetype>(svg.size())));
  QPainter painter(this);
  renderer.render(&painter, QRectF(0, 0, width(), height()));
}

}  // namespace ui

// The meta-object code, compiled with this file rather than parsing the headers once more.
#include "moc_smith_chart.cpp"
