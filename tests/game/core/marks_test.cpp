// The refresh before each frame: what the rules marked becomes textures, once, in the font of
// the moment it was marked; a rendered character gives its drawn size to the pulse.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/label_table.h"
#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_textwriter.h"
#include "history/history_store.h"
#include "history/memory_store.h"
#include "platform/clock/clock.h"
#include "support/game_fixture.h"
#include "support/rules_fixture.h"
#include "support/screen_util.h"

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
  S().Marks.SetLabel(TLabel::Message1, u"とても長いメッセージの行です");
  S().Marks.SetLabel(TLabel::Message1, u"");
  Game->DrawFrame();
  EXPECT_NE(O().Label(TLabel::Message1)->Width(), before);
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::Message1)->Width()),
            LabelWidth(Sjis("とても長いメッセージの行です")));
  // The text the label already shows marks nothing (the clock sets its label on every tick).
  S().Marks.SetLabel(TLabel::Message1, u"とても長いメッセージの行です");
  EXPECT_FALSE(S().Marks.LabelChanged(TLabel::Message1));
}

// A question outside Shift-JIS (𠮟, the official Jōyō form, and 𥝱): each firefly is one
// whole character and the fireflies, the written form and the reading are drawn from UTF-16,
// not as "?".
TEST_F(MarksTest, QuestionTextOutsideShiftJisIsDrawnWhole) {
  const std::filesystem::path appDir = Root / "app";
  std::filesystem::create_directories(appDir);
  std::filesystem::create_directory_symlink(AppDirForTests() / "Data", appDir / "Data");
  Paths.AppDir = appDir;
  StartToPrompt();
  // "追加問題.txt" gives no such reading (the answer field types no kanji in the hiragana mode):
  // the question is put in the catalogue as it stands, for what is drawn.
  const std::u16string question = u"𠮟られて𥝱";
  ASSERT_FALSE(IsTypableReading(question));
  S().TuikaCount = 1;
  S().TuikaSeikaiList = {question};
  S().TuikaMondaiList = {question};
  S().TuikaImiList = {u""};
  S().TuikaShutsudai = {0};
  S().SpeechList.resize(kBuiltInMondaiCount + 2);
  S().SpeechList[kBuiltInMondaiCount + 1] = question;
  // Only the additional question is left to ask.
  S().Shutsudai.fill(1);
  S().ShutsudaiCount = kBuiltInMondaiCount;
  Ctrl();
  ASSERT_EQ(S().MondaiNo, kBuiltInMondaiCount + 1);
  ASSERT_EQ(S().MojiCount, 5);
  EXPECT_EQ(S().Moji[0].Char, u"𠮟");
  EXPECT_EQ(S().Moji[4].Char, u"𥝱");
  Key(VK_F1);  // given up: the written form and the reading are shown
  Game->DrawFrame();
  TSXTextWriter& moji = *O().MojiWriter;
  const std::u16string written = u"𠮟られて𥝱";
  // "?" is half as wide as a kanji: the widths tell the drawn text apart.
  ASSERT_NE(moji.TextWidth(u"𠮟"), moji.TextWidth("?"));
  EXPECT_EQ(static_cast<int>(O().MojiTextures[0]->Width()), moji.TextWidth(u"𠮟"));
  EXPECT_EQ(static_cast<int>(O().MojiTextures[4]->Width()), moji.TextWidth(u"𥝱"));
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::Spelling)->Width()), moji.TextWidth(written));
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::Reading)->Width()), moji.TextWidth(written));
  EXPECT_NE(moji.TextWidth(written), moji.TextWidth(codepage::Utf16ToSjis(written)));
}

// No centre picture (a game resumed between questions): the title's picture is cleared, not
// left over the resumed game's fireflies.
TEST_F(MarksTest, AnEmptyCentrePictureClearsTheTexture) {
  StartToPrompt();
  ASSERT_EQ(O().PictureTexture->SourceEntry(), "Title.bmp");
  S().Marks.Picture.clear();
  S().Marks.PictureChanged = true;
  Game->DrawFrame();
  TDGTexture& picture = *O().PictureTexture;
  INT pitch = 0;
  void* bits = nullptr;
  const RECT whole{0, 0, static_cast<LONG>(picture.Width()), static_cast<LONG>(picture.Height())};
  ASSERT_EQ(picture.LockRect(0, whole, pitch, bits, D3DLOCK_READONLY), D3D_OK);
  std::size_t inked = 0;
  for (UINT y = 0; y < picture.Height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        static_cast<const std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pitch);
    for (UINT x = 0; x < picture.Width(); ++x) inked += (row[x] >> 24) != 0 ? 1 : 0;
  }
  picture.UnlockRect();
  EXPECT_EQ(inked, 0u);
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

// The title's review line with six proverbs due: its texture is its text in the label writer's
// face (not Shift-JIS bytes read as UTF-8), and it overlaps nothing else the title shows.
TEST_F(MarksTest, TheTitlesReviewLineIsItsTextAndOverlapsNothing) {
  StartGame();
  std::filesystem::create_directories(UserDir());
  {
    history::TOpenedHistory opened =
        history::THistoryStore::Open(UserDir() / history::kHistoryFileName);
    ASSERT_TRUE(opened.Store) << opened.Message;
    const std::int64_t monthAgo = WallClockMs() - 30LL * 86'400'000;
    for (std::int32_t proverb = 1; proverb <= 6; ++proverb) {
      ASSERT_TRUE(
          history::RecordReview(*opened.Store, {proverb, {}, {}}, TFsrsRating::Again, monthAgo));
    }
  }
  RunToPrompt();
  ASSERT_EQ(S().DueCount, 6);
  const auto sprites = DrawOnce(*Game);
  const TSprite* line = Find(sprites, O().Label(TLabel::Fukushu).get());
  ASSERT_NE(line, nullptr) << "the review line is not drawn";

  TSXTextWriter& writer = *O().LabelWriter;
  writer.Font().SetSize(14);
  EXPECT_EQ(line->W, TextTextureWidth(writer, std::u16string(u"今日の復習: 6問（ゲーム→復習）")));

  auto overlaps = [&](int x, int y, int w, int h) {
    return x < line->X + line->W && line->X < x + w && y < line->Y + line->H && line->Y < y + h;
  };
  EXPECT_GE(line->X, 0);
  EXPECT_LE(line->X + line->W, S().ScreenWidth);
  const TRect field = Window.AnswerBounds();
  EXPECT_FALSE(overlaps(field.Left, field.Top, field.Width, field.Height)) << "the answer field";
  ASSERT_NE(Find(sprites, O().LogoTexture.get()), nullptr);
  // The fireflies fly over everything; the background lies under everything.
  const std::vector<const TDGTexture*> flying{O().HaikeiTexture.get(), O().HotaruTexture.get(),
                                              O().HikariTexture.get(),
                                              O().Label(TLabel::Fukushu).get()};
  for (const TSprite& other : sprites) {
    if (std::find(flying.begin(), flying.end(), other.Texture) != flying.end()) continue;
    if (std::any_of(O().MojiTextures.begin(), O().MojiTextures.end(),
                    [&](const auto& m) { return m.get() == other.Texture; })) {
      continue;
    }
    EXPECT_FALSE(overlaps(other.X, other.Y, other.W, other.H))
        << "a sprite at " << other.X << "," << other.Y << " of " << other.W << "x" << other.H
        << (other.Texture == O().LogoTexture.get() ? " (the logo)" : "");
  }
}

}  // namespace
}  // namespace game::testing
