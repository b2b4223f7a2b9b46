#include "app/ctrl_tap.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QKeyEvent>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace app {
namespace {

xcb_connection_t* QtXConnection() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

TCtrlTap::TCtrlTap() {
  if (QtXConnection() == nullptr) return;
  ReadControlKeycodes();
  watchingServer_ = !controlKeycodes_.empty();
  if (watchingServer_) qApp->installNativeEventFilter(this);
}

TCtrlTap::~TCtrlTap() {
  if (watchingServer_) qApp->removeNativeEventFilter(this);
}

// The keys bound to the Control modifier: both Ctrl keys, and any other key the player made one.
void TCtrlTap::ReadControlKeycodes() {
  xcb_connection_t* connection = QtXConnection();
  const std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> mapping(
      xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr),
      &std::free);
  controlKeycodes_.clear();
  if (!mapping) return;
  const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
  const int perModifier = mapping->keycodes_per_modifier;
  for (int i = 0; i < perModifier; ++i) {
    const xcb_keycode_t keycode = keycodes[XCB_MAP_INDEX_CONTROL * perModifier + i];
    if (keycode != 0) controlKeycodes_.push_back(keycode);
  }
}

// Every key and button event of the window's connection passes here before Qt hands it to the
// input method; nothing is taken away.
bool TCtrlTap::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  switch (event->response_type & 0x7f) {
    case XCB_KEY_PRESS: {
      const xcb_keycode_t keycode = reinterpret_cast<const xcb_key_press_event_t*>(event)->detail;
      const bool control = std::find(controlKeycodes_.begin(), controlKeycodes_.end(), keycode) !=
                           controlKeycodes_.end();
      if (!control) {
        serverChordClean_ = false;
      } else if (!serverCtrlDown_) {
        serverCtrlDown_ = true;
        serverChordClean_ = true;
      }
      break;
    }
    case XCB_KEY_RELEASE: {
      const xcb_keycode_t keycode = reinterpret_cast<const xcb_key_release_event_t*>(event)->detail;
      if (serverCtrlDown_ && std::find(controlKeycodes_.begin(), controlKeycodes_.end(), keycode) !=
                                 controlKeycodes_.end()) {
        serverCtrlDown_ = false;
        serverTapDone_ = serverChordClean_;
      }
      break;
    }
    case XCB_BUTTON_PRESS:
      serverChordClean_ = false;
      break;
    case XCB_MAPPING_NOTIFY:
      if (reinterpret_cast<const xcb_mapping_notify_event_t*>(event)->request ==
          XCB_MAPPING_MODIFIER) {
        ReadControlKeycodes();
      }
      break;
    default:
      break;
  }
  return false;
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
      if (!watchingServer_) return qtTap;
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
