// TForm1: the game window — caption "Nightwisp", a client area under the menu bar that shows the
// game's 688 × 528 frame at any size (a whole multiple of it or fitted, windowed or full screen),
// the render surface, the answer field placed and sized with the frame, the menus, the boxes and
// dialogs. It implements the game's window interface and drives the game's handlers from Qt's
// event loop.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <memory>

#include "app/answer_field.h"
#include "app/bench_log.h"
#include "app/ctrl_tap.h"
#include "app/key_count.h"
#include "app/main_menu.h"
#include "app/render_surface.h"
#include "app/server_keys.h"
#include "app/window_display.h"
#include "game/game.h"
#include "platform/base/owner_window.h"
#include "rules/display_settings.h"
#include "rules/game_window.h"

namespace app {

class TForm2;

class TForm1 : public QMainWindow, public game::TGameWindow, public TOwnerWindow {
 public:
  static constexpr int kClientWidth = game::kClientWidth;
  static constexpr int kClientHeight = game::kClientHeight;
  // The answer field's place in the frame.
  static constexpr QRect kAnswerPlace = TWindowDisplay::kAnswerPlace;

  explicit TForm1(game::TGamePaths paths);
  ~TForm1() override;

  // Runs start-up (the creation handler) and starts the main loop's tick.
  void Start();
  // Start-up has finished (the creation handler returned).
  bool Started() const { return started_; }
  // Call before Start: the main loop's ticks then come only from RunTick, never from the
  // window's timer (the player-bot's fixed-step game drives every frame itself).
  void DriveTicksByHand() { ticksByHand_ = true; }
  // One pass of the main loop, as the window's timer runs it.
  void RunTick() { Tick(); }
  // Stops the main loop: nothing of the game runs behind a fatal error's box.
  void StopTicks();
  // Before a fatal error's box: no more ticks, and a plain screen behind the box.
  void StopForFatalError();
  // Starts it again (tests hold a frame on the screen to read it back).
  void ResumeTicks();
  game::TGame& Game() { return *game_; }
  TRenderSurface& Surface() { return *surface_; }
  TAnswerField& AnswerField() { return *answer_; }
  TMainMenu& Menu() { return *menu_; }
  // Number of frames presented so far (autoplay and tests watch it).
  long PresentedFrames() const { return presentedFrames_; }
  // Measurements for the benchmarks (bench_log.h).
  TBenchLog& BenchLog() { return benchLog_; }

  // How the frame is shown: the window's size (a multiple of the frame), full screen, scaling.
  void ApplyDisplay(const game::TDisplaySettings& display);
  const game::TDisplaySettings& Display() const;
  // The largest window size (multiple of the frame) the screen holds, at least 1.
  int LargestWindowSize() const;

  // --- game::TGameWindow ---------------------------------------------------------------------
  std::u16string AnswerText() const override;
  void SetAnswerText(const std::u16string& text) override;
  void SetAnswerReadOnly(bool readOnly) override;
  void SetAnswerColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
  void FocusAnswer() override;
  void SetAnswerFont(const game::TFontChoice& font) override;
  void SetMenuChecked(game::TMenuItem item, bool checked) override;
  bool MenuChecked(game::TMenuItem item) const override;
  void SetMenuEnabled(game::TMenuItem item, bool enabled) override;
  bool MenuEnabled(game::TMenuItem item) const override;
  void ShowMessage(const std::string& text) override;
  game::TConfirmAnswer Confirm(const std::string& text, bool withCancel) override;
  std::optional<game::TFontChoice> ChooseFont(const game::TFontChoice& preset) override;
  std::optional<std::string> ChooseMusicFile(const std::string& title,
                                             const std::string& filter) override;
  std::optional<std::string> BrowseFolder(const std::string& prompt) override;
  void CloseWindow() override;
  void ShowAboutBox() override;
  void ShowHistory(const std::filesystem::path& file) override;
  void ProcessMessages() override;
  bool ShellOpen(const std::string& fileOrUrl) override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  int OuterWidth() const override;
  int OuterHeight() const override;

  // --- TOwnerWindow (the device's window) -----------------------------------------------------
  std::uintptr_t NativeHandle() const override;
  RECT WindowRect() const override;
  RECT ClientRect() const override;
  bool MoveWindow(LONG left, LONG top, LONG width, LONG height) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Tick();
  void OnMenuClick(game::TMenuItem item);
  // The window active again with the answer field focused, after a box or a dialog.
  void FocusAfterDialog();

  std::unique_ptr<game::TGame> game_;
  QWidget* client_ = nullptr;
  TRenderSurface* surface_ = nullptr;
  TAnswerField* answer_ = nullptr;
  std::unique_ptr<TMainMenu> menu_;
  QTimer tickTimer_;
  int processMessagesDepth_ = 0;
  int tickDepth_ = 0;
  bool started_ = false;
  bool destroyed_ = false;
  bool ticksByHand_ = false;
  bool ticksStopped_ = false;
  TServerKeys serverKeys_;  // the X server's keys, for the Ctrl tap and the key count
  TCtrlTap ctrlTap_{serverKeys_};
  long presentedFrames_ = 0;
  game::TFontChoice answerFont_;
  std::unique_ptr<TWindowDisplay> display_;  // the 表示 menu: sizes, full screen, scaling
  TBenchLog benchLog_;
  std::unique_ptr<TKeyCount> keyCount_;  // key presses for the player's measures
};

}  // namespace app
