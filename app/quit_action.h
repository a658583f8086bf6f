#pragma once

#include <QObject>
#include <memory>

#include "ui/closing_screen/closing_screen.h"

namespace ui {
class MainWindow;
}

namespace app {

// The Quit action of the main window: the hand-over from Form1 to the closing screen Form2.
// On the main window's quitRequested() it loads Form2 (whose timer starts there), hides Form1 and
// shows Form2 modeless and without an owner. Form1 stays alive, hidden, until the program ends.
// Owns Form2 and must not outlive the main window.
class QuitAction : public QObject {
 public:
  explicit QuitAction(ui::MainWindow& mainWindow);
  ~QuitAction() override;

  // Form2 once Quit has run; null before.
  ui::ClosingScreen* closingScreen() const { return closingScreen_.get(); }

  void run();

 private:
  ui::MainWindow& mainWindow_;
  std::unique_ptr<ui::ClosingScreen> closingScreen_;
};

}  // namespace app
