// The whole program as main() runs it: the same start-up function, the real closing-screen timer
// and the application's own event loop. The test drives the windows from timers that are set
// when the application object comes up. One scenario per run, named by the first argument,
// since a process holds one application object.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <functional>

#include "app/application.h"

namespace {

const char* g_scenario = "";
QElapsedTimer g_sinceAction;  // from the click of Quit or the close of a window
int g_failures = 0;
bool g_closingScreenShown = false;

void Check(bool ok, const char* what) {
  if (!ok) {
    ++g_failures;
    std::fprintf(stderr, "FAIL: %s\n", what);
  }
}

QWidget* Window(const char* name) {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QLatin1String(name)) return widget;
  return nullptr;
}

int VisibleWindowCount() {
  int count = 0;
  for (const QWidget* widget : QApplication::topLevelWidgets()) count += widget->isVisible();
  return count;
}

// Notes whether the closing screen is ever shown.
class ShowWatcher : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("Form2"))
      g_closingScreenShown = true;
    return QObject::eventFilter(watched, event);
  }
};

// The details window, which must neither outlive Quit nor keep the program from ending.
void OpenDetails(QWidget* form1) {
  QTest::keyClick(form1, Qt::Key_I, Qt::ControlModifier);
  Check(VisibleWindowCount() == 2, "Ctrl+I opens the details window beside the main window");
}

void ClickQuit() {
  QWidget* form1 = Window("Form1");
  Check(form1 && form1->isVisible(), "the main window Form1 is up");
  Check(VisibleWindowCount() == 1, "only the main window is visible at start");
  Check(!QApplication::windowIcon().pixmap(32, 32).isNull(), "the program icon can be drawn");
  auto* quit = form1 ? form1->findChild<QAbstractButton*>("Command2") : nullptr;
  Check(quit, "the main window has the Quit button Command2");
  if (!quit) {
    QCoreApplication::exit(1);
    return;
  }
  OpenDetails(form1);
  g_sinceAction.start();
  QTest::mouseClick(quit, Qt::LeftButton);
}

void CheckHandedOver() {
  QWidget* form1 = Window("Form1");
  QWidget* form2 = Window("Form2");
  Check(form1 && form1->isHidden(), "the main window is hidden but still there");
  Check(form2 && form2->isVisible(), "the closing screen is shown");
  Check(VisibleWindowCount() == 1, "only the closing screen is visible");
  Check(form2 && !form2->windowIcon().isNull(), "the closing screen has the program icon");
}

void Schedule(int ms, std::function<void()> step) {
  QTimer::singleShot(ms, qApp, step);
}

// Runs the step once the main window is up, active and painted (the program icon is set after
// its first paint), however long a busy machine or a sanitizers' build takes to get there; after
// 30 s it runs anyway, and its checks say what is missing.
void WhenReady(std::function<void()> step) {
  auto* poll = new QTimer(qApp);
  auto* waited = new QElapsedTimer;
  waited->start();
  QObject::connect(poll, &QTimer::timeout, qApp, [poll, waited, step] {
    QWidget* form1 = Window("Form1");
    const bool ready = form1 && form1->isVisible() && form1->isActiveWindow() &&
                       !QApplication::windowIcon().isNull();
    if (!ready && waited->elapsed() < 30000) return;
    poll->stop();
    poll->deleteLater();
    delete waited;
    step();
  });
  poll->start(20);
}

// Runs as soon as RunApplication has made the application object, before the main window exists.
void SetUpScenario() {
  qApp->installEventFilter(new ShowWatcher(qApp));
  if (std::strcmp(g_scenario, "quit") == 0) {
    WhenReady([] {
      ClickQuit();
      Schedule(1000, CheckHandedOver);
    });
  } else if (std::strcmp(g_scenario, "quit-then-close") == 0) {
    WhenReady([] {
      ClickQuit();
      Schedule(300, [] {
        CheckHandedOver();
        if (QWidget* form2 = Window("Form2")) form2->close();
      });
    });
  } else if (std::strcmp(g_scenario, "close-main") == 0) {
    WhenReady([] {
      QWidget* form1 = Window("Form1");
      Check(form1 && form1->isVisible(), "the main window Form1 is up");
      if (form1) OpenDetails(form1);
      g_sinceAction.start();
      if (form1) form1->close();
    });
  }
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(SetUpScenario)

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s quit|quit-then-close|close-main\n", argv[0]);
    return 2;
  }
  g_scenario = argv[1];
  char name[] = "voranth";
  char* programArgv[] = {name, nullptr};

  const int status = app::RunApplication(1, programArgv);
  const qint64 elapsed = g_sinceAction.isValid() ? g_sinceAction.elapsed() : -1;
  std::fprintf(stderr, "%s: exit status %d, %lld ms after the action\n", g_scenario, status,
               static_cast<long long>(elapsed));

  Check(status == 0, "the program ends with exit status 0");
  Check(elapsed >= 0, "the scenario ran");
  if (std::strcmp(g_scenario, "quit") == 0) {
    // The closing screen stays 2.5 s; the upper bound only catches a program that hangs on.
    Check(elapsed >= 2500 && elapsed < 20000, "the program ends about 2.5 s after Quit");
  } else if (std::strcmp(g_scenario, "quit-then-close") == 0) {
    Check(elapsed < 2500, "closing the closing screen ends the program before its timer");
  } else {
    Check(!g_closingScreenShown, "closing the main window shows no closing screen");
    Check(elapsed < 2500, "closing the main window ends the program at once");
  }
  std::fprintf(stderr, "%s\n", g_failures == 0 ? "PASS" : "FAILED");
  return g_failures == 0 ? 0 : 1;
}
