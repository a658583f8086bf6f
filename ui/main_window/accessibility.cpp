#include "ui/main_window/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFrame>
#include <QLabel>
#include <QWidget>

#include "ui/main_window/announcer.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/text_box.h"
#include "ui/main_window/text_box_accessible.h"

namespace ui {

namespace {

// The main window as a screen reader sees it: a window whose children are the boxes, the buttons
// and the captions that mean something, in the order of the form.
class MainWindowAccessible : public QAccessibleWidget {
 public:
  explicit MainWindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

  int childCount() const override { return static_cast<int>(children().size()); }

  QAccessibleInterface* child(int index) const override {
    const QList<QWidget*> list = children();
    if (index < 0 || index >= list.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(list[index]);
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child) return -1;
    return static_cast<int>(children().indexOf(qobject_cast<QWidget*>(child->object())));
  }

 private:
  QList<QWidget*> children() const {
    QList<QWidget*> list;
    for (QObject* object : widget()->children()) {
      auto* child = qobject_cast<QWidget*>(object);
      // A notification is there while it is shown, not as an empty object before or after.
      if (child && !child->isWindow() && !IsDecorative(child) &&
          !(qobject_cast<Announcer*>(child) && child->isHidden())) {
        list.append(child);
      }
    }
    return list;
  }
};

QAccessibleInterface* MainWindowFactory(const QString& key, QObject* object) {
  if (key == QLatin1String(MainWindow::staticMetaObject.className()) && object->isWidgetType()) {
    return new MainWindowAccessible(static_cast<QWidget*>(object));
  }
  if (key == QLatin1String(Announcer::staticMetaObject.className()) && object->isWidgetType()) {
    return MakeAnnouncerAccessible(object);
  }
  if (key == QLatin1String(TextBox::staticMetaObject.className()) && object->isWidgetType()) {
    return MakeTextBoxAccessible(object);
  }
  return nullptr;
}

}  // namespace

bool IsDecorative(const QWidget* child) {
  if (const auto* label = qobject_cast<const QLabel*>(child)) return label->text().size() < 3;
  // The frame lines are plain QFrames.
  return child->metaObject() == &QFrame::staticMetaObject;
}

void InstallMainWindowAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(MainWindowFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace ui
