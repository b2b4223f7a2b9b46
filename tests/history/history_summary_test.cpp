// What the history window shows: each mode's games apart, bests over the games that count,
// and long histories thinned to a chart's points by averaging.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "history/history_summary.h"

namespace {

namespace fs = std::filesystem;
using history::TAnswerMode;

TEST(HistorySummaryTest, KeepsModesApartAndThinsLongHistories) {
  const fs::path dir =
      fs::temp_directory_path() / ("nightwisp-summary-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  {
    auto opened = history::THistoryStore::Open(dir / "history.db");
    ASSERT_TRUE(opened.Store) << opened.Detail;
    history::THistoryStore& store = *opened.Store;
    auto addGame = [&](TAnswerMode mode, int correct, double kanaPerMinute, double accuracy,
                       history::TQuestionResult result) {
      const std::int64_t game = *store.BeginGame(0, mode);
      history::TGameMeasures m;
      m.Asked = correct + 1;
      m.Correct = correct;
      m.KanaPerMinute = kanaPerMinute;
      m.KeyAccuracy = accuracy;
      history::TQuestionRecord q;
      q.Seq = 1;
      q.Proverb = 1 + correct % 3;
      q.Reading = u"よみ" + std::u16string(1, static_cast<char16_t>(u'あ' + q.Proverb));
      q.Result = result;
      ASSERT_TRUE(store.AddQuestion(game, q, m));
    };
    ASSERT_TRUE(store.Connection() != nullptr);
    sqlite3_exec(store.Connection(), "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 1; i <= 900; ++i) {
      addGame(TAnswerMode::Kanji, 5 + i % 2, i, 0.5, history::TQuestionResult::Correct);
    }
    sqlite3_exec(store.Connection(), "COMMIT", nullptr, nullptr, nullptr);
    addGame(TAnswerMode::Kana, 10, 120, 0.9, history::TQuestionResult::Wrong);
    addGame(TAnswerMode::Kana, 4, 999, 1.0, history::TQuestionResult::Wrong);  // too short
    addGame(TAnswerMode::Kana, 11, 150, 0.8, history::TQuestionResult::Timeout);
  }
  auto opened = history::THistoryStore::Open(dir / "history.db", history::TAccess::ReadOnly);
  ASSERT_TRUE(opened.Store);
  const history::THistorySummary summary = history::Summarise(*opened.Store);
  const history::TModeSummary& kanji = summary.Modes[0];
  const history::TModeSummary& kana = summary.Modes[1];
  EXPECT_EQ(kanji.Games, 900);
  EXPECT_EQ(kana.Games, 3);
  // 900 games in spans of three: 300 points, the first the mean of games 1..3.
  ASSERT_EQ(kanji.KanaPerMinute.size(), 300u);
  EXPECT_DOUBLE_EQ(kanji.KanaPerMinute[0].Game, 2);
  EXPECT_DOUBLE_EQ(kanji.KanaPerMinute[0].Value, 2);
  EXPECT_DOUBLE_EQ(kanji.KeyAccuracy[0].Value, 50);
  EXPECT_DOUBLE_EQ(kanji.BestKanaPerMinute, 900);
  // The kana games follow the kanji games on the same axis.
  ASSERT_EQ(kana.KanaPerMinute.size(), 3u);
  EXPECT_DOUBLE_EQ(kana.KanaPerMinute[0].Game, 901);
  EXPECT_DOUBLE_EQ(kana.BestKanaPerMinute, 150);
  EXPECT_DOUBLE_EQ(kana.BestKeyAccuracy, 0.9);
  // Misses: the three kana games, two of one proverb.
  ASSERT_EQ(summary.MostMissed.size(), 2u);
  EXPECT_EQ(summary.MostMissed[0].Misses, 2);
  EXPECT_EQ(summary.MostMissed[1].Misses, 1);
  opened.Store.reset();
  fs::remove_all(dir);
}

}  // namespace
