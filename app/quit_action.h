#pragma once

#include <QObject>
#include <chrono>
#include <memory>

#include "ui/closing_screen/closing_screen.h"

namespace ui {
class MainWindow;
}

namespace app {

// The Quit action of the main window: the hand-over from Form1 to the closing screen Form2, and
// the end of the program. On the main window's quitRequested() it loads Form2 (whose timer starts
// there), hides Form1 and shows Form2 modeless and without an owner. Form1 stays alive, hidden,
// until the program ends: when Form2's time is up, or Form2 is closed before that, the action ends
// the event loop with exit status 0. Owns Form2 and must not outlive the main window.
class QuitAction : public QObject {
 public:
  // closingInterval: how long the closing screen stays; shorter only in tests.
  explicit QuitAction(ui::MainWindow& mainWindow, std::chrono::milliseconds closingInterval =
                                                      ui::ClosingScreen::kTimerInterval);
  ~QuitAction() override;

  // Form2 once Quit has run; null before.
  ui::ClosingScreen* closingScreen() const { return closingScreen_.get(); }

  void run();

 private:
  ui::MainWindow& mainWindow_;
  std::chrono::milliseconds closingInterval_;
  std::unique_ptr<ui::ClosingScreen> closingScreen_;
};

}  // namespace app
