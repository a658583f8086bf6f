#include "ui/sweep_window/open_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QVBoxLayout>

#include "ui/sweep_window/side_text.h"

namespace ui {

namespace {

constexpr int kRecentFiles = 10;
const QString kFilter = QStringLiteral("Touchstone files (*.s*p *.S*P *.ts *.TS);;All files (*)");

QComboBox* FileBox(QWidget* owner) {
  auto* box = new QComboBox(owner);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(OpenDialog::recentFiles());
  box->setCurrentText({});
  box->setMinimumContentsLength(36);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return box;
}

QPushButton* BrowseButton(QComboBox* box, QWidget* owner) {
  auto* button = new QPushButton(QObject::tr("Browse\u2026"), owner);
  QObject::connect(button, &QPushButton::clicked, owner, [box, owner] {
    const QString path =
        QFileDialog::getOpenFileName(owner, QObject::tr("Touchstone file"), {}, kFilter);
    if (!path.isEmpty()) box->setCurrentText(path);
  });
  return button;
}

}  // namespace

QStringList OpenDialog::recentFiles() {
  return QSettings().value(QStringLiteral("recentFiles")).toStringList();
}

void OpenDialog::addRecentFile(const QString& path) {
  QStringList files = recentFiles();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kRecentFiles) files.removeLast();
  QSettings().setValue(QStringLiteral("recentFiles"), files);
}

OpenDialog::Side OpenDialog::makeSide(const QString& title, const QString& defaultPort,
                                      const QString& mainText, QVBoxLayout* into) {
  Side side;
  auto* group = new QGroupBox(title, this);
  auto* layout = new QVBoxLayout(group);
  side.file = new QRadioButton(tr("From a &file and port:"), group);
  side.path = FileBox(group);
  side.path->setAccessibleName(title + tr(" file"));
  side.port = new QLineEdit(defaultPort, group);
  side.port->setAccessibleName(title + tr(" port"));
  side.port->setToolTip(tr("S_pp of port p (22 is S22), or a mixed-mode port (D1,3)"));
  side.port->setMaximumWidth(side.port->fontMetrics().horizontalAdvance(QStringLiteral("D10,12")) +
                             16);
  auto* row = new QHBoxLayout;
  row->addWidget(side.path, 1);
  row->addWidget(BrowseButton(side.path, this));
  auto* port_label = new QLabel(tr("Port:"), group);
  port_label->setBuddy(side.port);
  row->addWidget(port_label);
  row->addWidget(side.port);
  side.main = new QRadioButton(mainText, group);
  side.file->setChecked(true);
  layout->addWidget(side.file);
  layout->addLayout(row);
  layout->addWidget(side.main);
  const auto enable = [side] {
    side.path->setEnabled(side.file->isChecked());
    side.port->setEnabled(side.file->isChecked());
  };
  connect(side.file, &QRadioButton::toggled, this, enable);
  into->addWidget(group);
  return side;
}

OpenDialog::OpenDialog(const MainWindowSides& sides, QWidget* parent)
    : QDialog(parent), sides_(sides) {
  setObjectName(QStringLiteral("OpenDialog"));
  setWindowTitle(tr("Open measured data"));
  auto* layout = new QVBoxLayout(this);
  source_ = makeSide(tr("Source"), QStringLiteral("22"),
                     tr("The main window's \u0393S (%1)").arg(sides.sourceText), layout);
  load_ = makeSide(tr("Load"), QStringLiteral("11"),
                   tr("The main window's \u0393L (%1)").arg(sides.loadText), layout);

  auto* group = new QGroupBox(tr("Between them"), this);
  auto* between = new QVBoxLayout(group);
  through_ = new QCheckBox(tr("A &two-port (port 1 faces the source):"), group);
  through_path_ = FileBox(group);
  through_path_->setAccessibleName(tr("Two-port file"));
  reversed_ = new QCheckBox(tr("&Turned round (port 2 faces the source)"), group);
  auto* row = new QHBoxLayout;
  row->addWidget(through_path_, 1);
  row->addWidget(BrowseButton(through_path_, this));
  between->addWidget(through_);
  between->addLayout(row);
  between->addWidget(reversed_);
  const auto enable = [this] {
    through_path_->setEnabled(through_->isChecked());
    reversed_->setEnabled(through_->isChecked());
  };
  connect(through_, &QCheckBox::toggled, this, enable);
  enable();
  layout->addWidget(group);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &OpenDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &OpenDialog::reject);
  layout->addWidget(buttons);
}

void OpenDialog::setFiles(const QStringList& files) {
  if (files.size() > 0) {
    source_.file->setChecked(true);
    source_.path->setCurrentText(files[0]);
  }
  if (files.size() > 1) {
    load_.file->setChecked(true);
    load_.path->setCurrentText(files[1]);
  } else if (files.size() == 1) {
    load_.main->setChecked(true);
  }
  if (files.size() > 2) {
    through_->setChecked(true);
    through_path_->setCurrentText(files[2]);
  }
}

SweepSide OpenDialog::read(const Side& side, const std::string& option,
                           const std::function<SweepSide()>& fromMain) const {
  if (side.main->isChecked()) return fromMain();
  const QString path = side.path->currentText().trimmed();
  if (path.isEmpty()) throw SideError(option + ": choose a file");
  return ReadSide(option, path.toStdString() + ":" + side.port->text().trimmed().toStdString());
}

void OpenDialog::accept() {
  SweepRequest request;
  try {
    request.source = read(source_, "Source", sides_.source);
    request.load = read(load_, "Load", sides_.load);
    if (through_->isChecked()) {
      const QString path = through_path_->currentText().trimmed();
      if (path.isEmpty()) throw SideError("Two-port: choose a file");
      sweep::ThroughFile through;
      through.path = path.toStdString();
      through.reversed = reversed_->isChecked();
      request.through = through;
    }
    CheckRequest(request);
  } catch (const SideError& error) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Voranth"),
                    QString::fromStdString(error.what()), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return;
  }
  for (const std::string& file : RequestFiles(request)) {
    addRecentFile(QString::fromStdString(file));
  }
  request_ = request;
  QDialog::accept();
}

}  // namespace ui

#include "moc_open_dialog.cpp"
