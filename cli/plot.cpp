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

#include "cli/plot_data.h"
#include "platform/atomic_file.h"

namespace cli {

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 680;
constexpr double kTopLimitDb = 100.0;  // the top of a decibel axis: higher values are clipped
// The height of the band at the top of a panel where unbounded values are drawn.
constexpr double kInfinityBand = 30.0;
constexpr long long kMaxTicks = 100;
// The least span of the frequency axis, relative to its frequencies: points closer than this are
// drawn as one.
constexpr double kMinRelativeSpan = 1e-6;

const QColor kLossColour(0x1f, 0x4e, 0x99);
const QColor kBandColour(0x1f, 0x4e, 0x99, 0x38);
const QColor kReturnColour(0xc0, 0x39, 0x2b);
const QColor kLoadPlaneColour(0xd3, 0x6b, 0x00);
const QColor kLoadBandColour(0xd3, 0x6b, 0x00, 0x38);
const QColor kGainColour(0x1e, 0x84, 0x49);
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
  void Band(const std::vector<PlotPoint>& points, const Axis& y,
            double PlotPoint::*min = &PlotPoint::ml_min_db,
            double PlotPoint::*max = &PlotPoint::ml_max_db, const QColor& colour = kBandColour) {
    p_.setPen(Qt::NoPen);
    p_.setBrush(colour);
    std::size_t i = 0;
    while (i < points.size()) {
      std::size_t j = i;
      while (j < points.size() && !std::isnan(points[j].*min) && !std::isnan(points[j].*max)) {
        ++j;
      }
      if (j > i) {
        QPolygonF polygon;
        for (std::size_t k = i; k < j; ++k) {
          polygon << QPointF(X(points[k].frequency_hz), Y(y, points[k].*min));
        }
        for (std::size_t k = j; k-- > i;) {
          polygon << QPointF(X(points[k].frequency_hz), Y(y, points[k].*max));
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
    // Ticks by index: a step too small to move a value on would never end the loop.
    const long long first_tick = std::llround(y.lo / step);
    const long long last_tick = std::llround(y.hi / step);
    for (long long n = first_tick; n <= last_tick && n - first_tick <= kMaxTicks; ++n) {
      const double v = static_cast<double>(n) * step;
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
      const double first_tick = std::ceil(x_.lo / fstep);
      const double last_tick = std::floor(x_.hi / fstep + 1e-6);
      for (double n = first_tick; n <= last_tick && n - first_tick <= kMaxTicks; ++n) {
        const double f = n * fstep;
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

  // Legend entries in the corner of the panel where they cover the fewest points of the curves
  // (the top right when several are free): a line, or a filled box for a band.
  void Legend(const std::vector<std::tuple<QString, QColor, bool>>& entries,
              const std::vector<PlotPoint>& points, const Axis& y_axis,
              const std::vector<double PlotPoint::*>& fields) {
    p_.setFont(Font(12));
    const QFontMetricsF fm(p_.font());
    double width = 0;
    for (const auto& e : entries) width = std::max(width, fm.horizontalAdvance(std::get<0>(e)));
    const double line_height = fm.height() + 4;
    const QSizeF size(width + 44, line_height * static_cast<double>(entries.size()) + 8);
    const QRectF corners[] = {
        QRectF(QPointF(r_.right() - size.width() - 8, data_.top() + 8), size),
        QRectF(QPointF(r_.left() + 8, data_.top() + 8), size),
        QRectF(QPointF(r_.right() - size.width() - 8, r_.bottom() - size.height() - 8), size),
        QRectF(QPointF(r_.left() + 8, r_.bottom() - size.height() - 8), size),
    };
    QRectF box = corners[0];
    long long fewest = -1;
    for (const QRectF& corner : corners) {
      // A little margin, so that a curve does not run along the legend's edge.
      const QRectF area = corner.adjusted(-4, -4, 4, 4);
      long long covered = 0;
      for (const PlotPoint& pt : points) {
        for (const auto field : fields) {
          const double v = pt.*field;
          if (!std::isnan(v) && area.contains(QPointF(X(pt.frequency_hz), Y(y_axis, v)))) ++covered;
        }
      }
      if (fewest < 0 || covered < fewest) {
        fewest = covered;
        box = corner;
      }
    }
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

void DrawDirect(QPainter& p, const std::vector<PlotPoint>& points, const Axis& x,
                const QRectF& top_panel, const QRectF& bottom_panel);
void DrawThrough(QPainter& p, const std::vector<PlotPoint>& points, const Axis& x,
                 const QRectF& top_panel, const QRectF& bottom_panel);

void Draw(QPainter& p, const PlotData& data) {
  const std::vector<PlotPoint> points = data.Points();
  Axis x{data.first_hz(), data.last_hz(), data.log_axis()};
  const double least_span =
      std::max(kMinRelativeSpan * std::max(std::fabs(x.lo), std::fabs(x.hi)), 1e-3);
  if (!(x.hi - x.lo >= least_span)) {
    // A single frequency, or a span too small to draw: room on either side of the middle.
    const double middle = x.lo / 2 + x.hi / 2;
    const double room = x.hi > x.lo ? least_span / 2 : std::max(std::fabs(middle) * 0.01, 1.0);
    x = Axis{middle - room, middle + room, false};
  }

  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRect(0, 0, kWidth, kHeight), Qt::white);
  p.setPen(Qt::black);
  p.setFont(Font(16, true));
  // A title too long for the picture loses its middle, so that both files stay named.
  const QString title = p.fontMetrics().elidedText(QString::fromStdString(data.title()),
                                                   Qt::ElideMiddle, kWidth - 24);
  p.drawText(QRectF(0, 12, kWidth, 24), Qt::AlignHCenter | Qt::AlignVCenter, title);

  const double left = 86, right = kWidth - 24;

  if (data.through()) {
    DrawThrough(p, points, x, QRectF(left, 52, right - left, 330),
                QRectF(left, 408, right - left, 200));
  } else {
    DrawDirect(p, points, x, QRectF(left, 52, right - left, 330),
               QRectF(left, 408, right - left, 200));
  }

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

// Source and load met directly: the mismatch loss with its range, and the return loss.
void DrawDirect(QPainter& p, const std::vector<PlotPoint>& points, const Axis& x,
                const QRectF& top_panel, const QRectF& bottom_panel) {
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
              {QStringLiteral("ML at any phase (range)"), kBandColour, true}},
             points, loss_axis, {&PlotPoint::ml_db, &PlotPoint::ml_min_db, &PlotPoint::ml_max_db});

  Painter bottom(p, x, bottom_panel, AnyUnbounded(ret));
  bottom.Grid(return_axis, return_step, QStringLiteral("Return loss (dB)"), true);
  bottom.Clip(true);
  bottom.Curve(points, return_axis, &PlotPoint::rl_db, kReturnColour);
  bottom.Clip(false);
  bottom.Legend({{QStringLiteral("RL"), kReturnColour, false}}, points, return_axis,
                {&PlotPoint::rl_db});
}

// A two-port between: the mismatch loss at its two planes with their ranges, and the
// transducer gain.
void DrawThrough(QPainter& p, const std::vector<PlotPoint>& points, const Axis& x,
                 const QRectF& top_panel, const QRectF& bottom_panel) {
  std::vector<double> loss, gain;
  for (const PlotPoint& pt : points) {
    loss.insert(loss.end(), {pt.source_plane_db, pt.source_plane_min_db, pt.source_plane_max_db,
                             pt.load_plane_db, pt.load_plane_min_db, pt.load_plane_max_db});
    gain.push_back(pt.gain_db);
  }
  double loss_step = 1, gain_step = 1;
  const Axis loss_axis = DecibelAxis(loss, loss_step);
  const Axis gain_axis = DecibelAxis(gain, gain_step);

  Painter top(p, x, top_panel, AnyUnbounded(loss));
  top.Grid(loss_axis, loss_step, QStringLiteral("Mismatch loss (dB)"), false);
  top.Clip(true);
  top.Band(points, loss_axis, &PlotPoint::source_plane_min_db, &PlotPoint::source_plane_max_db,
           kBandColour);
  top.Band(points, loss_axis, &PlotPoint::load_plane_min_db, &PlotPoint::load_plane_max_db,
           kLoadBandColour);
  top.Curve(points, loss_axis, &PlotPoint::source_plane_db, kLossColour);
  top.Curve(points, loss_axis, &PlotPoint::load_plane_db, kLoadPlaneColour);
  top.Clip(false);
  top.Legend(
      {{QStringLiteral("ML at the source plane (\u0393S, \u0393in)"), kLossColour, false},
       {QStringLiteral("its range at any phase"), kBandColour, true},
       {QStringLiteral("ML at the load plane (\u0393out, \u0393L)"), kLoadPlaneColour, false},
       {QStringLiteral("its range at any phase"), kLoadBandColour, true}},
      points, loss_axis,
      {&PlotPoint::source_plane_db, &PlotPoint::source_plane_min_db,
       &PlotPoint::source_plane_max_db, &PlotPoint::load_plane_db, &PlotPoint::load_plane_min_db,
       &PlotPoint::load_plane_max_db});

  Painter bottom(p, x, bottom_panel);
  bottom.Grid(gain_axis, gain_step, QStringLiteral("Transducer gain (dB)"), true);
  bottom.Clip(true);
  bottom.Curve(points, gain_axis, &PlotPoint::gain_db, kGainColour);
  bottom.Clip(false);
  bottom.Legend({{QStringLiteral("Gt"), kGainColour, false}}, points, gain_axis,
                {&PlotPoint::gain_db});
}

constexpr double kPi = 3.14159265358979;
constexpr int kSmithWidth = 760;
constexpr int kSmithHeight = 820;
const QColor kSourceColour(0x1f, 0x4e, 0x99);
const QColor kLoadColour(0xc0, 0x39, 0x2b);
const QColor kOutColour(0xd3, 0x6b, 0x00);

QString FrequencyText(double hz) {
  const Prefix prefix = PrefixFor(std::fabs(hz));
  return QString::number(hz / prefix.hz, 'g', 6) + u' ' + prefix.unit;
}

// The chart: Γ = 0 at `centre`, |Γ| = 1 at `radius` pixels; up is the positive imaginary part.
class SmithPainter {
 public:
  SmithPainter(QPainter& p, QPointF centre, double radius) : p_(p), c_(centre), r_(radius) {}

  QPointF At(double re, double im) const { return {c_.x() + r_ * re, c_.y() - r_ * im}; }

  // The impedance circles: constant resistance and constant reactance, normalised to the
  // reference impedance, with their values.
  void Grid() {
    const QRectF unit(c_.x() - r_, c_.y() - r_, 2 * r_, 2 * r_);
    p_.setBrush(Qt::NoBrush);
    p_.setPen(QPen(kGrid, 1));
    for (const double r : {0.2, 0.5, 1.0, 2.0, 5.0}) {
      // Centre r/(1 + r) on the real axis, radius 1/(1 + r): inside the rim throughout.
      const double radius = 1.0 / (1.0 + r);
      p_.drawEllipse(At(r / (1.0 + r), 0.0), r_ * radius, r_ * radius);
    }
    // The reactance arcs inside the rim, as Γ = (z − 1)/(z + 1) for z = r + jx with r from 0 to
    // far beyond 1 (an SVG cannot be relied on to clip).
    for (const double x : {0.2, 0.5, 1.0, 2.0, 5.0}) {
      for (const double sign : {1.0, -1.0}) {
        QPolygonF arc;
        for (int i = 0; i <= 200; ++i) {
          const double r = std::tan(i * (kPi / 2 - 1e-3) / 200);
          const calc::Complex z{r, sign * x};
          // (z − 1)/(z + 1)
          const double d = (z.re + 1) * (z.re + 1) + z.im * z.im;
          arc << At(((z.re - 1) * (z.re + 1) + z.im * z.im) / d,
                    (z.im * (z.re + 1) - (z.re - 1) * z.im) / d);
        }
        arc << At(1.0, 0.0);
        p_.drawPolyline(arc);
      }
    }
    p_.drawLine(At(-1.0, 0.0), At(1.0, 0.0));
    p_.setPen(QPen(kFrame, 1.5));
    p_.setBrush(Qt::NoBrush);
    p_.drawEllipse(unit);

    p_.setFont(Font(12));
    p_.setPen(kFrame);
    const QFontMetricsF fm(p_.font());
    for (const double r : {0.0, 0.2, 0.5, 1.0, 2.0, 5.0}) {
      const QString label = QString::number(r);
      const QPointF at = At((r - 1.0) / (r + 1.0), 0.0);
      p_.drawText(QPointF(at.x() + 3, at.y() - 4), label);
    }
    for (const double x : {0.2, 0.5, 1.0, 2.0, 5.0}) {
      for (const double sign : {1.0, -1.0}) {
        // z = jx on the rim: Γ = (x² − 1 + 2jx)/(x² + 1).
        const double d = x * x + 1.0;
        const double re = (x * x - 1.0) / d, im = sign * 2.0 * x / d;
        const QString label =
            (sign > 0 ? QStringLiteral("+j") : QStringLiteral("\u2212j")) + QString::number(x);
        const QPointF rim = At(re * 1.06, im * 1.06);
        p_.drawText(
            QPointF(rim.x() - fm.horizontalAdvance(label) / 2, rim.y() + fm.ascent() / 2 - 1),
            label);
      }
    }
  }

  // One coefficient over frequency, with a gap where it has no value; with `marks`, its start
  // marked with a dot and its end with a square, each with its frequency, instead.
  void Trace(const std::vector<SmithPoint>& points, calc::Complex SmithPoint::*field,
             const QColor& colour, int label_row, bool marks) {
    QPainterPath path;
    bool open = false;
    const SmithPoint* first = nullptr;
    const SmithPoint* last = nullptr;
    for (const SmithPoint& pt : points) {
      const calc::Complex g = pt.*field;
      if (!std::isfinite(g.re) || !std::isfinite(g.im)) {
        open = false;
        continue;
      }
      if (first == nullptr) first = &pt;
      last = &pt;
      if (open) {
        path.lineTo(At(g.re, g.im));
      } else {
        path.moveTo(At(g.re, g.im));
        open = true;
      }
    }
    if (first == nullptr) return;
    if (!marks) {
      p_.setBrush(Qt::NoBrush);
      p_.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p_.drawPath(path);
      return;
    }
    p_.setPen(QPen(Qt::white, 1.2));
    p_.setBrush(colour);
    const QPointF a = At((first->*field).re, (first->*field).im);
    const QPointF b = At((last->*field).re, (last->*field).im);
    p_.drawEllipse(a, 5.5, 5.5);
    p_.drawRect(QRectF(b.x() - 5, b.y() - 5, 10, 10));
    // The frequencies beside the marks, on a white ground, staggered per curve so that curves
    // starting at one place keep their labels apart.
    p_.setFont(Font(12, true));
    const QFontMetricsF fm(p_.font());
    // The first frequency to the left of its mark, the last to the right, so that the two stay
    // apart on a curve that ends near its start.
    const auto label = [&](QPointF at, const QString& text, bool left) {
      const double x = left ? at.x() - 9 - fm.horizontalAdvance(text) : at.x() + 9;
      const QPointF pos(x, at.y() + 4 + (label_row - 1) * (fm.height() + 1));
      const QRectF box(pos.x() - 2, pos.y() - fm.ascent() - 1, fm.horizontalAdvance(text) + 4,
                       fm.height() + 2);
      p_.setPen(Qt::NoPen);
      p_.setBrush(QColor(255, 255, 255, 215));
      p_.drawRect(box);
      p_.setPen(colour);
      p_.drawText(pos, text);
    };
    label(a, FrequencyText(first->frequency_hz), true);
    if (last != first) label(b, FrequencyText(last->frequency_hz), false);
  }

 private:
  QPainter& p_;
  QPointF c_;
  double r_;
};

void DrawSmith(QPainter& p, const SmithData& data) {
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRect(0, 0, kSmithWidth, kSmithHeight), Qt::white);
  p.setPen(Qt::black);
  p.setFont(Font(16, true));
  const QString title = p.fontMetrics().elidedText(QString::fromStdString(data.title()),
                                                   Qt::ElideMiddle, kSmithWidth - 24);
  p.drawText(QRectF(0, 12, kSmithWidth, 24), Qt::AlignHCenter | Qt::AlignVCenter, title);
  p.setFont(Font(13));
  p.setPen(kFrame);
  p.drawText(QRectF(0, 38, kSmithWidth, 20), Qt::AlignHCenter | Qt::AlignVCenter,
             QStringLiteral("Smith chart: impedance circles normalised to the source's reference "
                            "impedance"));

  SmithPainter chart(p, QPointF(kSmithWidth / 2.0, 390), 300);
  chart.Grid();
  const std::vector<SmithPoint> points = data.Points();
  // The curves first, then their marks and labels over all of them.
  for (const bool marks : {false, true}) {
    chart.Trace(points, &SmithPoint::source, kSourceColour, 0, marks);
    chart.Trace(points, &SmithPoint::load, kLoadColour, 1, marks);
    if (data.through()) chart.Trace(points, &SmithPoint::out, kOutColour, 2, marks);
  }

  // The legend under the chart.
  std::vector<std::pair<QString, QColor>> entries = {
      {QStringLiteral("\u0393S, the source"), kSourceColour},
      {QStringLiteral("\u0393L, the load"), kLoadColour}};
  if (data.through()) {
    entries.emplace_back(QStringLiteral("\u0393out, the source seen through the two-port"),
                         kOutColour);
  }
  p.setFont(Font(13));
  const QFontMetricsF fm(p.font());
  double y = 740;
  for (const auto& [text, colour] : entries) {
    p.setPen(QPen(colour, 2.5));
    p.drawLine(QPointF(150, y), QPointF(185, y));
    p.setPen(kFrame);
    p.drawText(QPointF(195, y + fm.ascent() / 2 - 2), text);
    y += fm.height() + 6;
  }
  p.setPen(QPen(Qt::white, 1.2));
  p.setBrush(kFrame);
  p.drawEllipse(QPointF(480, 740), 5.5, 5.5);
  p.drawRect(QRectF(475, 740 + fm.height() + 6 - 5, 10, 10));
  p.setPen(kFrame);
  p.drawText(QPointF(495, 740 + fm.ascent() / 2 - 2), QStringLiteral("first frequency"));
  p.drawText(QPointF(495, 740 + fm.height() + 6 + fm.ascent() / 2 - 2),
             QStringLiteral("last frequency"));
}

// Renders `draw` into an SVG of the given size and writes it in full or not at all.
void WriteSvg(const std::string& path, QSize size, const QString& title, const QString& description,
              const std::function<void(QPainter&)>& draw) {
  EnsureApplication();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setResolution(96);  // one unit a CSS pixel
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(title);
    svg.setDescription(description);
    QPainter painter;
    if (!painter.begin(&svg)) throw platform::OutputError(path + ": cannot draw the picture");
    draw(painter);
    painter.end();
  }
  platform::AtomicFile file(path);
  file.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  file.Commit();
}

}  // namespace

void WriteSmithSvg(const SmithData& data, const std::string& path) {
  WriteSvg(path, QSize(kSmithWidth, kSmithHeight), QString::fromStdString(data.title()),
           QStringLiteral("The source and load reflection coefficients over frequency on a "
                          "Smith chart, drawn by voranth-calc"),
           [&](QPainter& p) { DrawSmith(p, data); });
}

void WritePlotSvg(const PlotData& data, const std::string& path) {
  WriteSvg(path, QSize(kWidth, kHeight), QString::fromStdString(data.title()),
           data.through() ? QStringLiteral("Mismatch loss at both planes of the two-port, with "
                                           "their ranges at any phase, and transducer gain "
                                           "against frequency, drawn by voranth-calc")
                          : QStringLiteral("Mismatch loss, its range at any phase, and return "
                                           "loss against frequency, drawn by voranth-calc"),
           [&](QPainter& p) { Draw(p, data); });
}

}  // namespace cli
