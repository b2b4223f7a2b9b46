// The measures of a game, worked out from its judged questions.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "history/question_record.h"

namespace history {

struct TGameMeasures {
  std::int32_t Asked = 0;    // questions judged (a question skipped with Ctrl is not)
  std::int32_t Correct = 0;  // of them answered correctly
  // Over the correct answers in kana: their kana over their typing time (first key to Enter).
  double KanaPerMinute = 0;
  // Over every question with a key pressed: the keys over the typing time.
  double KeysPerSecond = 0;
  // Over the correct answers: the fewest keys over the keys pressed, at most 1.
  double KeyAccuracy = 0;
  // Correct over asked.
  double AnswerAccuracy = 0;
  // Over the speeds of the correct answers in kana, 0..100: 100 × (1 − tanh(c + c³/3 + c⁵/5)) with
  // c their coefficient of variation; 100 for a single answer, 0 with none.
  double Consistency = 0;
};

TGameMeasures MeasureGame(std::span<const TQuestionRecord> questions);

// 100 × (1 − tanh(c + c³/3 + c⁵/5)), c the coefficient of variation (population standard
// deviation over mean) of the values; 0 for no values or a zero mean.
double Consistency(std::span<const double> values);

// A game counts towards the personal best of its mode once it has this many correct answers,
// so a single lucky answer does not stand as a best that no whole game can reach.
constexpr std::int32_t kMinCorrectForBest = 5;

}  // namespace history
