// The fireflies' step, once per frame before it is drawn: the blinking, the movement with the
// bouncing of stage 3 and the title, the hint character's flight and the pulse.
#include <algorithm>

#include "rules/game_rules.h"
#include "rules/random.h"

namespace game {
namespace {

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

std::int32_t TGameRules::DrawnMojiCount() const {
  return std::clamp<std::int32_t>(
      std::min<std::int32_t>(S.MojiCount, static_cast<std::int32_t>(S.Akarusa.size())), 0,
      kMojiSlots);
}

bool TGameRules::Pulsing(std::int32_t k, std::int32_t count) const {
  const bool wandering =
      S.TitleMode == 1 || S.SeikaiCount > 20 || (S.SeikaiCount == 20 && S.Playing == 1);
  const bool pulseReady = S.Fukuramu.size() >= static_cast<std::size_t>(count) &&
                          S.HotaruSizeW.size() >= static_cast<std::size_t>(count) &&
                          S.HotaruSizeH.size() >= static_cast<std::size_t>(count) &&
                          S.MojiSizeW.size() >= static_cast<std::size_t>(count) &&
                          S.MojiSizeH.size() >= static_cast<std::size_t>(count);
  return wandering && k >= S.HintMoji && pulseReady;
}

void TGameRules::AnimateFireflies() {
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
  const TPictureSizes& f = S.Pictures;
  const bool bouncing = S.SeikaiCount >= 2 * kStageSize || S.TitleMode == 1;
  for (std::int32_t k = 0; k < count; ++k) {
    MojiRecord& m = S.Moji[k];
    m.X += m.DX;
    m.Y += m.DY;
    if (!bouncing) continue;
    if (m.X < 0 || m.X > sw - f.HotaruW) Bounce(m.X, m.DX);
    if (m.Y < 30 || m.Y > e.Top - f.HotaruH) Bounce(m.Y, m.DY);
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
    const auto fw = static_cast<float>(f.HotaruW);
    const auto fh = static_cast<float>(f.HotaruH);
    const auto mw = static_cast<float>(S.MojiW[k]);
    const auto mh = static_cast<float>(S.MojiH[k]);
    const float q = S.Fukuramu[k] == 1 ? 1.01f : 0.99f;
    S.HotaruSizeW[k] *= q;
    S.HotaruSizeH[k] *= q;
    S.MojiSizeW[k] *= q;
    S.MojiSizeH[k] *= q;
    if (S.Fukuramu[k] == 1 && S.HotaruSizeW[k] >= fw) {
      S.HotaruSizeW[k] = fw;
      S.HotaruSizeH[k] = fh;
      S.MojiSizeW[k] = mw;
      S.MojiSizeH[k] = mh;
      S.Fukuramu[k] = 0;
    }
    if (S.Fukuramu[k] == 0 && S.HotaruSizeW[k] <= fw / 2) {
      S.HotaruSizeW[k] = fw / 2;
      S.HotaruSizeH[k] = fh / 2;
      S.MojiSizeW[k] = mw / 2;
      S.MojiSizeH[k] = mh / 2;
      S.Fukuramu[k] = 1;
    }
  }
}

}  // namespace game
