#include "ui/details_window/details_window.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextDocument>
#include <QVBoxLayout>

#include "calc/result_format.h"
#include "calc/smith_geometry.h"
#include "ui/details_window/details_accessibility.h"
#include "ui/details_window/focus_outline.h"
#include "ui/details_window/smith_chart.h"

namespace ui {

namespace {

void Append(QString& text, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (!text.isEmpty()) text += QLatin1Char('\n');
    text += QString::fromStdString(line);
  }
}

}  // namespace

DetailsWindow::DetailsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("DetailsWindow"));
  setWindowTitle(tr("Voranth: details"));
  // The program ends with its main window, whether this one is open or not.
  setAttribute(Qt::WA_QuitOnClose, false);

  InstallDetailsWindowAccessibility();
  // Framed and bold above the lines it concerns, and spoken as it appears.
  // Named before it has a text: its accessible interface is made as the text is set.
  note_ = new QLabel;
  note_->setObjectName(QLatin1String(kInputsChangedNote));
  note_->setText(tr("The inputs have changed since: press Calculate for their results."));
  note_->setWordWrap(true);
  note_->setStyleSheet(QStringLiteral(
      "QLabel { font-weight: bold; border: 2px solid palette(window-text); border-radius: 4px;"
      " padding: 6px; background: palette(base); color: palette(text); }"));
  note_->hide();

  text_ = new QPlainTextEdit;
  text_->setObjectName(QStringLiteral("DetailsText"));
  text_->setReadOnly(true);
  // Read line by line and selected with the keyboard as with the mouse.
  text_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setAccessibleName(tr("Inputs, results and figures"));
  text_->setPlainText(tr("No results yet: press Calculate in the main window."));
  // As wide as the longest line that figures give, so that none is cut.
  const int widest = text_->fontMetrics().horizontalAdvance(
      QStringLiteral("Coverage interval (95 %, Monte Carlo) = -10.00 to +10.00 dB"));
  text_->setMinimumWidth(widest + 2 * static_cast<int>(text_->document()->documentMargin()) +
                         2 * text_->frameWidth() + 8);

  copy_ = new QPushButton(tr("&Copy"));
  copy_->setObjectName(QStringLiteral("DetailsCopy"));
  copy_->setToolTip(tr("Copies the inputs, the results and the figures, as text and as a table"));
  copy_->setEnabled(false);
  connect(copy_, &QPushButton::clicked, this, &DetailsWindow::copyRequested);

  chart_ = new SmithChart;

  auto* side = new QVBoxLayout;
  side->addWidget(note_);
  side->addWidget(text_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(copy_);
  side->addLayout(buttons);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(side, 0);
  layout->addWidget(chart_, 1);

  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(close, &QShortcut::activated, this, &QWidget::close);
  setTabOrder(text_, copy_);
  OutlineFocus(this);
}

void DetailsWindow::showCalculation(const calc::Calculation& c) {
  QString text;
  Append(text, calc::InputLines(calc::InputsOf(c)));
  text += QLatin1Char('\n');
  Append(text, calc::ResultLines(c.results));
  text += QLatin1Char('\n');
  Append(text, calc::MismatchLines(c.figures.mismatch));
  Append(text, {calc::CoverageLine(c.figures.mismatch)});
  Append(text, calc::PortLines(c.figures.source, calc::Port::kSource));
  Append(text, calc::PortLines(c.figures.load, calc::Port::kLoad));
  text_->setPlainText(text);
  copy_->setEnabled(true);
  chart_->setPicture(calc::ComputeSmithGeometry(c.magnitude1, c.angle1, c.magnitude2, c.angle2));
  setInputsChanged(false);
}

void DetailsWindow::setInputsChanged(bool changed) {
  note_->setVisible(changed);
}

QString DetailsWindow::text() const {
  return text_->toPlainText();
}

}  // namespace ui

// The meta-object code, compiled with this file rather than parsing the headers once more.
#include "moc_details_window.cpp"
