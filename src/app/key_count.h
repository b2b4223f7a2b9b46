// Key presses at the keyboard for the player's measures: every key that types (typing_keys.h)
// and reaches the window or its input method — letters, Backspace, the input method's
// conversion keys — but no lone modifier and none of the game's keys (F1, F2). An input method
// keeps the keys it composes with from Qt, so on an X server the keys are counted as the server
// sends them, ahead of it; elsewhere, and for keys sent from within the program (the player-bot),
// Qt's key events are counted.
#pragma once

#include <QKeyEvent>
#include <QWidget>

#include <functional>

#include "app/server_keys.h"

namespace app {

class TKeyCount {
 public:
  // `counted` hears each key, and whether it is Enter; only while `window` is active. `keys`
  // must outlive this.
  TKeyCount(TServerKeys& keys, QWidget& window, std::function<void(bool enter)> counted);
  TKeyCount(const TKeyCount&) = delete;
  TKeyCount& operator=(const TKeyCount&) = delete;

  // Each of Qt's key presses the window sees once.
  void QtKeyPress(const QKeyEvent& key);

 private:
  QWidget& window_;
  std::function<void(bool enter)> counted_;
  bool watchingServer_ = false;
};

}  // namespace app
