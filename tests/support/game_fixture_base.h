// What every whole-game fixture shares: a temporary documents folder, the recording fake
// window, a manual clock, and running ticks of the main loop. TGameType is the game under
// test: TGame with its device (game_fixture.h) or the rules alone (rules_fixture.h).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/base/files.h"
#include "platform/clock/clock.h"
#include "rules/game_rules.h"
#include "support/fake_window.h"

namespace game::testing {

template <class TGameType>
class TGameFixtureBase : public ::testing::Test {
 protected:
  // The clock starts far from 0 so that differences behave as in a long-running session.
  static constexpr DWORD kClockStart = 1'000'000;

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps test programs run at the same time on one machine apart.
    Root = std::filesystem::temp_directory_path() /
           (std::string("nightwisp-game-") + std::to_string(::getpid()) + "-" +
            info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(Root);
    std::filesystem::create_directories(Root / "docs");
    Paths.AppDir = AppDirForTests();
    Paths.DocumentsDir = Root / "docs";
  }

  void TearDown() override {
    Game.reset();
    std::filesystem::remove_all(Root);
  }

  // The folder holding the shipped texts (and Data/ where it is built): the tests' own folder.
  static std::filesystem::path AppDirForTests() { return files::ExecutableFolder(); }

  virtual std::unique_ptr<TGameType> MakeGame() = 0;

  // Builds the game and runs its start-up.
  void StartGame() {
    Game = MakeGame();
    Game->FormCreate();
  }

  // Runs n ticks of the main loop, advancing the clock by the wait each one asks for.
  void RunTicks(int n) {
    for (int i = 0; i < n; ++i) {
      const int wait = Game->ApplicationEvents1Idle();
      Clock.Advance(wait > 0 ? static_cast<DWORD>(wait) : 25);
    }
  }
  // Runs ticks until at least ms milliseconds have passed.
  void RunFor(DWORD ms) {
    const DWORD end = Clock.Now() + ms;
    while (static_cast<std::int32_t>(end - Clock.Now()) > 0) RunTicks(1);
  }

  TGameState& S() { return Game->State(); }
  std::filesystem::path UserDir() const { return Paths.DocumentsDir / "Amaneya" / "NightwispData"; }

  static void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  static std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  clockstandin::ManualClock Clock{kClockStart};
  TFakeWindow Window;
  TGamePaths Paths;
  std::filesystem::path Root;
  std::unique_ptr<TGameType> Game;
};

}  // namespace game::testing
