#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "calc/calculate_texts.h"

class QAction;
class QPushButton;

namespace ui {

class Announcer;
class DetailsWindow;
class TextBox;

// Form1: the drawing of a source-load junction with the input and result boxes. The controls
// come from main_window.ui; each carries its form name as object name (Text13, Command1, ...).
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Shows an error message to the user; the window carries on afterwards.
  using ErrorReporter = std::function<void(QWidget* parent, const QString& message)>;

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Replaces the modal warning box (titled "Voranth"); an empty reporter restores it.
  void setErrorReporter(ErrorReporter reporter);

  // The Calculate action (Command1): reads the five input boxes and, when every conversion and
  // computation succeeds, writes the eight result boxes. On an error the boxes stay as they
  // were, the reporter shows the message and the focus goes to the box at fault (its text
  // selected) or, for a failed computation, to Calculate.
  void calculate();

  // Puts the results of the last Calculate that succeeded on the clipboard, after the inputs they
  // were computed from: as plain text, one labelled line each with its unit, and as a table for
  // spreadsheets (label, value, unit). Before the first such Calculate it copies nothing. Bound to
  // Ctrl+Shift+C anywhere in the window and offered in the result boxes' context menus.
  void copyAllResults();
  QAction* copyAllResultsAction() const { return copy_all_action_; }

  // Opens the details window (Ctrl+I, and the result boxes' context menus): the inputs, results
  // and figures of the last Calculate that succeeded as text, and their Smith chart. It is made
  // when first opened, and follows every later Calculate while it exists.
  void showDetails();
  DetailsWindow* detailsWindow() const { return details_; }

 signals:
  // Command2 was clicked.
  void quitRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Draws the result boxes as current or, once the inputs have changed since they were
  // computed, as not current (TextBox::setCurrent).
  void setResultsCurrent(bool current);

  std::array<TextBox*, 5> inputs_{};   // in the order calc::Input numbers them
  std::array<TextBox*, 8> results_{};  // in the order calc::Output numbers them
  QPushButton* calculate_button_ = nullptr;
  QAction* copy_all_action_ = nullptr;
  QAction* details_action_ = nullptr;
  DetailsWindow* details_ = nullptr;
  ErrorReporter reporter_;
  Announcer* announcer_ = nullptr;
  std::optional<calc::Calculation> last_;  // the last Calculate that succeeded
  QImage picture_;  // the background, rendered at the first paint for the screen's pixel ratio
};

}  // namespace ui
