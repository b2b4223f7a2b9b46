#include "app/key_count.h"

#include <xcb/xcb.h>
#include <QGuiApplication>

#include <cstdlib>
#include <memory>

namespace app {
namespace {

xcb_connection_t* QtXConnection() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

template <class Reply>
using TReply = std::unique_ptr<Reply, decltype(&std::free)>;

constexpr xcb_keysym_t kReturn = 0xff0d;
constexpr xcb_keysym_t kKeypadEnter = 0xff8d;

bool LoneModifier(int key) {
  switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
      return true;
    default:
      return false;
  }
}

}  // namespace

TKeyCount::TKeyCount(QWidget& window, std::function<void(bool enter)> counted)
    : window_(window), counted_(std::move(counted)) {
  if (QtXConnection() == nullptr) return;
  ReadKeyboardMap();
  watchingServer_ = true;
  qApp->installNativeEventFilter(this);
}

TKeyCount::~TKeyCount() {
  if (watchingServer_) qApp->removeNativeEventFilter(this);
}

// Which keycodes are modifiers and which are Enter, from the server's maps.
void TKeyCount::ReadKeyboardMap() {
  xcb_connection_t* connection = QtXConnection();
  modifier_.assign(256, false);
  enter_.assign(256, false);
  const TReply<xcb_get_modifier_mapping_reply_t> modifiers(
      xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr),
      &std::free);
  if (modifiers) {
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int count = xcb_get_modifier_mapping_keycodes_length(modifiers.get());
    for (int i = 0; i < count; ++i) {
      if (keycodes[i] != 0) modifier_[keycodes[i]] = true;
    }
  }
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const int first = setup->min_keycode;
  const int count = setup->max_keycode - setup->min_keycode + 1;
  const TReply<xcb_get_keyboard_mapping_reply_t> keyboard(
      xcb_get_keyboard_mapping_reply(
          connection,
          xcb_get_keyboard_mapping(connection, static_cast<xcb_keycode_t>(first),
                                   static_cast<std::uint8_t>(count)),
          nullptr),
      &std::free);
  if (!keyboard) return;
  const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
  const int perKeycode = keyboard->keysyms_per_keycode;
  for (int k = 0; k < count; ++k) {
    const xcb_keysym_t keysym = keysyms[k * perKeycode];
    if (keysym == kReturn || keysym == kKeypadEnter) enter_[first + k] = true;
  }
}

void TKeyCount::QtKeyPress(const QKeyEvent& key) {
  // The server's keys were counted as they came; Qt's own events of them are not counted again.
  if (watchingServer_ && key.spontaneous()) return;
  if (LoneModifier(key.key())) return;
  counted_(key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter);
}

bool TKeyCount::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  switch (event->response_type & 0x7f) {
    case XCB_KEY_PRESS: {
      const xcb_keycode_t keycode = reinterpret_cast<const xcb_key_press_event_t*>(event)->detail;
      if (!modifier_[keycode] && window_.isActiveWindow()) counted_(enter_[keycode]);
      break;
    }
    case XCB_MAPPING_NOTIFY:
      ReadKeyboardMap();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace app
