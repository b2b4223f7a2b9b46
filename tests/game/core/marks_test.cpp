// The refresh before each frame: what the rules marked becomes textures, once, in the font of
// the moment it was marked; a rendered character gives its drawn size to the pulse.
#include <gtest/gtest.h>

#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_textwriter.h"
#include "support/game_fixture.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class MarksTest : public TPlayHelpers<GameFixture> {
 protected:
  int LabelWidth(const std::string& sjis) {
    TSXTextWriter& w = *O().LabelWriter;
    w.Font().SetSize(18);
    return w.TextWidth(sjis) + w.TextWidth("a") / 2;  // the label font is italic
  }
};

TEST_F(MarksTest, MarkedLabelsAreRenderedOnceBeforeTheFrameAndAnEmptyOrShownTextKeepsTheTexture) {
  StartToPrompt();
  Ctrl();
  AnswerRight();
  // Marked, not yet rendered: the texture still shows the start-up's count.
  EXPECT_TRUE(S().Marks.LabelChanged(TLabel::Seikai));
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::Seikai)->Width()), LabelWidth(Sjis("正解:0000")));
  Game->DrawFrame();
  EXPECT_FALSE(S().Marks.LabelChanged(TLabel::Seikai));
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::Seikai)->Width()), LabelWidth(Sjis("正解:0001")));
  EXPECT_EQ(O().PictureTexture->SourceEntry(), "seikai.bmp");

  // Writing an empty text leaves a texture as it was: marked after another text, it leaves
  // that one to be rendered.
  const UINT before = O().Label(TLabel::Message1)->Width();
  S().Marks.SetLabel(TLabel::Message1, Sjis("とても長いメッセージの行です"));
  S().Marks.SetLabel(TLabel::Message1, "");
  Game->DrawFrame();
  EXPECT_NE(O().Label(TLabel::Message1)->Width(), before);
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::Message1)->Width()),
            LabelWidth(Sjis("とても長いメッセージの行です")));
  // The text the label already shows marks nothing (the clock sets its label on every tick).
  S().Marks.SetLabel(TLabel::Message1, Sjis("とても長いメッセージの行です"));
  EXPECT_FALSE(S().Marks.LabelChanged(TLabel::Message1));
}

TEST_F(MarksTest, AStageThreeCharacterTakesItsDrawnSizeFromItsRenderedTexture) {
  StartToPrompt();
  Ctrl();
  S().SeikaiCount = 20;
  Ctrl();
  Game->RefreshScreen();
  for (std::int32_t k = 0; k < S().MojiCount; ++k) {
    const float scale = S().HotaruSizeW[k] / static_cast<float>(O().HotaruTexture->Width());
    EXPECT_EQ(S().MojiW[k], static_cast<std::int32_t>(O().MojiTextures[k]->Width())) << k;
    EXPECT_EQ(S().MojiH[k], static_cast<std::int32_t>(O().MojiTextures[k]->Height())) << k;
    EXPECT_NEAR(S().MojiSizeW[k], static_cast<float>(O().MojiTextures[k]->Width()) * scale, 0.01f);
    EXPECT_NEAR(S().MojiSizeH[k], static_cast<float>(O().MojiTextures[k]->Height()) * scale, 0.01f);
  }
}

TEST_F(MarksTest, TheFontDialogChangesTheCharactersButNotASpellingMarkedBefore) {
  StartToPrompt();
  Ctrl();
  gdi::TFont& font = O().MojiWriter->Font();
  const std::string oldName = font.Name();
  ASSERT_EQ(font.Style() & gdi::fsItalic, 0);
  AnswerWrong();  // the written form is marked in the old font
  const std::string spelling = codepage::Utf16ToSjis(S().Seikai(S().MondaiNo));
  const int oldWidth = O().MojiWriter->TextWidth(spelling);
  Window.FontChoice = TFontChoice{oldName, 0x180, gdi::fsItalic | 0x30};
  Game->MenuClick(TMenuItem::Font1);
  EXPECT_EQ(font.Style(), gdi::fsItalic);
  EXPECT_EQ(font.Charset(), 0x80);
  ASSERT_FALSE(Window.AnswerFonts.empty());
  EXPECT_EQ(Window.AnswerFonts.back().Style, gdi::fsItalic);
  EXPECT_EQ(Window.AnswerFonts.back().Charset, 0x80);
  Game->RefreshScreen();
  EXPECT_GT(O().MojiTextures[0]->Width(), 0u);
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::Spelling)->Width()), oldWidth);
}

}  // namespace
}  // namespace game::testing
