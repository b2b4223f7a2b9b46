// The furigana of a revealed answer in the presented frame: white strokes in a band right above
// the written form, over each kanji run and nowhere over its kana, at most half the form's
// height; none with ふりがな off, none while a question is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/furigana.h"
#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_textwriter.h"
#include "support/game_fixture.h"
#include "support/rules_fixture.h"
#include "support/screen_util.h"

namespace game::testing {
namespace {

constexpr int kFrameW = 688, kFrameH = 528;

class FuriganaShotTest : public TPlayHelpers<GameFixture> {
 protected:
  void SetUp() override {
    TPlayHelpers<GameFixture>::SetUp();
    Owner.SetPresenter(
        [&](UINT w, UINT h, INT pitch, const std::uint32_t* pixels, const TFrameChange&) {
          Frame.assign(static_cast<std::size_t>(w) * h, 0);
          for (UINT y = 0; y < h; ++y) {
            std::copy(pixels + y * (pitch / 4), pixels + y * (pitch / 4) + w, &Frame[y * w]);
          }
        });
  }
  // A new game whose first question, proverb n, is answered wrong: its answer revealed.
  void Reveal(std::int32_t n) {
    Game.reset();
    StartToPrompt();
    Ctrl();
    S().MondaiNo = n;
    S().MondaiText = S().Reading(n);
    AnswerWrong();
    ASSERT_EQ(S().Playing, 0);
    ASSERT_EQ(S().ShowSpelling, 1);
  }
  // The strokes of white text (the furigana's colour, at 73 % over whatever lies under them; the
  // spelling is green, the reading pink, the dimmed background and pictures darker).
  bool White(int x, int y) const {
    const std::uint32_t p = Frame[static_cast<std::size_t>(y) * kFrameW + x];
    return ((p >> 16) & 0xFF) > 185 && ((p >> 8) & 0xFF) > 185 && (p & 0xFF) > 185;
  }
  int WhiteIn(int left, int right, int top, int bottom) const {
    int n = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, kFrameH); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, kFrameW); ++x) n += White(x, y) ? 1 : 0;
    }
    return n;
  }
  std::vector<std::uint32_t> Frame;
};

TEST_F(FuriganaShotTest, TheReadingStandsOverEachKanjiRunAndNeverOverKana) {
  for (const std::int32_t n : {95, 1, 97, 92}) {
    SCOPED_TRACE(n);
    Reveal(n);
    Game->DrawFrame();
    ASSERT_EQ(Frame.size(), static_cast<std::size_t>(kFrameW) * kFrameH);
    const auto sprites = DrawOnce(*Game);
    const TSprite* spelling = Find(sprites, O().Label(TLabel::Spelling).get());
    const TSprite* ruby = Find(sprites, O().Label(TLabel::Furigana).get());
    const TSprite* reading = Find(sprites, O().Label(TLabel::Reading).get());
    ASSERT_TRUE(spelling && ruby && reading);
    // A band as wide as the written form, right on top of it, under the reading.
    EXPECT_EQ(ruby->X, spelling->X);
    EXPECT_EQ(ruby->W, spelling->W);
    EXPECT_EQ(ruby->Y + ruby->H, spelling->Y);
    EXPECT_LE(reading->Y + reading->H, ruby->Y);
    EXPECT_LE(ruby->H * 2, spelling->H + 4) << "furigana at half the written form's size";

    // Where each run of the written form stands, measured with the written form's own writer.
    TSXTextWriter& writer = *O().MojiWriter;
    std::u16string before;
    int runsWithKanji = 0;
    for (const TRubyRun& run : Furigana(S(), n)) {
      const int left = spelling->X + (before.empty() ? 0 : writer.TextWidth(before));
      before += run.Base;
      const int right = spelling->X + writer.TextWidth(before);
      const int strokes = WhiteIn(left, right, ruby->Y, ruby->Y + ruby->H);
      if (run.Ruby.empty()) {
        EXPECT_EQ(strokes, 0) << "furigana over the kana of columns " << left << "-" << right;
      } else {
        ++runsWithKanji;
        EXPECT_GT(strokes, 5 * static_cast<int>(run.Ruby.size()))
            << "too little over the kanji of columns " << left << "-" << right;
      }
    }
    EXPECT_GE(runsWithKanji, 2);
    // Nothing of them beyond the line's two ends.
    EXPECT_EQ(WhiteIn(0, spelling->X, ruby->Y, ruby->Y + ruby->H), 0);
    EXPECT_EQ(WhiteIn(spelling->X + writer.TextWidth(before), kFrameW, ruby->Y, ruby->Y + ruby->H),
              0);

    // Switched off: the reading comes down onto the written form, and no white band is left.
    const int band = ruby->Y, bandEnd = ruby->Y + ruby->H;
    Game->MenuClick(TMenuItem::Ruby1);
    Game->DrawFrame();
    const auto off = DrawOnce(*Game);
    EXPECT_FALSE(Find(off, O().Label(TLabel::Furigana).get()));
    EXPECT_EQ(WhiteIn(0, kFrameW, band, bandEnd), 0);
    EXPECT_EQ(Find(off, O().Label(TLabel::Reading).get())->Y + reading->H + 5, spelling->Y);
    Game->MenuClick(TMenuItem::Ruby1);
  }
}

TEST_F(FuriganaShotTest, NoneWhileAQuestionIsOpenOrTheFormHasNoKanji) {
  Reveal(95);
  Ctrl();  // the next question
  ASSERT_EQ(S().Playing, 1);
  EXPECT_FALSE(Find(DrawOnce(*Game), O().Label(TLabel::Furigana).get()));
  Reveal(59);  // あばたもえくぼ
  const auto sprites = DrawOnce(*Game);
  EXPECT_TRUE(Find(sprites, O().Label(TLabel::Spelling).get()));
  EXPECT_FALSE(Find(sprites, O().Label(TLabel::Furigana).get()));
}

}  // namespace
}  // namespace game::testing
