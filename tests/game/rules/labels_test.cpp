// What the rules mark for the screen: each display's new text, the centre picture, the key
// guide and the characters to render, with the sound that goes with them.
#include <gtest/gtest.h>

#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class LabelsTest : public RulesFixture {
 protected:
  const std::string& Label(TLabel label) { return Game->Label(label); }
};

TEST_F(LabelsTest, StartUpACorrectAnswerAndAMissMarkTheirDisplays) {
  StartToPrompt();  // the ticks' frames take the marks
  EXPECT_EQ(Label(TLabel::Seikai), "正解:0000");
  EXPECT_EQ(Label(TLabel::Time), "TIME:0000");
  EXPECT_EQ(Label(TLabel::Hint), "HINT:0003");
  EXPECT_EQ(Label(TLabel::SaikoTokuten), "2000(最高得点)");
  EXPECT_EQ(Label(TLabel::Message2), "Ctrlキーを押すとゲームが始まります。");
  EXPECT_EQ(Game->Sosa, "Sosa1.bmp");

  Ctrl();
  for (std::int32_t k = 0; k < kMojiSlots; ++k) {
    EXPECT_EQ(S().Marks.MojiChanged[k], k < S().MojiCount) << k;
  }
  TickAt(17500);
  AnswerRight();
  Game->TakeMarks();
  EXPECT_EQ(Label(TLabel::Seikai), "正解:0001");
  EXPECT_EQ(Label(TLabel::Renzoku), "連続正解:0001");
  EXPECT_EQ(Label(TLabel::Tokuten), "0052");
  EXPECT_EQ(Label(TLabel::Time), "TIME:0042");
  EXPECT_EQ(Label(TLabel::Reading), codepage::Utf16ToUtf8(S().MondaiText));
  EXPECT_EQ(Game->Picture, "seikai.bmp");
  EXPECT_EQ(Game->Sounds, std::vector<int>{0});
  EXPECT_EQ(Game->Spoken, std::vector<std::u16string>{S().Speech(S().MondaiNo)});

  Ctrl();
  AnswerWrong();
  Game->TakeMarks();
  EXPECT_EQ(Label(TLabel::Fuseikai), "不正解:0001");
  EXPECT_EQ(Label(TLabel::Renzoku), "連続正解:0000");
  EXPECT_EQ(Label(TLabel::Spelling), codepage::Utf16ToUtf8(S().Seikai(S().MondaiNo)));
  EXPECT_EQ(Game->Picture, "fuseikai.bmp");
  EXPECT_EQ(Game->Sounds.back(), 2);
}

TEST_F(LabelsTest, AnEmptiedMessageLeavesItsTextureAsItWas) {
  StartToPrompt();
  Ctrl();
  Key(VK_F2);
  Game->TakeMarks();
  EXPECT_EQ(Label(TLabel::Message1), kPauseMessage);
  Key(VK_F2);  // resumed: the line is empty, so it is not drawn, and its texture stays
  EXPECT_TRUE(S().Message1.empty());
  EXPECT_FALSE(S().Marks.LabelChanged(TLabel::Message1));
}

}  // namespace
}  // namespace game::testing
