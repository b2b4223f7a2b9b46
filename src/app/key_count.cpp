#include "app/key_count.h"

namespace app {
namespace {

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

TKeyCount::TKeyCount(TServerKeys& keys, QWidget& window, std::function<void(bool enter)> counted)
    : window_(window), counted_(std::move(counted)), watchingServer_(keys.Watching()) {
  if (!watchingServer_) return;
  keys.Listen([this](const TServerKey& key) {
    if (key.Kind == TServerKey::TKind::KeyPress && !key.Modifier && window_.isActiveWindow()) {
      counted_(key.Enter);
    }
  });
}

void TKeyCount::QtKeyPress(const QKeyEvent& key) {
  // The server's keys were counted as they came; Qt's own events of them are not counted again.
  if (watchingServer_ && key.spontaneous()) return;
  if (LoneModifier(key.key())) return;
  counted_(key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter);
}

}  // namespace app
