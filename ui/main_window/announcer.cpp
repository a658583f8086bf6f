#include "ui/main_window/announcer.h"

#include <QAccessibleWidget>

namespace ui {

namespace {

class AnnouncerAccessible : public QAccessibleWidget {
 public:
  explicit AnnouncerAccessible(QWidget* widget)
      : QAccessibleWidget(widget, QAccessible::Notification) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return widget()->accessibleName();
    return {};
  }
};

}  // namespace

Announcer::Announcer(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Announcer"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(0, 0, 0, 0);
  hide();
}

void Announcer::announce(const QString& text) {
  // A screen reader speaks a notification as it is shown: hidden first, it appears anew.
  hide();
  setAccessibleName(text);
  show();
}

void Announcer::clear() {
  if (isHidden() && accessibleName().isEmpty()) return;
  hide();
  setAccessibleName(QString());
}

QString Announcer::text() const {
  return isHidden() ? QString() : accessibleName();
}

QAccessibleInterface* MakeAnnouncerAccessible(QObject* object) {
  return new AnnouncerAccessible(static_cast<QWidget*>(object));
}

}  // namespace ui

// The meta-object code, compiled with this file rather than parsing the headers once more.
#include "moc_announcer.cpp"
