// The player's measures in whole games: each question's keys and times as it is judged
// (pauses left out, the judging Enter not a key), every way a question ends, the history
// written as the game goes, and the results panel's figures with the mode's best.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "rules/romaji.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

using history::TQuestionResult;

class HistoryTest : public RulesFixture {
 protected:
  std::filesystem::path HistoryFile() const {
    return Paths.DocumentsDir / "Amaneya" / "NightwispData" / history::kHistoryFileName;
  }
  void Keys(int count) {
    for (int i = 0; i < count; ++i) Game->KeyPressedAtKeyboard(false);
  }
  void Enter() { Game->KeyPressedAtKeyboard(true); }
  // A correct answer typed from `firstKeyMs` into the question for `typingMs`.
  void AnswerRightAfter(DWORD firstKeyMs, DWORD typingMs) {
    Clock.Advance(firstKeyMs);
    Keys(10);
    Clock.Advance(typingMs);
    Enter();
    AnswerRight();
    Ctrl();
  }
  void AnswerWrongNow() {
    Keys(1);
    Enter();
    AnswerWrong();
    Ctrl();
  }
};

TEST_F(HistoryTest, MeasuresEveryWayAQuestionEnds) {
  StartToPrompt();
  Ctrl();
  const std::int32_t first = S().MondaiNo;
  // Three keys 1.2 s in; a pause of 3 s; the input method's Enter, a key, and Enter judges.
  Clock.Advance(1200);
  Keys(3);
  Clock.Advance(500);
  Key(VK_F2);
  Clock.Advance(3000);
  Keys(1);  // typed while paused: counted, its time not
  Key(VK_F2);
  Clock.Advance(800);
  Enter();
  Keys(1);
  Enter();
  AnswerRight();

  // Skipped with Ctrl after one key; the next question keeps the clock and times out.
  Ctrl();
  const std::int32_t skipped = S().MondaiNo;
  Clock.Advance(100);
  Keys(1);
  Clock.Advance(300);
  Ctrl();
  Enter();  // an Enter the input method took, then nothing more
  TickAt(60001);
  // Given up with F1 in stage 1.
  Ctrl();
  Keys(2);
  Key(VK_F1);

  const auto& q = S().GameQuestions;
  ASSERT_EQ(q.size(), 4u);
  EXPECT_EQ(q[0].Result, TQuestionResult::Correct);
  EXPECT_EQ(q[0].Proverb, first);
  EXPECT_EQ(q[0].Seq, 1);
  EXPECT_EQ(q[0].Stage, 1);
  EXPECT_EQ(q[0].Mode, history::TAnswerMode::Kanji);
  EXPECT_EQ(q[0].Reading, S().Reading(first));
  EXPECT_EQ(q[0].Kana, static_cast<std::int32_t>(S().Reading(first).size()));
  EXPECT_EQ(q[0].MinKeys, static_cast<std::int32_t>(ShortestRomaji(S().Reading(first)).size()));
  EXPECT_EQ(q[0].FirstKeyMs, 1200);
  EXPECT_EQ(q[0].AnswerMs, 500 + 800);
  EXPECT_EQ(q[0].Keys, 3 + 1 + 1 + 1);

  EXPECT_EQ(q[1].Result, TQuestionResult::Skipped);
  EXPECT_EQ(q[1].Proverb, skipped);
  EXPECT_EQ(q[1].FirstKeyMs, 100);
  EXPECT_EQ(q[1].AnswerMs, 300);
  EXPECT_EQ(q[1].Keys, 1);

  EXPECT_EQ(q[2].Result, TQuestionResult::Timeout);
  EXPECT_EQ(q[2].Keys, 1);        // the Enter that did not judge
  EXPECT_EQ(q[2].FirstKeyMs, 0);  // the clock kept from the skipped question
  EXPECT_EQ(q[2].AnswerMs, 60001 - 400);

  EXPECT_EQ(q[3].Result, TQuestionResult::GiveUp);
  EXPECT_EQ(q[3].Keys, 2);
  EXPECT_EQ(q[3].AnswerMs, 0);

  // Each is in the history as it was judged, with the game's measures so far.
  const auto opened = history::THistoryStore::Open(HistoryFile(), history::TAccess::ReadOnly);
  ASSERT_TRUE(opened.Store) << opened.Detail;
  const auto rows = opened.Store->Questions();
  ASSERT_EQ(rows.size(), 4u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].Record.Result, q[i].Result);
    EXPECT_EQ(rows[i].Record.Keys, q[i].Keys);
    EXPECT_EQ(rows[i].Record.AnswerMs, q[i].AnswerMs);
  }
  const auto games = opened.Store->Games();
  ASSERT_EQ(games.size(), 1u);
  EXPECT_EQ(games[0].Measures.Asked, 3);  // the skip was not asked
  EXPECT_EQ(games[0].Measures.Correct, 1);
  EXPECT_TRUE(Window.Messages.empty());
}

TEST_F(HistoryTest, GameOverShowsTheFiguresAgainstTheModesBest) {
  StartToPrompt();
  Ctrl();
  for (int i = 0; i < 5; ++i) AnswerRightAfter(1000, 2000);
  for (int i = 0; i < 4; ++i) AnswerWrongNow();
  Keys(1);
  AnswerWrong();
  ASSERT_EQ(S().GameOver, 1);
  const TGameResults first = S().Results;
  EXPECT_TRUE(first.Shown);
  EXPECT_EQ(first.Measures.Asked, 10);
  EXPECT_EQ(first.Measures.Correct, 5);
  EXPECT_DOUBLE_EQ(first.Measures.AnswerAccuracy, 0.5);
  EXPECT_FALSE(first.Best);
  EXPECT_TRUE(first.Beaten);  // the first game that counts sets the best

  // A slower game: the first stands as the best.
  Ctrl();
  EXPECT_FALSE(S().Results.Shown);
  EXPECT_TRUE(S().GameQuestions.empty());
  for (int i = 0; i < 5; ++i) AnswerRightAfter(1000, 20000);
  for (int i = 0; i < 4; ++i) AnswerWrongNow();
  AnswerWrong();
  ASSERT_EQ(S().GameOver, 1);
  const TGameResults second = S().Results;
  ASSERT_TRUE(second.Best);
  EXPECT_DOUBLE_EQ(*second.Best, first.Measures.KanaPerMinute);
  EXPECT_LT(second.Measures.KanaPerMinute, first.Measures.KanaPerMinute);
  EXPECT_FALSE(second.Beaten);
}

// A history that cannot be used: one message naming it, the game plays on and the file is
// left as it was.
TEST_F(HistoryTest, PlaysOnWithoutAHistoryThatCannotBeUsed) {
  std::filesystem::create_directories(HistoryFile().parent_path());
  std::ofstream(HistoryFile(), std::ios::binary) << "not a database";
  StartToPrompt();
  Ctrl();
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_NE(Window.Messages[0].find(HistoryFile().string()), std::string::npos);
  AnswerRightAfter(500, 1500);
  AnswerWrongNow();
  EXPECT_EQ(Window.Messages.size(), 1u);
  EXPECT_EQ(S().GameQuestions.size(), 2u);
  std::ifstream in(HistoryFile(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not a database");
}

TEST_F(HistoryTest, AnotherRunningGameKeepsItsHistory) {
  std::filesystem::create_directories(HistoryFile().parent_path());
  const auto other = history::THistoryStore::Open(HistoryFile());
  ASSERT_TRUE(other.Store);
  StartToPrompt();
  Ctrl();
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_NE(Window.Messages[0].find("起動中"), std::string::npos);
  AnswerRightAfter(500, 1500);
  EXPECT_EQ(Window.Messages.size(), 1u);
  EXPECT_TRUE(other.Store->Questions().empty());
}

}  // namespace
}  // namespace game::testing
