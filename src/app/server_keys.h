// The X server's key and button events, read as the server sends them: ahead of the input
// method, which keeps from Qt the keys it composes with and the chords it takes (Ctrl+Space,
// Ctrl+I). One native event filter serves every reader. Off an X server (offscreen, Wayland)
// nothing is read, and Qt's events are all there is.
#pragma once

#include <QAbstractNativeEventFilter>

#include <array>
#include <functional>
#include <vector>

namespace app {

struct TServerKey {
  enum class TKind { KeyPress, KeyRelease, ButtonPress };
  TKind Kind = TKind::KeyPress;
  bool Control = false;   // a key bound to the Control modifier
  bool Modifier = false;  // a key bound to any modifier: Shift, Ctrl, Alt, …
  bool Enter = false;     // Return or the keypad's Enter
  bool Types = false;     // a key that types an answer (typing_keys.h)
};

class TServerKeys : public QAbstractNativeEventFilter {
 public:
  TServerKeys();
  ~TServerKeys() override;
  TServerKeys(const TServerKeys&) = delete;
  TServerKeys& operator=(const TServerKeys&) = delete;

  // True on an X server: the events below are heard.
  bool Watching() const { return watching_; }
  // True when some key is bound to the Control modifier.
  bool HasControlKey() const;
  // `heard` hears every key and button event from now on; it must not outlive this.
  void Listen(std::function<void(const TServerKey&)> heard);

 protected:
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  void ReadKeyboardMap();
  void Tell(TServerKey::TKind kind, std::uint8_t keycode) const;

  bool watching_ = false;
  // By X keycode.
  std::array<bool, 256> control_{};
  std::array<bool, 256> modifier_{};
  std::array<bool, 256> enter_{};
  std::array<bool, 256> types_{};
  std::vector<std::function<void(const TServerKey&)>> listeners_;
};

}  // namespace app
