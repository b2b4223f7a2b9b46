// The player-bot of --autoplay: waits for the title prompt, presses Ctrl, types answers into
// the answer field (right, or wrong at a given rate) and presses Enter — through the same key
// and input-method paths a person uses — until the game is over or cleared. It can save a
// picture of the window at each new screen.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace app {

class TForm1;

struct TAutoPlayOptions {
  std::optional<std::uint32_t> Seed;
  double Mistakes = 0.0;   // chance of a wrong answer, 0..1
  QString ScreenshotDir;   // empty: no pictures
  bool ExitAfterGame = false;
  int StopAt = -1;  // with N >= 0: stop answering at the first question after N correct answers
};

class TAutoPlayer : public QObject {
 public:
  TAutoPlayer(TForm1& form, TAutoPlayOptions options);
  void Start();
  int ScreenshotCount() const { return shots_; }

 private:
  enum class TScreen { None, Title, TitlePrompt, Question, Result, StageClear, GameOver, GameClear };

  void Step();
  TScreen CurrentScreen() const;
  void PressKey(int qtKey);
  void TypeAnswer(const QString& text);
  void Screenshot(const char* name);
  void AnswerModalBox();

  TForm1& form_;
  TAutoPlayOptions options_;
  QTimer timer_;
  std::mt19937 random_;
  TScreen screen_ = TScreen::None;
  std::int64_t screenSince_ = 0;   // ms when the current screen appeared
  bool answered_ = false;
  bool finished_ = false;
  bool seeded_ = false;
  int shots_ = 0;
  long framesAtScreen_ = 0;
  bool shotTaken_ = false;
  bool holding_ = false;
};

}  // namespace app
