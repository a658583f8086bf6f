#include "ui/sweep_window/svg_view.h"

#include <QMouseEvent>
#include <QPainter>

namespace ui {

SvgView::SvgView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(240, 160);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SvgView::Load(const QByteArray& svg) const {
  svg_ = svg;
  renderer_.load(svg_);
}

void SvgView::setSvg(const QByteArray& svg) {
  source_ = {};
  Load(svg);
  shown_ = {};
  update();
}

void SvgView::setSource(std::function<QByteArray(QSize)> source) {
  source_ = std::move(source);
  drawn_ = {};
  shown_ = {};
  update();
}

const QByteArray& SvgView::svg() const {
  if (source_ && drawn_ != size()) {
    drawn_ = size();
    Load(source_(size()));
  }
  return svg_;
}

QRectF SvgView::pictureRect() const {
  const QSizeF natural = renderer_.viewBoxF().size();
  if (natural.isEmpty()) return QRectF(rect());
  QSizeF size = natural.scaled(QSizeF(this->size()), Qt::KeepAspectRatio);
  return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

// The picture is rendered once for its size; later paints (an expose, a tooltip) copy it.
void SvgView::paintEvent(QPaintEvent* /*event*/) {
  svg();  // drawn anew for a new size
  const qreal ratio = devicePixelRatioF();
  if (shown_.isNull() || shown_.size() != size() * ratio || shown_.devicePixelRatio() != ratio) {
    shown_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    shown_.setDevicePixelRatio(ratio);
    shown_.fill(palette().color(QPalette::Base));  // beside the picture, kept in proportion
    QPainter painter(&shown_);
    if (renderer_.isValid()) renderer_.render(&painter, pictureRect());
  }
  QPainter(this).drawImage(0, 0, shown_);
}

void SvgView::mousePressEvent(QMouseEvent* event) {
  svg();
  const QRectF r = pictureRect();
  const QRectF box = renderer_.viewBoxF();
  if (event->button() != Qt::LeftButton || r.isEmpty() || box.isEmpty()) return;
  const QPointF p = event->position();
  emit clicked(QPointF(box.left() + (p.x() - r.left()) * box.width() / r.width(),
                       box.top() + (p.y() - r.top()) * box.height() / r.height()));
}

QImage SvgView::Render(const QByteArray& svg, QSize size) {
  QImage picture(size, QImage::Format_ARGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  QSvgRenderer renderer(svg);
  renderer.render(&painter);
  return picture;
}

}  // namespace ui

#include "moc_svg_view.cpp"
