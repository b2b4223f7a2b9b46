#include "rules/game_state.h"

#include <algorithm>

TGamePhase GamePhase(const TGameState& state) {
  if (state.GameOver != 0) return TGamePhase::GameOver;
  if (state.GameClear != 0) return TGamePhase::GameClear;
  if (state.TitleMode != 0) return state.Ready != 0 ? TGamePhase::TitlePrompt : TGamePhase::Title;
  if (state.Playing != 0) return state.Paused != 0 ? TGamePhase::Paused : TGamePhase::Question;
  return TGamePhase::BetweenQuestions;
}

std::int32_t Stage(const TGameState& state) {
  return std::clamp(state.SeikaiCount / kStageSize + 1, 1, 3);
}
