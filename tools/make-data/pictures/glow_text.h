// Lettering effects: a filled, outlined and glowing line of text, painted as a layer with alpha.
#pragma once

#include <string>

#include "pictures/canvas.h"
#include "pictures/lettering.h"

struct GlowLook {
  Colour fillTop;     // gradient from the top of the capitals...
  Colour fillBottom;  // ...to the baseline
  Colour outline;
  float outlineWidth = 2.0f;
  Colour glow;
  float glowSigma = 6.0f;
  float glowStrength = 1.0f;
  Colour shadow = Colour::Rgb(0, 0, 0, 0.0f);  // a soft drop shadow; alpha 0 for none
};

// The run's mask painted as a layer the size of the mask.
Canvas PaintGlowText(const TextRun& run, const GlowLook& look);

// Picks the largest pixel height (up to `maxHeight`) at which the text's ink fits in
// `maxWidth` × `maxInkHeight`, and renders it with `margin` pixels of room.
TextRun FitText(const std::string& utf8, TextStyle style, int maxWidth, int maxInkHeight,
                int maxHeight, int margin, int oversample);

// Places `layer` so that the ink box of `run` is centred in a canvas of the given size.
Canvas CentreInk(const Canvas& layer, const TextRun& run, int width, int height, int yShift = 0);

// Four-pointed sparkles scattered around the lettering (for the happy banners).
// They keep clear of the lettering itself (anything already more than faintly opaque).
void AddSparkles(Canvas& canvas, int count, unsigned seed, const Colour& colour);
