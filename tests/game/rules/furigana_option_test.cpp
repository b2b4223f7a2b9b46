// The furigana over a revealed answer follow the question and never show while one is open (the
// option itself is tested with the meaning's, imi_option_test.cpp).
#include <gtest/gtest.h>

#include "game/label_table.h"
#include "rules/furigana.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

using FuriganaOptionTest = RulesFixture;

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
