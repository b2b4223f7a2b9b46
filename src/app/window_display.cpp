#include "app/window_display.h"

#include <QEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>

#include <algorithm>

namespace app {
namespace {

constexpr int kClientWidth = game::kClientWidth;
constexpr int kClientHeight = game::kClientHeight;

}  // namespace

TWindowDisplay::TWindowDisplay(TParts parts, std::function<void()> placed,
                               std::function<void(const game::TDisplaySettings&)> changed)
    : parts_(parts), placed_(std::move(placed)), changed_(std::move(changed)) {}

bool TWindowDisplay::IsDisplayItem(game::TMenuItem item) {
  return std::find(game::kDisplayItems.begin(), game::kDisplayItems.end(), item) !=
         game::kDisplayItems.end();
}

void TWindowDisplay::OnItem(game::TMenuItem item) {
  switch (item) {
    case game::TMenuItem::Size1:
    case game::TMenuItem::Size2:
    case game::TMenuItem::Size3:
    case game::TMenuItem::Size4:
      SetFullScreen(false);
      SetWindowSize(1 + static_cast<int>(item) - static_cast<int>(game::TMenuItem::Size1));
      break;
    case game::TMenuItem::Full1:
      SetFullScreen(!display_.FullScreen);
      break;
    case game::TMenuItem::Seisu1:
    case game::TMenuItem::Fit1:
      display_.Fit = item == game::TMenuItem::Fit1;
      parts_.Surface.SetScaling(display_.Fit ? TScaling::Fit : TScaling::Integer);
      PlaceInClient();
      break;
    default:
      break;
  }
  Changed();
}

void TWindowDisplay::Apply(const game::TDisplaySettings& display) {
  display_.Fit = display.Fit;
  parts_.Surface.SetScaling(display_.Fit ? TScaling::Fit : TScaling::Integer);
  // A size out of range (a hand-edited file) is 1×; one the screen cannot hold, the largest.
  SetWindowSize(display.Size >= 1 && display.Size <= game::kLargestWindowSize ? display.Size : 1);
  SetFullScreen(display.FullScreen);
  Changed();
}

int TWindowDisplay::LargestWindowSize() const {
  const QMainWindow& window = parts_.Window;
  const QScreen* shownOn =
      window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (shownOn == nullptr) return 1;
  const QSize area = shownOn->availableGeometry().size();
  // The borders the desktop draws and the menu bar come on top of the client area.
  const QSize frame = window.isVisible() && !window.isFullScreen()
                          ? window.frameGeometry().size() - window.size()
                          : QSize();
  const int menu = window.menuBar()->sizeHint().height();
  int size = game::kLargestWindowSize;
  while (size > 1 && (kClientWidth * size + frame.width() > area.width() ||
                      kClientHeight * size + menu + frame.height() > area.height())) {
    --size;
  }
  return size;
}

QSize TWindowDisplay::WindowedSize() const {
  return {kClientWidth * display_.Size,
          kClientHeight * display_.Size + parts_.Window.menuBar()->sizeHint().height()};
}

void TWindowDisplay::SetWindowSize(int size) {
  QMainWindow& window = parts_.Window;
  display_.Size = std::clamp(size, 1, std::max(1, LargestWindowSize()));
  if (display_.FullScreen) return;  // taken when full screen is left
  const QSize borders = window.frameGeometry().size() - window.geometry().size();
  window.resize(WindowedSize());
  if (const std::optional<QPoint> at =
          OnScreen(window.frameGeometry().topLeft(), WindowedSize() + borders)) {
    window.move(*at);
  }
}

void TWindowDisplay::SetFullScreen(bool fullScreen) {
  if (display_.FullScreen == fullScreen) return;
  QMainWindow& window = parts_.Window;
  display_.FullScreen = fullScreen;
  if (fullScreen) {
    windowed_ = {window.geometry().topLeft(),
                 window.geometry().topLeft() - window.frameGeometry().topLeft(),
                 window.frameGeometry().size() - window.geometry().size()};
    // A desktop without a window manager has no one to make the window fill the screen.
    if (QScreen* shownOn = window.screen()) window.setGeometry(shownOn->geometry());
    window.showFullScreen();
  } else {
    window.showNormal();
    SetWindowSize(display_.Size);
    // Back where it was (a desktop without a window manager leaves it at the corner). Placed by
    // its client area: the borders the window had in full screen (none) may still be counted.
    if (windowed_) {
      const QPoint frameAt = windowed_->ClientAt - windowed_->Border;
      const QPoint at = OnScreen(frameAt, WindowedSize() + windowed_->Borders).value_or(frameAt);
      window.setGeometry(QRect(at + windowed_->Border, WindowedSize()));
    }
  }
  Changed();
}

// Where the window's outer frame of this size goes from `at` to lie on the screen, if it must
// move (where the desktop lets a window place itself).
std::optional<QPoint> TWindowDisplay::OnScreen(QPoint at, QSize outer) const {
  const QMainWindow& window = parts_.Window;
  const QScreen* shownOn = window.screen();
  if (shownOn == nullptr || !window.isVisible() || window.isFullScreen()) return std::nullopt;
  const QRect area = shownOn->availableGeometry();
  const QPoint inside(std::max(area.left(), std::min(at.x(), area.right() + 1 - outer.width())),
                      std::max(area.top(), std::min(at.y(), area.bottom() + 1 - outer.height())));
  if (inside == at) return std::nullopt;
  return inside;
}

void TWindowDisplay::Changed() {
  const int largest = LargestWindowSize();
  const bool exact =
      !display_.FullScreen &&
      parts_.Client.size() == QSize(kClientWidth * display_.Size, kClientHeight * display_.Size);
  for (int size = 1; size <= game::kLargestWindowSize; ++size) {
    const auto item =
        static_cast<game::TMenuItem>(static_cast<int>(game::TMenuItem::Size1) + size - 1);
    parts_.Menu.SetEnabled(item, size <= largest);
    parts_.Menu.SetChecked(item, exact && size == display_.Size);
  }
  parts_.Menu.SetChecked(game::TMenuItem::Full1, display_.FullScreen);
  parts_.Menu.SetChecked(game::TMenuItem::Seisu1, !display_.Fit);
  parts_.Menu.SetChecked(game::TMenuItem::Fit1, display_.Fit);
  changed_(display_);
}

void TWindowDisplay::Event(const QObject* watched, const QEvent& event) {
  if (watched == &parts_.Client && event.type() == QEvent::Resize) {
    PlaceInClient();
    Changed();  // a size's check mark only while the window has exactly that size
  } else if (watched == &parts_.Window && event.type() == QEvent::WindowStateChange) {
    // The desktop's own full-screen control, as the menu's and F11.
    display_.FullScreen = parts_.Window.isFullScreen();
    Changed();
    AnnounceFieldPlace();
  } else if (watched == &parts_.Window && event.type() == QEvent::Move) {
    AnnounceFieldPlace();
  } else if (watched == &parts_.Window && event.type() == QEvent::Resize) {
    // The size the desktop gave, with its borders: still on the screen.
    QMainWindow& window = parts_.Window;
    const QSize borders = window.frameGeometry().size() - window.geometry().size();
    if (const std::optional<QPoint> at =
            OnScreen(window.frameGeometry().topLeft(),
                     static_cast<const QResizeEvent&>(event).size() + borders)) {
      window.move(*at);
    }
  }
}

// The input method places its candidate window by the field's place on the screen, which it
// works out when told: after every move of the window as well as of the field.
void TWindowDisplay::AnnounceFieldPlace() {
  if (!parts_.Answer.hasFocus()) return;
  QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImAnchorRectangle |
                                         Qt::ImInputItemClipRectangle);
}

void TWindowDisplay::PlaceInClient() {
  TRenderSurface& surface = parts_.Surface;
  surface.setGeometry(parts_.Client.rect());
  const TFramePlacement placed = surface.Placement();
  const double ratio = surface.devicePixelRatioF();
  const QRectF device = placed.ToAreaF(QRectF(kAnswerPlace));
  parts_.Answer.setGeometry(
      QRectF(device.topLeft() / ratio, device.size() / ratio).toRect().translated(surface.pos()));
  placed_();
  if (parts_.Answer.hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImQueryAll);
}

}  // namespace app
