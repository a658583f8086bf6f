#include "app/quit_action.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "tests/app/event_loop.h"
#include "ui/closing_screen/closing_screen.h"
#include "ui/main_window/main_window.h"

namespace {

QList<QWidget*> VisibleWindows() {
  QList<QWidget*> visible;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible()) visible.append(widget);
  return visible;
}

// Notes what the Quit action had done when the main window went hidden.
class HideWatcher : public QObject {
 public:
  explicit HideWatcher(const app::QuitAction& quit) : quit_(quit) {}
  bool hidden = false;
  bool screenLoadedThen = false;
  bool screenVisibleThen = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide && !hidden) {
      hidden = true;
      screenLoadedThen = quit_.closingScreen() != nullptr;
      screenVisibleThen = screenLoadedThen && quit_.closingScreen()->isVisible();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const app::QuitAction& quit_;
};

}  // namespace

class QuitActionTest : public QObject {
  Q_OBJECT

 private slots:
  void quitHandsOverToClosingScreen();
  void secondQuitKeepsFirstScreen();
  void programEndsAfterInterval();
  void closingMainWindowEndsWithoutClosingScreen();
};

void QuitActionTest::quitHandsOverToClosingScreen() {
  ui::MainWindow form1;
  app::QuitAction quit(form1);
  form1.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form1));
  QCOMPARE(quit.closingScreen(), nullptr);  // created at Quit only

  HideWatcher watcher(quit);
  form1.installEventFilter(&watcher);
  emit form1.quitRequested();

  // Loaded, then Form1 hidden, then shown.
  QVERIFY(watcher.hidden);
  QVERIFY(watcher.screenLoadedThen);
  QVERIFY(!watcher.screenVisibleThen);

  ui::ClosingScreen* form2 = quit.closingScreen();
  QVERIFY(form2);
  QCOMPARE(VisibleWindows(), QList<QWidget*>{form2});
  QVERIFY(form1.isHidden());
  QVERIFY(form2->isWindow());
  QCOMPARE(form2->parentWidget(), nullptr);  // shown without an owner
  QVERIFY(!form2->isModal());
  QVERIFY(form2->findChild<QTimer*>("Timer1")->isActive());
}

void QuitActionTest::secondQuitKeepsFirstScreen() {
  ui::MainWindow form1;
  app::QuitAction quit(form1);
  form1.show();
  emit form1.quitRequested();
  QPointer<ui::ClosingScreen> first = quit.closingScreen();
  const QTimer* timer = first->findChild<QTimer*>("Timer1");
  // Some of the screen's time gone, whatever the machine's speed.
  QTRY_VERIFY(timer->remainingTime() < 2500 - 20);
  const int remaining = timer->remainingTime();
  QVERIFY(remaining > 0);

  emit form1.quitRequested();
  QVERIFY(first);
  QCOMPARE(quit.closingScreen(), first.data());
  QVERIFY(timer->remainingTime() <= remaining);  // not restarted
  QCOMPARE(VisibleWindows(), QList<QWidget*>{first.data()});
}

void QuitActionTest::programEndsAfterInterval() {
  ui::MainWindow form1;
  app::QuitAction quit(form1, std::chrono::milliseconds(300));
  form1.show();
  QElapsedTimer clock;
  clock.start();
  QTimer::singleShot(0, &form1, [&form1] { emit form1.quitRequested(); });
  QCOMPARE(test::RunEventLoop(10000), 0);
  QVERIFY2(clock.elapsed() >= 300, qPrintable(QString::number(clock.elapsed())));
  // Ended with the closing screen up and the main window hidden, both still there.
  QVERIFY(quit.closingScreen());
  QVERIFY(quit.closingScreen()->isVisible());
  QVERIFY(form1.isHidden());
}

void QuitActionTest::closingMainWindowEndsWithoutClosingScreen() {
  ui::MainWindow form1;
  app::QuitAction quit(form1);
  form1.show();
  QTimer::singleShot(100, &form1, [&form1] { form1.close(); });
  QCOMPARE(test::RunEventLoop(10000), 0);
  QCOMPARE(quit.closingScreen(), nullptr);
}

QTEST_MAIN(QuitActionTest)
#include "quit_action_test.moc"
