#include "ui/sweep_window/measured_data.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>
#include <string>

#include "calc/input_text.h"
#include "calc/warning_text.h"
#include "platform/errors.h"
#include "platform/number_format.h"
#include "ui/common/placement.h"
#include "ui/main_window/main_window.h"
#include "ui/sweep_window/open_dialog.h"
#include "ui/sweep_window/side_text.h"
#include "ui/sweep_window/sweep_window.h"

namespace ui {

namespace {

// The main window's boxes, by their form names: Z0, |ΓS|, ∠ΓS, |ΓL|, ∠ΓL.
constexpr const char* kBoxes[] = {"Text13", "Text1", "Text2", "Text3", "Text4"};

QLineEdit* Box(const MainWindow* main, int i) {
  return main->findChild<QLineEdit*>(QString::fromLatin1(kBoxes[i]));
}

QStringList DroppedFiles(const QMimeData* mime) {
  QStringList files;
  if (!mime || !mime->hasUrls()) return files;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile() && MeasuredData::IsTouchstoneName(url.toLocalFile())) {
      files.push_back(url.toLocalFile());
    }
  }
  return files;
}

}  // namespace

bool MeasuredData::IsTouchstoneName(const QString& path) {
  static const QRegularExpression name(QStringLiteral("\\.(s[0-9]+p|ts)$"),
                                       QRegularExpression::CaseInsensitiveOption);
  return name.match(path).hasMatch();
}

MeasuredData::MeasuredData(MainWindow* main) : QObject(main), main_(main) {
  open_action_ = new QAction(tr("Open measured data\u2026"), this);
  open_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  open_action_->setShortcutContext(Qt::WindowShortcut);
  connect(open_action_, &QAction::triggered, this, [this] { openDialog(); });
  main_->addAction(open_action_);
  // The boxes' context menus offer the window's actions, this one too.
  main_->setAcceptDrops(true);
  main_->installEventFilter(this);
}

bool MeasuredData::eventFilter(QObject* watched, QEvent* event) {
  if (watched == main_ && event->type() == QEvent::DragEnter) {
    auto* drag = static_cast<QDragEnterEvent*>(event);
    if (!DroppedFiles(drag->mimeData()).isEmpty()) drag->acceptProposedAction();
    return true;
  }
  if (watched == main_ && event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList files = DroppedFiles(drop->mimeData());
    if (files.isEmpty()) return true;
    drop->acceptProposedAction();
    // After the drop has ended: the dialog is modal.
    QMetaObject::invokeMethod(
        this, [this, files] { openDialog(files); }, Qt::QueuedConnection);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void MeasuredData::openDialog(const QStringList& files) {
  // The main window's ΓS and ΓL, read by the boxes' rule when the dialog is accepted.
  const auto side = [this](int magnitude, const char* name) {
    return [this, magnitude, name]() {
      try {
        return FixedSide(calc::ReadMagnitude(Box(main_, magnitude)->text().toStdString()).magnitude,
                         calc::ReadAngle(Box(main_, magnitude + 1)->text().toStdString()));
      } catch (const platform::Error& error) {
        throw SideError(std::string(name) + ": " + calc::WarningText(error));
      }
    };
  };
  const auto text = [this](int magnitude) {
    return Box(main_, magnitude)->text() + QStringLiteral(" \u2220 ") +
           Box(main_, magnitude + 1)->text() + QStringLiteral("\u00b0");
  };
  OpenDialog::MainWindowSides sides{side(1, "The main window's \u0393S"),
                                    side(3, "The main window's \u0393L"), text(1), text(3)};
  OpenDialog dialog(sides, main_);
  if (!files.isEmpty()) dialog.setFiles(files);
  if (dialog.exec() != QDialog::Accepted || !dialog.request()) return;
  openSweep(*dialog.request());
}

SweepWindow* MeasuredData::makeSweepWindow() {
  if (sweep_) return sweep_;
  sweep_ = new SweepWindow(main_);
  connect(sweep_, &SweepWindow::pointChosen, this, &MeasuredData::fillMainWindow);
  connect(main_, &MainWindow::quitRequested, sweep_, &QWidget::close);
  // Beside the main window, or as near as the screen allows.
  PlaceWindow(sweep_, main_->geometry().topRight() + QPoint(16, 0));
  return sweep_;
}

void MeasuredData::openSweep(const SweepRequest& request) {
  SweepWindow* window = makeSweepWindow();
  window->show();
  window->raise();
  window->open(request);
}

// The cursor's point in the main window's boxes, each number the shortest text that reads back
// to it, Z0 the sweep's common reference impedance; then calculated as a click on Calculate
// would. A point that cannot be computed is not calculated: the sweep window says why, and the
// keyboard stays where it is.
void MeasuredData::fillMainWindow(long long index) {
  const SweepData* data = sweep_ ? sweep_->sweep() : nullptr;
  if (!data || index < 0 || index >= data->size()) return;
  const sweep::SweepRow row = data->Row(index);
  const double numbers[] = {data->reference_ohms(), row.source_magnitude, row.source_angle_deg,
                            row.load_magnitude, row.load_angle_deg};
  for (int i = 0; i < 5; ++i) {
    if (QLineEdit* box = Box(main_, i)) {
      box->setText(QString::fromStdString(platform::Shortest(numbers[i])));
      box->setCursorPosition(0);
    }
  }
  if (row.computed) main_->calculate();
}

}  // namespace ui

#include "moc_measured_data.cpp"
