#include "pictures/title.h"

#include <algorithm>
#include <cmath>

#include "pictures/glow_text.h"
#include "pictures/keying.h"
#include "pictures/shapes.h"

Colour BlackKey() { return Colour::Rgb(0, 0, 0); }

namespace {

struct Dot {
  float x, y, radius;
};

// Lifts the dot off an "i": the ink rows above the first empty row inside the glyph's box.
bool TakeDot(Mask& mask, const GlyphPlacement& glyph, Dot& dot) {
  const int x0 = std::max(0, glyph.left - 1);
  const int x1 = std::min(mask.Width(), glyph.left + glyph.width + 1);
  int gap = -1;
  bool inkSeen = false;
  for (int y = glyph.top; y < glyph.top + glyph.height && y < mask.Height(); ++y) {
    float row = 0.0f;
    for (int x = x0; x < x1; ++x) row = std::max(row, mask.At(x, y));
    if (row > 0.1f) inkSeen = true;
    if (inkSeen && row < 0.02f) {
      gap = y;
      break;
    }
  }
  if (gap < 0) return false;
  float sum = 0.0f, sx = 0.0f, sy = 0.0f;
  for (int y = std::max(0, glyph.top - 2); y < gap; ++y) {
    for (int x = x0; x < x1; ++x) {
      const float v = mask.At(x, y);
      sum += v;
      sx += v * (x + 0.5f);
      sy += v * (y + 0.5f);
      mask.At(x, y) = 0.0f;
    }
  }
  if (sum <= 0.0f) return false;
  dot = {sx / sum, sy / sum, std::sqrt(sum / 3.14159f)};
  return true;
}

}  // namespace

Canvas DrawTitle() {
  TextStyle style;
  style.face = "IPAPMincho";
  style.bold = true;
  style.letterSpacing = 3.0f;
  const int margin = 22;
  // Ink kept in the upper part of the picture: the game writes its title-screen messages from
  // y 275, just under the picture's place at y 170.
  TextRun run = FitText("Nightwisp", style, kTitleWidth - 44, 92, 120, margin, 3);
  std::vector<Dot> dots;
  for (const GlyphPlacement& glyph : run.glyphs) {
    Dot dot;
    if (glyph.character == u"i" && TakeDot(run.mask, glyph, dot)) dots.push_back(dot);
  }
  GlowLook look;
  look.fillTop = Colour::Rgb(255, 255, 240);
  look.fillBottom = Colour::Rgb(196, 246, 100);
  look.outline = Colour::Rgb(16, 24, 56);
  look.outlineWidth = 3.0f;
  look.glow = Colour::Rgb(120, 220, 70);
  look.glowSigma = 4.5f;
  look.glowStrength = 1.3f;
  Canvas layer = PaintGlowText(run, look);
  // The i's dots become little lights: a glow, then a bright core.
  for (const Dot& dot : dots) {
    const float r = dot.radius * 1.15f;
    BlendGlow(layer, dot.x, dot.y, r * 2.6f, Colour::Rgb(170, 255, 80), 0.95f);
    FillDisc(layer, dot.x, dot.y, r, Colour::Rgb(214, 255, 120));
    BlendGlow(layer, dot.x, dot.y, r * 0.7f, Colour::Rgb(255, 255, 235), 0.9f);
  }
  const Canvas placed = CentreInk(layer, run, kTitleWidth, kTitleHeight, -10);
  // Keyed on black: the glow fades into the night blue the title is seen on.
  return FlattenForColourKey(placed, BlackKey(), Colour::Rgb(18, 20, 52), 0.22f);
}

Canvas DrawLogo() {
  Canvas logo(kLogoWidth, kLogoHeight, Colour{0, 0, 0, 0});
  const Colour gold = Colour::Rgb(236, 214, 150);
  // Emblem: a ring holding a crescent moon and a firefly's light.
  const float cx = 25.0f, cy = 25.0f;
  ShadeShape(
      logo, 0, 0, 50, 50,
      [&](float x, float y) {
        const float d = std::hypot(x - cx, y - cy);
        return d <= 22.0f && d >= 20.2f;
      },
      [&](float, float) { return gold; }, 6);
  FillDisc(logo, cx, cy, 20.0f, Colour::Rgb(20, 24, 70, 0.85f));
  ShadeShape(
      logo, cx - 14, cy - 14, cx + 14, cy + 14,
      [&](float x, float y) {
        return InsideEllipse(x, y, cx - 3, cy - 1, 12.0f, 12.0f) &&
               !InsideEllipse(x, y, cx + 2.5f, cy - 4.0f, 10.5f, 10.5f);
      },
      [&](float, float) { return Colour::Rgb(255, 240, 190); }, 6);
  BlendGlow(logo, cx + 8.0f, cy + 8.0f, 4.5f, Colour::Rgb(190, 255, 90), 0.9f);
  FillDisc(logo, cx + 8.0f, cy + 8.0f, 1.8f, Colour::Rgb(245, 255, 200));

  TextStyle style;
  style.face = "IPAPMincho";
  style.bold = true;
  style.letterSpacing = 4.0f;
  const TextRun run = FitText("Amaneya", style, kLogoWidth - 70, 34, 44, 6, 3);
  GlowLook look;
  look.fillTop = Colour::Rgb(255, 246, 214);
  look.fillBottom = Colour::Rgb(222, 190, 110);
  look.outline = Colour::Rgb(30, 22, 40, 0.9f);
  look.outlineWidth = 1.2f;
  look.glow = Colour::Rgb(255, 220, 140);
  look.glowSigma = 3.0f;
  look.glowStrength = 0.35f;
  const Canvas text = PaintGlowText(run, look);
  int left, top, right, bottom;
  run.mask.Bounds(0.05f, left, top, right, bottom);
  const int x = 58 + (kLogoWidth - 58 - (right - left)) / 2 - left;
  const int y = (kLogoHeight - (bottom - top)) / 2 - top;
  logo.Composite(text, x, y);
  return logo;
}
