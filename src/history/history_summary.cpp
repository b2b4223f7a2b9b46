#include "history/history_summary.h"

#include <algorithm>

namespace history {
namespace {

// Means over equal spans of consecutive points, so a chart never holds more than the limit.
std::vector<TChartPoint> Thin(const std::vector<TChartPoint>& points) {
  if (points.size() <= kMaxChartPoints) return points;
  const std::size_t span = (points.size() + kMaxChartPoints - 1) / kMaxChartPoints;
  std::vector<TChartPoint> thinned;
  for (std::size_t start = 0; start < points.size(); start += span) {
    const std::size_t end = std::min(start + span, points.size());
    TChartPoint mean;
    for (std::size_t i = start; i < end; ++i) {
      mean.Game += points[i].Game;
      mean.Value += points[i].Value;
    }
    mean.Game /= static_cast<double>(end - start);
    mean.Value /= static_cast<double>(end - start);
    thinned.push_back(mean);
  }
  return thinned;
}

}  // namespace

THistorySummary Summarise(const THistoryStore& store) {
  THistorySummary summary;
  std::array<std::vector<TChartPoint>, 2> speeds, accuracies;
  const std::vector<TGameRow> games = store.Games();
  if (!store.ReadError().empty()) {
    summary.Error = store.ReadError();
    return summary;
  }
  double place = 0;
  for (const TGameRow& game : games) {
    if (game.Kind != TGameKind::Game) {
      ++summary.Reviews;
      continue;
    }
    const auto mode = static_cast<std::size_t>(game.Mode);
    TModeSummary& m = summary.Modes[mode];
    ++m.Games;
    ++place;
    speeds[mode].push_back({place, game.Measures.KanaPerMinute});
    accuracies[mode].push_back({place, 100 * game.Measures.KeyAccuracy});
    if (game.Measures.Correct < kMinCorrectForBest) continue;
    m.BestKanaPerMinute = std::max(m.BestKanaPerMinute, game.Measures.KanaPerMinute);
    m.BestKeysPerSecond = std::max(m.BestKeysPerSecond, game.Measures.KeysPerSecond);
    m.BestKeyAccuracy = std::max(m.BestKeyAccuracy, game.Measures.KeyAccuracy);
    m.BestConsistency = std::max(m.BestConsistency, game.Measures.Consistency);
  }
  for (std::size_t mode = 0; mode < 2; ++mode) {
    summary.Modes[mode].KanaPerMinute = Thin(speeds[mode]);
    summary.Modes[mode].KeyAccuracy = Thin(accuracies[mode]);
  }
  summary.Stages = store.SpeedByStage();
  summary.MostMissed = store.MostMissed(kMostMissedCount);
  summary.Error = store.ReadError();
  return summary;
}

}  // namespace history
