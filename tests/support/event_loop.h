// The window tests wait on Qt's event loop: until something has happened, or for a while.
#pragma once

#include <QApplication>
#include <QElapsedTimer>

#include <functional>

namespace e2e {

// Runs the event loop until the condition holds (true) or the time is up (false).
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

inline void RunFor(int ms) {
  RunUntil([] { return false; }, ms);
}

}  // namespace e2e
