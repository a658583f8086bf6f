#pragma once

#include <QColor>
#include <QLine>
#include <QWidget>
#include <chrono>

class QCloseEvent;
class QPaintEvent;
class QTimer;

namespace ui {

// A straight line drawn on its parent, like the form designer's line control: solid, of a given
// width, with round ends. The widget covers just the line and lets mouse events through.
class LineControl : public QWidget {
  Q_OBJECT

 public:
  LineControl(QWidget* parent, const QLine& line, int width, const QColor& color);

  // End points in the parent's coordinates.
  QLine line() const { return line_; }
  int lineWidth() const { return width_; }
  QColor lineColor() const { return color_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QLine line_;
  int width_;
  QColor color_;
};

// Form2: the closing screen with the maker's advertisement. Its timer Timer1 starts when the
// screen is constructed and runs for the given interval (2.5 seconds in the program); then the
// screen announces timeUp(). Closing the screen by hand before that announces it at once, so
// that its owner never leaves the program running without a window. The screen itself ends
// nothing: what follows is its owner's decision.
class ClosingScreen : public QWidget {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kTimerInterval{2500};

  explicit ClosingScreen(std::chrono::milliseconds interval = kTimerInterval,
                         QWidget* parent = nullptr);

 signals:
  // The screen's time is up: its timer fired, or it was closed first. Emitted once only.
  void timeUp();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Stops the timer and emits timeUp(), the first time only.
  void finish();

  QTimer* timer_;
  bool finished_ = false;
};

}  // namespace ui
