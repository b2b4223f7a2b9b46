// One frame of the game screen: every picture and text queued as an overlay sprite in the
// scene, in drawing order, from the state as it is; and the frame's device check and drawing
// for the frame driver.
#include <algorithm>
#include <cmath>

#include "game/game.h"
#include "game/game_owned.h"
#include "game/label_table.h"
#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"

namespace game {
namespace {

constexpr std::uint32_t kBackgroundColour = 0x66FFFFFF;

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

}  // namespace

TLabelFrame TGame::LabelFrame() const {
  const TGame::TOwned& o = *Owned;
  TLabelFrame frame{S, S.ScreenWidth, Window.ClientHeight(), Window.AnswerBounds(), {}, {}};
  for (std::size_t i = 0; i < kLabelCount; ++i) {
    frame.Widths[i] = W(o.Labels[i].get());
    frame.Heights[i] = H(o.Labels[i].get());
  }
  return frame;
}

void TGame::DrawLabels(TLabelLayer layer) {
  const TGame::TOwned& o = *Owned;
  const TLabelFrame frame = LabelFrame();
  for (const TLabelRow& row : kLabelRows) {
    if (row.Layer != layer || !row.Shown(S)) continue;
    const TLabelPoint at = row.Place(frame);
    const auto i = static_cast<std::size_t>(row.Label);
    if (row.Panel) DrawTexture(o.Panels[i].get(), at.X, at.Y, kLabelColour);
    DrawTexture(o.Labels[i].get(), at.X, at.Y, row.Colour(S));
  }
}

bool TGame::PrepareFrame() {
  // The marks first: the fireflies' step reads the sizes a rendered character records.
  RefreshScreen();
  RefreshResultsPanel();
  IDirect3DDevice9* device = Owned->DG->Device();
  if (device == nullptr) return false;
  const HRESULT state = device->TestCooperativeLevel();
  if (state == D3DERR_DEVICENOTRESET) {
    Owned->DG->ResetDevice();
    return false;
  }
  return SUCCEEDED(state);
}

void TGame::PresentFrame() {
  IDirect3DDevice9* device = Owned->DG->Device();
  device->BeginScene();
  DrawGameScreen();
  Owned->Scene->Render(nullptr, true);
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

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

bool TGame::TextFits(std::u16string_view text) const {
  TSXTextWriter* writer = Owned->MojiWriter.get();
  if (writer == nullptr) return true;
  return TextTextureWidth(*writer, std::u16string(text)) <=
         S.ScreenWidth - Window.AnswerBounds().Left;
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

  // The status texts.
  DrawLabels(TLabelLayer::Status);

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

  // Between questions: the result picture; then the labels of the revealed answer.
  if (S.Playing == 0) {
    const std::int32_t y = (S.GameOver == 1 || S.GameClear == 1) ? 120 : 170;
    DrawTexture(Owned->PictureTexture.get(), (sw - W(Owned->PictureTexture.get())) / 2, y,
                kLabelColour);
    if (S.GameOver == 1 || S.GameClear == 1) DrawResultsPanel();
  }
  DrawLabels(TLabelLayer::Result);

  // The bonus picture for one second, its last millisecond included, over the running bonus
  // question only: once answered, the centre picture is the result, drawn above.
  if (S.BonusMode == 1 && S.Playing == 1 && timeGetTime() - S.BonusTime <= 1000) {
    DrawTexture(Owned->PictureTexture.get(), (sw - W(Owned->PictureTexture.get())) / 2, 120,
                kLabelColour);
  }

  // The message lines.
  DrawLabels(TLabelLayer::Message);

  // The key guide under the answer field, the music title and the logo.
  DrawTexture(Owned->SosaTexture.get(), (sw - W(Owned->SosaTexture.get())) / 2, e.Top + e.Height,
              kLabelColour);
  DrawLabels(TLabelLayer::Footer);
  if (S.TitleMode == 1) {
    DrawTexture(Owned->LogoTexture.get(), kLogoPlace.X, kLogoPlace.Y, kLabelColour);
  }
}

}  // namespace game
