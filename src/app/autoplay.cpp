#include "app/autoplay.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStyleHints>

#include "app/form1.h"
#include "platform/clock/clock.h"
#include "rules/random.h"
#include "rules/romaji.h"

namespace app {
namespace {

std::int64_t RealMs() {
  static QElapsedTimer clock;
  if (!clock.isValid()) clock.start();
  return clock.elapsed();
}

QString FromU16(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// How long a screen stays before the bot acts on it (a person needs a moment too).
constexpr std::int64_t kThinkMs = 400;
constexpr std::int64_t kReadResultMs = 900;
// The bot types the reading's romaji at ten keys a second.
constexpr std::int64_t kKeyMs = 100;
// A fixed-step game: one tick of the main loop per step, and how long the bot waits for the
// window to become active before it plays anyway.
constexpr DWORD kTickMs = 25;
constexpr std::int64_t kActiveWaitMs = 3000;

}  // namespace

TAutoPlayer::TAutoPlayer(TForm1& form, TAutoPlayOptions options)
    : form_(form), options_(std::move(options)), random_(options_.Seed.value_or(20261207u)) {
  timer_.setInterval(options_.FixedStep ? 0 : 50);
  connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
  if (!options_.ScreenshotDir.isEmpty()) {
    QDir().mkpath(options_.ScreenshotDir);
    form_.Surface().SetKeepFrames(true);  // pictures of the window need the last frame
  }
  if (options_.FixedStep) {
    clock_ = std::make_unique<clockstandin::ManualClock>(0);
    form_.DriveTicksByHand();
    // A steady cursor: a blinking one follows the real clock into the pictures.
    QGuiApplication::styleHints()->setCursorFlashTime(0);
  }
}

TAutoPlayer::~TAutoPlayer() = default;

void TAutoPlayer::Start() { timer_.start(); }

TAutoPlayer::TScreen TAutoPlayer::CurrentScreen() const {
  const TGameState& s = form_.Game().State();
  switch (GamePhase(s)) {
    case TGamePhase::Title:
      return TScreen::Title;
    case TGamePhase::TitlePrompt:
      return TScreen::TitlePrompt;
    case TGamePhase::Question:
    case TGamePhase::Paused:
      return TScreen::Question;
    case TGamePhase::GameOver:
      return TScreen::GameOver;
    case TGamePhase::GameClear:
      return TScreen::GameClear;
    case TGamePhase::BetweenQuestions:
      break;
  }
  // Between questions, a stage clear shows its picture where a result would be.
  if (s.SeikaiCount > 0 && s.SeikaiCount % 10 == 0 && s.ShowReading + s.ShowSpelling > 0 &&
      s.FuseikaiCount == 0 && s.RenzokuCount == 0)
    return TScreen::StageClear;
  return TScreen::Result;
}

std::int64_t TAutoPlayer::NowMs() const {
  return clock_ ? static_cast<std::int64_t>(timeGetTime()) : RealMs();
}

void TAutoPlayer::Step() {
  if (finished_) return;
  // A box (the resume question, a message) waits for an answer: the bot declines.
  if (QApplication::activeModalWidget() != nullptr) {
    AnswerModalBox();
    return;
  }
  // Until start-up is done the bot only answers its boxes (they come before the title).
  if (!form_.Started()) return;
  // The game processes pending events inside a frame or a key: no step runs within a step.
  if (stepping_) return;
  stepping_ = true;
  Play();
  stepping_ = false;
}

bool TAutoPlayer::StepFrame() {
  if (!form_.isActiveWindow()) {
    if (activeWaitStart_ < 0) activeWaitStart_ = RealMs();
    if (RealMs() - activeWaitStart_ < kActiveWaitMs) return false;
  }
  clock_->Advance(kTickMs);
  form_.RunTick();
  return true;
}

void TAutoPlayer::Play() {
  TGameState& s = form_.Game().State();
  if (!seeded_ && options_.Seed && s.StartupDone) {
    SetRandSeed(*options_.Seed);
    seeded_ = true;
  }
  if (clock_ && !StepFrame()) return;

  const TScreen screen = CurrentScreen();
  const std::int64_t now = NowMs();
  if (screen != screen_) {
    screen_ = screen;
    screenSince_ = now;
    answered_ = false;
    keysToType_.clear();
    keysTyped_ = 0;
    shotTaken_ = false;
    framesAtScreen_ = form_.PresentedFrames();
  }
  // A picture once the new screen has been presented a few times.
  if (!shotTaken_ && form_.PresentedFrames() >= framesAtScreen_ + 3 && now - screenSince_ >= 150) {
    static const char* const kNames[] = {"none",   "title",       "title-prompt", "question",
                                         "result", "stage-clear", "game-over",    "game-clear"};
    Screenshot(kNames[static_cast<int>(screen)]);
    shotTaken_ = true;
  }
  const std::int64_t age = now - screenSince_;

  switch (screen) {
    case TScreen::None:
    case TScreen::Title:
      break;
    case TScreen::TitlePrompt:
      if (age >= kThinkMs && shotTaken_) PressKey(Qt::Key_Control);
      break;
    case TScreen::Question:
      if (options_.StopAt >= 0 && s.SeikaiCount >= options_.StopAt) {
        // Hold the question: the benchmarks measure a running question from here.
        if (!holding_) form_.BenchLog().Note("holding");
        holding_ = true;
        break;
      }
      if (!answered_ && age >= kThinkMs && shotTaken_ && !s.Paused && TypeNextKey(s, now)) {
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        const bool wrong = chance(random_) < options_.Mistakes;
        const std::u16string& expected =
            s.KaitoMode == 1 ? s.Reading(s.MondaiNo) : s.Seikai(s.MondaiNo);
        TypeAnswer(wrong ? FromU16(expected) + QStringLiteral("？") : FromU16(expected));
        PressKey(Qt::Key_Return);
        answered_ = true;
      }
      break;
    case TScreen::Result:
    case TScreen::StageClear:
      if (age >= kReadResultMs && shotTaken_) PressKey(Qt::Key_Control);
      break;
    case TScreen::GameOver:
    case TScreen::GameClear:
      if (age >= kReadResultMs && shotTaken_) {
        finished_ = true;
        timer_.stop();
        if (options_.ExitAfterGame) form_.close();
      }
      break;
  }
}

void TAutoPlayer::PressKey(int qtKey) {
  QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form_;
  const Qt::KeyboardModifiers modifiers =
      qtKey == Qt::Key_Control ? Qt::ControlModifier : Qt::NoModifier;
  const QString text = qtKey == Qt::Key_Return ? QStringLiteral("\r") : QString();
  QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
  QApplication::sendEvent(target, &release);
}

bool TAutoPlayer::TypeNextKey(const TGameState& s, std::int64_t now) {
  if (keysTyped_ == 0 && keysToType_.empty()) {
    keysToType_ = game::ShortestRomaji(s.Reading(s.MondaiNo));
    lastKeyAt_ = now - kKeyMs;
  }
  if (keysTyped_ >= keysToType_.size()) return true;
  if (now - lastKeyAt_ < kKeyMs) return false;
  lastKeyAt_ = now;
  const QChar c(keysToType_[keysTyped_++]);
  const int qtKey = c.isLetter() && c.unicode() < 0x80 ? Qt::Key_A + (c.toLower().unicode() - 'a')
                                                       : static_cast<int>(Qt::Key_unknown);
  QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form_;
  QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, QString(c));
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, QString(c));
  QApplication::sendEvent(target, &release);
  return false;
}

void TAutoPlayer::TypeAnswer(const QString& text) {
  // The input method's commit: how composed Japanese text reaches the field, in place of the
  // reading typed so far, as a conversion replaces it.
  const QLineEdit& field = form_.AnswerField();
  QInputMethodEvent commit;
  commit.setCommitString(text, -field.cursorPosition(), static_cast<int>(field.text().size()));
  QApplication::sendEvent(&form_.AnswerField(), &commit);
}

void TAutoPlayer::Screenshot(const char* name) {
  if (options_.ScreenshotDir.isEmpty()) return;
  ++shots_;
  const QString file = QStringLiteral("%1/%2-%3.png")
                           .arg(options_.ScreenshotDir)
                           .arg(shots_, 3, 10, QChar('0'))
                           .arg(QString::fromLatin1(name));
  form_.grab().save(file, "PNG");
}

void TAutoPlayer::AnswerModalBox() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr) return;
  if (QAbstractButton* no = box->button(QMessageBox::No)) {
    no->click();
  } else if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
    ok->click();
  } else {
    box->reject();
  }
}

}  // namespace app
