// The player-bot of --autoplay: waits for the title prompt, presses Ctrl, types answers into
// the answer field (right, or wrong at a given rate) and presses Enter — through the same key
// and input-method paths a person uses — until the game is over or cleared. It can save a
// picture of the window at each new screen.
//
// With FixedStep the bot also drives time: the game's clock is a manual one, and each step of
// the bot advances it by exactly one tick (25 ms) and runs that tick. The same seed then gives
// the same game frame for frame: the same record1.dat and the same pictures.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>

struct TGameState;

namespace clockstandin {
class ManualClock;
}

namespace app {

class TForm1;

struct TAutoPlayOptions {
  std::optional<std::uint32_t> Seed;
  double Mistakes = 0.0;  // chance of a wrong answer, 0..1
  QString ScreenshotDir;  // empty: no pictures
  bool ExitAfterGame = false;
  int StopAt = -1;  // with N >= 0: stop answering at the first question after N correct answers
  bool FixedStep = false;  // the bot advances the game's clock by one tick per frame
};

class TAutoPlayer : public QObject {
 public:
  // Make the player before the window's Start: a fixed-step game's clock must be in place
  // before start-up reads it.
  TAutoPlayer(TForm1& form, TAutoPlayOptions options);
  ~TAutoPlayer() override;
  void Start();
  int ScreenshotCount() const { return shots_; }

 private:
  enum class TScreen {
    None,
    Title,
    TitlePrompt,
    Question,
    Result,
    StageClear,
    GameOver,
    GameClear
  };

  void Step();
  void Play();
  // Fixed step: one tick of the game's clock and the frame of that tick. False while the
  // window is not yet shown and active (its look in the pictures depends on it).
  bool StepFrame();
  std::int64_t NowMs() const;  // the bot's sense of time: the game's clock in a fixed-step game
  TScreen CurrentScreen() const;
  void PressKey(int qtKey);
  void TypeAnswer(const QString& text);
  // Types the next key of the question's reading in romaji; true once all are typed.
  bool TypeNextKey(const TGameState& s, std::int64_t now);
  void Screenshot(const char* name);
  void AnswerModalBox();

  TForm1& form_;
  TAutoPlayOptions options_;
  QTimer timer_;
  std::mt19937 random_;
  TScreen screen_ = TScreen::None;
  std::int64_t screenSince_ = 0;  // ms when the current screen appeared
  bool answered_ = false;
  std::u16string keysToType_;  // the reading's romaji, typed a key at a time
  std::size_t keysTyped_ = 0;
  std::int64_t lastKeyAt_ = 0;
  bool finished_ = false;
  bool seeded_ = false;
  int shots_ = 0;
  long framesAtScreen_ = 0;
  bool shotTaken_ = false;
  bool holding_ = false;
  bool stepping_ = false;  // a step is running (the game may process events inside it)
  std::unique_ptr<clockstandin::ManualClock> clock_;  // the fixed-step game's clock
  std::int64_t activeWaitStart_ = -1;                 // real ms when the bot began to wait
};

}  // namespace app
