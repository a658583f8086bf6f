#pragma once

#include <QColor>
#include <QLine>
#include <QWidget>

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
// screen is constructed and ends the program 2.5 seconds later; closing the screen by hand ends
// the program at once, so the program never runs on without a window.
class ClosingScreen : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kTimerIntervalMs = 2500;

  explicit ClosingScreen(QWidget* parent = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Ends the event loop with exit status 0. Called once: the timer is single-shot and is stopped
  // here, and the close box is ignored once the program is ending.
  void endProgram();

  QTimer* timer_;
  bool ending_ = false;
};

}  // namespace ui
