#include "app/application.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/quit_action.h"
#include "ui/main_window/main_window.h"
#include "ui/sweep_window/measured_data.h"
#include "ui/sweep_window/side_text.h"
#include "ui/sweep_window/sweep_window.h"

namespace app {

using namespace Qt::StringLiterals;

namespace {

// Runs an action once, after the first paint of the window it watches has been completed.
class FirstPaintWatcher : public QObject {
 public:
  explicit FirstPaintWatcher(std::function<void()> action) : action_(std::move(action)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && action_) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, std::exchange(action_, {}));
    }
    return false;
  }

 private:
  std::function<void()> action_;
};

}  // namespace

int RunApplication(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(u"Voranth"_s);
  // Lets Wayland compositors match the windows to the installed desktop entry and its icon.
  QGuiApplication::setDesktopFileName(u"example.halvorn.Voranth"_s);
  // No display name: Qt would append it to every window title, and the closing screen's title
  // is "Bye" alone.

  ui::MainWindow mainWindow;
  QuitAction quit(mainWindow);
  // The program icon, for every window, once the main window has first been painted: reading the
  // SVG takes time that the first sight of the window need not wait for.
  FirstPaintWatcher iconAfterPaint(
      [] { QApplication::setWindowIcon(QIcon(u":/icons/voranth.svg"_s)); });
  mainWindow.installEventFilter(&iconAfterPaint);
  // Measured data: Ctrl+O, dropped files, and a sweep named on the command line, whose window
  // opens beside the main window while the main window starts as it always does.
  auto* measured = new ui::MeasuredData(&mainWindow);
  QString argumentError;
  try {
    std::vector<std::string> args;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());
    if (const auto request = SweepFromArguments(args)) measured->openSweep(*request);
  } catch (const ui::SideError& error) {
    argumentError = QString::fromStdString(error.what());
  }
  mainWindow.show();
  if (!argumentError.isEmpty()) {
    QTimer::singleShot(0, &mainWindow, [&mainWindow, argumentError] {
      QMessageBox box(QMessageBox::Warning, u"Voranth"_s, argumentError, QMessageBox::Ok,
                      &mainWindow);
      box.setTextFormat(Qt::PlainText);
      box.exec();
    });
  }
  // Ends when the closing screen's time is up or the screen is closed (the Quit action then calls
  // exit(0)), or, through Qt's last-window rule, when the main window is closed. Hiding the main
  // window at Quit is no close, so the loop runs on with the closing screen.
  return QApplication::exec();
}

}  // namespace app
