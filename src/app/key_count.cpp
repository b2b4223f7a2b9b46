#include "app/key_count.h"

#include "app/typing_keys.h"

namespace app {

TKeyCount::TKeyCount(TServerKeys& keys, QWidget& window, std::function<void(bool enter)> counted)
    : window_(window), counted_(std::move(counted)), watchingServer_(keys.Watching()) {
  if (!watchingServer_) return;
  keys.Listen([this](const TServerKey& key) {
    if (key.Kind == TServerKey::TKind::KeyPress && key.Types && !key.Modifier &&
        window_.isActiveWindow()) {
      counted_(key.Enter);
    }
  });
}

void TKeyCount::QtKeyPress(const QKeyEvent& key) {
  // The server's keys were counted as they came; Qt's own events of them are not counted again.
  if (watchingServer_ && key.spontaneous()) return;
  if (!QtKeyTypes(key.key())) return;
  counted_(key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter);
}

}  // namespace app
