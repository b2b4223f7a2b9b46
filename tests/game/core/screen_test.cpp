// The frame: what is queued where, in which colour and order, and how the fireflies blink,
// move, bounce, pulse and fly for a known state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/codepage/codepage.h"
#include "rules/random.h"
#include "support/game_fixture.h"
#include "support/screen_util.h"

namespace game::testing {
namespace {

int W(const TDGTexture* t) { return static_cast<int>(t->Width()); }
int H(const TDGTexture* t) { return static_cast<int>(t->Height()); }

class ScreenTest : public GameFixture {
 protected:
  void SetUp() override {
    GameFixture::SetUp();
    StartGame();
  }
  // A question of n characters lined up at known places, all at full brightness.
  void LayOut(int n, std::int32_t seikai) {
    S().TitleMode = 0;
    S().Playing = 1;
    S().SeikaiCount = seikai;
    S().MojiCount = n;
    S().KakushiNo = 0;
    S().Akarusa.assign(n, 100);
    S().Akarumu.assign(n, 1);
    S().Fukuramu.assign(n, 0);
    const float fw = static_cast<float>(W(O().HotaruTexture.get()));
    const float fh = static_cast<float>(H(O().HotaruTexture.get()));
    S().HotaruSizeW.assign(n, fw);
    S().HotaruSizeH.assign(n, fh);
    S().MojiSizeW.assign(n, 0);
    S().MojiSizeH.assign(n, 0);
    Game->RefreshScreen();  // what start-up marked
    for (int k = 0; k < n; ++k) {
      S().Moji[k] = MojiRecord{100 + 40 * k, 200, 0, 0, u"あ"};
      S().Marks.MojiChanged[k] = true;
    }
    Game->RefreshScreen();
    for (int k = 0; k < n; ++k) {
      S().MojiSizeW[k] = static_cast<float>(W(O().MojiTextures[k].get()));
      S().MojiSizeH[k] = static_cast<float>(H(O().MojiTextures[k].get()));
    }
  }
};

TEST_F(ScreenTest, StatusTextsAndBackgroundInTheirPlaces) {
  LayOut(1, 0);
  const auto sprites = DrawOnce(*Game);
  ASSERT_GE(sprites.size(), 10u);
  // The background first, stretched over the client area at 40 %.
  EXPECT_EQ(sprites[0].Texture, O().HaikeiTexture.get());
  EXPECT_EQ(sprites[0].X, 0);
  EXPECT_EQ(sprites[0].W, 688);
  EXPECT_EQ(sprites[0].H, 528);
  EXPECT_EQ(sprites[0].Colour, 0x66FFFFFFu);
  // The answer label: panel then red text, left of the answer field.
  EXPECT_EQ(sprites[1].Texture, O().KotaeTexture2.get());
  EXPECT_EQ(sprites[2].Texture, O().KotaeTexture.get());
  EXPECT_EQ(sprites[2].X, 40 - W(O().KotaeTexture.get()) - 5);
  EXPECT_EQ(sprites[2].Y, 418);
  EXPECT_EQ(sprites[2].Colour, 0xFFFF0000u);
  // The counters share their right edge with the consecutive-answers text.
  const int right = 5 + W(O().Label(TLabel::Renzoku).get());
  const TSprite* seikai = Find(sprites, O().Label(TLabel::Seikai).get());
  const TSprite* fuseikai = Find(sprites, O().Label(TLabel::Fuseikai).get());
  ASSERT_TRUE(seikai && fuseikai);
  EXPECT_EQ(seikai->X + seikai->W, right);
  EXPECT_EQ(fuseikai->X + fuseikai->W, right);
  EXPECT_EQ(fuseikai->Y, 2 * H(O().Label(TLabel::Seikai).get()) + 10);
  EXPECT_EQ(seikai->Colour, 0xBBFFFF00u);
  const TSprite* time = Find(sprites, O().Label(TLabel::Time).get());
  ASSERT_TRUE(time);
  EXPECT_EQ(time->X + time->W, 688 - 5);
  // The best score is placed by the score's width.
  const TSprite* best = Find(sprites, O().Label(TLabel::SaikoTokuten).get());
  ASSERT_TRUE(best);
  EXPECT_EQ(best->X, (688 - W(O().Label(TLabel::Tokuten).get())) / 2);
  EXPECT_EQ(best->Y, H(O().Label(TLabel::Tokuten).get()) + 5);
  // A running question shows no centre picture, no logo.
  EXPECT_EQ(Find(sprites, O().PictureTexture.get()), nullptr);
  EXPECT_EQ(Find(sprites, O().LogoTexture.get()), nullptr);
}

TEST_F(ScreenTest, BlinkHidesOnlyTheWrongCounterAndHintsShowFromStageTwo) {
  LayOut(1, 9);
  S().BlinkOn = 1;
  auto sprites = DrawOnce(*Game);
  EXPECT_EQ(Find(sprites, O().Label(TLabel::Fuseikai).get()), nullptr);
  EXPECT_NE(Find(sprites, O().Label(TLabel::Seikai).get()), nullptr);
  EXPECT_EQ(Find(sprites, O().Label(TLabel::Hint).get()), nullptr);
  S().BlinkOn = 0;
  S().SeikaiCount = 10;
  S().HintCount = 2;
  sprites = DrawOnce(*Game);
  EXPECT_NE(Find(sprites, O().Label(TLabel::Fuseikai).get()), nullptr);
  ASSERT_NE(Find(sprites, O().Label(TLabel::Hint).get()), nullptr);
  EXPECT_EQ(Find(sprites, O().Label(TLabel::Hint).get())->Colour, 0xBB6E82BEu);
  EXPECT_EQ(Find(sprites, O().Label(TLabel::Hint).get())->Y, H(O().Label(TLabel::Time).get()) + 5);
  S().HintCount = 3;
  sprites = DrawOnce(*Game);
  EXPECT_EQ(Find(sprites, O().Label(TLabel::Hint).get())->Colour, 0xBBFF0000u);
}

TEST_F(ScreenTest, LinedUpCharacterWithLightAndFirefly) {
  LayOut(1, 10);
  S().Akarusa[0] = 120;
  S().Akarumu[0] = 0;
  const auto sprites = DrawOnce(*Game);
  const TDGTexture* m = O().MojiTextures[0].get();
  const TSprite* light = Find(sprites, O().HikariTexture.get());
  const TSprite* fly = Find(sprites, O().HotaruTexture.get());
  const TSprite* ch = Find(sprites, m);
  ASSERT_TRUE(light && fly && ch);
  // Brightness fell by 10 before drawing.
  EXPECT_EQ(S().Akarusa[0], 110);
  EXPECT_EQ(light->Colour, 0x6EFFFFFFu);
  EXPECT_EQ(ch->Colour, 0x6EFF0000u);
  EXPECT_EQ(light->X, 100 + W(m) / 2 - W(O().HikariTexture.get()) / 2);
  EXPECT_EQ(light->Y, 200 + H(m) / 2 - H(O().HikariTexture.get()) / 2);
  EXPECT_EQ(fly->X, 100 + W(m) / 2 - W(O().HotaruTexture.get()) / 2 - 5);
  EXPECT_EQ(fly->Y, 200 + H(m) / 2 - 30 - H(O().HotaruTexture.get()) / 2);
  EXPECT_EQ(ch->X, 100);
  EXPECT_EQ(ch->W, W(m));
  // Light, firefly, character: in that order.
  EXPECT_LT(light, fly);
  EXPECT_LT(fly, ch);
  // Paused or an empty character: no character texture, lights stay.
  S().Paused = 1;
  auto paused = DrawOnce(*Game);
  EXPECT_EQ(Find(paused, m), nullptr);
  EXPECT_NE(Find(paused, O().HikariTexture.get()), nullptr);
  S().Paused = 0;
  S().Moji[0].Char.clear();
  EXPECT_EQ(Find(DrawOnce(*Game), m), nullptr);
}

TEST_F(ScreenTest, BrightnessTurnsAtTheEndsAndTheHiddenCharacterStaysDark) {
  LayOut(3, 0);
  S().KakushiNo = 2;
  S().Akarusa = {250, 5, 0};
  S().Akarumu = {1, 0, 1};
  DrawOnce(*Game);
  EXPECT_EQ(S().Akarusa[0], 255);
  EXPECT_EQ(S().Akarumu[0], 0);
  EXPECT_EQ(S().Akarusa[1], 0);
  EXPECT_EQ(S().Akarumu[1], 1);
  EXPECT_EQ(S().Akarusa[2], 0) << "stage 1 leaves the hidden character alone";
  DrawOnce(*Game);
  EXPECT_EQ(S().Akarusa[0], 245);
  EXPECT_EQ(S().Akarusa[1], 10);
  // From stage 2 the hidden character blinks too.
  S().SeikaiCount = 10;
  DrawOnce(*Game);
  EXPECT_EQ(S().Akarusa[2], 10);
  // A full cycle takes 52 frames.
  S().Akarusa[0] = 0;
  S().Akarumu[0] = 1;
  int frames = 0;
  do {
    DrawOnce(*Game);
    ++frames;
  } while (!(S().Akarusa[0] == 0 && S().Akarumu[0] == 1));
  EXPECT_EQ(frames, 52);
  // Zero brightness: light, firefly and character all transparent.
  S().Akarusa[1] = 10;
  S().Akarumu[1] = 0;
  const auto sprites = DrawOnce(*Game);
  for (const TSprite& s : sprites) {
    if (s.Texture == O().MojiTextures[1].get()) {
      EXPECT_EQ(s.Colour >> 24, 0u);
    }
  }
}

TEST_F(ScreenTest, CharactersMoveAndBounceOnlyInStageThreeAndOnTheTitle) {
  LayOut(2, 10);
  S().Moji[0] = MojiRecord{-1, 100, -2, 1, u"あ"};
  DrawOnce(*Game);
  EXPECT_EQ(S().Moji[0].X, -3) << "no bouncing in stage 2";
  EXPECT_EQ(S().Moji[0].DX, -2);

  S().SeikaiCount = 20;
  S().Playing = 0;  // lined up, but bouncing already applies
  const int fw = W(O().HotaruTexture.get());
  const int fh = H(O().HotaruTexture.get());
  S().Moji[0] = MojiRecord{-1, 100, -2, 0, u"あ"};
  S().Moji[1] = MojiRecord{688 - fw, 415 - fh, 2, 1, u"い"};
  SetRandSeed(12345);
  const std::int32_t r1 = Random(2), r2 = Random(2), r3 = Random(2);
  SetRandSeed(12345);
  const auto sprites = DrawOnce(*Game);
  EXPECT_EQ(S().Moji[0].X, 0);  // -3 pushed back by 3
  EXPECT_EQ(S().Moji[0].DX, r1 + 1);
  EXPECT_EQ(S().Moji[1].X, 688 - fw + 2 - 3);
  EXPECT_EQ(S().Moji[1].DX, -(r2 + 1));
  EXPECT_EQ(S().Moji[1].Y, 415 - fh + 1 - 3);
  EXPECT_EQ(S().Moji[1].DY, -(r3 + 1));
  // Lined up at exactly 20 between questions: the character at its natural size.
  const TSprite* ch = Find(sprites, O().MojiTextures[0].get());
  ASSERT_TRUE(ch);
  EXPECT_EQ(ch->W, W(O().MojiTextures[0].get()));
}

TEST_F(ScreenTest, WanderingCharactersPulseBetweenFullAndHalfSize) {
  LayOut(2, 20);  // Playing = 1 at 20: wandering
  const float fw = static_cast<float>(W(O().HotaruTexture.get()));
  // Growing past the natural width snaps to it and starts shrinking.
  S().Fukuramu[0] = 1;
  S().HotaruSizeW[0] = fw - 0.1f;
  auto sprites = DrawOnce(*Game);
  EXPECT_EQ(S().Fukuramu[0], 0);
  EXPECT_EQ(S().HotaruSizeW[0], fw);
  EXPECT_EQ(S().MojiSizeW[0], static_cast<float>(W(O().MojiTextures[0].get())));
  // The drawn sizes are the stored ones rounded; the character keeps its corner.
  const TSprite* ch = Find(sprites, O().MojiTextures[1].get());
  ASSERT_TRUE(ch);
  EXPECT_EQ(ch->W, static_cast<int>(std::nearbyint(S().MojiSizeW[1])));
  EXPECT_EQ(ch->X, S().Moji[1].X);
  const int hh = static_cast<int>(std::nearbyint(S().HotaruSizeH[1]));
  int flies = 0;
  for (const TSprite& s : sprites) {
    if (s.Texture != O().HotaruTexture.get()) continue;
    if (++flies == 2) {
      EXPECT_EQ(s.Y, S().Moji[1].Y - hh + 5);
    }
  }
  // One swing from full to half size takes about 70 frames.
  int frames = 0;
  while (S().Fukuramu[0] == 0 && frames < 200) {
    DrawOnce(*Game);
    ++frames;
  }
  EXPECT_GE(frames, 68);
  EXPECT_LE(frames, 71);
  EXPECT_EQ(S().HotaruSizeW[0], fw / 2);
}

TEST_F(ScreenTest, HintCharacterLandsAfterEightyFramesAndIsDrawnLinedUp) {
  LayOut(3, 25);
  S().HintMoji = 2;
  S().HintFlight = 1;
  S().Moji[1] = MojiRecord{300, 100, 1, 1, u"い"};
  for (int i = 0; i < 79; ++i) DrawOnce(*Game);
  EXPECT_EQ(S().HintFlight, 80);
  DrawOnce(*Game);
  EXPECT_EQ(S().HintFlight, 0);
  const int gw = W(O().HikariTexture.get());
  EXPECT_EQ(S().Moji[1].X, gw + 40);
  EXPECT_EQ(S().Moji[1].Y, 415 - H(O().HikariTexture.get()));
  const auto sprites = DrawOnce(*Game);
  EXPECT_EQ(S().Moji[1].X, gw + 40) << "it stays there";
  // Revealed characters are drawn at natural size while the others pulse.
  const TSprite* hinted = Find(sprites, O().MojiTextures[1].get());
  ASSERT_TRUE(hinted);
  EXPECT_EQ(hinted->W, W(O().MojiTextures[1].get()));
}

TEST_F(ScreenTest, BetweenQuestionsPicturesSpellingAndReading) {
  LayOut(1, 3);
  S().Playing = 0;
  S().ShowSpelling = 1;
  S().ShowReading = 1;
  Game->MakeTextTexture(O().Label(TLabel::Spelling).get(), O().Panel(TLabel::Spelling).get(),
                        u"急がば回れ", O().MojiWriter.get());
  Game->MakeTextTexture(O().Label(TLabel::Reading).get(), nullptr, u"いそがばまわれ",
                        O().MojiWriter.get());
  auto sprites = DrawOnce(*Game);
  const TSprite* picture = Find(sprites, O().PictureTexture.get());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Y, 170);
  EXPECT_EQ(picture->X, (688 - W(O().PictureTexture.get())) / 2);
  const TSprite* panel = Find(sprites, O().Panel(TLabel::Spelling).get());
  const TSprite* spelling = Find(sprites, O().Label(TLabel::Spelling).get());
  const TSprite* reading = Find(sprites, O().Label(TLabel::Reading).get());
  ASSERT_TRUE(panel && spelling && reading);
  EXPECT_LT(panel, spelling);
  EXPECT_EQ(spelling->Y, 415 - H(O().Label(TLabel::Spelling).get()) - 5);
  EXPECT_EQ(spelling->Colour, 0xBB00FF00u);
  EXPECT_EQ(reading->Y,
            415 - H(O().Label(TLabel::Spelling).get()) - H(O().Label(TLabel::Reading).get()) - 10);
  EXPECT_EQ(reading->Colour, 0xBBFF80FFu);
  S().ShowSpelling = 0;
  S().GameOver = 1;
  sprites = DrawOnce(*Game);
  EXPECT_EQ(Find(sprites, O().Label(TLabel::Reading).get())->Y,
            415 - H(O().Label(TLabel::Reading).get()) - 5);
  EXPECT_EQ(Find(sprites, O().PictureTexture.get())->Y, 120);
}

TEST_F(ScreenTest, TheMeaningLiesBetweenTheRevealedAnswerAndTheField) {
  LayOut(1, 3);
  S().Playing = 0;
  S().MondaiNo = 23;  // 急がば回れ
  S().ShowSpelling = 1;
  S().ShowReading = 1;
  // Written by the refresh from the labels, as a revealed answer marks them.
  S().Marks.SetLabel(TLabel::Spelling, u"急がば回れ");
  S().Marks.SetLabel(TLabel::Reading, u"いそがばまわれ");
  S().Marks.SetLabel(TLabel::Imi, S().Imi(23));
  Game->RefreshScreen();
  ASSERT_GT(H(O().Label(TLabel::Imi).get()), 0);
  ASSERT_LE(W(O().Label(TLabel::Imi).get()), 641) << "wider than the answer field";
  const auto sprites = DrawOnce(*Game);
  const TSprite* imi = Find(sprites, O().Label(TLabel::Imi).get());
  const TSprite* panel = Find(sprites, O().Panel(TLabel::Imi).get());
  const TSprite* spelling = Find(sprites, O().Label(TLabel::Spelling).get());
  const TSprite* reading = Find(sprites, O().Label(TLabel::Reading).get());
  const TSprite* guide = Find(sprites, O().SosaTexture.get());
  ASSERT_TRUE(imi && panel && spelling && reading && guide);
  EXPECT_LT(panel, imi);
  // Stacked upwards from the field, each clear of the next.
  EXPECT_EQ(imi->Y + imi->H + 5, 415);
  EXPECT_EQ(imi->X, 40);
  EXPECT_EQ(spelling->Y + spelling->H + 5, imi->Y);
  EXPECT_EQ(reading->Y + reading->H + 5, spelling->Y);
  EXPECT_GE(guide->Y, 415 + 41);
  const TSprite* picture = Find(sprites, O().PictureTexture.get());
  EXPECT_GE(reading->Y, picture->Y + picture->H - 40) << "the reading climbs far into the picture";

  // Game over: the message lines keep their room; the meaning goes under the key guide, clear
  // of the music title.
  S().GameOver = 1;
  const auto over = DrawOnce(*Game);
  const TSprite* low = Find(over, O().Label(TLabel::Imi).get());
  const TSprite* guideOver = Find(over, O().SosaTexture.get());
  const TSprite* title = Find(over, O().Label(TLabel::MusicTitle).get());
  ASSERT_TRUE(low && guideOver);
  EXPECT_GE(low->Y, guideOver->Y + guideOver->H);
  if (title != nullptr) {
    EXPECT_LE(low->Y + low->H, title->Y);
  }
  EXPECT_EQ(Find(over, O().Label(TLabel::Spelling).get())->Y, 415 - spelling->H - 5);
  S().GameOver = 0;

  // Switched off, or a question without a meaning: the answer sits on the field as before.
  for (int round = 0; round < 2; ++round) {
    S().Settings.ImiHyoji = round != 0;
    if (round == 1) S().MondaiNo = 0;
    const auto plain = DrawOnce(*Game);
    EXPECT_FALSE(Find(plain, O().Label(TLabel::Imi).get()));
    EXPECT_EQ(Find(plain, O().Label(TLabel::Spelling).get())->Y, 415 - spelling->H - 5);
  }
}

TEST_F(ScreenTest, BonusPictureUpToItsLastMillisecond) {
  LayOut(1, 3);
  S().BonusMode = 1;
  S().BonusTime = Clock.Now() - 1000;
  auto sprites = DrawOnce(*Game);
  ASSERT_NE(Find(sprites, O().PictureTexture.get()), nullptr);
  EXPECT_EQ(Find(sprites, O().PictureTexture.get())->Y, 120);
  Clock.Advance(1);
  EXPECT_EQ(Find(DrawOnce(*Game), O().PictureTexture.get()), nullptr);

  // A bonus question answered within its second: the result picture is drawn once, in the
  // place between questions, not again in the bonus picture's place.
  S().BonusTime = Clock.Now() - 500;
  S().Playing = 0;
  int pictures = 0;
  for (const TSprite& sprite : DrawOnce(*Game)) {
    if (sprite.Texture != O().PictureTexture.get()) continue;
    ++pictures;
    EXPECT_EQ(sprite.Y, 170);
  }
  EXPECT_EQ(pictures, 1);
}

TEST_F(ScreenTest, MessagesKeyGuideMusicTitleAndLogo) {
  // The title screen right after start-up: message 1 only, the logo, no music title yet.
  auto sprites = DrawOnce(*Game);
  EXPECT_EQ(Find(sprites, O().Label(TLabel::Message2).get()), nullptr);
  const TSprite* m1 = Find(sprites, O().Label(TLabel::Message1).get());
  ASSERT_TRUE(m1);
  EXPECT_EQ(m1->Y, 275);
  EXPECT_EQ(m1->X, (688 - W(O().Label(TLabel::Message1).get())) / 2);
  const TSprite* logo = Find(sprites, O().LogoTexture.get());
  ASSERT_TRUE(logo);
  EXPECT_EQ(logo->X, 380);
  EXPECT_EQ(logo->Y, 350);
  EXPECT_EQ(sprites.back().Texture, O().LogoTexture.get()) << "the logo is drawn last";
  EXPECT_EQ(Find(sprites, O().Label(TLabel::MusicTitle).get()), nullptr);
  const TSprite* guide = Find(sprites, O().SosaTexture.get());
  ASSERT_TRUE(guide);
  EXPECT_EQ(guide->Y, 415 + 41);
  // Music on: its title in the bottom-left corner, hidden again at game clear.
  S().BgmOn = 1;
  S().Marks.SetLabel(TLabel::MusicTitle, u"x.mp3");
  Game->RefreshScreen();
  sprites = DrawOnce(*Game);
  const TSprite* title = Find(sprites, O().Label(TLabel::MusicTitle).get());
  ASSERT_TRUE(title);
  EXPECT_EQ(title->X, 5);
  EXPECT_EQ(title->Y, 528 - H(O().Label(TLabel::MusicTitle).get()) - 5);
  EXPECT_EQ(title->Colour, 0xBBFFFF00u);
  S().GameClear = 1;
  EXPECT_EQ(Find(DrawOnce(*Game), O().Label(TLabel::MusicTitle).get()), nullptr);
}

// The blend of one colour over another at the source's alpha, per channel.
std::uint32_t Over(std::uint32_t src, std::uint32_t dst) {
  const std::uint32_t a = src >> 24;
  std::uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    out |= ((s * a + d * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

::testing::AssertionResult Near(std::uint32_t actual, std::uint32_t expected) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - e) > 2) {
      return ::testing::AssertionFailure()
             << std::hex << "0x" << actual << " is not near 0x" << expected;
    }
  }
  return ::testing::AssertionSuccess();
}

std::uint32_t Texel(TDGTexture& texture, int x, int y) {
  INT pitch = 0;
  void* bits = nullptr;
  EXPECT_EQ(texture.LockRect(0, RECT{x, y, x + 1, y + 1}, pitch, bits, D3DLOCK_READONLY), D3D_OK);
  const std::uint32_t texel = *static_cast<std::uint32_t*>(bits);
  texture.UnlockRect();
  return texel;
}

TEST_F(ScreenTest, PresentedPixelsShowTheBackgroundDimmedAndThePanelOverIt) {
  std::vector<std::uint32_t> frame;
  Owner.SetPresenter(
      [&](UINT w, UINT h, INT pitch, const std::uint32_t* pixels, const TFrameChange&) {
        frame.assign(static_cast<std::size_t>(w) * h, 0);
        for (UINT y = 0; y < h; ++y) {
          std::copy(pixels + y * (pitch / 4), pixels + y * (pitch / 4) + w, &frame[y * w]);
        }
      });
  LayOut(0, 0);
  S().Message1.clear();
  Game->DrawFrame();
  ASSERT_EQ(frame.size(), 688u * 528u);
  TDGTexture& haikei = *O().HaikeiTexture.get();
  // A point of the background far from every text: the picture at 40 % over black.
  const int x = 600, y = 300;
  const int u = x * W(&haikei) / 688, v = y * H(&haikei) / 528;
  const std::uint32_t background = Over(0x66000000u | (Texel(haikei, u, v) & 0xFFFFFF), 0);
  EXPECT_TRUE(Near(frame[y * 688 + x], background));
  // The corner of the answer label's panel: translucent purple over the background.
  const int px = 40 - W(O().KotaeTexture2.get()) - 5, py = 418;
  const int pu = px * W(&haikei) / 688, pv = py * H(&haikei) / 528;
  const std::uint32_t under = Over(0x66000000u | (Texel(haikei, pu, pv) & 0xFFFFFF), 0);
  EXPECT_TRUE(Near(frame[py * 688 + px], Over(0xBB5A28C7u, under)));
}

// The results panel at a game over: its columns stand below the status labels over them,
// however tall those are, and its chart is scaled from the correct answers in kana, a miss a
// red mark and an English answer a blue one of fixed height, whatever their times.
TEST_F(ScreenTest, ResultsPanelClearsTheLabelsAndScalesItsChartFromCorrectAnswers) {
  LayOut(1, 0);
  using history::TQuestionResult;
  const auto question = [](TQuestionResult result, int kana, int answerMs) {
    history::TQuestionRecord q;
    q.Result = result;
    q.Kana = kana;
    q.Keys = 10;
    q.FirstKeyMs = 500;
    q.AnswerMs = answerMs;
    return q;
  };
  S().GameQuestions = {question(TQuestionResult::Correct, 10, 3000),  // 200 kana a minute
                       question(TQuestionResult::Skipped, 10, 1),     // not drawn
                       question(TQuestionResult::Correct, 10, 6000),  // 100
                       question(TQuestionResult::GiveUp, 10, 1),      // 600,000: a miss
                       question(TQuestionResult::Correct, 0, 2000)};  // English
  S().Playing = 0;
  S().GameOver = 1;
  S().Results.Shown = true;
  ++S().Results.Version;
  Game->RefreshResultsPanel();

  // Each column's height of its colour, from the chart's base line (the box's 148th row less
  // the base line and margin: y = 141) up. Bars 8 pixels apart from x = 5.
  TDGTexture& chart = *O().ResultsTextures[2];
  INT pitch = 0;
  void* bits = nullptr;
  ASSERT_EQ(chart.LockRect(0, RECT{0, 0, 100, 148}, pitch, bits, 0), D3D_OK);
  const auto height = [&](int bar, std::uint32_t colour) {
    int h = 0;
    const int x = 5 + 8 * bar;
    while (h < 141 && static_cast<const std::uint32_t*>(
                          bits)[static_cast<std::size_t>((141 - h) * pitch / 4 + x)] == colour) {
      ++h;
    }
    return h;
  };
  const int full = height(0, 0xFF90F090);
  const int half = height(1, 0xFF90F090);
  const int miss = height(2, 0xFFFF4848);
  const int english = height(3, 0xFF90B0F0);
  chart.UnlockRect();
  EXPECT_EQ(full, 90);
  EXPECT_EQ(half, 45);
  EXPECT_EQ(miss, 10);
  EXPECT_EQ(english, 10);

  // The columns' top: below the lowest status label over either, a fixed gap apart.
  const auto top = [&] {
    const auto sprites = DrawOnce(*Game);
    const TSprite* left = Find(sprites, O().ResultsTextures[0].get());
    const TSprite* right = Find(sprites, O().ResultsTextures[2].get());
    EXPECT_TRUE(left && right);
    EXPECT_EQ(left->Y, right->Y);
    return left->Y;
  };
  const int fuseikaiBottom =
      2 * H(O().Label(TLabel::Seikai).get()) + 10 + H(O().Label(TLabel::Fuseikai).get());
  const int hintBottom = H(O().Label(TLabel::Time).get()) + 5 + H(O().Label(TLabel::Hint).get());
  EXPECT_EQ(top(), std::max(fuseikaiBottom, hintBottom) + 30);
  // A taller wrong-answer counter (a larger face, a fourth line) pushes the panel down.
  TDGTexture& fuseikai = *O().Label(TLabel::Fuseikai);
  fuseikai.SetSize(fuseikai.Width(), 140);
  EXPECT_EQ(top(), 2 * H(O().Label(TLabel::Seikai).get()) + 10 + 140 + 30);
}

}  // namespace
}  // namespace game::testing
