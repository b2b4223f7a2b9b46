// Running Qt's event loop from a window test until something has happened.
#pragma once

#include <QApplication>
#include <QElapsedTimer>

#include <functional>

namespace e2e {

// Runs the event loop until the condition holds or the time is up; false when it is up.
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace e2e
