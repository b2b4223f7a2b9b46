#include "pictures/glow_text.h"

#include <algorithm>
#include <cmath>

#include "pictures/shapes.h"
#include "rng.h"

Canvas PaintGlowText(const TextRun& run, const GlowLook& look) {
  const Mask& ink = run.mask;
  const int width = ink.Width();
  const int height = ink.Height();
  const Mask outline = look.outlineWidth > 0.0f ? ink.Grown(look.outlineWidth) : ink;
  const Mask glow = outline.Blurred(look.glowSigma);
  const Mask shadow = look.shadow.a > 0.0f ? outline.Blurred(2.0f) : Mask(width, height);
  int left, top, right, bottom;
  ink.Bounds(0.5f, left, top, right, bottom);
  const float gradientTop = static_cast<float>(top);
  const float gradientBottom =
      static_cast<float>(std::max(top + 1, std::min(bottom, run.baseline + 2)));

  Canvas layer(width, height, Colour{0, 0, 0, 0});
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (look.shadow.a > 0.0f) {
        layer.Blend(x, y, look.shadow, shadow.Sample(x - 2, y - 3));
      }
      layer.Blend(x, y, look.glow, std::min(1.0f, glow.At(x, y) * look.glowStrength));
      layer.Blend(x, y, look.outline, outline.At(x, y));
      const float t =
          std::clamp((y + 0.5f - gradientTop) / (gradientBottom - gradientTop), 0.0f, 1.0f);
      Colour fill = Mix(look.fillTop, look.fillBottom, t);
      // A soft band of highlight across the upper third of the letters.
      const float shine = std::exp(-std::pow((t - 0.22f) / 0.12f, 2.0f)) * 0.35f;
      fill = Mix(fill, Colour::Rgb(255, 255, 255), shine);
      layer.Blend(x, y, fill, ink.At(x, y));
    }
  }
  return layer;
}

TextRun FitText(const std::string& utf8, TextStyle style, int maxWidth, int maxInkHeight,
                int maxHeight, int margin, int oversample) {
  TextRun run;
  for (int size = maxHeight; size >= 8; size -= 2) {
    style.pixelHeight = size;
    run = RenderText(utf8, style, margin, oversample);
    int left, top, right, bottom;
    run.mask.Bounds(0.05f, left, top, right, bottom);
    if (right - left <= maxWidth && bottom - top <= maxInkHeight) return run;
  }
  return run;
}

Canvas CentreInk(const Canvas& layer, const TextRun& run, int width, int height, int yShift) {
  int left, top, right, bottom;
  run.mask.Bounds(0.05f, left, top, right, bottom);
  const int offsetX = (width - (right - left)) / 2 - left;
  const int offsetY = (height - (bottom - top)) / 2 - top + yShift;
  Canvas out(width, height, Colour{0, 0, 0, 0});
  for (int y = 0; y < layer.Height(); ++y) {
    for (int x = 0; x < layer.Width(); ++x) {
      const int tx = x + offsetX;
      const int ty = y + offsetY;
      if (out.Contains(tx, ty)) out.At(tx, ty) = layer.At(x, y);
    }
  }
  return out;
}

void AddSparkles(Canvas& canvas, int count, unsigned seed, const Colour& colour) {
  Rng rng(seed);
  int placed = 0;
  for (int attempt = 0; attempt < count * 40 && placed < count; ++attempt) {
    const float x = rng.Uniform(8.0f, canvas.Width() - 8.0f);
    const float y = rng.Uniform(8.0f, canvas.Height() - 8.0f);
    const int px = static_cast<int>(x);
    const int py = static_cast<int>(y);
    bool clear = true;
    for (int dy = -5; dy <= 5 && clear; dy += 5) {
      for (int dx = -5; dx <= 5 && clear; dx += 5) {
        if (canvas.Contains(px + dx, py + dy) && canvas.At(px + dx, py + dy).a > 0.35f)
          clear = false;
      }
    }
    if (!clear) continue;
    const float size = rng.Uniform(3.0f, 7.0f);
    BlendGlow(canvas, x, y, size * 0.6f, colour, 0.5f);
    // Two thin crossed rays.
    StrokeTapered(canvas, {{x - size, y}, {x, y}}, 0.3f, 1.6f, colour);
    StrokeTapered(canvas, {{x, y}, {x + size, y}}, 1.6f, 0.3f, colour);
    StrokeTapered(canvas, {{x, y - size}, {x, y}}, 0.3f, 1.6f, colour);
    StrokeTapered(canvas, {{x, y}, {x, y + size}}, 1.6f, 0.3f, colour);
    FillDisc(canvas, x, y, 1.1f, Colour::Rgb(255, 255, 255));
    ++placed;
  }
}
