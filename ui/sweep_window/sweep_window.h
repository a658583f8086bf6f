#pragma once

#include <QElapsedTimer>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "draw/sweep_colours.h"
#include "ui/sweep_window/sweep_data.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace ui {

class SweepLoader;
class SweepTableModel;
class SvgView;

// The sweep window: measured data over frequency. Its plot, its Smith chart and the table of
// every point, a frequency cursor that follows a click on the plot, the arrow keys and the
// selected row, export of the table and the pictures, and a summary in words. Files are read in
// the background with a progress bar and Cancel; a file that cannot be read is reported in a
// warning and changes nothing.
class SweepWindow : public QWidget {
  Q_OBJECT

 public:
  using Reporter = std::function<void(QWidget* parent, const QString& message)>;

  explicit SweepWindow(QWidget* parent = nullptr);
  ~SweepWindow() override;

  // Starts reading the sweep of `request`; what is shown stays until it has been read.
  void open(const SweepRequest& request);
  void cancel();
  bool loading() const;

  // Replaces the modal warning box; an empty reporter restores it.
  void setReporter(Reporter reporter);

  const SweepData* sweep() const { return data_.get(); }
  const std::optional<SweepRequest>& request() const { return request_; }
  SweepTableModel* model() const { return model_; }
  QTableView* table() const { return table_; }
  SvgView* plot() const { return plot_; }
  SvgView* smith() const { return smith_; }

  // The frequency cursor: the row it stands on (-1 before a sweep is shown).
  long long cursorRow() const { return cursor_; }
  void setCursorRow(long long row);
  // Moves the cursor to the row nearest to a frequency.
  void setCursorFrequency(double hz);

  // The summary for screen readers: band, least and greatest ML and where, points not computed.
  QString summary() const;

  // Writes the table (CSV), the plot or the Smith chart (SVG, or PNG by the name's ending);
  // false after a warning.
  bool exportTable(const QString& path);
  bool exportPicture(const SvgView* picture, const QString& path);

 signals:
  // A sweep has been read and is shown.
  void loaded();
  // Reading ended in a warning, or was cancelled.
  void loadFailed(const QString& message);
  // The cursor moved to this row.
  void pointChosen(long long row);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void showData(std::shared_ptr<const SweepData> data, const SweepRequest& request);
  void moveCursor(long long row, bool choose);
  void showPictures();
  // The plot's or the Smith chart's SVG at `size`, with the cursor, in `colours`.
  QByteArray pictureSvg(const SvgView* picture, QSize size,
                        const draw::SweepColours& colours) const;
  void plotClicked(QPointF where);
  void chooseExport(int what);
  void warn(const QString& message);

  SweepLoader* loader_ = nullptr;
  SweepTableModel* model_ = nullptr;
  QLabel* title_ = nullptr;
  QLabel* notes_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  SvgView* plot_ = nullptr;
  SvgView* smith_ = nullptr;
  QTableView* table_ = nullptr;
  QPlainTextEdit* summary_ = nullptr;
  QLabel* cursor_label_ = nullptr;
  Reporter reporter_;
  std::shared_ptr<const SweepData> data_;
  std::optional<SweepRequest> request_, pending_;
  long long cursor_ = -1;
  QSize plot_size_;               // the size the plot was drawn at
  QElapsedTimer progress_shown_;  // since the progress bar last moved
};

}  // namespace ui
