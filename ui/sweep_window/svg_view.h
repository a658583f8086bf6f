#pragma once

#include <QImage>
#include <QSvgRenderer>
#include <QWidget>

namespace ui {

// A picture drawn as SVG text (draw/), shown at the widget's size with its proportions kept.
// A click says where it fell, in the picture's own coordinates.
class SvgView : public QWidget {
  Q_OBJECT

 public:
  explicit SvgView(QWidget* parent = nullptr);

  void setSvg(const QByteArray& svg);
  const QByteArray& svg() const { return svg_; }
  // The picture at `size` pixels, on white.
  QImage image(QSize size) const;
  // Where the picture lies in the widget.
  QRectF pictureRect() const;

  QSize sizeHint() const override { return {480, 320}; }

 signals:
  void clicked(QPointF where);
  void resized();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  static QByteArray Renderable(const QByteArray& svg);

  QByteArray svg_;
  QSvgRenderer renderer_;
};

}  // namespace ui
