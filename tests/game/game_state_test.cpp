// The game state's initial values, its phases, and the four-digit displays.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "rules/game_state.h"
#include "rules/zero_pad.h"

namespace {

TEST(GameStateTest, TitleScreenBeforeStartUp) {
  auto state = std::make_unique<TGameState>();
  EXPECT_EQ(state->MondaiText, u"ないとうぃすぷ");
  EXPECT_EQ(state->MojiCount, static_cast<std::int32_t>(state->MondaiText.size()));
  EXPECT_EQ(state->MojiCount, 7);
  // The dark character is one past the title's last one, so none of them stays dark.
  EXPECT_EQ(state->KakushiNo, state->MojiCount);
  EXPECT_EQ(state->MondaiNo, 0);
  EXPECT_EQ(state->TitleMode, 1);
  EXPECT_EQ(state->Saved, 1);
  EXPECT_EQ(state->SaikoTokuten, 2000);
  EXPECT_EQ(state->TimeLimit, 60000);
  EXPECT_EQ(state->ScreenWidth, 688);
  EXPECT_EQ(state->KaitoMode, 0);
  EXPECT_EQ(GamePhase(*state), TGamePhase::Title);
}

TEST(GameStateTest, SavedImageIsZeroAndTheCatalogueIsBuilt) {
  auto state = std::make_unique<TGameState>();
  // The saved-game image is all zero until a file is read or written.
  const auto* bytes = reinterpret_cast<const unsigned char*>(&state->SaveData);
  size_t nonZero = 0;
  for (size_t i = 0; i < sizeof(TSaveData); ++i) nonZero += bytes[i] != 0;
  EXPECT_EQ(nonZero, 0u);
  EXPECT_EQ(state->SpeechList.size(), 171u);
}

TEST(GameStateTest, PhasesFollowTheFlags) {
  auto state = std::make_unique<TGameState>();
  state->Ready = 1;
  EXPECT_EQ(GamePhase(*state), TGamePhase::TitlePrompt);
  state->TitleMode = 0;
  state->Playing = 1;
  EXPECT_EQ(GamePhase(*state), TGamePhase::Question);
  state->Paused = 1;
  EXPECT_EQ(GamePhase(*state), TGamePhase::Paused);
  state->Paused = 0;
  state->Playing = 0;
  EXPECT_EQ(GamePhase(*state), TGamePhase::BetweenQuestions);
  state->GameOver = 1;
  EXPECT_EQ(GamePhase(*state), TGamePhase::GameOver);
  state->GameOver = 0;
  state->GameClear = 1;
  EXPECT_EQ(GamePhase(*state), TGamePhase::GameClear);
}

TEST(GameStateTest, StageFollowsTheCorrectAnswers) {
  auto state = std::make_unique<TGameState>();
  const std::pair<std::int32_t, std::int32_t> cases[] = {{0, 1},  {9, 1},  {10, 2}, {19, 2},
                                                         {20, 3}, {29, 3}, {30, 3}};
  for (const auto& [seikai, stage] : cases) {
    state->SeikaiCount = seikai;
    EXPECT_EQ(Stage(*state), stage) << seikai;
  }
}

TEST(ZeroPadTest, FourDigitsWithLeadingZeros) {
  for (std::int32_t n = 0; n < 10000; n += (n < 200 ? 1 : 37)) {
    char expected[16];
    std::snprintf(expected, sizeof expected, "%04d", static_cast<int>(n));
    ASSERT_EQ(ZeroPad(n), expected) << n;
  }
  EXPECT_EQ(ZeroPad(9999).size(), 4u);
}

TEST(ZeroPadTest, OutOfRangeNumbers) {
  EXPECT_EQ(ZeroPad(10000), "");
  EXPECT_EQ(ZeroPad(123456), "");
  EXPECT_EQ(ZeroPad(std::numeric_limits<std::int32_t>::max()), "");
  EXPECT_EQ(ZeroPad(-1), "0000");
  EXPECT_EQ(ZeroPad(std::numeric_limits<std::int32_t>::min()), "0000");
}

}  // namespace
