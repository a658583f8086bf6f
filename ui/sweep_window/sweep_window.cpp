#include "ui/sweep_window/sweep_window.h"

#include <QAccessible>
#include <QBuffer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <string>

#include "calc/result_format.h"
#include "draw/plot.h"
#include "draw/sweep_smith.h"
#include "platform/atomic_file.h"
#include "ui/sweep_window/svg_view.h"
#include "ui/sweep_window/sweep_export.h"
#include "ui/sweep_window/sweep_loader.h"
#include "ui/sweep_window/sweep_table_model.h"

namespace ui {

namespace {

// The pictures' colours for the window's scheme: the light ones, or on a dark base the dark ones
// on the window's own base.
draw::SweepColours ShownColours(const QPalette& palette) {
  const QColor base = palette.color(QPalette::Base);
  if (base.lightness() >= 128) return {};
  draw::SweepColours colours = draw::DarkSweepColours();
  const draw::Colour ground{static_cast<std::uint8_t>(base.red()),
                            static_cast<std::uint8_t>(base.green()),
                            static_cast<std::uint8_t>(base.blue())};
  colours.ground = colours.mark_edge = ground;
  colours.legend_ground = colours.label_ground = ground;
  colours.legend_ground.alpha = 230 / 255.0;
  colours.label_ground.alpha = 215 / 255.0;
  return colours;
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// The message quotes file names and file contents, so it is shown as plain text.
void ShowWarning(QWidget* parent, const QString& message) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Voranth"), message, QMessageBox::Ok,
                  parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

// The mismatch loss of a row as the window writes it ("0.25", "∞").
std::string LossText(const SweepData& data, double hz) {
  const sweep::SweepRow row = data.Row(data.NearestRow(hz));
  return calc::BoxTexts(calc::ResultsOf(row.result))[calc::kMismatchLoss];
}

enum Export { kTable, kPlot, kSmith };

}  // namespace

SweepWindow::SweepWindow(QWidget* parent) : QWidget(parent, Qt::Window), reporter_(ShowWarning) {
  setObjectName(QStringLiteral("SweepWindow"));
  setWindowTitle(tr("Voranth: sweep"));
  // The program ends with its main window, whether this one is open or not.
  setAttribute(Qt::WA_QuitOnClose, false);

  loader_ = new SweepLoader(this);
  model_ = new SweepTableModel(this);

  title_ = new QLabel(tr("No measured data yet: open it with Ctrl+O in the main window."));
  title_->setObjectName(QStringLiteral("SweepTitle"));
  title_->setWordWrap(true);
  title_->setTextFormat(Qt::PlainText);
  notes_ = new QLabel;
  notes_->setWordWrap(true);
  notes_->setTextFormat(Qt::PlainText);
  notes_->hide();

  progress_ = new QProgressBar;
  progress_->setAccessibleName(tr("Reading the files"));
  cancel_ = new QPushButton(tr("Cancel"));
  cancel_->setObjectName(QStringLiteral("SweepCancel"));
  auto* reading = new QHBoxLayout;
  reading->addWidget(progress_, 1);
  reading->addWidget(cancel_);
  progress_->hide();
  cancel_->hide();
  connect(cancel_, &QPushButton::clicked, this, &SweepWindow::cancel);

  plot_ = new SvgView;
  plot_->setObjectName(QStringLiteral("SweepPlot"));
  plot_->setAccessibleName(tr("Plot of the mismatch loss and the return loss"));
  plot_->setToolTip(tr("Click to move the frequency cursor"));
  connect(plot_, &SvgView::clicked, this, &SweepWindow::plotClicked);
  smith_ = new SvgView;
  smith_->setObjectName(QStringLiteral("SweepSmith"));
  smith_->setAccessibleName(tr("Smith chart of the sweep"));

  table_ = new QTableView;
  table_->setObjectName(QStringLiteral("SweepTable"));
  table_->setAccessibleName(tr("Every frequency point"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setWordWrap(false);
  table_->verticalHeader()->hide();
  // Rows of one height, so that the view need not measure a million of them.
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setStretchLastSection(true);
  // A column is as wide as the widest of its first hundred rows (Qt's default looks at a
  // thousand, which laying out as text takes longer than drawing both pictures): the rows of a
  // sweep are written alike, and a wider one further down is elided, whole in its tooltip.
  table_->horizontalHeader()->setResizeContentsPrecision(100);
  // The arrow keys walk the cursor through the table from the start.
  table_->setFocus();
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid() && current.row() != cursor_) setCursorRow(current.row());
          });

  summary_ = new QPlainTextEdit;
  summary_->setObjectName(QStringLiteral("SweepSummary"));
  summary_->setReadOnly(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  summary_->setAccessibleName(tr("Summary of the sweep"));
  summary_->setMaximumHeight(summary_->fontMetrics().height() * 5);

  cursor_label_ = new QLabel;
  cursor_label_->setObjectName(QStringLiteral("SweepCursor"));
  cursor_label_->setTextFormat(Qt::PlainText);

  auto* export_button = new QPushButton(tr("&Export"));
  export_button->setObjectName(QStringLiteral("SweepExport"));
  auto* menu = new QMenu(export_button);
  menu->addAction(tr("Table as CSV\u2026"), this, [this] { chooseExport(kTable); });
  menu->addAction(tr("Plot as SVG or PNG\u2026"), this, [this] { chooseExport(kPlot); });
  menu->addAction(tr("Smith chart as SVG or PNG\u2026"), this, [this] { chooseExport(kSmith); });
  export_button->setMenu(menu);

  auto* pictures = new QSplitter(Qt::Horizontal);
  pictures->addWidget(plot_);
  pictures->addWidget(smith_);
  pictures->setStretchFactor(0, 3);
  pictures->setStretchFactor(1, 2);
  auto* body = new QSplitter(Qt::Vertical);
  body->addWidget(pictures);
  body->addWidget(table_);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(cursor_label_, 1);
  bottom->addWidget(export_button);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title_);
  layout->addWidget(notes_);
  layout->addLayout(reading);
  layout->addWidget(body, 1);
  layout->addWidget(summary_);
  layout->addLayout(bottom);

  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(close, &QShortcut::activated, this, &QWidget::close);

  connect(loader_, &SweepLoader::progress, this, [this](double share) {
    // A progress bar repaints itself at once for each new percentage: a few times a second is
    // enough to see it move, and leaves the processor to the reading.
    if (share >= 0 && share < 1 && progress_shown_.isValid() && progress_shown_.elapsed() < 50) {
      return;
    }
    progress_shown_.start();
    if (share < 0) {
      progress_->setRange(0, 0);
    } else {
      progress_->setRange(0, 1000);
      progress_->setValue(static_cast<int>(share * 1000));
    }
  });
  connect(loader_, &SweepLoader::finished, this, [this](std::shared_ptr<const SweepData> data) {
    progress_->hide();
    cancel_->hide();
    const SweepRequest request = *pending_;
    pending_.reset();
    showData(std::move(data), request);
  });
  connect(loader_, &SweepLoader::failed, this, [this](const QString& message) {
    progress_->hide();
    cancel_->hide();
    pending_.reset();
    warn(message);
    emit loadFailed(message);
  });
  connect(loader_, &SweepLoader::cancelled, this, [this] {
    progress_->hide();
    cancel_->hide();
    pending_.reset();
    emit loadFailed(tr("Reading was cancelled."));
  });
  resize(960, 720);
}

SweepWindow::~SweepWindow() = default;

void SweepWindow::setReporter(Reporter reporter) {
  reporter_ = reporter ? std::move(reporter) : Reporter(ShowWarning);
}

void SweepWindow::warn(const QString& message) {
  reporter_(this, message);
}

bool SweepWindow::loading() const {
  return loader_->running();
}

void SweepWindow::open(const SweepRequest& request) {
  pending_ = request;
  progress_shown_.invalidate();
  progress_->setRange(0, 0);
  progress_->show();
  cancel_->show();
  loader_->start(request);
}

void SweepWindow::cancel() {
  loader_->cancel();
}

void SweepWindow::showData(std::shared_ptr<const SweepData> data, const SweepRequest& request) {
  data_ = std::move(data);
  request_ = request;
  cursor_ = -1;
  model_->setSweep(data_);
  title_->setText(Q(RequestName(request)));
  setWindowTitle(tr("Voranth: %1").arg(Q(RequestName(request))));
  QString notes;
  for (const std::string& note : data_->notes()) {
    if (!notes.isEmpty()) notes += QLatin1Char('\n');
    notes += Q(note);
  }
  notes_->setText(notes);
  notes_->setVisible(!notes.isEmpty());
  summary_->setPlainText(summary());
  for (int column = 0; column < SweepTableModel::kWarning; ++column) {
    table_->resizeColumnToContents(column);
  }
  // The cursor on the first point draws the pictures. The main window's boxes keep what the
  // user typed until the cursor is moved.
  if (data_->size() > 0) {
    moveCursor(0, false);
  } else {
    showPictures();
  }
  emit loaded();
}

// The pictures are drawn when next painted, at the size they are shown (so that their text keeps
// its size), and only then: a new sweep, a cursor move and the resizes of the layout draw once.
void SweepWindow::showPictures() {
  plot_->setSource([this](QSize size) {
    if (!data_) return QByteArray();
    plot_size_ = size;
    return pictureSvg(plot_, size, ShownColours(palette()));
  });
  smith_->setSource([this](QSize size) {
    if (!data_) return QByteArray();
    return pictureSvg(smith_, size, ShownColours(palette()));
  });
}

QByteArray SweepWindow::pictureSvg(const SvgView* picture, QSize size,
                                   const draw::SweepColours& colours) const {
  if (picture == plot_) {
    draw::PlotOptions options;
    if (cursor_ >= 0) options.cursor_hz = data_->frequency(cursor_);
    options.colours = colours;
    return QByteArray::fromStdString(
        draw::PlotSvg(data_->plot(), size.width(), size.height(), options));
  }
  draw::SweepSmithOptions options;
  if (cursor_ >= 0) options.cursor = data_->SmithPointOf(cursor_);
  options.colours = colours;
  return QByteArray::fromStdString(
      draw::SweepSmithSvg(data_->smith(), size.width(), size.height(), options));
}

void SweepWindow::changeEvent(QEvent* event) {
  // A new colour scheme: the pictures are drawn in its colours when next painted.
  if (event->type() == QEvent::PaletteChange && data_) showPictures();
  QWidget::changeEvent(event);
}

void SweepWindow::plotClicked(QPointF where) {
  if (!data_) return;
  // The layout of the picture as it was drawn (`where` is in its coordinates).
  const draw::PlotLayout layout =
      draw::LayoutPlot(data_->plot(), plot_size_.width(), plot_size_.height());
  // Anywhere at the panels' height: beside them is their first or last frequency.
  if (where.y() >= layout.top && where.y() <= layout.bottom) {
    setCursorFrequency(layout.FrequencyAt(where.x()));
  }
}

void SweepWindow::setCursorRow(long long row) {
  moveCursor(row, true);
}

void SweepWindow::moveCursor(long long row, bool choose) {
  if (!data_ || row < 0 || row >= data_->size()) return;
  cursor_ = row;
  const QModelIndex index = model_->index(static_cast<int>(row), 0);
  if (table_->currentIndex().row() != row) {
    // The table's current row follows, without coming back here.
    cursor_ = row;
    table_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  table_->scrollTo(index);
  QString text = tr("Cursor: %1").arg(model_->text(row, SweepTableModel::kFrequency));
  const QString ml = model_->text(row, SweepTableModel::kMismatchLoss);
  if (!ml.isEmpty()) text += tr(", ML %1 dB").arg(ml);
  const QString warning = model_->text(row, SweepTableModel::kWarning);
  if (!warning.isEmpty()) text += QStringLiteral(": ") + warning;
  cursor_label_->setText(text);
  showPictures();
  if (choose) emit pointChosen(row);
}

void SweepWindow::setCursorFrequency(double hz) {
  if (data_) setCursorRow(data_->NearestRow(hz));
}

QString SweepWindow::summary() const {
  if (!data_ || data_->size() == 0) return {};
  const SweepData& d = *data_;
  QString text =
      tr("%1 frequency points from %2 to %3.")
          .arg(d.size())
          .arg(Q(FrequencyText(d.frequency(0))), Q(FrequencyText(d.frequency(d.size() - 1))));
  if (d.least().found) {
    text += QLatin1Char(' ') + tr("Least mismatch loss %1 dB at %2; greatest %3 dB at %4.")
                                   .arg(Q(LossText(d, d.least().frequency_hz)),
                                        Q(FrequencyText(d.least().frequency_hz)),
                                        Q(LossText(d, d.greatest().frequency_hz)),
                                        Q(FrequencyText(d.greatest().frequency_hz)));
  }
  if (d.failed() == 0) {
    text += QLatin1Char(' ') + tr("Every point could be computed.");
  } else {
    QString where;
    for (const double hz : d.first_failed()) {
      if (!where.isEmpty()) where += QStringLiteral(", ");
      where += Q(FrequencyText(hz));
    }
    if (d.failed() > static_cast<long long>(d.first_failed().size())) where += tr(", \u2026");
    const QString count =
        d.failed() == 1 ? tr("1 point cannot") : tr("%1 points cannot").arg(d.failed());
    text +=
        QLatin1Char(' ') +
        tr("%1 be computed in full, at %2; the table's warning column says why.").arg(count, where);
  }
  return text;
}

bool SweepWindow::exportTable(const QString& path) {
  if (!data_) return false;
  try {
    WriteCsv(*data_, path.toStdString(), RequestFiles(*request_));
  } catch (const platform::OutputError& error) {
    warn(Q(error.what()));
    return false;
  }
  return true;
}

bool SweepWindow::exportPicture(const SvgView* picture, const QString& path) {
  if (!data_ || picture->svg().isEmpty()) return false;
  // As shown, in the light colours of a document whatever the window's scheme.
  QByteArray bytes = pictureSvg(picture, picture->size(), draw::SweepColours{});
  if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
    // Twice the size shown, for print.
    const QRectF shown = picture->pictureRect();
    const QImage image =
        SvgView::Render(bytes, (shown.size() * 2).toSize().expandedTo(QSize(800, 500)));
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
  }
  try {
    WriteWholeFile(path.toStdString(), std::string_view(bytes.constData(), bytes.size()),
                   RequestFiles(*request_));
  } catch (const platform::OutputError& error) {
    warn(Q(error.what()));
    return false;
  }
  return true;
}

void SweepWindow::chooseExport(int what) {
  if (!data_) return;
  const QString filter =
      what == kTable ? tr("CSV table (*.csv)") : tr("SVG picture (*.svg);;PNG picture (*.png)");
  const QString path = QFileDialog::getSaveFileName(this, tr("Export"), {}, filter);
  if (path.isEmpty()) return;
  if (what == kTable) {
    exportTable(path);
  } else {
    exportPicture(what == kPlot ? plot_ : smith_, path);
  }
}

}  // namespace ui

#include "moc_sweep_window.cpp"
