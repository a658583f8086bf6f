#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <atomic>
#include <memory>
#include <vector>

#include "ui/sweep_window/sweep_data.h"

namespace ui {

// Reads a sweep on a thread of its own, so that the windows stay responsive: progress as it
// goes, Cancel at any time, and the rows or the reason they could not be read at the end. One
// reading at a time; a new start cancels the one before.
class SweepLoader : public QObject {
  Q_OBJECT

 public:
  explicit SweepLoader(QObject* parent = nullptr);
  ~SweepLoader() override;

  // `also` receives every row on the reading thread as it comes (for the pictures).
  void start(const SweepRequest& request, std::function<void(const sweep::SweepRow&)> also = {});
  void cancel();
  bool running() const { return thread_ != nullptr; }

 signals:
  // The share read (0 to 1), or -1 while it cannot be told.
  void progress(double share);
  void finished(std::shared_ptr<const ui::SweepData> data);
  // The message names the file and the line, as voranth-calc's does.
  void failed(const QString& message);
  void cancelled();

 private:
  void stop();
  void finishThread();  // after the thread said its last word

  QThread* thread_ = nullptr;
  std::shared_ptr<std::atomic<bool>> cancel_;
  std::vector<QPointer<QThread>> retired_;
};

}  // namespace ui
