#pragma once

#include <QImage>
#include <QSvgRenderer>
#include <QWidget>
#include <functional>

namespace ui {

// A picture drawn as SVG text (draw/), shown at the widget's size with its proportions kept.
// A click says where it fell, in the picture's own coordinates. The text comes from a source
// that draws it for a size, asked when the picture is next painted (or exported) at a new size.
class SvgView : public QWidget {
  Q_OBJECT

 public:
  explicit SvgView(QWidget* parent = nullptr);

  void setSvg(const QByteArray& svg);
  // Draws the picture anew when next needed.
  void setSource(std::function<QByteArray(QSize)> source);
  // The text of the picture at the widget's size.
  const QByteArray& svg() const;
  // An SVG picture rendered at `size` pixels (on white where it leaves its ground open).
  static QImage Render(const QByteArray& svg, QSize size);
  // Where the picture lies in the widget.
  QRectF pictureRect() const;

  QSize sizeHint() const override { return {480, 320}; }

 signals:
  void clicked(QPointF where);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void Load(const QByteArray& svg) const;

  std::function<QByteArray(QSize)> source_;
  mutable QSize drawn_;  // the size `svg_` was drawn for by the source
  mutable QByteArray svg_;
  mutable QSvgRenderer renderer_;
  QImage shown_;  // the picture as last painted
};

}  // namespace ui
