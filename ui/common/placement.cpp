#include "ui/common/placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace ui {

namespace {

// One axis: the designed start, moved back just enough for the far end to stay inside, and never
// before the area's start.
int FitSpan(int designed, int length, int areaStart, int areaLength) {
  const int latest = areaStart + areaLength - length;
  return std::max(areaStart, std::min(designed, latest));
}

void Place(QWidget* window, QPoint designedClient) {
  // The frame's extent around the client area; zero until the window system has framed it.
  const QRect frame = window->frameGeometry();
  const QRect client = window->geometry();
  const QPoint offset = client.topLeft() - frame.topLeft();
  QScreen* screen = QGuiApplication::screenAt(designedClient);
  if (!screen) screen = window->screen();
  if (!screen) return;
  const QPoint frameTopLeft =
      FitFrameIntoArea(designedClient - offset, frame.size(), screen->availableGeometry());
  const QPoint target = frameTopLeft + offset;
  if (target != client.topLeft()) window->setGeometry(QRect(target, client.size()));
}

// Places its window once more at the first paint, once the frame is known.
class PlaceAgainOnFirstPaint : public QObject {
 public:
  PlaceAgainOnFirstPaint(QWidget* window, QPoint designedClient)
      : QObject(window), window_(window), designed_(designedClient) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Paint) {
      window_->removeEventFilter(this);
      // After the paint, not within it.
      QTimer::singleShot(0, window_,
                         [window = window_, designed = designed_] { Place(window, designed); });
      deleteLater();
    }
    return false;
  }

 private:
  QWidget* window_;
  QPoint designed_;
};

}  // namespace

QPoint FitFrameIntoArea(QPoint designed, QSize frameSize, const QRect& available) {
  return {FitSpan(designed.x(), frameSize.width(), available.x(), available.width()),
          FitSpan(designed.y(), frameSize.height(), available.y(), available.height())};
}

void PlaceWindow(QWidget* window, QPoint designedClient) {
  window->setGeometry(QRect(designedClient, window->size()));
  Place(window, designedClient);
  new PlaceAgainOnFirstPaint(window, designedClient);
}

}  // namespace ui
