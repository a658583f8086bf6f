#include "ui/sweep_window/svg_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

namespace ui {

SvgView::SvgView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(240, 160);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

// Qt's renderer (SVG Tiny) knows no clipPath and would paint the shape inside one as a black
// area of its own; the drawing cuts its curves to their panels itself, so the clip is only a
// second guard, and is left out on the screen.
QByteArray SvgView::Renderable(const QByteArray& svg) {
  static const QRegularExpression clip(QStringLiteral("<clipPath[^>]*>.*?</clipPath>"),
                                       QRegularExpression::DotMatchesEverythingOption);
  if (!svg.contains("<clipPath")) return svg;
  return QString::fromUtf8(svg).remove(clip).toUtf8();
}

void SvgView::setSvg(const QByteArray& svg) {
  svg_ = svg;
  renderer_.load(Renderable(svg_));
  update();
}

QRectF SvgView::pictureRect() const {
  const QSizeF natural = renderer_.viewBoxF().size();
  if (natural.isEmpty()) return QRectF(rect());
  QSizeF size = natural.scaled(QSizeF(this->size()), Qt::KeepAspectRatio);
  return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void SvgView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (renderer_.isValid()) renderer_.render(&painter, pictureRect());
}

void SvgView::mousePressEvent(QMouseEvent* event) {
  const QRectF r = pictureRect();
  const QRectF box = renderer_.viewBoxF();
  if (event->button() != Qt::LeftButton || r.isEmpty() || box.isEmpty()) return;
  const QPointF p = event->position();
  emit clicked(QPointF(box.left() + (p.x() - r.left()) * box.width() / r.width(),
                       box.top() + (p.y() - r.top()) * box.height() / r.height()));
}

void SvgView::resizeEvent(QResizeEvent* /*event*/) {
  emit resized();
}

QImage SvgView::image(QSize size) const {
  QImage picture(size, QImage::Format_ARGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  QSvgRenderer renderer(Renderable(svg_));
  renderer.render(&painter);
  return picture;
}

}  // namespace ui

#include "moc_svg_view.cpp"
