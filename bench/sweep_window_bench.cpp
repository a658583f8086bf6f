// Opening measured data in the sweep window, until the first paint of its plot: the program's
// start-up, the reading of both files on the window's thread of its own, the table and both
// pictures. Run side by side with voranth-calc writing the CSV of the same files:
//
//   touchstone_stream generate 100000 MA > a.s2p; touchstone_stream generate 100000 RI > b.s2p
//   hyperfine -N -w 1 -r 10 'sweep_window_bench a.s2p:22 b.s2p:11'
//     'voranth-calc --source a.s2p:22 --load b.s2p:11 --csv out.csv'   (one command line)
//
// It prints the time from the start of reading to the first paint, and the process's peak memory.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <cstdio>
#include <string>

#include "ui/sweep_window/side_text.h"
#include "ui/sweep_window/svg_view.h"
#include "ui/sweep_window/sweep_window.h"

namespace {

// Ends the program at the first paint of the plot that shows the sweep.
class PaintWatcher : public QObject {
 public:
  PaintWatcher(ui::SweepWindow& window, QElapsedTimer& timer) : window_(window), timer_(timer) {}
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint && window_.sweep() != nullptr && !done_) {
      done_ = true;
      const long long ms = timer_.elapsed();
      QMetaObject::invokeMethod(
          qApp,
          [ms] {
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            std::printf("first paint of the plot after %lld ms, peak memory %ld MiB\n", ms,
                        usage.ru_maxrss / 1024);
            QApplication::exit(0);
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  ui::SweepWindow& window_;
  QElapsedTimer& timer_;
  bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: sweep_window_bench SOURCE:PP LOAD:PP\n");
    return 2;
  }
  ui::SweepRequest request;
  try {
    request.source = ui::ReadSide("--source", argv[1]);
    request.load = ui::ReadSide("--load", argv[2]);
  } catch (const ui::SideError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 2;
  }
  ui::SweepWindow window;
  QObject::connect(&window, &ui::SweepWindow::loadFailed, [](const QString& message) {
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    QApplication::exit(1);
  });
  QElapsedTimer timer;
  PaintWatcher watcher(window, timer);
  window.plot()->installEventFilter(&watcher);
  QObject::connect(&window, &ui::SweepWindow::loaded, [&timer] {
    std::printf("shown after %lld ms\n", static_cast<long long>(timer.elapsed()));
  });
  // As the program does with a command line: the reading starts before the window is shown.
  timer.start();
  window.open(request);
  window.show();
  return QApplication::exec();
}
