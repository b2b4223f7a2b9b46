// Romaji into kana: the 設定 menu's option and its Settei.ini key, when the answer field may
// convert, and the lone n that Enter settles before the answer is judged.
#include <gtest/gtest.h>

#include "platform/profile/profile.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class RomajiOptionTest : public RulesFixture {
 protected:
  std::filesystem::path Ini() const { return UserDir() / "Settei.ini"; }
  // A question of our choosing, asked in the given answer mode.
  void Ask(std::int32_t mondaiNo, std::int32_t kaitoMode) {
    StartToPrompt();
    Ctrl();
    S().MondaiNo = mondaiNo;
    S().KaitoMode = kaitoMode;
  }
};

TEST_F(RomajiOptionTest, IsOnUnlessSetteiIniTurnsItOff) {
  const std::string player = "[Font]\r\nName=x\r\n; the player's note\r\n[BGM]\r\nMusic=0\r\n";
  const struct {
    const char* settei;  // nullptr: no file
    bool on;
  } cases[] = {{nullptr, true},
               {player.c_str(), true},
               {"[RomajiHenkan]\r\nValue=0\r\n", false},
               {"[RomajiHenkan]\r\nValue=1\r\n", true}};
  for (const auto& c : cases) {
    std::filesystem::remove_all(UserDir());
    if (c.settei != nullptr) WriteFile(Ini(), c.settei);
    StartGame();
    EXPECT_EQ(S().Settings.RomajiHenkan, c.on) << (c.settei ? c.settei : "no file");
    EXPECT_EQ(Window.MenuChecked(TMenuItem::Romaji1), c.on);
    Game.reset();
  }
}

TEST_F(RomajiOptionTest, TheMenuItemTurnsItOffAndCloseKeepsIt) {
  const std::string player = "[Font]\r\nName=x\r\n; the player's note\r\n";
  WriteFile(Ini(), player);
  StartGame();
  Game->MenuClick(TMenuItem::Romaji1);
  EXPECT_FALSE(S().Settings.RomajiHenkan);
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::Romaji1));
  Game->FormClose();
  EXPECT_EQ(GetPrivateProfileStringA("RomajiHenkan", "Value", "", Ini()), "0");
  EXPECT_NE(ReadFile(Ini()).find("; the player's note\r\n"), std::string::npos);
  Game.reset();
  StartGame();
  EXPECT_FALSE(S().Settings.RomajiHenkan);
  Game->MenuClick(TMenuItem::Romaji1);
  EXPECT_TRUE(S().Settings.RomajiHenkan);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::Romaji1));
}

TEST_F(RomajiOptionTest, ConvertsOnlyForAnswersWithoutLetters) {
  const struct {
    std::int32_t mondaiNo, kaitoMode;
    bool optionOn;
    const char16_t* answers;  // nullptr: the field takes letters as typed
  } cases[] = {{2, 1, true, u"さるもきからおちる"},
               {2, 0, true, u"猿も木から落ちる"},
               {4, 0, true, u"玉にきず玉に瑕"},  // both spellings
               {168, 1, true, nullptr},          // an English proverb
               {168, 0, true, nullptr},
               {2, 1, false, nullptr}};
  Ask(2, 1);
  for (const auto& c : cases) {
    S().MondaiNo = c.mondaiNo;
    S().KaitoMode = c.kaitoMode;
    S().Settings.RomajiHenkan = c.optionOn;
    const std::optional<std::u16string> answers = Game->RomajiAnswer();
    ASSERT_EQ(answers.has_value(), c.answers != nullptr) << c.mondaiNo << "/" << c.kaitoMode;
    if (answers) {
      EXPECT_EQ(*answers, c.answers);
    }
  }
}

TEST_F(RomajiOptionTest, EnterSettlesALonePendingNBeforeJudging) {
  Ask(16, 1);  // ももくりさんねんかきはちねん
  Answer(u"ももくりさんねんかきはちねn");
  EXPECT_EQ(S().SeikaiCount, 1);
  EXPECT_EQ(Window.Answer, u"ももくりさんねんかきはちねん");
}

TEST_F(RomajiOptionTest, EnterLeavesOtherLettersAndAnOptionTurnedOff) {
  Ask(16, 1);
  Answer(u"ももくりさんねんかきはちねk");
  EXPECT_EQ(S().FuseikaiCount, 1);
  EXPECT_EQ(Window.Answer, u"ももくりさんねんかきはちねk");
  Ctrl();
  S().MondaiNo = 16;
  S().Settings.RomajiHenkan = false;
  Answer(u"ももくりさんねんかきはちねn");
  EXPECT_EQ(S().FuseikaiCount, 2);
  EXPECT_EQ(Window.Answer, u"ももくりさんねんかきはちねn");
}

}  // namespace
}  // namespace game::testing
