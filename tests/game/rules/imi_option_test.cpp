// The meaning and the furigana beneath and over a revealed answer: the 設定 menu's 意味を表示 and
// ふりがな, each with its own Settei.ini section (absent: on), kept across a restart; the
// meaning's text follows the question.
#include <gtest/gtest.h>

#include "platform/profile/profile.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class ImiOptionTest : public RulesFixture {
 protected:
  std::filesystem::path Ini() const { return UserDir() / "Settei.ini"; }
};

// The 設定 menu's options that are on unless their own Settei.ini section turns them off.
struct TOnOption {
  const char* Section;
  TMenuItem Item;
  bool TSettings::*Field;
};
constexpr TOnOption kOnOptions[] = {{"ImiHyoji", TMenuItem::Imi1, &TSettings::ImiHyoji},
                                    {"Furigana", TMenuItem::Ruby1, &TSettings::Furigana}};

TEST_F(ImiOptionTest, IsOnUnlessItsOwnSectionTurnsItOff) {
  for (const TOnOption& option : kOnOptions) {
    const std::string section = "[" + std::string(option.Section) + "]\r\n";
    const struct {
      std::string settei;  // empty: no file
      bool on;
    } cases[] = {{"", true},
                 {"[Font]\r\nName=x\r\n[RomajiHenkan]\r\nValue=0\r\n", true},  // an older file
                 {section + "Value=0\r\n", false},
                 {section + "Value=1\r\n", true}};
    for (const auto& c : cases) {
      std::filesystem::remove_all(UserDir());
      if (!c.settei.empty()) WriteFile(Ini(), c.settei);
      StartGame();
      EXPECT_EQ(S().Settings.*option.Field, c.on) << option.Section << ": " << c.settei;
      EXPECT_EQ(Window.MenuChecked(option.Item), c.on) << option.Section;
      Game.reset();
    }
  }
}

TEST_F(ImiOptionTest, TheMenuItemSwitchesItAndARestartKeepsIt) {
  for (const TOnOption& option : kOnOptions) {
    std::filesystem::remove_all(UserDir());
    WriteFile(Ini(), "[Font]\r\nName=x\r\n; the player's note\r\n");
    StartGame();
    EXPECT_TRUE(Window.MenuChecked(option.Item)) << option.Section;
    Game->MenuClick(option.Item);
    EXPECT_FALSE(S().Settings.*option.Field) << option.Section;
    EXPECT_FALSE(Window.MenuChecked(option.Item)) << option.Section;
    Game->FormClose();
    EXPECT_EQ(GetPrivateProfileStringA(option.Section, "Value", "", Ini()), "0");
    EXPECT_NE(ReadFile(Ini()).find("; the player's note\r\n"), std::string::npos);
    Game.reset();

    StartGame();
    EXPECT_FALSE(S().Settings.*option.Field) << option.Section;
    EXPECT_FALSE(Window.MenuChecked(option.Item)) << option.Section;
    Game->MenuClick(option.Item);
    Game->FormClose();
    Game.reset();
    StartGame();
    EXPECT_TRUE(S().Settings.*option.Field) << option.Section;
    EXPECT_TRUE(Window.MenuChecked(option.Item)) << option.Section;
    Game.reset();
  }
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
