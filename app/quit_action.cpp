#include "app/quit_action.h"

#include <QCoreApplication>

#include "ui/main_window/main_window.h"

namespace app {

QuitAction::QuitAction(ui::MainWindow& mainWindow, std::chrono::milliseconds closingInterval)
    : mainWindow_(mainWindow), closingInterval_(closingInterval) {
  connect(&mainWindow_, &ui::MainWindow::quitRequested, this, &QuitAction::run);
}

QuitAction::~QuitAction() = default;

void QuitAction::run() {
  // Each step runs only once the one before it has returned; an exception from one (out of
  // memory while building Form2) leaves the later ones undone. A screen already loaded is loaded
  // once only, so its timer keeps counting from the first Quit.
  if (!closingScreen_) {
    closingScreen_ = std::make_unique<ui::ClosingScreen>(closingInterval_);
    // The closing screen is the program's last window: when it goes, the program ends.
    connect(closingScreen_.get(), &ui::ClosingScreen::timeUp, this,
            [] { QCoreApplication::exit(0); });
  }
  mainWindow_.hide();
  closingScreen_->show();
}

}  // namespace app
