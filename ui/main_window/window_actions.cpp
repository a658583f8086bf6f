#include "ui/main_window/window_actions.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QToolTip>

#include "ui/main_window/announcer.h"

namespace ui {

namespace {

QString ShortcutLine(const QAction* action) {
  QString name = action->text();
  name.remove(QLatin1Char('&'));
  return QApplication::translate("ui::MainWindow", "%1: %2")
      .arg(name, action->shortcut().toString(QKeySequence::NativeText));
}

}  // namespace

void OfferWindowActions(const QList<QLineEdit*>& boxes, QAbstractButton* button,
                        const QList<QAction*>& actions) {
  for (QLineEdit* box : boxes) {
    // Shift+F10 opens the menu as the Menu key does, at the cursor.
    auto* menu_key = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), box);
    menu_key->setContext(Qt::WidgetShortcut);
    QObject::connect(menu_key, &QShortcut::activated, box, [box] {
      const QPoint at = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().bottomLeft();
      QContextMenuEvent event(QContextMenuEvent::Keyboard, at, box->mapToGlobal(at));
      QApplication::sendEvent(box, &event);
    });
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(box, &QWidget::customContextMenuRequested, box,
                     [box, actions](const QPoint& position) {
                       QMenu* menu = box->createStandardContextMenu();
                       menu->setAttribute(Qt::WA_DeleteOnClose);
                       menu->addSeparator();
                       menu->addActions(actions);
                       // And what was added to the window since (Open measured data…).
                       for (QAction* action : box->window()->actions()) {
                         if (!actions.contains(action)) menu->addAction(action);
                       }
                       menu->popup(box->mapToGlobal(position));
                     });
  }
  QString tip = button->toolTip();
  for (const QAction* action : actions) {
    if (!tip.isEmpty()) tip += QLatin1Char('\n');
    tip += ShortcutLine(action);
  }
  button->setToolTip(tip);
}

void ReportCopied(QWidget* window, Announcer* announcer) {
  const QString message =
      QApplication::translate("ui::MainWindow", "Copied the inputs, results and figures.");
  QWidget* focus = QApplication::focusWidget();
  QWidget* near = focus ? focus : window;
  QToolTip::showText(near->mapToGlobal(QPoint(0, near->height())), message, near);
  if (announcer) announcer->announce(message);
}

}  // namespace ui
