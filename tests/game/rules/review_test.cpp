// What the player knows: each judged question is one review of its proverb in the history
// (Good, Hard, Again; a Ctrl skip is none), and the review game asks exactly the due proverbs
// of a prepared history, most overdue first, then the recent misses, without saving.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "history/history_store.h"
#include "history/memory_store.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class ReviewTest : public RulesFixture {
 protected:
  std::filesystem::path HistoryFile() const { return UserDir() / history::kHistoryFileName; }
  std::int64_t Today() const { return history::LocalDay(WallClockMs()); }

  // The history as an earlier game left it, one memory row per proverb, written by SQLite
  // itself, as another program would (the game may hold the file).
  void Prepare(std::initializer_list<std::tuple<int, int, const char*>> rows) {
    std::filesystem::create_directories(UserDir());
    if (!std::filesystem::exists(HistoryFile())) {
      history::TOpenedHistory made = history::THistoryStore::Open(HistoryFile());
      ASSERT_TRUE(made.Store) << made.Message;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(HistoryFile().c_str(), &db), SQLITE_OK);
    for (const auto& [proverb, dueIn, missedMs] : rows) {
      const std::string sql = "INSERT INTO memory VALUES (" + std::to_string(proverb) +
                              ", '', '', 3.0, 5.0, 2, 0, " + std::to_string(Today() - 5) + ", " +
                              std::to_string(Today() + dueIn) + ", " + missedMs + ")";
      EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    }
    sqlite3_close(db);
  }
  std::optional<history::TMemoryRow> Memory(int proverb) {
    history::TOpenedHistory opened =
        history::THistoryStore::Open(HistoryFile(), history::TAccess::ReadOnly);
    if (!opened.Store) return std::nullopt;
    return history::ReadMemory(*opened.Store, {proverb, {}, {}});
  }
};

TEST_F(ReviewTest, EachJudgedQuestionIsOneReviewOfItsProverb) {
  const TFsrs fsrs;
  enum class TPlay { Right, HintThenRight, Wrong, TimeOut, CtrlSkip };
  struct Case {
    const char* name;
    TPlay play;
    std::optional<TFsrsRating> rating;  // nothing: no review
  };
  const std::vector<Case> cases = {
      {"correct", TPlay::Right, TFsrsRating::Good},
      {"correct with a hint", TPlay::HintThenRight, TFsrsRating::Hard},
      {"wrong", TPlay::Wrong, TFsrsRating::Again},
      {"timed out", TPlay::TimeOut, TFsrsRating::Again},
      {"skipped with Ctrl", TPlay::CtrlSkip, std::nullopt},
  };
  StartToPrompt();
  for (const Case& c : cases) {
    // Stage 2, where F1 gives a hint rather than the answer.
    S().SeikaiCount = kStageSize;
    S().HintCount = 0;
    Ctrl();
    const std::int32_t asked = S().MondaiNo;
    ASSERT_LE(asked, kBuiltInMondaiCount);
    switch (c.play) {
      case TPlay::Right:
        AnswerRight();
        break;
      case TPlay::HintThenRight:
        Key(VK_F1);
        AnswerRight();
        break;
      case TPlay::Wrong:
        AnswerWrong();
        break;
      case TPlay::TimeOut:
        TickAt(61000);
        break;
      case TPlay::CtrlSkip:
        Ctrl();
        break;
    }
    const auto memory = Memory(asked);
    if (!c.rating) {
      EXPECT_FALSE(memory) << c.name;
      continue;
    }
    ASSERT_TRUE(memory) << c.name;
    const TFsrsReview expected = fsrs.Review(std::nullopt, 0, *c.rating);
    EXPECT_DOUBLE_EQ(memory->Memory.Stability, expected.Memory.Stability) << c.name;
    EXPECT_DOUBLE_EQ(memory->Memory.Difficulty, expected.Memory.Difficulty) << c.name;
    EXPECT_EQ(memory->DueDay, Today() + expected.IntervalDays) << c.name;
    EXPECT_EQ(memory->Reviews, 1) << c.name;
    EXPECT_EQ(memory->LastMissedMs.has_value(), *c.rating == TFsrsRating::Again) << c.name;
    if (S().GameOver == 0) Ctrl();  // past the result
  }
}

TEST_F(ReviewTest, AsksExactlyTheDueProverbsAndKeepsTheSavedGameAndBestScore) {
  Prepare({{12, -5, "NULL"},  // five days overdue
           {40, -1, "NULL"},  // one day overdue
           {7, 0, "NULL"},    // due today
           {99, 3, "9000"},   // not due, missed last
           {150, 1, "5000"},  // not due, missed before
           {3, 2, "NULL"}});  // not due, never missed
  StartToPrompt();
  EXPECT_EQ(Game->CountDueToday(), 3);
  // The title says how many are due.
  Game->DrawFrame();
  EXPECT_EQ(Game->Label(TLabel::Fukushu), "今日の復習: 3問（ゲーム→復習）");
  const std::int32_t best = S().SaikoTokuten;

  Game->MenuClick(TMenuItem::Fukushu1);
  ASSERT_EQ(S().ReviewGame, 1);
  std::vector<std::int32_t> asked;
  for (int i = 0; i < 10 && S().GameOver == 0; ++i) {
    asked.push_back(S().MondaiNo);
    EXPECT_EQ(S().Playing, 1);
    if (S().MondaiNo == 40) {
      AnswerWrong();
    } else {
      AnswerRight();
    }
    // Saving is refused, and closing asks nothing.
    Game->MenuClick(TMenuItem::Save1);
    if (S().GameOver == 0) Ctrl();
  }
  EXPECT_EQ(asked, (std::vector<std::int32_t>{12, 40, 7, 99, 150}));
  EXPECT_EQ(S().GameOver, 1);
  EXPECT_EQ(S().Message1, Sjis("復習おわり: 4/5問正解"));
  EXPECT_TRUE(Game->FormCloseQuery());
  EXPECT_TRUE(Window.Confirmations.empty());
  EXPECT_FALSE(std::filesystem::exists(UserDir() / "record1.dat"));
  EXPECT_EQ(S().SaikoTokuten, best);
  // The review is kept as a review: measured against reviews, it sets no record of the games.
  EXPECT_EQ(S().Results.Kind, history::TGameKind::Review);
  EXPECT_FALSE(S().Results.Beaten);
  {
    const auto opened = history::THistoryStore::Open(HistoryFile(), history::TAccess::ReadOnly);
    ASSERT_TRUE(opened.Store);
    const auto games = opened.Store->Games();
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].Kind, history::TGameKind::Review);
    EXPECT_FALSE(opened.Store->BestKanaPerMinute(history::TAnswerMode::Kanji));
  }

  // Every answer was a review: the right ones are due later, the wrong one tomorrow.
  EXPECT_GT(Memory(12)->DueDay, Today());
  EXPECT_EQ(Memory(40)->DueDay, Today() + 1);
  EXPECT_EQ(Memory(40)->Lapses, 1);
  EXPECT_EQ(Memory(3)->Reviews, 2);  // not asked: untouched
  EXPECT_EQ(S().DueCount, 0);

  // Ctrl then starts an ordinary game of the whole catalogue.
  Ctrl();
  EXPECT_EQ(S().ReviewGame, 0);
  EXPECT_EQ(S().SeikaiCount, 0);
  EXPECT_EQ(S().Playing, 1);
}

TEST_F(ReviewTest, NothingDueSaysSoAndAGameInPlayIsLeftOnlyWhenThePlayerAgrees) {
  StartToPrompt();
  EXPECT_FALSE(std::filesystem::exists(HistoryFile())) << "counting made a file";
  EXPECT_EQ(Game->Label(TLabel::Fukushu), "");
  Game->MenuClick(TMenuItem::Fukushu1);
  EXPECT_EQ(S().ReviewGame, 0);
  ASSERT_FALSE(Window.Messages.empty());
  EXPECT_EQ(Window.Messages.back(), "今日復習することわざはありません。");

  Prepare({{21, 0, "NULL"}});
  Ctrl();
  const std::int32_t playing = S().MondaiNo;
  Window.ConfirmAnswers.push_back(TConfirmAnswer::No);
  Game->MenuClick(TMenuItem::Fukushu1);
  EXPECT_EQ(S().ReviewGame, 0);
  EXPECT_EQ(S().MondaiNo, playing);
  Window.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
  Game->MenuClick(TMenuItem::Fukushu1);
  EXPECT_EQ(S().ReviewGame, 1);
  EXPECT_EQ(S().MondaiNo, 21);
  EXPECT_FALSE(Memory(playing));  // the abandoned question was no review
  // Skipping the only question ends the review.
  Ctrl();
  EXPECT_EQ(S().GameOver, 1);
  EXPECT_EQ(S().Message1, Sjis("復習おわり: 0/1問正解"));
}

}  // namespace
}  // namespace game::testing
