// Two games on one documents folder: the first holds the per-user folder; the second says so
// in one box and plays without writing there, so the first game's saves, each one settling
// what an earlier save left, are never undone half-way.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "rules/save_file.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

using Clock = std::chrono::steady_clock;

class SaveFolderTest : public RulesFixture {};

// A game on the same folder in a process of its own saving in a loop for `seconds`, each save
// with its own count of correct answers. Exit status: the number of saves that failed (boxes)
// capped at 100, or 101 when a save left a record other than its own.
int SaveInALoop(const TGamePaths& paths, double seconds, int readyFd) {
  TFakeWindow window;
  TRulesGame game(window, paths);
  game.FormCreate();
  const char ready = window.Messages.empty() ? 'y' : 'n';
  (void)!::write(readyFd, &ready, 1);
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  const std::filesystem::path record =
      paths.DocumentsDir / "Amaneya" / "NightwispData" / kSaveFileName;
  for (int count = 1; Clock::now() < end; ++count) {
    game.State().SeikaiCount = count;
    game.SaveGame();
    TSaveData saved;
    std::uintmax_t size = 0;
    std::string error;
    if (!ReadSaveFile(record, saved, size, error) || saved.SeikaiCount != count) return 101;
  }
  return static_cast<int>(std::min<std::size_t>(window.Messages.size(), 100));
}

TEST_F(SaveFolderTest, ASecondGameOnTheFolderSaysSoOnceAndNeverWritesThere) {
  std::filesystem::create_directories(UserDir());
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t first = ::fork();
  if (first == 0) {
    ::close(ready[0]);
    ::_exit(SaveInALoop(Paths, 1.5, ready[1]));
  }
  ::close(ready[1]);
  char firstReady = 0;
  ASSERT_EQ(::read(ready[0], &firstReady, 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(firstReady, 'y') << "the first game gave a box at start-up";

  // The second game, while the first saves: one box at start-up naming the folder, one at each
  // save it is asked for, and not a byte written.
  StartGame();
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_NE(Window.Messages[0].find(UserDir().string()), std::string::npos) << Window.Messages[0];
  EXPECT_NE(Window.Messages[0].find("もう一つのゲーム"), std::string::npos) << Window.Messages[0];
  const auto end = Clock::now() + std::chrono::seconds(1);
  int tries = 0;
  for (; Clock::now() < end; ++tries) {
    S().SeikaiCount = 9999;
    Game->SaveGame();
  }
  EXPECT_EQ(Window.Messages.size(), 1u + tries);
  Game->FormClose();
  Game.reset();

  int status = 0;
  ASSERT_EQ(::waitpid(first, &status, 0), first);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "boxes in the first game, or 101: its save undone";
  TSaveData saved;
  std::uintmax_t size = 0;
  std::string error;
  ASSERT_TRUE(ReadSaveFile(UserDir() / kSaveFileName, saved, size, error)) << error;
  EXPECT_NE(saved.SeikaiCount, 9999);
  EXPECT_FALSE(std::filesystem::exists(StagedFileName(UserDir() / kSaveFileName)));
  EXPECT_FALSE(std::filesystem::exists(SaveJournalName(UserDir() / kSaveFileName)));

  // With the first game gone, the folder is free again.
  StartGame();
  EXPECT_EQ(Window.Messages.size(), 1u + tries);
  S().SeikaiCount = 9999;
  Game->SaveGame();
  EXPECT_EQ(Window.Messages.size(), 1u + tries);
  ASSERT_TRUE(ReadSaveFile(UserDir() / kSaveFileName, saved, size, error)) << error;
  EXPECT_EQ(saved.SeikaiCount, 9999);
}

}  // namespace
}  // namespace game::testing
