#include "app/ctrl_tap.h"

#include <QKeyEvent>

namespace app {

TCtrlTap::TCtrlTap(TServerKeys& keys) {
  watchingServer_ = keys.Watching() && keys.HasControlKey();
  if (watchingServer_) keys.Listen([this](const TServerKey& key) { ServerKey(key); });
}

// The server's order of keys and buttons, before the input method takes any of them.
void TCtrlTap::ServerKey(const TServerKey& key) {
  switch (key.Kind) {
    case TServerKey::TKind::KeyPress:
      if (!key.Control) {
        serverChordClean_ = false;
      } else if (!serverCtrlDown_) {
        serverCtrlDown_ = true;
        serverChordClean_ = true;
      }
      break;
    case TServerKey::TKind::KeyRelease:
      if (serverCtrlDown_ && key.Control) {
        serverCtrlDown_ = false;
        serverTapDone_ = serverChordClean_;
      }
      break;
    case TServerKey::TKind::ButtonPress:
      serverChordClean_ = false;
      break;
  }
}

bool TCtrlTap::Event(const QEvent& event) {
  switch (event.type()) {
    case QEvent::KeyPress: {
      const auto& key = static_cast<const QKeyEvent&>(event);
      if (key.key() != Qt::Key_Control) {
        pending_ = false;
      } else if (!key.isAutoRepeat()) {
        pending_ = true;
      }
      return false;
    }
    case QEvent::ShortcutOverride:
      if (static_cast<const QKeyEvent&>(event).key() != Qt::Key_Control) pending_ = false;
      return false;
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:  // off an X server, the one trace of a key the input method took
      pending_ = false;
      return false;
    case QEvent::WindowDeactivate:
      // Keys pressed or released elsewhere are not this window's.
      pending_ = false;
      serverCtrlDown_ = false;
      serverTapDone_ = false;
      return false;
    case QEvent::KeyRelease: {
      const auto& key = static_cast<const QKeyEvent&>(event);
      if (key.key() != Qt::Key_Control || key.isAutoRepeat()) return false;
      const bool qtTap = pending_;
      pending_ = false;
      // A key sent inside the program (the player-bot's) never passed the server: Qt's view is
      // the whole of it.
      if (!watchingServer_ || !key.spontaneous()) return qtTap;
      // On an X server the server's order decides: an input method may hand Qt the release
      // before the press, and later keys may already have come in. That Qt sees the release at
      // all says the input method let this Ctrl through.
      const bool tap = serverTapDone_;
      serverTapDone_ = false;
      return tap;
    }
    default:
      return false;
  }
}

}  // namespace app
