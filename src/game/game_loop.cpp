// The main loop: one 25 ms tick per idle call that is due, with the music start, the title
// wait, the question clock, the blink, the random music's track end and one frame; the frame
// driver (the screen's refresh and device check, the fireflies' step, the drawing); the pause;
// and the boxes that hold the question clock.
#include <algorithm>
#include <cstdlib>

#include "game/game_rules.h"
#include "game/random.h"
#include "game/save_file.h"
#include "game/settings.h"
#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"

namespace game {
namespace {

constexpr DWORD kTickLength = 25;
constexpr DWORD kMusicDelay = 100;
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
  std::error_code error;

  // The music, once, 100 ms after start-up.
  if (timeGetTime() - S.TitleTime >= kMusicDelay && S.BgmStarted == 0) {
    // Marked at once: a box opened below runs ticks of its own, which must not start the
    // music a second time.
    S.BgmStarted = 1;
    const std::filesystem::path defaultMusic = S.AppDir / "Data" / "tamsu08-1.mp3";
    Window.ProcessMessages();
    S.BgmOn = 1;
    CheckBgmOn(true);
    S.MusicName = defaultMusic.string();
    if (const std::optional<TBgmSettings> bgm = TSettingsFiles(S.UserDir).ReadBgm()) {
      S.BgmOn = bgm->Music ? 1 : 0;
      S.BgmRandom = bgm->Random ? 1 : 0;
      if (!bgm->MusicName.empty()) S.MusicName = bgm->MusicName;
      S.MusicFolda = bgm->MusicFolda;
    }
    auto useDefaultMusic = [&] {
      S.BgmRandom = 0;
      S.MusicName = defaultMusic.string();
      CheckMusicMode(false);
    };
    if (S.BgmRandom == 0) {
      CheckMusicMode(false);
      if (!std::filesystem::is_regular_file(S.MusicName, error)) {
        S.MusicName = defaultMusic.string();
      }
    } else if (!S.MusicFolda.empty() && std::filesystem::is_directory(S.MusicFolda, error)) {
      S.AudioList.clear();
      Window.ProcessMessages();
      ScanAudioFiles(S.MusicFolda);
      if (S.AudioList.empty()) {
        useDefaultMusic();
      } else {
        BuildRandomList();
        PickRandomTrack();
        CheckMusicMode(true);
      }
      S.AudioList.clear();
    } else {
      useDefaultMusic();
    }
    Window.ProcessMessages();
    if (S.BgmOn == 1) {
      PlayMusic();
      ShowMusicTitle();
    } else {
      CheckBgmOn(false);
    }
    S.Message1.clear();
    ShowMessage1();
  }

  // The title prompt, 7000 ms after start-up, kept up on every tick of the title.
  if (S.TitleMode == 1 && timeGetTime() - S.TitleTime >= kTitleWait) {
    static const std::string message1 = Sjis(kTitleMessage1);
    static const std::string message2 = Sjis(kTitleMessage2);
    if (S.Message1 != message1) {
      S.Message1 = message1;
      ShowMessage1();
    }
    if (S.Message2 != message2) {
      S.Message2 = message2;
      S.Marks.SetLabel(TLabel::Message2, S.Message2);
    }
    std::string guide = "Sosa1.bmp";
    if (S.Ready == 0) ShowDueCount();
    if (S.Ready == 0 && std::filesystem::exists(S.UserDir / kSaveFileName, error) &&
        SavedGameResumable()) {
      // Set before the box opens: its message loop keeps the ticks coming.
      S.Ready = 1;
      if (AskBox(kResumeQuestion, false) == TConfirmAnswer::Yes) {
        ResumeGame();
        S.TitleMode = 0;
        const bool hintsLeft =
            S.HintCount != 4 && !(S.HintCount == 3 && (S.HintMoji >= 3 || S.HintMoji == 0));
        if (S.SeikaiCount >= 10 && hintsLeft) guide = "Sosa2.bmp";
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
    if (S.Marks.Sosa != guide) LoadSosa(guide);
    S.Ready = 1;
    for (TMenuItem item : kTopMenus) Window.SetMenuEnabled(item, true);
  }

  // The question clock.
  if (S.Playing == 1 && S.Paused == 0 && BoxDepth == 0) {
    S.TimeLeft =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(S.TimeLimit) + S.StartTime +
                                  static_cast<std::uint32_t>(S.PauseTotal) - timeGetTime());
    ShowCounter(TLabel::Time, "TIME:", S.TimeLeft / 1000);
    if (S.TimeLeft < 1) {
      S.TimeLeft = 0;
      GiveUp(history::TQuestionResult::Timeout);
    }
  }

  // The wrong-answer display blinks faster with every wrong answer from the second on.
  if (S.GameClear == 1 || S.FuseikaiCount < 2) {
    S.BlinkOn = 0;
  } else {
    const DWORD halfPeriod = S.FuseikaiCount == 2 ? 500 : S.FuseikaiCount == 3 ? 250 : 125;
    if (timeGetTime() - S.BlinkTime >= halfPeriod) {
      S.BlinkOn = S.BlinkOn == 0 ? 1 : 0;
      S.BlinkTime = timeGetTime();
    }
  }

  // The random music moves on at the end of a track; a single file loops by itself.
  if (S.BgmOn == 1 || S.GameClear == 1) {
    const double duration = MusicDuration();
    if (duration > 0) {
      const std::int64_t elapsed = std::abs(
          static_cast<std::int64_t>(static_cast<std::int32_t>(timeGetTime() - S.MusicStartTime)));
      if (elapsed / 1000.0 > duration && S.BgmRandom == 1 && S.RandomFileCount > 0) {
        StopMusic();
        PickRandomTrack();
        PlayMusic();
        ShowMusicTitle();
      }
    }
  }

  // One frame; then the window waits until the next tick is due.
  DrawFrame();
  return WaitFor(S.TickTime);
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
