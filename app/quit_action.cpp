#include "app/quit_action.h"

#include "ui/main_window/main_window.h"

namespace app {

QuitAction::QuitAction(ui::MainWindow& mainWindow) : mainWindow_(mainWindow) {
  connect(&mainWindow_, &ui::MainWindow::quitRequested, this, &QuitAction::run);
}

QuitAction::~QuitAction() = default;

void QuitAction::run() {
  // Each step runs only once the one before it has returned; an exception from one (out of
  // memory while building Form2) leaves the later ones undone. A screen already loaded is loaded
  // once only, so its timer keeps counting from the first Quit.
  if (!closingScreen_) closingScreen_ = std::make_unique<ui::ClosingScreen>();
  mainWindow_.hide();
  closingScreen_->show();
}

}  // namespace app
