// The four keys and their conditions, pause and resume, and the answer field's filter.
#include <gtest/gtest.h>

#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class KeysTest : public RulesFixture {};

TEST_F(KeysTest, NoKeyActsBeforeTheTitlePrompt) {
  StartGame();
  Jump(150);
  Jump(3000);
  for (int key : {VK_CONTROL, VK_RETURN, VK_F1, VK_F2, 65}) Key(key);
  EXPECT_EQ(S().TitleMode, 1);
  EXPECT_EQ(S().Playing, 0);
  EXPECT_EQ(S().Paused, 0);
}

TEST_F(KeysTest, F2PausesAndResumesWithTheClockStopped) {
  StartToPrompt();
  Ctrl();
  Jump(2000);
  Key(VK_F2);
  EXPECT_EQ(S().Paused, 1);
  EXPECT_EQ(S().PauseStart, Clock.Now());
  EXPECT_EQ(S().Message1, Sjis("一時停止中...F2キーで再開します。"));
  EXPECT_FALSE(Window.AnswerReadOnly);  // F2 leaves the field editable
  const std::int32_t left = S().TimeLeft;
  Jump(10000);
  RunTicks(1);
  EXPECT_EQ(S().TimeLeft, left);
  // Nothing but F2 acts while paused.
  Window.Answer = S().Seikai(S().MondaiNo);
  const std::int32_t question = S().MondaiNo;
  for (int key : {VK_RETURN, VK_CONTROL, VK_F1}) Key(key);
  EXPECT_EQ(S().SeikaiCount, 0);
  EXPECT_EQ(S().MondaiNo, question);
  EXPECT_EQ(S().Playing, 1);

  Window.SetMenuEnabled(TMenuItem::Save1, false);
  S().Saved = 1;
  Key(VK_F2);
  EXPECT_EQ(S().Paused, 0);
  EXPECT_EQ(S().Saved, 0);
  EXPECT_TRUE(Window.MenuEnabled(TMenuItem::Save1));
  EXPECT_TRUE(S().Message1.empty());
  EXPECT_GE(S().PauseTotal, 10000);
  RunTicks(1);
  EXPECT_NEAR(S().TimeLeft, left - 25, 50);
}

TEST_F(KeysTest, AMenuPauseMakesTheFieldReadOnlyAndF2ResumesIt) {
  StartToPrompt();
  Ctrl();
  Game->TopMenuClick();
  EXPECT_EQ(S().Paused, 1);
  EXPECT_TRUE(Window.AnswerReadOnly);
  const int focus = Window.FocusCount;
  Key(VK_F2);
  EXPECT_EQ(S().Paused, 0);
  EXPECT_FALSE(Window.AnswerReadOnly);
  EXPECT_EQ(Window.FocusCount, focus + 1);
}

TEST_F(KeysTest, F2BetweenQuestionsDoesNothing) {
  StartToPrompt();
  Ctrl();
  Answer(u"x");
  Key(VK_F2);
  EXPECT_EQ(S().Paused, 0);
}

TEST_F(KeysTest, TheAnswerFieldNeverTakesACarriageReturn) {
  StartGame();
  EXPECT_FALSE(Game->EditKaitoRanKeyPress(u'\r'));
  EXPECT_TRUE(Game->EditKaitoRanKeyPress(u'\n'));
  EXPECT_TRUE(Game->EditKaitoRanKeyPress(u'あ'));
  EXPECT_TRUE(Game->EditKaitoRanKeyPress(u'a'));
}

}  // namespace
}  // namespace game::testing
