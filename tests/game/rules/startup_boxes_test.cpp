// The boxes of start-up (music that is gone, a history that cannot be opened, the resume
// question): one after the other in a fixed order, however long each stays open; and the Ctrl
// that raises a box still starts the game.
#include <gtest/gtest.h>

#include <algorithm>

#include "rules/save_file.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class StartupBoxesTest : public RulesFixture {
 protected:
  // Each box the game opens, in order, with the ticks its message loop runs while the player
  // reads it: `readMs` of them.
  void ReadEveryBoxFor(DWORD readMs) {
    auto inside = [this, readMs](const std::string& text) {
      Boxes.push_back(text);
      Deepest = std::max(Deepest, ++Open);
      RunFor(readMs);
      --Open;
    };
    Window.OnMessage = [this, inside] { inside(Window.Messages.back()); };
    Window.OnConfirm = [this, inside] { inside(Window.Confirmations.back()); };
  }
  // A game saved between questions, to be offered at the title.
  void WriteResumableGame() {
    WriteFile(UserDir() / kSaveFileName, EncodeSaveData(SavedQuestionOne()));
  }

  std::vector<std::string> Boxes;
  int Open = 0;
  int Deepest = 0;
};

TEST_F(StartupBoxesTest, StartUpsBoxesComeOneAfterTheOtherInAFixedOrder) {
  WriteResumableGame();
  std::filesystem::create_directories(UserDir() / history::kHistoryFileName);  // not a database
  WriteFile(UserDir() / "Settei.ini", "[BGM]\r\nMusic=1\r\nMusicName=/no/such/file.mp3\r\n");
  ReadEveryBoxFor(10000);
  StartGame();
  RunFor(30000);
  EXPECT_EQ(Deepest, 1) << "a box opened over another";
  ASSERT_EQ(Boxes.size(), 3u);
  EXPECT_EQ(Boxes[0].rfind("BGMのファイル「/no/such/file.mp3」が見つかりません。", 0), 0u)
      << Boxes[0];
  EXPECT_NE(Boxes[1].find(history::kHistoryFileName), std::string::npos) << Boxes[1];
  EXPECT_EQ(Boxes[2], "前回の続きからゲームを始めますか？");
  EXPECT_EQ(S().Ready, 1);
}

// The first question's history box (the history cannot be opened) does not cost the Ctrl that
// raised it: the game starts once the box is closed.
TEST_F(StartupBoxesTest, OneCtrlStartsTheGameWhateverBoxItRaises) {
  StartToPrompt();
  std::filesystem::create_directories(UserDir() / history::kHistoryFileName);
  ReadEveryBoxFor(2000);
  // The box opens over the question that has started, not over the title.
  bool startedUnderTheBox = false;
  const auto read = Window.OnMessage;
  Window.OnMessage = [&] {
    startedUnderTheBox = S().TitleMode == 0 && S().Playing == 1 && !Window.AnswerReadOnly;
    read();
  };
  Ctrl();
  EXPECT_TRUE(startedUnderTheBox);
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_NE(Boxes[0].find(history::kHistoryFileName), std::string::npos) << Boxes[0];
  EXPECT_EQ(S().TitleMode, 0);
  EXPECT_EQ(S().Playing, 1);
  EXPECT_FALSE(Window.AnswerReadOnly);
  // The box held the question's clock.
  Clock.Advance(25);
  RunTicks(1);
  EXPECT_GE(S().TimeLeft, 59000);
}

}  // namespace
}  // namespace game::testing
