#include "cli/plot.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "cli/csv.h"
#include "cli/plot_data.h"

namespace cli {

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 680;
constexpr double kTopLimitDb = 100.0;  // the top of a decibel axis: higher values are clipped
// The height of the band at the top of a panel where unbounded values are drawn.
constexpr double kInfinityBand = 30.0;

const QColor kLossColour(0x1f, 0x4e, 0x99);
const QColor kBandColour(0x1f, 0x4e, 0x99, 0x38);
const QColor kReturnColour(0xc0, 0x39, 0x2b);
const QColor kGrid(0xd6, 0xd6, 0xd6);
const QColor kMinorGrid(0xee, 0xee, 0xee);
const QColor kFrame(0x55, 0x55, 0x55);
const QColor kInfinityFill(0xf3, 0xec, 0xd9);

QFont Font(int pixels, bool bold = false) {
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

// A step of 1, 2 or 5 times a power of ten giving about `count` intervals over `span`.
double NiceStep(double span, int count) {
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0}) {
    if (raw <= m * power) return m * power;
  }
  return 10.0 * power;
}

QString Decimal(double value, double step) {
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  return QString::number(value, 'f', decimals);
}

// A frequency with the SI prefix that suits `scale`.
struct Prefix {
  double hz;
  QLatin1StringView unit;
};
Prefix PrefixFor(double hz) {
  if (hz >= 1e9) return {1e9, QLatin1StringView("GHz")};
  if (hz >= 1e6) return {1e6, QLatin1StringView("MHz")};
  if (hz >= 1e3) return {1e3, QLatin1StringView("kHz")};
  return {1.0, QLatin1StringView("Hz")};
}

struct Axis {
  double lo = 0.0, hi = 1.0;
  bool log = false;
  double Map(double v, double from, double to) const {
    const double t = log ? std::log(v / lo) / std::log(hi / lo) : (v - lo) / (hi - lo);
    return from + t * (to - from);
  }
};

// A y axis from 0 (or the least value below it) to the greatest finite value, on whole steps.
Axis DecibelAxis(const std::vector<double>& values, double& step) {
  double lo = 0.0, hi = 0.0;
  for (const double v : values) {
    if (!std::isfinite(v)) continue;
    lo = std::min(lo, v);
    hi = std::max(hi, std::min(v, kTopLimitDb));
  }
  if (hi - lo < 0.1) hi = lo + 0.1;
  step = NiceStep(hi - lo, 5);
  // A little room above the highest value, so that a peak does not run into the frame.
  return {std::floor(lo / step) * step, std::ceil((hi + 0.03 * (hi - lo)) / step) * step, false};
}

bool AnyUnbounded(const std::vector<double>& values) {
  return std::any_of(values.begin(), values.end(), [](double v) { return std::isinf(v); });
}

class Painter {
 public:
  // With `infinity_band`, the panel keeps a band at its top for unbounded values, marked "∞".
  Painter(QPainter& p, const Axis& x, const QRectF& r, bool infinity_band = false)
      : p_(p), x_(x), r_(r), data_(r.adjusted(0, infinity_band ? kInfinityBand : 0, 0, 0)) {}

  double X(double hz) const { return x_.Map(hz, r_.left(), r_.right()); }
  double Y(const Axis& y, double db) const {
    // Unbounded values sit in the middle of the band; finite ones are clipped with the panel.
    if (db == INFINITY) return (r_.top() + data_.top()) / 2;
    if (db == -INFINITY) return r_.bottom();
    return y.Map(db, data_.bottom(), data_.top());
  }
  bool HasBand() const { return data_.top() > r_.top(); }

  // The band of unbounded values: tinted, ruled off from the axis and labelled "∞".
  void InfinityBand() {
    if (!HasBand()) return;
    const QRectF band(r_.left(), r_.top(), r_.width(), data_.top() - r_.top());
    p_.fillRect(band, kInfinityFill);
    p_.setPen(QPen(kFrame, 1, Qt::DashLine));
    p_.drawLine(QPointF(r_.left(), data_.top()), QPointF(r_.right(), data_.top()));
    p_.setPen(kFrame);
    p_.setFont(Font(16, true));
    const QFontMetricsF fm(p_.font());
    const QString infinity(QChar(0x221e));
    p_.drawText(QPointF(r_.left() - 8 - fm.horizontalAdvance(infinity),
                        band.center().y() + fm.ascent() / 2 - 2),
                infinity);
  }

  // A curve with a gap wherever it has no value.
  void Curve(const std::vector<PlotPoint>& points, const Axis& y, double PlotPoint::*field,
             const QColor& colour) {
    QPainterPath path;
    bool open = false;
    for (const PlotPoint& pt : points) {
      const double v = pt.*field;
      if (std::isnan(v)) {
        open = false;
        continue;
      }
      const QPointF q(X(pt.frequency_hz), Y(y, v));
      if (open) {
        path.lineTo(q);
      } else {
        path.moveTo(q);
        open = true;
      }
    }
    p_.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p_.setBrush(Qt::NoBrush);
    p_.drawPath(path);
    // Few points: mark each one. Unbounded points are always marked, so that a single one
    // among many shows.
    bool marking = false;
    for (const PlotPoint& pt : points) {
      const double v = pt.*field;
      if (std::isinf(v) || (points.size() <= 40 && !std::isnan(v))) {
        if (!marking) p_.setBrush(colour);
        marking = true;
        p_.drawEllipse(QPointF(X(pt.frequency_hz), Y(y, v)), 2.5, 2.5);
      }
    }
  }

  // The band between the range's edges, in one piece per run of points that have both.
  void Band(const std::vector<PlotPoint>& points, const Axis& y) {
    p_.setPen(Qt::NoPen);
    p_.setBrush(kBandColour);
    std::size_t i = 0;
    while (i < points.size()) {
      std::size_t j = i;
      while (j < points.size() && !std::isnan(points[j].ml_min_db) &&
             !std::isnan(points[j].ml_max_db)) {
        ++j;
      }
      if (j > i) {
        QPolygonF polygon;
        for (std::size_t k = i; k < j; ++k) {
          polygon << QPointF(X(points[k].frequency_hz), Y(y, points[k].ml_min_db));
        }
        for (std::size_t k = j; k-- > i;) {
          polygon << QPointF(X(points[k].frequency_hz), Y(y, points[k].ml_max_db));
        }
        if (j - i == 1) {  // a single point: a short bar
          const double x = polygon[0].x();
          polygon = QPolygonF({QPointF(x - 2, polygon[0].y()), QPointF(x + 2, polygon[0].y()),
                               QPointF(x + 2, polygon[1].y()), QPointF(x - 2, polygon[1].y())});
        }
        p_.drawPolygon(polygon);
      }
      i = j + 1;
    }
  }

  void Grid(const Axis& y, double step, const QString& title, bool x_labels) {
    p_.setFont(Font(12));
    const QFontMetricsF fm(p_.font());
    InfinityBand();
    p_.setFont(Font(12));
    // Horizontal lines and the decibel labels.
    for (double v = y.lo; v <= y.hi + step * 1e-6; v += step) {
      const double py = Y(y, v);
      p_.setPen(QPen(kGrid, 1));
      p_.drawLine(QPointF(r_.left(), py), QPointF(r_.right(), py));
      p_.setPen(kFrame);
      const QString label = Decimal(v, step);
      p_.drawText(QPointF(r_.left() - 8 - fm.horizontalAdvance(label), py + fm.ascent() / 2 - 1),
                  label);
    }
    // Vertical lines and the frequency labels.
    std::vector<std::pair<double, QString>> ticks;
    if (x_.log) {
      for (double decade = std::pow(10.0, std::floor(std::log10(x_.lo)));
           decade <= x_.hi * 1.000001; decade *= 10.0) {
        for (int m = 1; m < 10; ++m) {
          const double f = decade * m;
          if (f < x_.lo * 0.999999 || f > x_.hi * 1.000001) continue;
          p_.setPen(QPen(m == 1 ? kGrid : kMinorGrid, 1));
          p_.drawLine(QPointF(X(f), r_.top()), QPointF(X(f), r_.bottom()));
          if (m == 1) {
            const Prefix prefix = PrefixFor(f);
            ticks.emplace_back(f, QString::number(f / prefix.hz) + u' ' + prefix.unit);
          }
        }
      }
    } else {
      const double fstep = NiceStep(x_.hi - x_.lo, 8);
      const Prefix prefix = PrefixFor(std::max(std::fabs(x_.lo), std::fabs(x_.hi)));
      for (double f = std::ceil(x_.lo / fstep) * fstep; f <= x_.hi + fstep * 1e-6; f += fstep) {
        p_.setPen(QPen(kGrid, 1));
        p_.drawLine(QPointF(X(f), r_.top()), QPointF(X(f), r_.bottom()));
        ticks.emplace_back(f, Decimal(f / prefix.hz, fstep / prefix.hz));
      }
    }
    if (x_labels) {
      p_.setPen(kFrame);
      for (const auto& [f, label] : ticks) {
        p_.drawText(QPointF(X(f) - fm.horizontalAdvance(label) / 2, r_.bottom() + 6 + fm.ascent()),
                    label);
      }
    }
    p_.setPen(QPen(kFrame, 1));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(r_);
    // The y axis title, turned.
    p_.save();
    p_.setFont(Font(13));
    p_.translate(r_.left() - 52, r_.center().y());
    p_.rotate(-90);
    const QFontMetricsF tm(p_.font());
    p_.drawText(QPointF(-tm.horizontalAdvance(title) / 2, 0), title);
    p_.restore();
  }

  // Legend entries at the top right of the panel: a line, or a filled box for a band.
  void Legend(const std::vector<std::tuple<QString, QColor, bool>>& entries) {
    p_.setFont(Font(12));
    const QFontMetricsF fm(p_.font());
    double width = 0;
    for (const auto& e : entries) width = std::max(width, fm.horizontalAdvance(std::get<0>(e)));
    const double line_height = fm.height() + 4;
    const QRectF box(r_.right() - width - 52, data_.top() + 8, width + 44,
                     line_height * static_cast<double>(entries.size()) + 8);
    p_.setPen(QPen(kGrid, 1));
    p_.setBrush(QColor(255, 255, 255, 230));
    p_.drawRect(box);
    double y = box.top() + 4 + line_height / 2;
    for (const auto& [label, colour, band] : entries) {
      const QPointF a(box.left() + 8, y), b(box.left() + 32, y);
      if (band) {
        p_.setPen(Qt::NoPen);
        p_.setBrush(colour);
        p_.drawRect(QRectF(a.x(), y - 6, 24, 12));
      } else {
        p_.setPen(QPen(colour, 2));
        p_.drawLine(a, b);
      }
      p_.setPen(kFrame);
      p_.drawText(QPointF(box.left() + 38, y + fm.ascent() / 2 - 2), label);
      y += line_height;
    }
  }

  void Clip(bool on) {
    p_.setClipRect(r_.adjusted(-3, -3, 3, 3));
    p_.setClipping(on);
  }

 private:
  QPainter& p_;
  const Axis& x_;
  QRectF r_;
  QRectF data_;  // where finite values are drawn: the panel without the band
};

// Qt's own notes (a missing run-time directory, font substitutions) are not the program's
// output; only its serious errors are shown.
void QuietQtMessages(QtMsgType type, const QMessageLogContext& /*context*/, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "voranth-calc: %s\n", text.toLocal8Bit().constData());
  }
}

void EnsureApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  qInstallMessageHandler(QuietQtMessages);
  // The picture needs fonts, and Qt's fonts need an application object; no display is used.
  static int argc = 3;
  static char name[] = "voranth-calc";
  static char option[] = "-platform";
  static char platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
}

void Draw(QPainter& p, const PlotData& data) {
  const std::vector<PlotPoint> points = data.Points();
  Axis x{data.first_hz(), data.last_hz(), data.log_axis()};
  if (!(x.hi > x.lo)) {  // a single frequency: a little room on either side
    const double room = x.lo != 0.0 ? std::fabs(x.lo) * 0.01 : 1.0;
    x.lo -= room;
    x.hi += room;
  }

  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRect(0, 0, kWidth, kHeight), Qt::white);
  p.setPen(Qt::black);
  p.setFont(Font(16, true));
  const QString title = QString::fromStdString(data.title());
  p.drawText(QRectF(0, 12, kWidth, 24), Qt::AlignHCenter | Qt::AlignVCenter, title);

  const double left = 86, right = kWidth - 24;
  const QRectF top_panel(left, 52, right - left, 330);
  const QRectF bottom_panel(left, 408, right - left, 200);

  std::vector<double> loss, ret;
  for (const PlotPoint& pt : points) {
    loss.insert(loss.end(), {pt.ml_db, pt.ml_min_db, pt.ml_max_db});
    ret.push_back(pt.rl_db);
  }
  double loss_step = 1, return_step = 1;
  const Axis loss_axis = DecibelAxis(loss, loss_step);
  const Axis return_axis = DecibelAxis(ret, return_step);

  Painter top(p, x, top_panel, AnyUnbounded(loss));
  top.Grid(loss_axis, loss_step, QStringLiteral("Mismatch loss (dB)"), false);
  top.Clip(true);
  top.Band(points, loss_axis);
  top.Curve(points, loss_axis, &PlotPoint::ml_db, kLossColour);
  top.Clip(false);
  top.Legend({{QStringLiteral("ML"), kLossColour, false},
              {QStringLiteral("ML at any phase (range)"), kBandColour, true}});

  Painter bottom(p, x, bottom_panel, AnyUnbounded(ret));
  bottom.Grid(return_axis, return_step, QStringLiteral("Return loss (dB)"), true);
  bottom.Clip(true);
  bottom.Curve(points, return_axis, &PlotPoint::rl_db, kReturnColour);
  bottom.Clip(false);
  bottom.Legend({{QStringLiteral("RL"), kReturnColour, false}});

  p.setPen(kFrame);
  p.setFont(Font(13));
  QString axis_title = QStringLiteral("Frequency");
  if (!x.log) {
    axis_title +=
        QStringLiteral(" (%1)").arg(PrefixFor(std::max(std::fabs(x.lo), std::fabs(x.hi))).unit);
  } else {
    axis_title += QStringLiteral(" (logarithmic)");
  }
  p.drawText(QRectF(left, kHeight - 40, right - left, 24), Qt::AlignHCenter | Qt::AlignVCenter,
             axis_title);
}

}  // namespace

void WritePlotSvg(const PlotData& data, const std::string& path) {
  EnsureApplication();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(kWidth, kHeight));
    svg.setResolution(96);  // one unit a CSS pixel
    svg.setViewBox(QRect(0, 0, kWidth, kHeight));
    svg.setTitle(QString::fromStdString(data.title()));
    svg.setDescription(
        QStringLiteral("Mismatch loss, its range at any phase, and return loss "
                       "against frequency, drawn by voranth-calc"));
    QPainter painter;
    if (!painter.begin(&svg)) throw OutputError(path + ": cannot draw the plot");
    Draw(painter, data);
    painter.end();
  }
  AtomicFile file(path);
  file.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  file.Commit();
}

}  // namespace cli
