// Placeholder: replaced by the full closing screen.
#include "ui/closing_screen/closing_screen.h"

namespace ui {

ClosingScreen::ClosingScreen(QWidget* parent) : QWidget(parent) {
  setObjectName("Form2");
  setWindowTitle("Bye");
}

}  // namespace ui
