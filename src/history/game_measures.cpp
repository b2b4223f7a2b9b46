#include "history/game_measures.h"

#include <algorithm>
#include <cmath>

namespace history {

double Consistency(std::span<const double> values) {
  if (values.empty()) return 0;
  double sum = 0;
  for (double v : values) sum += v;
  const double mean = sum / static_cast<double>(values.size());
  if (mean <= 0) return 0;
  double squares = 0;
  for (double v : values) squares += (v - mean) * (v - mean);
  const double c = std::sqrt(squares / static_cast<double>(values.size())) / mean;
  return 100.0 * (1.0 - std::tanh(c + c * c * c / 3.0 + std::pow(c, 5) / 5.0));
}

TGameMeasures MeasureGame(std::span<const TQuestionRecord> questions) {
  TGameMeasures m;
  std::int64_t correctKana = 0, correctMs = 0, correctKeys = 0, correctMinKeys = 0;
  std::int64_t allKeys = 0, allMs = 0;
  std::vector<double> speeds;
  for (const TQuestionRecord& q : questions) {
    // A question skipped with Ctrl was neither answered nor missed; its keys were typed.
    if (q.Result != TQuestionResult::Skipped) ++m.Asked;
    if (q.AnswerMs && q.Keys > 0) {
      allKeys += q.Keys;
      allMs += *q.AnswerMs;
    }
    if (q.Result != TQuestionResult::Correct) continue;
    ++m.Correct;
    correctKeys += q.Keys;
    correctMinKeys += q.MinKeys;
    // An English answer has no kana: it counts in keys per second and accuracy only.
    if (q.Kana > 0 && q.AnswerMs && *q.AnswerMs > 0) {
      correctKana += q.Kana;
      correctMs += *q.AnswerMs;
      speeds.push_back(KanaPerMinute(q));
    }
  }
  if (correctMs > 0) m.KanaPerMinute = correctKana * 60000.0 / static_cast<double>(correctMs);
  if (allMs > 0) m.KeysPerSecond = allKeys * 1000.0 / static_cast<double>(allMs);
  if (correctKeys > 0) {
    m.KeyAccuracy = std::min(1.0, static_cast<double>(correctMinKeys) / correctKeys);
  }
  if (m.Asked > 0) m.AnswerAccuracy = static_cast<double>(m.Correct) / m.Asked;
  m.Consistency = Consistency(speeds);
  return m;
}

}  // namespace history
