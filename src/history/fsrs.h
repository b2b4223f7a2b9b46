// FSRS-6, the spaced-repetition scheduler that decides when a proverb should be asked again.
//
// Each proverb has a memory state: its stability S (the number of days after which the player
// still recalls it with a probability of 90 %) and its difficulty D (1 easiest to 10 hardest).
// A review rates the answer (Again, Hard, Good, Easy); the new state follows from the old one,
// the whole days since the last review and the rating, and the next interval is the number of
// days until the probability of recall falls to the desired retention.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

enum class TFsrsRating : std::int32_t { Again = 1, Hard = 2, Good = 3, Easy = 4 };

struct TFsrsMemory {
  double Stability = 0;   // days
  double Difficulty = 0;  // 1..10
};

// The outcome of one review: the new memory state and the days until the next one.
struct TFsrsReview {
  TFsrsMemory Memory;
  std::int32_t IntervalDays = 0;
};

class TFsrs {
 public:
  using TWeights = std::array<double, 21>;
  // The published default weights of FSRS-6, fitted on a large body of review logs.
  static constexpr TWeights kDefaultWeights = {
      0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194, 0.001,  1.8722, 0.1666, 0.796,
      1.4835, 0.0614, 0.2629, 1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
  static constexpr double kDefaultRetention = 0.90;
  static constexpr std::int32_t kMaximumInterval = 36500;

  explicit TFsrs(const TWeights& weights = kDefaultWeights,
                 double desiredRetention = kDefaultRetention);

  // The probability of recall after `elapsedDays` for a memory of this stability.
  double Retrievability(double elapsedDays, double stability) const;

  // Rates a review `elapsedDays` whole days after the last one (0: the same day). `before` is
  // empty for a proverb never reviewed, whose elapsed days are not used.
  TFsrsReview Review(const std::optional<TFsrsMemory>& before, std::int32_t elapsedDays,
                     TFsrsRating rating) const;

 private:
  double InitialStability(TFsrsRating rating) const;
  double InitialDifficulty(TFsrsRating rating) const;
  double NextDifficulty(double difficulty, TFsrsRating rating) const;
  double RecallStability(const TFsrsMemory& memory, double retrievability,
                         TFsrsRating rating) const;
  double ForgetStability(const TFsrsMemory& memory, double retrievability) const;
  double SameDayStability(double stability, TFsrsRating rating) const;
  TFsrsMemory NextMemory(const TFsrsMemory& memory, std::int32_t elapsedDays,
                         TFsrsRating rating) const;
  std::int32_t IntervalDays(double stability) const;

  TWeights W;
  double Decay;   // -w20: the forgetting curve's power
  double Factor;  // chosen so that the curve passes 90 % at t = S
  double IntervalModifier;
};
