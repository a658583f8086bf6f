#include "ui/details_window/smith_chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace ui {

namespace {

// Resistances and reactances of the grid, normalised to Z0.
constexpr double kGridValues[] = {0.2, 0.5, 1.0, 2.0, 5.0};

// Beyond this the chart shows no point nor circle: it would lie far off the chart anyway.
constexpr double kLargest = 100.0;

struct Colours {
  QColor ground, grid, text, source, load, same_loss;
};

Colours ColoursFor(const QPalette& palette) {
  const QColor ground = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  QColor grid = text;
  grid.setAlphaF(0.28f);
  if (ground.lightness() < 128) {  // a dark scheme: lighter hues
    return {
        ground, grid, text, QColor(255, 128, 110), QColor(120, 176, 255), QColor(110, 220, 130)};
  }
  return {ground, grid, text, QColor(192, 40, 30), QColor(20, 80, 190), QColor(20, 130, 50)};
}

bool Drawable(std::complex<double> z) {
  return std::abs(z.real()) < kLargest && std::abs(z.imag()) < kLargest;
}

}  // namespace

SmithChart::SmithChart(QWidget* parent) : QWidget(parent) {
  setAccessibleName(tr("Smith chart"));
}

void SmithChart::setPicture(const std::optional<calc::SmithGeometry>& geometry) {
  geometry_ = geometry;
  update();
}

void SmithChart::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const Colours c = ColoursFor(palette());
  const QFontMetrics metrics = fontMetrics();
  const int line = metrics.lineSpacing();

  // The legend takes the lines below the chart; the chart is the largest square above it.
  const int legend_lines = 3;
  const int margin = 8;
  const int side =
      std::max(10, std::min(width() - 2 * margin, height() - 2 * margin - legend_lines * line));
  const QRectF square((width() - side) / 2.0, margin, side, side);
  // Active ports lie outside the unit circle: the view reaches a little beyond the farthest
  // point, up to twice the unit circle.
  double reach = 1.08;
  if (geometry_) {
    reach =
        std::clamp(std::max(geometry_->source_radius, geometry_->load_radius) * 1.08, reach, 2.16);
  }
  const double scale = side / (2.0 * reach);
  const QPointF centre = square.center();
  auto at = [&](std::complex<double> z) {
    return QPointF(centre.x() + z.real() * scale, centre.y() - z.imag() * scale);
  };
  auto circle = [&](std::complex<double> middle, double radius) {
    return QRectF(at(middle) - QPointF(radius * scale, radius * scale),
                  QSizeF(2 * radius * scale, 2 * radius * scale));
  };

  painter.save();
  painter.setClipRect(square);
  // The unit circle and its grid, clipped to it.
  const QRectF unit = circle({0, 0}, 1.0);
  painter.setPen(QPen(c.text, 1.2));
  painter.setBrush(c.ground);
  painter.drawEllipse(unit);
  QPainterPath inside;
  inside.addEllipse(unit);
  painter.save();
  painter.setClipPath(inside, Qt::IntersectClip);
  painter.setPen(QPen(c.grid, 1.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawLine(at({-1, 0}), at({1, 0}));
  for (double v : kGridValues) {
    painter.drawEllipse(circle({v / (1 + v), 0}, 1 / (1 + v)));  // resistance v
    painter.drawEllipse(circle({1, 1 / v}, 1 / v));              // reactance +v
    painter.drawEllipse(circle({1, -1 / v}, 1 / v));             // reactance -v
  }
  painter.restore();

  if (geometry_) {
    const calc::SmithGeometry& g = *geometry_;
    painter.setBrush(Qt::NoBrush);
    auto ring = [&](double radius, const QColor& colour, Qt::PenStyle style) {
      if (radius > 0 && radius < kLargest) {
        painter.setPen(QPen(colour, 1.6, style));
        painter.drawEllipse(circle({0, 0}, radius));
      }
    };
    ring(g.source_radius, c.source, Qt::DashLine);
    ring(g.load_radius, c.load, Qt::DashLine);
    if (g.same_loss) {
      painter.setPen(QPen(c.same_loss, 2.2));
      painter.drawEllipse(circle(g.same_loss->centre, g.same_loss->radius));
    }
    auto point = [&](std::complex<double> z, const QColor& colour, bool filled,
                     const QString& label) {
      if (!Drawable(z)) return;
      const QPointF p = at(z);
      painter.setPen(QPen(colour, 2.0));
      painter.setBrush(filled ? QBrush(colour) : QBrush(c.ground));
      painter.drawEllipse(p, 4.5, 4.5);
      painter.setPen(colour);
      // Above and right of the point, or below or left of it where the chart's edge would cut it
      // (a total reflection lies on the rim).
      const QFontMetricsF metrics(painter.font());
      QPointF origin = p + QPointF(7, -6);
      if (origin.y() - metrics.ascent() < square.top()) origin.setY(p.y() + 6 + metrics.ascent());
      if (origin.x() + metrics.horizontalAdvance(label) > square.right()) {
        origin.setX(p.x() - 7 - metrics.horizontalAdvance(label));
      }
      painter.drawText(origin, label);
    };
    point(g.conjugate, c.source, false, QStringLiteral("\u0393S*"));
    point(g.source, c.source, true, QStringLiteral("\u0393S"));
    point(g.load, c.load, true, QStringLiteral("\u0393L"));
  }
  painter.restore();

  // The legend: a swatch and its words, three lines of two entries.
  struct Entry {
    QColor colour;
    Qt::PenStyle style;
    QString words;
  };
  const Entry entries[] = {
      {c.source, Qt::SolidLine, tr("\u0393S (filled), \u0393S* (open)")},
      {c.load, Qt::SolidLine, tr("\u0393L")},
      {c.source, Qt::DashLine, tr("|\u0393| = |\u0393S|")},
      {c.load, Qt::DashLine, tr("|\u0393| = |\u0393L|")},
      {c.same_loss, Qt::SolidLine, tr("loads with the mismatch loss of \u0393L")},
  };
  const int swatch = 22;
  double x = margin;
  double y = square.bottom() + margin;
  for (const Entry& e : entries) {
    const int width_needed = swatch + 6 + metrics.horizontalAdvance(e.words) + 14;
    if (x > margin && x + width_needed > width() - margin) {
      x = margin;
      y += line;
    }
    painter.setPen(QPen(e.colour, 2.2, e.style));
    painter.drawLine(QPointF(x, y + line / 2.0), QPointF(x + swatch, y + line / 2.0));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QPointF(x + swatch + 6, y + metrics.ascent()), e.words);
    x += width_needed;
  }
}

}  // namespace ui

// The meta-object code, compiled with this file rather than parsing the headers once more.
#include "moc_smith_chart.cpp"
