// The furigana over a revealed answer: 設定 → ふりがな and its own Settei.ini section (absent:
// on), kept across a restart; the furigana's text follows the question and is never shown while
// a question is open.
#include <gtest/gtest.h>

#include "game/label_table.h"
#include "platform/profile/profile.h"
#include "rules/furigana.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class FuriganaOptionTest : public RulesFixture {
 protected:
  std::filesystem::path Ini() const { return UserDir() / "Settei.ini"; }
};

TEST_F(FuriganaOptionTest, IsOnUnlessItsOwnSectionTurnsItOffAndTheMenuKeepsItsChoice) {
  const struct {
    const char* settei;  // nullptr: no file
    bool on;
  } cases[] = {{nullptr, true},
               {"[Font]\r\nName=x\r\n[ImiHyoji]\r\nValue=0\r\n", true},  // an older file
               {"[Furigana]\r\nValue=0\r\n", false},
               {"[Furigana]\r\nValue=1\r\n", true}};
  for (const auto& c : cases) {
    std::filesystem::remove_all(UserDir());
    if (c.settei != nullptr) WriteFile(Ini(), c.settei);
    StartGame();
    EXPECT_EQ(S().Settings.Furigana, c.on) << (c.settei ? c.settei : "no file");
    EXPECT_EQ(Window.MenuChecked(TMenuItem::Ruby1), c.on);
    // The menu item switches it; close keeps the choice for the next start.
    Game->MenuClick(TMenuItem::Ruby1);
    EXPECT_EQ(S().Settings.Furigana, !c.on);
    EXPECT_EQ(Window.MenuChecked(TMenuItem::Ruby1), !c.on);
    Game->FormClose();
    EXPECT_EQ(GetPrivateProfileStringA("Furigana", "Value", "", Ini()), c.on ? "0" : "1");
    Game.reset();
    StartGame();
    EXPECT_EQ(S().Settings.Furigana, !c.on);
    Game.reset();
  }
}

TEST_F(FuriganaOptionTest, TheFuriganaFollowTheRevealedAnswerOnly) {
  StartToPrompt();
  for (int round = 0; round < 4; ++round) {
    Ctrl();
    const std::int32_t n = S().MondaiNo;
    EXPECT_FALSE(labels::FuriganaShown(S())) << "a question is open";
    AnswerWrong();
    Game->DrawFrame();
    const TRubyText ruby = Furigana(S(), n);
    EXPECT_EQ(labels::FuriganaShown(S()), !ruby.empty()) << n;
    if (!ruby.empty()) {
      EXPECT_EQ(Game->Label(TLabel::Furigana), codepage::Utf16ToUtf8(RubyNotation(ruby))) << n;
    }
    Game->MenuClick(TMenuItem::Ruby1);
    EXPECT_FALSE(labels::FuriganaShown(S())) << "switched off";
    Game->MenuClick(TMenuItem::Ruby1);
  }
}

}  // namespace
}  // namespace game::testing
