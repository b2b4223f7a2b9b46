// The 表示 menu's side of the game window: how the frame is shown (the window's size as a whole
// multiple of the frame, full screen, whole multiples or fitted), the menu's marks for it, and
// the surface and answer field placed in the client area after every change.
#pragma once

#include <QMainWindow>

#include <functional>
#include <optional>

#include "app/answer_field.h"
#include "app/main_menu.h"
#include "app/render_surface.h"
#include "rules/display_settings.h"
#include "rules/game_window.h"
#include "rules/menu_item.h"

namespace app {

class TWindowDisplay {
 public:
  // The answer field's place in the frame.
  static constexpr QRect kAnswerPlace{game::kAnswerFieldBounds.Left, game::kAnswerFieldBounds.Top,
                                      game::kAnswerFieldBounds.Width,
                                      game::kAnswerFieldBounds.Height};
  // The parts of the window it sizes and places.
  struct TParts {
    QMainWindow& Window;
    QWidget& Client;  // the area under the menu bar, at least the frame's size
    TRenderSurface& Surface;
    TAnswerField& Answer;
    TMainMenu& Menu;
  };
  // placed runs once the answer field has its new place (the window sizes its font by it);
  // changed with the settings after every change, to be kept.
  TWindowDisplay(TParts parts, std::function<void()> placed,
                 std::function<void(const game::TDisplaySettings&)> changed);

  static bool IsDisplayItem(game::TMenuItem item);
  // A display item of the menu chosen (a size, full screen, whole multiples, fitted).
  void OnItem(game::TMenuItem item);
  // Shows the frame so; a size out of range is 1×, one the screen cannot hold the largest.
  void Apply(const game::TDisplaySettings& display);
  void SetWindowSize(int size);
  void SetFullScreen(bool fullScreen);
  const game::TDisplaySettings& Settings() const { return display_; }
  // The largest window size (multiple of the frame) the screen holds, at least 1.
  int LargestWindowSize() const;
  // The menu's marks after a change (and when a menu opens), and the settings handed on.
  void Changed();
  // Follows the window's own changes (a resize by its frame, the desktop's full-screen control).
  void Event(const QObject* watched, const QEvent& event);

 private:
  // The surface over the client area, the answer field where the frame puts it.
  void PlaceInClient();
  // Tells the input method where the field now is on the screen.
  void AnnounceFieldPlace();
  std::optional<QPoint> OnScreen(QPoint at, QSize outer) const;
  // The window's size at the chosen multiple, the menu bar included.
  QSize WindowedSize() const;

  TParts parts_;
  std::function<void()> placed_;
  std::function<void(const game::TDisplaySettings&)> changed_;
  game::TDisplaySettings display_;
  // The window's place before full screen: its client area, and its borders then.
  struct TWindowed {
    QPoint ClientAt;
    QPoint Border;  // the client area's offset in the outer frame
    QSize Borders;  // the outer frame's size less the client area's
  };
  std::optional<TWindowed> windowed_;
};

}  // namespace app
