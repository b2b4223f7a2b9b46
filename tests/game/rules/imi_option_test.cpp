// The meaning beneath a revealed answer: the 設定 menu's 意味を表示 and its own Settei.ini
// section (absent: on), kept across a restart; the meaning's text follows the question.
#include <gtest/gtest.h>

#include "platform/profile/profile.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class ImiOptionTest : public RulesFixture {
 protected:
  std::filesystem::path Ini() const { return UserDir() / "Settei.ini"; }
};

TEST_F(ImiOptionTest, IsOnUnlessItsOwnSectionTurnsItOff) {
  const struct {
    const char* settei;  // nullptr: no file
    bool on;
  } cases[] = {{nullptr, true},
               {"[Font]\r\nName=x\r\n[RomajiHenkan]\r\nValue=0\r\n", true},  // an older file
               {"[ImiHyoji]\r\nValue=0\r\n", false},
               {"[ImiHyoji]\r\nValue=1\r\n", true}};
  for (const auto& c : cases) {
    std::filesystem::remove_all(UserDir());
    if (c.settei != nullptr) WriteFile(Ini(), c.settei);
    StartGame();
    EXPECT_EQ(S().Settings.ImiHyoji, c.on) << (c.settei ? c.settei : "no file");
    EXPECT_EQ(Window.MenuChecked(TMenuItem::Imi1), c.on);
    Game.reset();
  }
}

TEST_F(ImiOptionTest, TheMenuItemSwitchesItAndARestartKeepsIt) {
  WriteFile(Ini(), "[Font]\r\nName=x\r\n; the player's note\r\n");
  StartGame();
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::Imi1));
  Game->MenuClick(TMenuItem::Imi1);
  EXPECT_FALSE(S().Settings.ImiHyoji);
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::Imi1));
  Game->FormClose();
  EXPECT_EQ(GetPrivateProfileStringA("ImiHyoji", "Value", "", Ini()), "0");
  EXPECT_NE(ReadFile(Ini()).find("; the player's note\r\n"), std::string::npos);
  Game.reset();

  StartGame();
  EXPECT_FALSE(S().Settings.ImiHyoji);
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::Imi1));
  Game->MenuClick(TMenuItem::Imi1);
  Game->FormClose();
  Game.reset();
  StartGame();
  EXPECT_TRUE(S().Settings.ImiHyoji);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::Imi1));
}

TEST_F(ImiOptionTest, TheMeaningLabelFollowsTheQuestion) {
  StartToPrompt();
  for (int round = 0; round < 3; ++round) {
    Ctrl();
    const std::int32_t n = S().MondaiNo;
    AnswerWrong();
    Game->DrawFrame();
    EXPECT_EQ(Game->Label(TLabel::Imi), codepage::Utf16ToUtf8(S().Imi(n))) << n;
    EXPECT_FALSE(Game->Label(TLabel::Imi).empty()) << n;
  }
}

}  // namespace
}  // namespace game::testing
