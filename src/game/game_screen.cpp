// One frame of the game screen: every picture and text queued as an overlay sprite in the
// scene, in drawing order, while the fireflies blink, move, bounce and pulse.
#include <algorithm>
#include <cmath>

#include "game/game.h"
#include "game/game_owned.h"
#include "game/random.h"
#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"

namespace game {
namespace {

constexpr std::uint32_t kBackgroundColour = 0x66FFFFFF;
constexpr std::uint32_t kPanelColour = 0xBB5A28C7;
constexpr std::uint32_t kLabelColour = 0xBBFFFFFF;
constexpr int kMusicTitlePoints = 11;
constexpr int kLabelPoints = 18;

std::int32_t W(const TDGTexture* t) { return static_cast<std::int32_t>(t->Width()); }
std::int32_t H(const TDGTexture* t) { return static_cast<std::int32_t>(t->Height()); }
// Halving a picture's size is an unsigned halving.
std::int32_t HalfW(const TDGTexture* t) { return static_cast<std::int32_t>(t->Width() / 2); }
std::int32_t HalfH(const TDGTexture* t) { return static_cast<std::int32_t>(t->Height() / 2); }

std::uint32_t White(std::int32_t a) {
  return (static_cast<std::uint32_t>(a) & 0xFF) << 24 | 0x00FFFFFFu;
}
std::uint32_t Red(std::int32_t a) {
  return (static_cast<std::uint32_t>(a) & 0xFF) << 24 | 0x00FF0000u;
}

// Nearest integer, halves to even.
std::int32_t Round(float v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

// A new speed of 1 or 2 pixels, away from the edge that was hit.
void Bounce(std::int32_t& pos, std::int32_t& speed) {
  if (speed > 0) {
    pos -= 3;
    speed = -(Random(2) + 1);
  } else {
    pos += 3;
    speed = Random(2) + 1;
  }
}

}  // namespace

void TGame::DrawTexture(TDGTexture* texture, std::int32_t x, std::int32_t y, std::uint32_t colour) {
  DrawTextureSized(texture, x, y, W(texture), H(texture), colour);
}

void TGame::DrawTextureSized(TDGTexture* texture, std::int32_t x, std::int32_t y, std::int32_t w,
                             std::int32_t h, std::uint32_t colour) {
  const float su = texture->ScaleU();
  const float sv = texture->ScaleV();
  const auto fw = static_cast<float>(w);
  const auto fh = static_cast<float>(h);
  const TSXVertex vertices[4] = {
      MakeVertex(colour, 0, 0, 0, 0, 0), MakeVertex(colour, 0, fw, 0, su, 0),
      MakeVertex(colour, 0, 0, fh, 0, sv), MakeVertex(colour, 0, fw, fh, su, sv)};
  Owned->Scene->DrawPolygon(MakeVec2(static_cast<float>(x), static_cast<float>(y)), vertices,
                            texture, sxbAlphaBlend, false, true, 0, D3DTADDRESS_CLAMP,
                            D3DTADDRESS_CLAMP);
}

namespace {

// The label's texture (and its panel) sized to the text in the writer's font, then written.
template <class Text>
void WriteTextTexture(TDGTexture* texture, TDGTexture* panel, const Text& text,
                      TSXTextWriter* writer) {
  // Room for the slant of the last character.
  const std::int32_t extra =
      (writer->Font().Style() & gdi::fsItalic) != 0 ? writer->TextWidth("a") / 2 : 0;
  if (text.empty()) return;
  const auto width = static_cast<UINT>(std::max(writer->TextWidth(text) + extra, 1));
  const auto height = static_cast<UINT>(std::max(writer->TextHeight(text), 1));
  if (panel != nullptr) {
    panel->SetSize(width, height);
    panel->FillRect(RECT{0, 0, static_cast<LONG>(panel->TextureWidth()),
                         static_cast<LONG>(panel->TextureHeight())},
                    kPanelColour, false);
  }
  texture->SetSize(width, height);
  texture->FillRect(RECT{0, 0, static_cast<LONG>(texture->TextureWidth()),
                         static_cast<LONG>(texture->TextureHeight())},
                    0x00FFFFFF, false);
  writer->DrawText(0, 0, text, *texture);
}

}  // namespace

void TGame::MakeTextTexture(TDGTexture* texture, TDGTexture* panel, const std::string& text,
                            TSXTextWriter* writer) {
  if (writer == Owned->LabelWriter.get()) {
    writer->Font().SetSize(texture == Owned->MusicTitleTexture.get() ? kMusicTitlePoints
                                                                     : kLabelPoints);
  }
  WriteTextTexture(texture, panel, text, writer);
}

void TGame::ShowMusicTitle() {
  // The player's path may hold what Shift-JIS cannot: the title is written from UTF-16.
  TSXTextWriter* writer = Owned->LabelWriter.get();
  writer->Font().SetSize(kMusicTitlePoints);
  WriteTextTexture(Owned->MusicTitleTexture.get(), nullptr,
                   codepage::Utf8ToUtf16(MusicTitle(S.MusicName)), writer);
}

bool TGame::SpellingFits(std::u16string_view seikai) const {
  D3DCAPS9 caps{};
  TDGCarad* dg = Owned->DG.get();
  if (dg == nullptr || dg->D3D() == nullptr ||
      dg->D3D()->GetDeviceCaps(dg->Adapter(), dg->DeviceType(), &caps) != D3D_OK) {
    return true;
  }
  // Half the widest texture: the player may later pick a wider character font.
  const std::int32_t width = Owned->MojiWriter->TextWidth(codepage::Utf16ToSjis(seikai));
  return width <= static_cast<std::int32_t>(caps.MaxTextureWidth / 2);
}

std::int32_t TGame::DrawnMojiCount() const {
  return std::clamp<std::int32_t>(
      std::min<std::int32_t>(S.MojiCount, static_cast<std::int32_t>(S.Akarusa.size())), 0,
      kMojiSlots);
}

bool TGame::Pulsing(std::int32_t k, std::int32_t count) const {
  const bool wandering =
      S.TitleMode == 1 || S.SeikaiCount > 20 || (S.SeikaiCount == 20 && S.Playing == 1);
  const bool pulseReady = S.Fukuramu.size() >= static_cast<std::size_t>(count) &&
                          S.HotaruSizeW.size() >= static_cast<std::size_t>(count) &&
                          S.HotaruSizeH.size() >= static_cast<std::size_t>(count) &&
                          S.MojiSizeW.size() >= static_cast<std::size_t>(count) &&
                          S.MojiSizeH.size() >= static_cast<std::size_t>(count);
  return wandering && k >= S.HintMoji && pulseReady;
}

void TGame::AnimateFireflies() {
  const std::int32_t sw = S.ScreenWidth;
  const TRect e = Window.AnswerBounds();
  const std::int32_t count = DrawnMojiCount();

  // Blinking; in stage 1 the hidden character stays as it is.
  for (std::int32_t k = 0; k < count && k < static_cast<std::int32_t>(S.Akarumu.size()); ++k) {
    if (k == S.KakushiNo && S.SeikaiCount < kStageSize) continue;
    if (S.Akarumu[k] == 1) {
      S.Akarusa[k] += 10;
      if (S.Akarusa[k] >= 255) {
        S.Akarusa[k] = 255;
        S.Akarumu[k] = 0;
      }
    } else {
      S.Akarusa[k] -= 10;
      if (S.Akarusa[k] <= 0) {
        S.Akarusa[k] = 0;
        S.Akarumu[k] = 1;
      }
    }
  }

  // Movement, and bouncing in stage 3 and on the title.
  TDGTexture* f = Owned->HotaruTexture.get();
  const bool bouncing = S.SeikaiCount >= 2 * kStageSize || S.TitleMode == 1;
  for (std::int32_t k = 0; k < count; ++k) {
    MojiRecord& m = S.Moji[k];
    m.X += m.DX;
    m.Y += m.DY;
    if (!bouncing) continue;
    if (m.X < 0 || m.X > sw - W(f)) Bounce(m.X, m.DX);
    if (m.Y < 30 || m.Y > e.Top - H(f)) Bounce(m.Y, m.DY);
  }

  // The hint character's flight ends on its target after 80 steps.
  if (S.HintFlight > 0) {
    ++S.HintFlight;
    if (S.HintFlight >= 81) {
      const std::int32_t c = S.HintMoji - 1;
      if (c >= 0 && c < S.MojiCount) SetHintMojiDown(c);
      S.HintFlight = 0;
    }
  }

  // The pulse of stage 3 and the title: 1 % per frame between the natural size and half of it.
  for (std::int32_t k = 0; k < count; ++k) {
    if (!Pulsing(k, count)) continue;
    TDGTexture* m = Owned->MojiTextures[k].get();
    const float q = S.Fukuramu[k] == 1 ? 1.01f : 0.99f;
    S.HotaruSizeW[k] *= q;
    S.HotaruSizeH[k] *= q;
    S.MojiSizeW[k] *= q;
    S.MojiSizeH[k] *= q;
    if (S.Fukuramu[k] == 1 && S.HotaruSizeW[k] >= static_cast<float>(f->Width())) {
      S.HotaruSizeW[k] = static_cast<float>(f->Width());
      S.HotaruSizeH[k] = static_cast<float>(f->Height());
      S.MojiSizeW[k] = static_cast<float>(m->Width());
      S.MojiSizeH[k] = static_cast<float>(m->Height());
      S.Fukuramu[k] = 0;
    }
    if (S.Fukuramu[k] == 0 && S.HotaruSizeW[k] <= static_cast<float>(f->Width()) / 2) {
      S.HotaruSizeW[k] = static_cast<float>(f->Width()) / 2;
      S.HotaruSizeH[k] = static_cast<float>(f->Height()) / 2;
      S.MojiSizeW[k] = static_cast<float>(m->Width()) / 2;
      S.MojiSizeH[k] = static_cast<float>(m->Height()) / 2;
      S.Fukuramu[k] = 1;
    }
  }
}

void TGame::DrawGameScreen() {
  const std::int32_t sw = S.ScreenWidth;
  const TRect e = Window.AnswerBounds();

  // Clear; key and menu events run between frames in this system.
  Owned->Scene->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);

  // The background at 40 % over black, stretched over the client area.
  DrawTextureSized(Owned->HaikeiTexture.get(), 0, 0, Window.ClientWidth(), Window.ClientHeight(),
                   kBackgroundColour);

  // The answer label on its panel.
  DrawTexture(Owned->KotaeTexture2.get(), e.Left - W(Owned->KotaeTexture2.get()) - 5, e.Top + 3,
              0xFFFFFFFF);
  DrawTexture(Owned->KotaeTexture.get(), e.Left - W(Owned->KotaeTexture.get()) - 5, e.Top + 3,
              0xFFFF0000);

  // The status texts; the three counters right-aligned on the consecutive-answers text.
  TDGTexture* s = Owned->SeikaiTexture.get();
  TDGTexture* r = Owned->RenzokuTexture.get();
  TDGTexture* t = Owned->TimeTexture.get();
  TDGTexture* p = Owned->TokutenTexture.get();
  DrawTexture(s, W(r) + 5 - W(s), 5, 0xBBFFFF00);
  DrawTexture(r, 5, H(s) + 5, 0xBBE7FFBB);
  if (S.BlinkOn == 0) {
    DrawTexture(Owned->FuseikaiTexture.get(), W(r) + 5 - W(Owned->FuseikaiTexture.get()),
                2 * H(s) + 10, 0xBBFF0000);
  }
  DrawTexture(t, sw - W(t) - 5, 5, 0xBBFFFFFF);
  if (S.SeikaiCount >= kStageSize) {
    DrawTexture(Owned->HintTexture.get(), sw - W(Owned->HintTexture.get()) - 5, H(t) + 5,
                S.HintCount >= 3 ? 0xBBFF0000 : 0xBB6E82BE);
  }
  DrawTexture(p, (sw - W(p)) / 2, 5, 0xBBC0FFC0);
  DrawTexture(Owned->SaikoTokutenTexture.get(), (sw - W(p)) / 2, H(p) + 5, 0xBBFFFFFF);

  const std::int32_t count = DrawnMojiCount();
  TDGTexture* f = Owned->HotaruTexture.get();
  TDGTexture* g = Owned->HikariTexture.get();

  // The characters with their lights and fireflies.
  for (std::int32_t k = 0; k < count; ++k) {
    const MojiRecord& moji = S.Moji[k];
    TDGTexture* m = Owned->MojiTextures[k].get();
    const std::uint32_t white = White(S.Akarusa[k]);
    const std::uint32_t red = Red(S.Akarusa[k]);
    const bool showChar = S.Paused != 1 && !moji.Char.empty();
    if (!Pulsing(k, count)) {
      DrawTexture(g, moji.X + HalfW(m) - HalfW(g), moji.Y + HalfH(m) - HalfH(g), white);
      DrawTexture(f, moji.X + HalfW(m) - HalfW(f) - 5, moji.Y + HalfH(m) - 30 - HalfH(f), white);
      if (showChar) DrawTexture(m, moji.X, moji.Y, red);
      continue;
    }
    const std::int32_t hw = Round(S.HotaruSizeW[k]);
    const std::int32_t hh = Round(S.HotaruSizeH[k]);
    const std::int32_t mw = Round(S.MojiSizeW[k]);
    const std::int32_t mh = Round(S.MojiSizeH[k]);
    DrawTextureSized(g, moji.X + mw / 2 - hw / 2, moji.Y + mh / 2 - hh / 2, hw, hh, white);
    DrawTextureSized(f, moji.X + HalfW(m) - HalfW(f) - 5, moji.Y - hh + 5, hw, hh, white);
    if (showChar) DrawTextureSized(m, moji.X, moji.Y, mw, mh, red);
  }

  // Between questions: the result picture, the spelling and the reading.
  if (S.Playing == 0) {
    const std::int32_t y = (S.GameOver == 1 || S.GameClear == 1) ? 120 : 170;
    DrawTexture(Owned->PictureTexture.get(), (sw - W(Owned->PictureTexture.get())) / 2, y,
                kLabelColour);
    if (S.ShowSpelling == 1) {
      const std::int32_t sy = e.Top - H(Owned->SpellingTexture.get()) - 5;
      DrawTexture(Owned->SpellingTexture2.get(), e.Left, sy, kLabelColour);
      DrawTexture(Owned->SpellingTexture.get(), e.Left, sy, 0xBB00FF00);
    }
    if (S.ShowReading == 1) {
      const std::int32_t ry = S.ShowSpelling == 1 ? e.Top - H(Owned->SpellingTexture.get()) -
                                                        H(Owned->ReadingTexture.get()) - 10
                                                  : e.Top - H(Owned->ReadingTexture.get()) - 5;
      DrawTexture(Owned->ReadingTexture.get(), e.Left, ry, 0xBBFF80FF);
    }
  }

  // The bonus picture for one second, its last millisecond included, over the running bonus
  // question only: once answered, the centre picture is the result, drawn above.
  if (S.BonusMode == 1 && S.Playing == 1 && timeGetTime() - S.BonusTime <= 1000) {
    DrawTexture(Owned->PictureTexture.get(), (sw - W(Owned->PictureTexture.get())) / 2, 120,
                kLabelColour);
  }

  // The message lines.
  if (!S.Message2.empty()) {
    DrawTexture(Owned->Message2Texture.get(), (sw - W(Owned->Message2Texture.get())) / 2, 305,
                kLabelColour);
  }
  if (!S.Message1.empty()) {
    DrawTexture(Owned->Message1Texture.get(), (sw - W(Owned->Message1Texture.get())) / 2, 275,
                kLabelColour);
  }

  // The key guide under the answer field, the music title and the logo.
  DrawTexture(Owned->SosaTexture.get(), (sw - W(Owned->SosaTexture.get())) / 2, e.Top + e.Height,
              kLabelColour);
  if (S.GameClear == 0 && S.BgmOn == 1) {
    DrawTexture(Owned->MusicTitleTexture.get(), 5,
                Window.ClientHeight() - H(Owned->MusicTitleTexture.get()) - 5, 0xBBFFFF00);
  }
  if (S.TitleMode == 1) DrawTexture(Owned->LogoTexture.get(), 380, 350, kLabelColour);
}

}  // namespace game
