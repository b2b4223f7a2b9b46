// A whole game without a display: TGame on an in-memory owner window with the recording fake
// window, a manual clock, the built Data folder as AppDir and a temporary documents folder.
//
//   class MyTest : public game::testing::GameFixture {};
//   TEST_F(MyTest, Something) { StartGame(); RunTicks(10); EXPECT_EQ(S().BgmStarted, 1); }
//
// Tests that need files in the documents folder before start-up write them into UserDir()
// first and call StartGame() themselves; SetUp only prepares the folders.
#pragma once

#include "game/game.h"
#include "game/game_owned.h"
#include "platform/base/owner_window.h"
#include "platform/d3d9/standin.h"
#include "platform/speech/aquestalk.h"
#include "rules/random.h"
#include "support/game_fixture_base.h"

namespace game::testing {

class GameFixture : public TGameFixtureBase<TGame> {
 protected:
  void SetUp() override {
    d3d9standin::ResetConfig();
    speechstandin::SetPlaybackEnabled(false);
    TGameFixtureBase::SetUp();
  }

  std::unique_ptr<TGame> MakeGame() override {
    return std::make_unique<TGame>(Window, Owner, Paths);
  }

  TGame::TOwned& O() { return Game->Objects(); }

  TNullWindow Owner{688, 528, 6, 48};
};

}  // namespace game::testing
