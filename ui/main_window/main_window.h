#pragma once

#include <QWidget>
#include <functional>

namespace ui {

// Form1: the drawing of a source-load junction with the input and result boxes.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Shows an error message to the user; the window carries on afterwards.
  using ErrorReporter = std::function<void(QWidget* parent, const QString& message)>;

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  void setErrorReporter(ErrorReporter reporter);

  // The Calculate action (Command1).
  void calculate();

 signals:
  // Command2 was clicked.
  void quitRequested();

 private:
  ErrorReporter reporter_;
};

}  // namespace ui
