#include "app/server_keys.h"

#include "app/typing_keys.h"

#include <xcb/xcb.h>
#include <QGuiApplication>

#include <algorithm>
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

}  // namespace

TServerKeys::TServerKeys() {
  if (QtXConnection() == nullptr) return;
  ReadKeyboardMap();
  watching_ = true;
  qApp->installNativeEventFilter(this);
}

TServerKeys::~TServerKeys() {
  if (watching_) qApp->removeNativeEventFilter(this);
}

bool TServerKeys::HasControlKey() const {
  return std::find(control_.begin(), control_.end(), true) != control_.end();
}

void TServerKeys::Listen(std::function<void(const TServerKey&)> heard) {
  listeners_.push_back(std::move(heard));
}

// Which keycodes are modifiers (Control among them), which are Enter and which type, from the
// server's maps: both Ctrl keys, and any other key the player bound to a modifier.
void TServerKeys::ReadKeyboardMap() {
  xcb_connection_t* connection = QtXConnection();
  control_ = {};
  modifier_ = {};
  enter_ = {};
  types_ = {};
  const TReply<xcb_get_modifier_mapping_reply_t> modifiers(
      xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr),
      &std::free);
  if (modifiers) {
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int count = xcb_get_modifier_mapping_keycodes_length(modifiers.get());
    const int perModifier = modifiers->keycodes_per_modifier;
    for (int i = 0; i < count; ++i) {
      if (keycodes[i] == 0) continue;
      modifier_[keycodes[i]] = true;
      if (i / perModifier == XCB_MAP_INDEX_CONTROL) control_[keycodes[i]] = true;
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
    types_[first + k] = KeysymTypes(keysym);
  }
}

void TServerKeys::Tell(TServerKey::TKind kind, std::uint8_t keycode) const {
  TServerKey key;
  key.Kind = kind;
  key.Control = control_[keycode];
  key.Modifier = modifier_[keycode];
  key.Enter = enter_[keycode];
  key.Types = types_[keycode];
  for (const auto& heard : listeners_) heard(key);
}

// Every key and button event of the window's connection passes here before Qt hands it to the
// input method; nothing is taken away.
bool TServerKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  switch (event->response_type & 0x7f) {
    case XCB_KEY_PRESS:
      Tell(TServerKey::TKind::KeyPress,
           reinterpret_cast<const xcb_key_press_event_t*>(event)->detail);
      break;
    case XCB_KEY_RELEASE:
      Tell(TServerKey::TKind::KeyRelease,
           reinterpret_cast<const xcb_key_release_event_t*>(event)->detail);
      break;
    case XCB_BUTTON_PRESS:
      Tell(TServerKey::TKind::ButtonPress, 0);
      break;
    case XCB_MAPPING_NOTIFY:
      ReadKeyboardMap();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace app
