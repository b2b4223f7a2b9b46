// Pictures that the game shows with a colour key have no alpha of their own: every pixel is
// either exactly the key colour (made transparent by the game) or fully opaque.
#pragma once

#include "pictures/canvas.h"

// Turns a layer with soft alpha into a keyed picture. Pixels at least `threshold` opaque become
// opaque, their colour composited over `backdrop` with the alpha rescaled from the threshold up
// (so a soft edge or glow fades into the colour the picture will be seen on, and reaches it at
// the cut-off instead of ending in a step); the rest become exactly `key`. An opaque pixel that
// would round to the key colour is nudged by one step so it is not keyed out by accident.
Canvas FlattenForColourKey(const Canvas& layer, const Colour& key, const Colour& backdrop,
                           float threshold = 0.5f);

// True when the pixel's 8-bit red, green and blue equal those of `key`.
bool MatchesKey(const Colour& pixel, const Colour& key);
