// A game typed from a key log, its figures checked against figures worked out by hand from
// the log. The keys go the way the window sends them: every key press to the key count
// (TKeyCount), then Enter, Ctrl, F1 and F2 to the rules. The game has reached stage 2, where
// F1 gives hints and the fourth hinted question of a stage gives up.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QWidget>

#include "app/key_count.h"
#include "support/qt_app.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

using history::TQuestionResult;

struct TLogEntry {
  DWORD WaitMs;                      // since the entry before, on the wall clock
  int Key;                           // Qt's key
  int Repeat = 1;                    // pressed this many times, WaitMs before each
  const char16_t* Answer = nullptr;  // the field's text at an Enter
};

constexpr int kLetter = Qt::Key_A;

// Times are the question clock's (pauses left out) unless said otherwise.
const TLogEntry kLog[] = {
    // 1. 鬼に金棒 (おににかなぼう, 7 kana, oninikanabou 12 keys). A hint at 1.5 s before any
    // key, 2 s of waiting, then 12 keys from 3.5 s, 100 ms apart; Enter at 4.7 s.
    {0, Qt::Key_Control},
    {1500, Qt::Key_F1},
    {2000, kLetter},
    {100, kLetter, 11},
    {100, Qt::Key_Return, 1, u"鬼に金棒"},
    // 2. 住めば都 (すめばみやこ, 6 kana, sumebamiyako 12 keys). Keys from 0.8 s; a 5 s pause
    // at 1.2 s; a wrong letter and BackSpace; a hint at 1.8 s and 1.5 s watching it; Enter at
    // 3.8 s: 14 keys in 3.8 − 0.8 − 1.5 = 1.5 s.
    {0, Qt::Key_Control},
    {800, kLetter},
    {100, kLetter, 3},
    {100, Qt::Key_F2},
    {5000, Qt::Key_F2},
    {100, kLetter, 4},
    {100, Qt::Key_Backspace},
    {100, Qt::Key_F1},
    {1500, kLetter},
    {100, kLetter, 4},
    {100, Qt::Key_Return, 1, u"住めば都"},
    // 3. The die is cast. (English: no kana; 16 keys, Shift not a key). Keys from 1 s to
    // 2.5 s; a hint at 2.6 s watched until Enter at 3 s: 16 keys in 3 − 1 − 0.4 = 1.6 s.
    {0, Qt::Key_Control},
    {1000, kLetter},
    {100, kLetter, 15},
    {100, Qt::Key_F1},
    {400, Qt::Key_Return, 1, u"The die is cast."},
    // 4. 玉にきず: 2 keys at 0.7 and 0.8 s, then F1 at 1.1 s, the stage's fourth hinted
    // question: given up, 2 keys in 0.4 s.
    {0, Qt::Key_Control},
    {700, kLetter},
    {100, kLetter},
    {300, Qt::Key_F1},
    // 5. うそも方便: 3 keys at 0.5, 0.6 and 0.7 s, skipped by Ctrl at 1 s.
    {0, Qt::Key_Control},
    {500, kLetter},
    {100, kLetter, 2},
    {300, Qt::Key_Control},
    // 6. 棚からぼた餅, on the skipped question's clock (set at 1 s): 4 keys from 1.6 s, a wrong
    // answer at 2 s: first key after 0.6 s, 4 keys in 0.4 s.
    {600, kLetter},
    {100, kLetter, 3},
    {100, Qt::Key_Return, 1, u"ちがう"},
};

// The proverbs in the log's order.
constexpr std::int32_t kAsked[] = {1, 3, 167, 4, 5, 6};

struct TExpected {
  TQuestionResult Result;
  std::int32_t Kana, Keys, MinKeys, FirstKeyMs, AnswerMs;
};

const TExpected kExpected[] = {
    {TQuestionResult::Correct, 7, 12, 12, 3500, 1200},
    {TQuestionResult::Correct, 6, 14, 12, 800, 1500},
    {TQuestionResult::Correct, 0, 16, 16, 1000, 1600},
    {TQuestionResult::GiveUp, 5, 2, 10, 700, 400},   // ta ma ni ki zu
    {TQuestionResult::Skipped, 7, 3, 11, 500, 500},  // u so mo ho u be n
    {TQuestionResult::Wrong, 8, 4, 16, 600, 400},    // ta na ka ra bo ta mo ti
};

class KeyLogTest : public RulesFixture {
 protected:
  // The next question the rules draw is `n`: every other one of the cycle is asked.
  void NextQuestionIs(std::int32_t n) {
    S().Shutsudai.fill(1);
    S().Shutsudai[static_cast<std::size_t>(n - 1)] = 0;
    S().ShutsudaiCount = kBuiltInMondaiCount - 1;
  }
};

TEST_F(KeyLogTest, FiguresMatchTheKeyLogWorkedByHand) {
  qt_test::App();
  QWidget window;
  app::TServerKeys serverKeys;
  app::TKeyCount count(serverKeys, window,
                       [this](bool enter) { Game->KeyPressedAtKeyboard(enter); });
  StartToPrompt();
  S().SeikaiCount = kStageSize;  // stage 2
  std::size_t next = 0;
  for (const TLogEntry& entry : kLog) {
    for (int i = 0; i < entry.Repeat; ++i) {
      Clock.Advance(entry.WaitMs);
      if (entry.Key == Qt::Key_Control) NextQuestionIs(kAsked[next++]);
      count.QtKeyPress(QKeyEvent(QEvent::KeyPress, entry.Key, Qt::NoModifier));
      switch (entry.Key) {
        case Qt::Key_Return:
          Window.Answer = entry.Answer;
          Key(VK_RETURN);
          break;
        case Qt::Key_Control:
          Key(VK_CONTROL);
          break;
        case Qt::Key_F1:
          Key(VK_F1);
          break;
        case Qt::Key_F2:
          Key(VK_F2);
          break;
        default:
          break;
      }
    }
  }

  const auto& questions = S().GameQuestions;
  ASSERT_EQ(questions.size(), std::size(kExpected));
  for (std::size_t i = 0; i < questions.size(); ++i) {
    SCOPED_TRACE("question " + std::to_string(i + 1));
    const history::TQuestionRecord& q = questions[i];
    const TExpected& e = kExpected[i];
    EXPECT_EQ(q.Proverb, kAsked[i]);
    EXPECT_EQ(q.Result, e.Result);
    EXPECT_EQ(q.Kana, e.Kana);
    EXPECT_EQ(q.Keys, e.Keys);
    EXPECT_EQ(q.MinKeys, e.MinKeys);
    EXPECT_EQ(q.FirstKeyMs, e.FirstKeyMs);
    EXPECT_EQ(q.AnswerMs, e.AnswerMs);
  }

  // Skips are neither asked nor missed: 3 correct of 5. Kana per minute over the answers in
  // kana: 13 kana in 2.7 s. Keys per second over every question typed: 51 keys in 5.6 s. Key
  // accuracy over the correct answers: 40 fewest keys of 42. Consistency of 350 and 240 kana a
  // minute: mean 295, deviation 55, c = 0.18644: 100 × (1 − tanh(0.18865)) = 81.356.
  const auto opened = history::THistoryStore::Open(
      Paths.DocumentsDir / "Amaneya" / "NightwispData" / history::kHistoryFileName,
      history::TAccess::ReadOnly);
  ASSERT_TRUE(opened.Store) << opened.Detail;
  const auto games = opened.Store->Games();
  ASSERT_EQ(games.size(), 1u);
  const history::TGameMeasures& m = games[0].Measures;
  EXPECT_EQ(games[0].Kind, history::TGameKind::Game);
  EXPECT_EQ(m.Asked, 5);
  EXPECT_EQ(m.Correct, 3);
  EXPECT_DOUBLE_EQ(m.AnswerAccuracy, 0.6);
  EXPECT_NEAR(m.KanaPerMinute, 288.889, 0.001);
  EXPECT_NEAR(m.KeysPerSecond, 9.10714, 0.00001);
  EXPECT_NEAR(m.KeyAccuracy, 40.0 / 42, 1e-9);
  EXPECT_NEAR(m.Consistency, 81.356, 0.001);
  ASSERT_EQ(opened.Store->MostMissed(10).size(), 2u);  // the give-up and the wrong answer
}

}  // namespace
}  // namespace game::testing
