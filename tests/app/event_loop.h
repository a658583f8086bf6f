#pragma once

#include <QCoreApplication>
#include <QTimer>

namespace test {

// Exit status of an event loop that nothing ended in time.
inline constexpr int kWatchdogStatus = 99;

// Runs the application's event loop until something calls QCoreApplication::exit() and returns
// the status it gave, or kWatchdogStatus after timeoutMs.
inline int RunEventLoop(int timeoutMs) {
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(kWatchdogStatus); });
  watchdog.start(timeoutMs);
  return QCoreApplication::exec();
}

}  // namespace test
