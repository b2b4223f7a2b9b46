// A contact sheet: every picture placed on the background the way the game draws its screens
// (background at 40 % over black, colour keys, vertex colours, alpha blending), one panel per
// situation, for looking at the whole set at once.
#pragma once

#include <cstdint>

#include "data_set.h"
#include "pictures/canvas.h"

// The game's sprite drawing: texel × vertex colour (ARGB), blended by alpha over the screen,
// point-sampled, the texture stretched to width × height.
void DrawSprite(Canvas& screen, const Canvas& texture, int x, int y, int width, int height,
                uint32_t argb);
// A picture loaded with a colour key: key pixels transparent, all others opaque.
Canvas KeyedTexture(const Canvas& picture, const Colour& key);

Canvas MakeContactSheet(const PictureSet& pictures);
