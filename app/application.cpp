#include "app/application.h"

#include <QApplication>
#include <QIcon>

#include "app/quit_action.h"
#include "ui/main_window/main_window.h"

namespace app {

using namespace Qt::StringLiterals;

int RunApplication(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(u"Voranth"_s);
  // Lets Wayland compositors match the windows to the installed desktop entry and its icon.
  QGuiApplication::setDesktopFileName(u"example.halvorn.Voranth"_s);
  // No display name: Qt would append it to every window title, and the closing screen's title
  // is "Bye" alone.
  QApplication::setWindowIcon(QIcon(u":/icons/voranth.svg"_s));

  ui::MainWindow mainWindow;
  QuitAction quit(mainWindow);
  mainWindow.show();
  // Ends when the closing screen's time is up or the screen is closed (the Quit action then calls
  // exit(0)), or, through Qt's last-window rule, when the main window is closed. Hiding the main
  // window at Quit is no close, so the loop runs on with the closing screen.
  return QApplication::exec();
}

}  // namespace app
