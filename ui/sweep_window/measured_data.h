#pragma once

#include <QObject>
#include <QStringList>
#include <optional>

#include "ui/sweep_window/sweep_data.h"

class QAction;

namespace ui {

class MainWindow;
class SweepWindow;

// The ways from the main window to measured data, without a control of its own on it: Open
// measured data… (Ctrl+O, and the input boxes' context menu), files dropped on the window, and
// the sweep window, whose frequency cursor puts its point into the main window's boxes and
// calculates it there.
class MeasuredData : public QObject {
  Q_OBJECT

 public:
  explicit MeasuredData(MainWindow* main);

  QAction* openAction() const { return open_action_; }

  // The dialog, its file boxes filled with `files` (dropped ones).
  void openDialog(const QStringList& files = {});
  // Opens the sweep window beside the main window and reads `request`.
  void openSweep(const SweepRequest& request);
  SweepWindow* sweepWindow() const { return sweep_; }

  // Whether a file name looks like Touchstone data (.sNp, .ts).
  static bool IsTouchstoneName(const QString& path);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  SweepWindow* makeSweepWindow();
  void fillMainWindow(long long row);

  MainWindow* main_;
  QAction* open_action_ = nullptr;
  SweepWindow* sweep_ = nullptr;
};

}  // namespace ui
