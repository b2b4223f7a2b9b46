// The small pictures: a firefly's light, the firefly itself and the application icon.
#pragma once

#include "pictures/canvas.h"

constexpr int kHikariSize = 48;
constexpr int kHotaruWidth = 48;
constexpr int kHotaruHeight = 40;

// The colours the keyed sprites are keyed with and blended towards at their edges.
Colour WhiteKey();
Colour NightBackdrop();  // roughly the background as the game shows it, at 40 %

// A disc of light shaded from pale yellow in the middle to yellow-green at the rim, on white.
Canvas DrawHikari();
// A firefly seen from above, its tail glowing, on white.
Canvas DrawHotaru();
// Paints a firefly on a layer: (cx, cy) is the centre of its 48 × 40 box, scaled by `scale`.
void PaintFirefly(Canvas& layer, float cx, float cy, float scale, float glow);
// The application icon: a glowing firefly on a round night-blue badge, with alpha.
Canvas DrawIcon(int size);
