// The measures of a game on a table of recorded questions, against figures worked by hand.
#include <gtest/gtest.h>

#include <vector>

#include "history/game_measures.h"

namespace {

using history::TQuestionRecord;
using history::TQuestionResult;

TQuestionRecord Question(TQuestionResult result, int kana, int keys, int minKeys,
                         std::optional<int> answerMs) {
  TQuestionRecord q;
  q.Result = result;
  q.Kana = kana;
  q.Keys = keys;
  q.MinKeys = minKeys;
  if (answerMs) {
    q.FirstKeyMs = 1500;
    q.AnswerMs = *answerMs;
  }
  return q;
}

// Three correct answers at 100, 80 and 120 kana a minute, a wrong one, a time-out without a
// key and a question skipped after three keys.
const std::vector<TQuestionRecord> kGame = {
    Question(TQuestionResult::Correct, 10, 20, 18, 6000),  // 10 kana in 6 s: 100/min
    Question(TQuestionResult::Correct, 12, 25, 22, 9000),  // 12 kana in 9 s: 80/min
    Question(TQuestionResult::Wrong, 8, 15, 14, 5000),
    Question(TQuestionResult::Timeout, 11, 0, 20, std::nullopt),
    Question(TQuestionResult::Correct, 9, 18, 18, 4500),  // 9 kana in 4.5 s: 120/min
    Question(TQuestionResult::Skipped, 7, 3, 12, 1000),
};

TEST(GameMeasuresTest, WorksOutEachMeasureAsByHand) {
  const history::TGameMeasures m = history::MeasureGame(kGame);
  EXPECT_EQ(m.Asked, 5);  // the skip was not asked
  EXPECT_EQ(m.Correct, 3);
  // 31 kana in 19.5 s of typing.
  EXPECT_NEAR(m.KanaPerMinute, 31 * 60.0 / 19.5, 1e-9);
  EXPECT_NEAR(m.KanaPerMinute, 95.3846, 1e-4);
  // 81 keys in 25.5 s, over every question with a key.
  EXPECT_NEAR(m.KeysPerSecond, 3.17647, 1e-5);
  // 58 fewest keys over 63 pressed, over the correct answers.
  EXPECT_NEAR(m.KeyAccuracy, 0.920635, 1e-6);
  EXPECT_DOUBLE_EQ(m.AnswerAccuracy, 0.6);  // 3 of 5: the skip is no miss
  // Speeds 100, 80, 120: mean 100, population deviation 16.3299, c = 0.163299;
  // c + c³/3 + c⁵/5 = 0.164774, tanh of it 0.163299: 100 × (1 − 0.163299) = 83.670.
  EXPECT_NEAR(m.Consistency, 83.670, 0.001);
}

// An English answer (no kana) counts in keys per second and accuracy, not in kana per minute.
TEST(GameMeasuresTest, KeepsKanaPerMinuteToKana) {
  std::vector<TQuestionRecord> game = kGame;
  game.push_back(Question(TQuestionResult::Correct, 0, 30, 27, 5000));  // 30 keys in 5 s
  const history::TGameMeasures m = history::MeasureGame(game);
  EXPECT_NEAR(m.KanaPerMinute, 31 * 60.0 / 19.5, 1e-9);  // as without it
  EXPECT_NEAR(m.Consistency, 83.670, 0.001);
  EXPECT_NEAR(m.KeysPerSecond, (81 + 30) / 30.5, 1e-9);
  EXPECT_NEAR(m.KeyAccuracy, (58 + 27) / 93.0, 1e-9);
  EXPECT_DOUBLE_EQ(m.AnswerAccuracy, 4 / 6.0);
}

TEST(GameMeasuresTest, HandlesGamesWithFewOrNoCorrectAnswers) {
  const history::TGameMeasures none = history::MeasureGame({});
  EXPECT_EQ(none.Asked, 0);
  EXPECT_EQ(none.KanaPerMinute, 0);
  EXPECT_EQ(none.AnswerAccuracy, 0);
  EXPECT_EQ(none.Consistency, 0);

  const std::vector<TQuestionRecord> missed = {kGame[2], kGame[3]};
  const history::TGameMeasures wrong = history::MeasureGame(missed);
  EXPECT_EQ(wrong.Correct, 0);
  EXPECT_EQ(wrong.KanaPerMinute, 0);
  EXPECT_EQ(wrong.KeyAccuracy, 0);
  EXPECT_NEAR(wrong.KeysPerSecond, 3.0, 1e-9);  // 15 keys in 5 s

  // One answer is as steady as can be; fewer keys than the fewest (the input method's
  // prediction) count as every key right, not more.
  const std::vector<TQuestionRecord> one = {Question(TQuestionResult::Correct, 10, 12, 20, 3000)};
  const history::TGameMeasures single = history::MeasureGame(one);
  EXPECT_DOUBLE_EQ(single.Consistency, 100);
  EXPECT_DOUBLE_EQ(single.KeyAccuracy, 1.0);
  EXPECT_DOUBLE_EQ(single.KanaPerMinute, 200);
}

TEST(GameMeasuresTest, ConsistencyFallsAsSpeedsSpread) {
  const std::vector<double> even = {90, 90, 90, 90};
  const std::vector<double> spread = {50, 150};  // c = 0.5: 100 × (1 − tanh(0.54792)) = 50.10
  const std::vector<double> wild = {10, 190};    // c = 0.9: tanh(1.26110) = 0.85137
  EXPECT_DOUBLE_EQ(history::Consistency(even), 100);
  EXPECT_NEAR(history::Consistency(spread), 50.10, 0.01);
  EXPECT_NEAR(history::Consistency(wild), 14.86, 0.01);
  EXPECT_EQ(history::Consistency(std::vector<double>{0, 0}), 0);
}

TEST(GameMeasuresTest, NamesResultsAndModesAsTheHistoryDoes) {
  for (auto result : {TQuestionResult::Correct, TQuestionResult::Wrong, TQuestionResult::Timeout,
                      TQuestionResult::GiveUp, TQuestionResult::Skipped}) {
    EXPECT_EQ(history::ResultFromName(history::ResultName(result)), result);
  }
  EXPECT_EQ(history::ResultName(TQuestionResult::GiveUp), "giveup");
  EXPECT_FALSE(history::ResultFromName("right"));
  EXPECT_EQ(history::ModeName(history::TAnswerMode::Kana), "kana");
  EXPECT_EQ(history::ModeName(history::TAnswerMode::Kanji), "kanji");
}

}  // namespace
