#include "ui/sweep_window/sweep_loader.h"

#include <utility>

#include "touchstone/touchstone.h"

namespace ui {

SweepLoader::SweepLoader(QObject* parent) : QObject(parent) {
  qRegisterMetaType<std::shared_ptr<const ui::SweepData>>();
}

SweepLoader::~SweepLoader() {
  stop();
  // The threads still running refer to this object.
  for (const QPointer<QThread>& thread : retired_) {
    if (thread) thread->wait();
  }
}

// A reading that is stopped ends on its own, at its next row, and is deleted then: the window
// does not wait for it.
void SweepLoader::stop() {
  if (!thread_) return;
  cancel_->store(true);
  cancel_.reset();
  connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
  if (thread_->isFinished()) thread_->deleteLater();
  std::erase_if(retired_, [](const QPointer<QThread>& t) { return t.isNull(); });
  retired_.push_back(thread_);
  thread_ = nullptr;
}

void SweepLoader::start(const SweepRequest& request,
                        std::function<void(const sweep::SweepRow&)> also) {
  stop();
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  cancel_ = cancel;
  // The thread tells this object through queued calls, which run on the object's own thread;
  // a reading that was cancelled meanwhile says nothing more.
  QThread* thread = QThread::create([this, request, cancel, also = std::move(also)] {
    const auto post = [this, cancel](auto call) {
      QMetaObject::invokeMethod(
          this,
          [this, cancel, call] {
            if (cancel_ == cancel) call();
          },
          Qt::QueuedConnection);
    };
    const auto report = [&](double share) { post([this, share] { emit progress(share); }); };
    try {
      std::shared_ptr<const SweepData> data = ReadSweep(request, *cancel, report, also);
      post([this, data] {
        finishThread();
        emit finished(data);
      });
    } catch (const SweepCancelled&) {
    } catch (const std::exception& error) {
      // touchstone::ReadError ("FILE:LINE: what was expected"), sweep::SweepError, or a file
      // that could not be kept (no space for a temporary file).
      const QString message = QString::fromStdString(error.what());
      post([this, message] {
        finishThread();
        emit failed(message);
      });
    }
  });
  thread_ = thread;
  thread->start();
}

void SweepLoader::finishThread() {
  if (!thread_) return;
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
}

void SweepLoader::cancel() {
  if (!thread_) return;
  stop();
  emit cancelled();
}

}  // namespace ui

#include "moc_sweep_loader.cpp"
