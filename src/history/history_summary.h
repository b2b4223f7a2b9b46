// What the history window shows, worked out from the database: each answer mode's games in
// order, its personal bests and its speed by stage, and the proverbs missed most often. The
// charts and bests are the games' alone: a review (ゲーム → 復習) asks proverbs the player has
// just seen, so reviews are only counted.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "history/history_store.h"

namespace history {

// A point of a chart: the game's place among the games (1 for the first) and a value.
struct TChartPoint {
  double Game = 0;
  double Value = 0;
};

struct TModeSummary {
  std::int32_t Games = 0;
  std::vector<TChartPoint> KanaPerMinute;  // at most kMaxChartPoints, each the mean of its span
  std::vector<TChartPoint> KeyAccuracy;    // in percent
  // The bests over the games that count (kMinCorrectForBest correct answers); 0 without one.
  double BestKanaPerMinute = 0;
  double BestKeysPerSecond = 0;
  double BestKeyAccuracy = 0;
  double BestConsistency = 0;
};

struct THistorySummary {
  std::array<TModeSummary, 2> Modes;  // by TAnswerMode
  std::int32_t Reviews = 0;           // review games, apart from the games above
  std::vector<TStageSpeed> Stages;    // each mode's speed by stage over the last games
  std::vector<TMissedProverb> MostMissed;
  std::string Error;  // what could not be read, in English; empty when all was read
};

// A chart keeps to this many points; longer histories are averaged over equal spans of games.
constexpr std::size_t kMaxChartPoints = 400;
constexpr int kMostMissedCount = 10;

THistorySummary Summarise(const THistoryStore& store);

}  // namespace history
