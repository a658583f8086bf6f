#include "ui/main_window/focus_ring.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace ui {

namespace {

// Dark navy: 13 : 1 against the button face, and still above 3 : 1 against the darkest grey of
// the style's own frames.
const QColor kRingColour(0, 32, 91);
constexpr int kRingWidth = 2;

class FocusRing : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* control = static_cast<QWidget*>(watched);
    if (event->type() != QEvent::Paint || !control->hasFocus()) return false;
    // The control paints itself first (its own event handler, past this filter), then the ring.
    static_cast<QObject*>(control)->event(event);
    QPainter painter(control);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kRingColour);
    const QRect r = control->rect();
    painter.drawRect(r.x(), r.y(), r.width(), kRingWidth);
    painter.drawRect(r.x(), r.bottom() - kRingWidth + 1, r.width(), kRingWidth);
    painter.drawRect(r.x(), r.y(), kRingWidth, r.height());
    painter.drawRect(r.right() - kRingWidth + 1, r.y(), kRingWidth, r.height());
    return true;
  }
};

}  // namespace

void AddFocusRing(QWidget* control) {
  static FocusRing* const ring = new FocusRing(nullptr);
  control->installEventFilter(ring);
}

}  // namespace ui
