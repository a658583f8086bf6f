#pragma once

#include <QWidget>

#include "calc/calculate_texts.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class SmithChart;

// Every figure of the last Calculate without a mouse: the inputs, the eight results and the
// further figures as lines of text to read, select and copy, a Copy button, and the Smith chart
// of the two reflection coefficients. A window of its own, beside the main window; Escape
// closes it. It follows the desktop's colour scheme.
class DetailsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit DetailsWindow(QWidget* parent = nullptr);

  // Shows this calculation.
  void showCalculation(const calc::Calculation& calculation);

  // Says whether the inputs have been edited since the calculation shown.
  void setInputsChanged(bool changed);

  // The lines shown, one a line.
  QString text() const;

 signals:
  // The Copy button was pressed: copy what Copy all results copies.
  void copyRequested();

 private:
  QLabel* note_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QPushButton* copy_ = nullptr;
  SmithChart* chart_ = nullptr;
};

}  // namespace ui
