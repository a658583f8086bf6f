// Placeholder: replaced by the full window.
#include "ui/main_window/main_window.h"

namespace ui {

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  setObjectName("Form1");
  setWindowTitle("Voranth");
  resize(812, 541);
}

MainWindow::~MainWindow() = default;

void MainWindow::setErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }

void MainWindow::calculate() {}

}  // namespace ui
