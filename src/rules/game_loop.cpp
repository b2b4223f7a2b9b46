// The main loop: one 25 ms tick per idle call that is due, running its jobs in order (the music
// start and the random music's track end are in game_music.cpp; here the title prompt, the
// question clock, the blink) and one frame; the frame driver (the screen's refresh and device
// check, the fireflies' step, the drawing); the pause; and the boxes that hold the question
// clock.
#include <system_error>

#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"
#include "rules/game_rules.h"
#include "rules/save_file.h"

namespace game {
namespace {

constexpr DWORD kTickLength = 25;
constexpr DWORD kTitleWait = 7000;
constexpr const char* kTitleMessage1 = "解答モードの変更は「ゲーム」から設定してください。";
constexpr const char* kTitleMessage2 = "Ctrlキーを押すとゲームが始まります。";
constexpr const char* kResumeQuestion = "前回の続きからゲームを始めますか？";

// Milliseconds until the next tick is due (never negative).
int WaitFor(DWORD tickTime) {
  const auto left = static_cast<std::int32_t>(tickTime + kTickLength - timeGetTime());
  return left > 0 ? left : 0;
}

}  // namespace

int TGameRules::ApplicationEvents1Idle() {
  // Nothing before start-up has finished or before the tick is due.
  if (S.StartupDone != 1) return static_cast<int>(kTickLength);
  if (timeGetTime() - S.TickTime < kTickLength) return WaitFor(S.TickTime);
  S.TickTime = timeGetTime();

  // The tick's jobs in their order; then one frame, and the window waits until the next tick
  // is due.
  StartMusicWhenDue();  // game_music.cpp
  ShowTitlePrompt();
  RunQuestionClock();
  BlinkFuseikai();
  NextTrackAtTheEnd();  // game_music.cpp
  DrawFrame();
  return WaitFor(S.TickTime);
}

// The title prompt, 7000 ms after start-up, kept up on every tick of the title; the resume
// question once. While a box is open (its message loop runs the ticks) the prompt waits for it:
// start-up's boxes come one after the other, the music's, the history's, then the resume
// question, never stacked.
void TGameRules::ShowTitlePrompt() {
  if (S.TitleMode != 1 || timeGetTime() - S.TitleTime < kTitleWait || BoxDepth != 0) return;
  std::error_code error;
  static const std::string message1 = Sjis(kTitleMessage1);
  static const std::string message2 = Sjis(kTitleMessage2);
  if (S.Message1 != message1) {
    S.Message1 = message1;
    ShowMessage1();
  }
  if (S.Message2 != message2) {
    S.Message2 = message2;
    S.Marks.SetLabel(TLabel::Message2, codepage::SjisToUtf16(S.Message2));
  }
  if (S.Ready == 0) ShowDueCount();
  if (S.Ready == 0 && std::filesystem::exists(S.UserDir / kSaveFileName, error) &&
      SavedGameResumable()) {
    // Set before the box opens: its message loop keeps the ticks coming.
    S.Ready = 1;
    if (AskBox(kResumeQuestion, false) == TConfirmAnswer::Yes) {
      ResumeGame();
      S.TitleMode = 0;
      if (S.Playing == 1) {
        S.Message1.clear();
        S.Message2.clear();
        ShowMessages();
        Window.SetAnswerReadOnly(false);
        Window.FocusAnswer();
        S.Saved = 0;
      }
    }
  }
  // The guide is loaded when it changes; the picture shown is the same as reloading it.
  ShowKeyGuide();
  S.Ready = 1;
  for (TMenuItem item : kTopMenus) Window.SetMenuEnabled(item, true);
}

// The question clock: the time left, and giving the question up when it runs out.
void TGameRules::RunQuestionClock() {
  if (S.Playing != 1 || S.Paused != 0 || BoxDepth != 0) return;
  S.TimeLeft = static_cast<std::int32_t>(static_cast<std::uint32_t>(S.TimeLimit) + S.StartTime +
                                         static_cast<std::uint32_t>(S.PauseTotal) - timeGetTime());
  ShowCounter(TLabel::Time, "TIME:", S.TimeLeft / 1000);
  if (S.TimeLeft < 1) {
    S.TimeLeft = 0;
    GiveUp(history::TQuestionResult::Timeout);
  }
}

// The wrong-answer display blinks faster with every wrong answer from the second on.
void TGameRules::BlinkFuseikai() {
  if (S.GameClear == 1 || S.FuseikaiCount < 2) {
    S.BlinkOn = 0;
  } else {
    const DWORD halfPeriod = S.FuseikaiCount == 2 ? 500 : S.FuseikaiCount == 3 ? 250 : 125;
    if (timeGetTime() - S.BlinkTime >= halfPeriod) {
      S.BlinkOn = S.BlinkOn == 0 ? 1 : 0;
      S.BlinkTime = timeGetTime();
    }
  }
}

void TGameRules::DrawFrame() {
  if (!PrepareFrame()) return;
  AnimateFireflies();
  PresentFrame();
}

void TGameRules::Pause() {
  if (S.Playing != 1 || S.Paused != 0) return;
  S.Paused = 1;
  S.PauseStart = timeGetTime();
  S.Message1 = Sjis(kPauseMessage);
  ShowMessage1();
  DrawFrame();
  Window.SetAnswerReadOnly(true);
}

}  // namespace game

namespace game {

TGameRules::TClockHold::TClockHold(TGameRules& game) : Game(game) {
  if (Game.BoxDepth++ > 0) return;
  Game.BoxHoldsClock = Game.S.Playing == 1 && Game.S.Paused == 0;
  Game.BoxStart = timeGetTime();
}

TGameRules::TClockHold::~TClockHold() {
  if (--Game.BoxDepth > 0 || !Game.BoxHoldsClock) return;
  Game.BoxHoldsClock = false;
  if (Game.S.Playing == 1 && Game.S.Paused == 0) {
    Game.S.PauseTotal += static_cast<std::int32_t>(timeGetTime() - Game.BoxStart);
  }
}

void TGameRules::ShowBox(const std::string& text) {
  const TClockHold hold(*this);
  Window.ShowMessage(text);
}

TConfirmAnswer TGameRules::AskBox(const std::string& text, bool withCancel) {
  const TClockHold hold(*this);
  return Window.Confirm(text, withCancel);
}

}  // namespace game
