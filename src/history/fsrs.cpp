#include "history/fsrs.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMinStability = 0.001;
constexpr double kMaxStability = 36500;
constexpr double kMinDifficulty = 1;
constexpr double kMaxDifficulty = 10;

int Grade(TFsrsRating rating) { return static_cast<int>(rating); }

}  // namespace

TFsrs::TFsrs(const TWeights& weights, double desiredRetention)
    : W(weights),
      Decay(-weights[20]),
      Factor(std::pow(0.9, 1 / Decay) - 1),
      IntervalModifier((std::pow(desiredRetention, 1 / Decay) - 1) / Factor) {}

double TFsrs::Retrievability(double elapsedDays, double stability) const {
  return std::pow(1 + Factor * elapsedDays / stability, Decay);
}

double TFsrs::InitialStability(TFsrsRating rating) const {
  return std::max(W[Grade(rating) - 1], 0.1);
}

// Unclamped: the mean reversion aims at the initial difficulty of Easy as it stands.
double TFsrs::InitialDifficulty(TFsrsRating rating) const {
  return W[4] - std::exp(W[5] * (Grade(rating) - 1)) + 1;
}

double TFsrs::NextDifficulty(double difficulty, TFsrsRating rating) const {
  const double delta = -W[6] * (Grade(rating) - 3);
  // The step shrinks as the difficulty nears 10, so it approaches the top without passing it.
  const double damped = difficulty + delta * (10 - difficulty) / 9;
  const double reverted = W[7] * InitialDifficulty(TFsrsRating::Easy) + (1 - W[7]) * damped;
  return std::clamp(reverted, kMinDifficulty, kMaxDifficulty);
}

double TFsrs::RecallStability(const TFsrsMemory& memory, double retrievability,
                              TFsrsRating rating) const {
  const double hardPenalty = rating == TFsrsRating::Hard ? W[15] : 1;
  const double easyBonus = rating == TFsrsRating::Easy ? W[16] : 1;
  const double growth = std::exp(W[8]) * (11 - memory.Difficulty) *
                        std::pow(memory.Stability, -W[9]) *
                        (std::exp(W[10] * (1 - retrievability)) - 1) * hardPenalty * easyBonus;
  return std::clamp(memory.Stability * (1 + growth), kMinStability, kMaxStability);
}

double TFsrs::ForgetStability(const TFsrsMemory& memory, double retrievability) const {
  const double forgotten = W[11] * std::pow(memory.Difficulty, -W[12]) *
                           (std::pow(memory.Stability + 1, W[13]) - 1) *
                           std::exp(W[14] * (1 - retrievability));
  // A lapse never leaves the memory more stable than a same-day Again would.
  const double ceiling = memory.Stability / std::exp(W[17] * W[18]);
  return std::clamp(ceiling, kMinStability, std::max(forgotten, kMinStability));
}

double TFsrs::SameDayStability(double stability, TFsrsRating rating) const {
  double increase = std::exp(W[17] * (Grade(rating) - 3 + W[18])) * std::pow(stability, -W[19]);
  // A correct answer on the same day, even a hard one, never makes the memory less stable.
  if (rating >= TFsrsRating::Hard) increase = std::max(increase, 1.0);
  return std::clamp(stability * increase, kMinStability, kMaxStability);
}

TFsrsMemory TFsrs::NextMemory(const TFsrsMemory& memory, std::int32_t elapsedDays,
                              TFsrsRating rating) const {
  double stability;
  if (elapsedDays == 0) {
    stability = SameDayStability(memory.Stability, rating);
  } else {
    // Kept to eight decimals, as FSRS implementations keep it: at stabilities of decades the
    // ninth decimal would move the result by more than a ten-thousandth of a day.
    const double retrievability =
        std::round(Retrievability(elapsedDays, memory.Stability) * 1e8) / 1e8;
    stability = rating == TFsrsRating::Again ? ForgetStability(memory, retrievability)
                                             : RecallStability(memory, retrievability, rating);
  }
  return {stability, NextDifficulty(memory.Difficulty, rating)};
}

std::int32_t TFsrs::IntervalDays(double stability) const {
  const double days = std::round(stability * IntervalModifier);
  return static_cast<std::int32_t>(std::clamp(days, 1.0, double(kMaximumInterval)));
}

TFsrsReview TFsrs::Review(const std::optional<TFsrsMemory>& before, std::int32_t elapsedDays,
                          TFsrsRating rating) const {
  if (!before) {
    const TFsrsMemory first{InitialStability(rating),
                            std::clamp(InitialDifficulty(rating), kMinDifficulty, kMaxDifficulty)};
    return {first, IntervalDays(first.Stability)};
  }
  elapsedDays = std::max(elapsedDays, 0);  // a clock set back counts as the same day
  const TFsrsMemory next = NextMemory(*before, elapsedDays, rating);
  std::int32_t interval = IntervalDays(next.Stability);
  // Hard never waits longer than Good, Good always at least a day longer than Hard, and Easy
  // a day longer than Good, whatever the rounding did.
  if (rating == TFsrsRating::Hard || rating == TFsrsRating::Good || rating == TFsrsRating::Easy) {
    const std::int32_t hard =
        IntervalDays(NextMemory(*before, elapsedDays, TFsrsRating::Hard).Stability);
    const std::int32_t good0 =
        IntervalDays(NextMemory(*before, elapsedDays, TFsrsRating::Good).Stability);
    const std::int32_t hardOrdered = std::min(hard, good0);
    const std::int32_t good = std::max(good0, hardOrdered + 1);
    if (rating == TFsrsRating::Hard) interval = hardOrdered;
    if (rating == TFsrsRating::Good) interval = good;
    if (rating == TFsrsRating::Easy) interval = std::max(interval, good + 1);
  }
  return {next, interval};
}
