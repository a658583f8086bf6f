#include "ui/details_window/details_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

#include "ui/details_window/details_window.h"

namespace ui {

namespace {

class NoteAccessible : public QAccessibleWidget {
 public:
  explicit NoteAccessible(QLabel* note) : QAccessibleWidget(note, QAccessible::Notification) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<QLabel*>(widget())->text();
    return {};
  }
};

QAccessibleInterface* DetailsWindowFactory(const QString& key, QObject* object) {
  if (!object->isWidgetType()) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  if (key == QLatin1String(DetailsWindow::staticMetaObject.className())) {
    return new QAccessibleWidget(widget, QAccessible::Window);
  }
  if (key == QLatin1String("QLabel") && object->objectName() == QLatin1String(kInputsChangedNote)) {
    return new NoteAccessible(static_cast<QLabel*>(widget));
  }
  return nullptr;
}

}  // namespace

void InstallDetailsWindowAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(DetailsWindowFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace ui
