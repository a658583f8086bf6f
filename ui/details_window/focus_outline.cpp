#include "ui/details_window/focus_outline.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace ui {

namespace {

constexpr int kRingWidth = 2;
constexpr int kGap = 1;  // between the control's edge and the ring

class FocusOutline : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    auto* window = static_cast<QWidget*>(watched);
    QWidget* focus = window->focusWidget();
    if (!focus || !focus->hasFocus() || focus == window) return false;
    // The window paints nothing itself: the ring is drawn on its background, round the control.
    const QRect edge(focus->mapTo(window, QPoint(0, 0)), focus->size());
    const int out = kGap + kRingWidth;
    const QRect r = edge.adjusted(-out, -out, out, out);
    QPainter painter(window);
    painter.setPen(Qt::NoPen);
    painter.setBrush(window->palette().color(QPalette::WindowText));
    painter.drawRect(r.x(), r.y(), r.width(), kRingWidth);
    painter.drawRect(r.x(), r.bottom() - kRingWidth + 1, r.width(), kRingWidth);
    painter.drawRect(r.x(), r.y(), kRingWidth, r.height());
    painter.drawRect(r.right() - kRingWidth + 1, r.y(), kRingWidth, r.height());
    return false;
  }
};

}  // namespace

void OutlineFocus(QWidget* window) {
  window->installEventFilter(new FocusOutline(window));
  // The ring follows the focus within the window, and comes and goes with the window's activation.
  QObject::connect(qApp, &QApplication::focusChanged, window, [window](QWidget* old, QWidget* now) {
    if ((old && old->window() == window) || (now && now->window() == window)) {
      window->update();
    }
  });
}

}  // namespace ui
