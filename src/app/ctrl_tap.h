// The Ctrl tap that asks a new question: Ctrl pressed and released with no other key pressed in
// between at the keyboard, and no mouse button. A chord is never a tap, whoever took its other
// key: the answer field (Ctrl+V), or an input method, which takes a key (Ctrl+Space, Ctrl+I)
// before Qt makes an event of it. On an X server the keys are watched as the server sends them,
// ahead of the input method; elsewhere Qt's key events are all there is.
#pragma once

#include <QEvent>

#include "app/server_keys.h"

namespace app {

class TCtrlTap {
 public:
  // `keys` must outlive this.
  explicit TCtrlTap(TServerKeys& keys);
  TCtrlTap(const TCtrlTap&) = delete;
  TCtrlTap& operator=(const TCtrlTap&) = delete;

  // Each of Qt's events the window sees once; true when this one ends a tap. A Ctrl that the
  // input method kept for itself (a lone Ctrl while it composes) never reaches here and so
  // never taps.
  bool Event(const QEvent& event);

 private:
  void ServerKey(const TServerKey& key);

  bool pending_ = false;  // Qt saw Ctrl go down and nothing else since (off an X server)
  // The X server's view, kept only on an X server with a Ctrl key.
  bool watchingServer_ = false;
  bool serverCtrlDown_ = false;
  bool serverChordClean_ = false;  // no other key or button since Ctrl went down
  bool serverTapDone_ = false;     // the last Ctrl down and up were alone: Qt's release may tap
};

}  // namespace app
