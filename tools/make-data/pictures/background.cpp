#include "pictures/background.h"

#include <algorithm>
#include <cmath>

#include "pictures/noise.h"
#include "pictures/shapes.h"
#include "rng.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kHorizon = 300.0f;  // where sky meets the distant hills
constexpr float kMoonX = 520.0f;
constexpr float kMoonY = 86.0f;
constexpr float kMoonRadius = 22.0f;

float SmoothStep(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

Colour SkyAt(float y) {
  // Deep indigo overhead, a violet-blue glow low over the hills.
  const Colour zenith = Colour::Rgb(10, 12, 48);
  const Colour middle = Colour::Rgb(30, 36, 104);
  const Colour low = Colour::Rgb(78, 74, 150);
  const float t = std::clamp(y / kHorizon, 0.0f, 1.0f);
  if (t < 0.55f) return Mix(zenith, middle, SmoothStep(0.0f, 0.55f, t));
  return Mix(middle, low, SmoothStep(0.55f, 1.0f, t));
}

// Heights of the two ridges and the far bank, by column.
float FarRidge(const ValueNoise& noise, float x) {
  return kHorizon - 38.0f + 30.0f * noise.Fractal(x / 170.0f, 3.5f, 4) +
         10.0f * std::sin(x / 120.0f);
}

float TreeLine(const ValueNoise& noise, float x) {
  // Rounded crowns of a wooded bank, with the odd pointed cedar.
  const float base = kHorizon + 4.0f + 14.0f * noise.Fractal(x / 90.0f, 9.0f, 3);
  const float crowns = 9.0f * std::abs(std::sin(x / 11.0f + 2.0f * noise.At(x / 40.0f, 1.0f)));
  const float cedar =
      22.0f * std::pow(std::max(0.0f, noise.At(x / 13.0f, 5.0f) - 0.55f) * 2.2f, 2.0f);
  return base - crowns - cedar;
}

float FarBank(const ValueNoise& noise, float x) {
  return kHorizon + 30.0f + 6.0f * noise.Fractal(x / 60.0f, 12.0f, 3);
}

void PaintSky(Canvas& canvas, const ValueNoise& noise) {
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      Colour c = SkyAt(static_cast<float>(y));
      // A faint band of the Milky Way running down from the upper left.
      const float along = (x * 0.8f + y * 0.6f);
      const float across = (x * 0.6f - y * 0.8f) + 40.0f;
      const float band = std::exp(-(across * across) / (2.0f * 95.0f * 95.0f));
      const float cloud = noise.Fractal(along / 90.0f, across / 45.0f, 5);
      const float milky = band * std::max(0.0f, cloud - 0.35f) * 0.55f;
      c.r += milky * 0.45f;
      c.g += milky * 0.45f;
      c.b += milky * 0.60f;
      // Thin high veils of cloud lit by the moon.
      const float veil = std::max(0.0f, noise.Fractal(x / 210.0f, y / 34.0f, 4) - 0.58f) * 0.25f;
      c.r += veil * 0.7f;
      c.g += veil * 0.7f;
      c.b += veil * 0.9f;
      canvas.At(x, y) = c;
    }
  }
}

void PaintStars(Canvas& canvas, Rng& rng) {
  const Colour white = Colour::Rgb(255, 255, 255);
  const Colour blue = Colour::Rgb(200, 215, 255);
  const Colour warm = Colour::Rgb(255, 236, 200);
  for (int i = 0; i < 520; ++i) {
    const float x = rng.Uniform(0.0f, canvas.Width());
    const float y = static_cast<float>(std::pow(rng.Uniform(), 1.35) * (kHorizon + 10.0));
    const double roll = rng.Uniform();
    const Colour& tint = roll < 0.2 ? blue : (roll < 0.35 ? warm : white);
    // Stars fade low in the sky, in the haze over the hills.
    const float haze = 1.0f - SmoothStep(kHorizon * 0.6f, kHorizon, y) * 0.7f;
    const float brightness = static_cast<float>(std::pow(rng.Uniform(), 3.0)) * haze;
    const float dx = x - kMoonX;
    const float dy = y - kMoonY;
    if (dx * dx + dy * dy < 70.0f * 70.0f) continue;  // washed out by the moon
    AddGlow(canvas, x, y, 0.55f + brightness * 0.6f, tint, 0.35f + brightness * 1.6f);
    if (brightness > 0.78f) {
      // The brightest few get a soft halo and four faint rays.
      AddGlow(canvas, x, y, 3.5f, tint, 0.12f * brightness);
      for (int ray = 0; ray < 4; ++ray) {
        const float angle = ray * kPi / 2.0f;
        for (float r = 1.5f; r < 7.0f; r += 0.5f) {
          canvas.Add(static_cast<int>(x + std::cos(angle) * r),
                     static_cast<int>(y + std::sin(angle) * r), tint,
                     0.22f * brightness * (1.0f - r / 7.0f));
        }
      }
    }
  }
}

void PaintMoon(Canvas& canvas) {
  const Colour halo = Colour::Rgb(170, 180, 235);
  AddGlow(canvas, kMoonX, kMoonY, 75.0f, halo, 0.10f);
  AddGlow(canvas, kMoonX, kMoonY, 30.0f, halo, 0.16f);
  // The unlit part of the disc, just visible against the sky (earthshine).
  FillDisc(canvas, kMoonX, kMoonY, kMoonRadius, Colour::Rgb(36, 42, 96, 0.55f));
  // A thin waxing crescent: the disc minus a disc shifted to the left.
  const Colour light = Colour::Rgb(255, 246, 212);
  ShadeShape(
      canvas, kMoonX - kMoonRadius, kMoonY - kMoonRadius, kMoonX + kMoonRadius,
      kMoonY + kMoonRadius,
      [&](float x, float y) {
        const bool inMoon = InsideEllipse(x, y, kMoonX, kMoonY, kMoonRadius, kMoonRadius);
        const bool inShadow = InsideEllipse(x, y, kMoonX - 8.5f, kMoonY - 3.0f, kMoonRadius * 0.97f,
                                            kMoonRadius * 0.97f);
        return inMoon && !inShadow;
      },
      [&](float x, float y) {
        // Slightly warmer and dimmer towards the horns.
        const float dy = std::abs(y - kMoonY) / kMoonRadius;
        (void)x;
        return Mix(light, Colour::Rgb(235, 215, 170), dy * 0.6f);
      },
      6);
  AddGlow(canvas, kMoonX + 12.0f, kMoonY, 9.0f, Colour::Rgb(255, 245, 210), 0.10f);
}

void PaintHills(Canvas& canvas, const ValueNoise& noise) {
  const int width = canvas.Width();
  // Far ridge, hazy blue.
  ShadeShape(
      canvas, 0, kHorizon - 80, width, kHorizon + 60,
      [&](float x, float y) { return y >= FarRidge(noise, x); },
      [&](float x, float y) {
        const float mist = SmoothStep(kHorizon - 60.0f, kHorizon + 20.0f, y);
        const float texture = 0.9f + 0.2f * noise.Fractal(x / 25.0f, y / 25.0f, 3);
        return Scaled(Mix(Colour::Rgb(40, 44, 104), Colour::Rgb(58, 60, 126), mist), texture);
      });
  // Near wooded bank, nearly black-green.
  ShadeShape(
      canvas, 0, kHorizon - 60, width, kHorizon + 60,
      [&](float x, float y) { return y >= TreeLine(noise, x); },
      [&](float x, float y) {
        const float leaf = 0.75f + 0.5f * noise.Fractal(x / 6.0f, y / 6.0f, 3);
        return Scaled(Colour::Rgb(16, 28, 40), leaf);
      });
}

void PaintWater(Canvas& canvas, const ValueNoise& noise, Rng& rng) {
  const int width = canvas.Width();
  const int height = canvas.Height();
  for (int y = static_cast<int>(kHorizon); y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float bank = FarBank(noise, static_cast<float>(x));
      if (y < bank) continue;
      // The sky mirrored and darkened, broken into long horizontal ripples.
      const float mirrored = std::max(0.0f, 2.0f * bank - y - 40.0f);
      Colour c = Scaled(SkyAt(mirrored), 0.62f);
      const float depth = (y - bank) / 120.0f;
      const float ripple = noise.Fractal(x / 70.0f, y / 2.2f, 4);
      c = Scaled(c, 0.70f + 0.55f * ripple - 0.15f * std::min(depth, 1.0f));
      // Dark reflection of the tree line just under the far bank.
      const float shade =
          1.0f - 0.55f * (1.0f - SmoothStep(bank, bank + 22.0f, static_cast<float>(y)));
      c = Scaled(c, shade);
      // The moon's glitter: broken strokes in a column that widens towards the viewer.
      const float spread = 8.0f + (y - bank) * 0.45f;
      const float column = std::exp(-std::pow((x - kMoonX) / spread, 2.0f));
      const float glint = std::max(0.0f, noise.At(x / 5.0f, y / 1.3f) - 0.55f) * 2.2f;
      const float sparkle = column * glint * (1.1f - 0.5f * std::min(depth, 1.0f));
      c.r += sparkle * 0.95f;
      c.g += sparkle * 0.92f;
      c.b += sparkle * 0.78f;
      canvas.At(x, y) = c;
    }
  }
  // A low mist over the water.
  for (int y = static_cast<int>(kHorizon); y < static_cast<int>(kHorizon) + 90; ++y) {
    for (int x = 0; x < width; ++x) {
      const float mist = noise.Fractal(x / 140.0f, y / 12.0f, 3);
      const float profile = std::exp(-std::pow((y - (kHorizon + 34.0f)) / 20.0f, 2.0f));
      canvas.Add(x, y, Colour::Rgb(120, 130, 190), std::max(0.0f, mist - 0.45f) * profile * 0.35f);
    }
  }
  (void)rng;
}

float NearBank(const ValueNoise& noise, float x) {
  // The grassy bank in the foreground, lower in the middle where the stream comes closest.
  const float dip = std::exp(-std::pow((x - 360.0f) / 210.0f, 2.0f));
  return 372.0f + 70.0f * dip + 14.0f * noise.Fractal(x / 50.0f, 21.0f, 3);
}

void PaintForeground(Canvas& canvas, const ValueNoise& noise) {
  const int width = canvas.Width();
  const int height = canvas.Height();
  ShadeShape(
      canvas, 0, 360, width, height, [&](float x, float y) { return y >= NearBank(noise, x); },
      [&](float x, float y) {
        const float grain = 0.7f + 0.6f * noise.Fractal(x / 4.0f, y / 14.0f, 3);
        const float rise = SmoothStep(NearBank(noise, x), NearBank(noise, x) + 60.0f, y);
        return Scaled(Mix(Colour::Rgb(26, 46, 40), Colour::Rgb(12, 24, 22), rise), grain);
      });
}

void PaintReed(Canvas& canvas, Rng& rng, float baseX, float baseY, float height, float lean,
               const Colour& colour, bool plume) {
  const Point base{baseX, baseY};
  const Point tip{baseX + lean, baseY - height};
  const Point control{baseX + lean * 0.15f + rng.Uniform(-6.0f, 6.0f), baseY - height * 0.55f};
  const std::vector<Point> stem = QuadraticCurve(base, control, tip, 14);
  StrokeTapered(canvas, stem, rng.Uniform(2.6f, 4.2f), 0.8f, colour);
  // Moonlight catches one side of the stem.
  std::vector<Point> rim = stem;
  for (Point& p : rim) p.x += 0.9f;
  StrokeTapered(canvas, rim, 0.9f, 0.3f, Colour::Rgb(80, 100, 150, 0.35f));
  if (plume) {
    // A drooping plume of a silver-grass head.
    const float angle = std::atan2(tip.y - control.y, tip.x - control.x);
    for (int i = 0; i < 7; ++i) {
      const float spread = (i - 3) * 0.16f;
      const float length = rng.Uniform(14.0f, 24.0f);
      const Point end{tip.x + std::cos(angle + spread + 0.6f * (lean > 0 ? 1 : -1)) * length,
                      tip.y + std::sin(angle + spread) * length * 0.3f + length * 0.55f};
      StrokeTapered(canvas,
                    QuadraticCurve(tip, {tip.x + (end.x - tip.x) * 0.4f, tip.y - 4}, end, 8), 1.8f,
                    0.5f, Colour::Rgb(58, 66, 84, 0.7f));
    }
  }
}

void PaintLeaf(Canvas& canvas, Rng& rng, float baseX, float baseY, float length, float lean,
               const Colour& colour) {
  const Point base{baseX, baseY};
  const Point tip{baseX + lean, baseY - length * rng.Uniform(0.4f, 0.8f)};
  const Point control{baseX + lean * 0.2f, baseY - length};
  StrokeTapered(canvas, QuadraticCurve(base, control, tip, 12), rng.Uniform(3.0f, 5.5f), 0.6f,
                colour);
}

void PaintVegetation(Canvas& canvas, const ValueNoise& noise, Rng& rng) {
  const int width = canvas.Width();
  const int height = canvas.Height();
  // Short grass along the near bank.
  for (int i = 0; i < 260; ++i) {
    const float x = rng.Uniform(-10.0f, width + 10.0f);
    const float y = NearBank(noise, x) + rng.Uniform(2.0f, 40.0f);
    const float shade = rng.Uniform(0.6f, 1.0f);
    PaintLeaf(canvas, rng, x, y, rng.Uniform(14.0f, 34.0f), rng.Uniform(-16.0f, 16.0f),
              Scaled(Colour::Rgb(20, 40, 34), shade));
  }
  // Tall reeds framing the picture at both sides, taller towards the edges.
  for (int side = 0; side < 2; ++side) {
    for (int i = 0; i < 34; ++i) {
      const float edge = static_cast<float>(std::pow(rng.Uniform(), 1.6));
      const float x = side == 0 ? edge * 170.0f - 10.0f : width + 10.0f - edge * 170.0f;
      const float heightOfReed = (1.0f - edge) * 260.0f + rng.Uniform(60.0f, 130.0f);
      const float lean = (side == 0 ? 1.0f : -1.0f) * rng.Uniform(4.0f, 45.0f);
      const float shade = rng.Uniform(0.5f, 1.0f);
      const Colour colour = Scaled(Colour::Rgb(14, 30, 28), shade);
      PaintReed(canvas, rng, x, height + 5.0f, heightOfReed, lean, colour, rng.Chance(0.3));
      if (rng.Chance(0.5)) {
        PaintLeaf(canvas, rng, x + rng.Uniform(-5.0f, 5.0f), height + 5.0f, heightOfReed * 0.6f,
                  lean * 1.8f, colour);
      }
    }
  }
}

void PaintFireflies(Canvas& canvas, const ValueNoise& noise, Rng& rng) {
  const Colour light = Colour::Rgb(200, 255, 90);
  const Colour core = Colour::Rgb(245, 255, 200);
  for (int i = 0; i < 34; ++i) {
    // Most hover low over the water and the reeds, a few drift higher.
    const bool low = rng.Chance(0.8);
    const float x = low ? rng.Uniform(20.0f, canvas.Width() - 20.0f)
                        : rng.Uniform(40.0f, canvas.Width() - 40.0f);
    const float y =
        low ? rng.Uniform(kHorizon - 20.0f, 470.0f) : rng.Uniform(150.0f, kHorizon - 20.0f);
    const float strength = rng.Uniform(0.4f, 1.0f);
    AddGlow(canvas, x, y, 9.0f * strength + 3.0f, light, 0.22f * strength);
    AddGlow(canvas, x, y, 1.6f, core, 0.9f * strength);
    const float bank = FarBank(noise, x);
    if (y < bank && y > kHorizon - 20.0f) {
      // Reflection in the water below, softer and stretched.
      const float mirrorY = 2.0f * bank - y + 6.0f;
      AddGlow(canvas, x, mirrorY, 3.0f, light, 0.25f * strength);
    }
  }
}

void PaintVignette(Canvas& canvas) {
  const float cx = canvas.Width() * 0.5f;
  const float cy = canvas.Height() * 0.45f;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const float dx = (x - cx) / cx;
      const float dy = (y - cy) / cy;
      const float fade = 1.0f - 0.28f * std::min(1.0f, (dx * dx + dy * dy) * 0.5f);
      Colour& c = canvas.At(x, y);
      c = Scaled(c, fade);
      c.a = 1.0f;
    }
  }
}

}  // namespace

Canvas DrawBackground() {
  Canvas canvas(kBackgroundWidth, kBackgroundHeight, Colour::Rgb(0, 0, 0));
  const ValueNoise noise(0x4E57u);
  Rng rng(20240715);
  PaintSky(canvas, noise);
  PaintStars(canvas, rng);
  PaintMoon(canvas);
  PaintHills(canvas, noise);
  PaintWater(canvas, noise, rng);
  PaintForeground(canvas, noise);
  PaintVegetation(canvas, noise, rng);
  PaintFireflies(canvas, noise, rng);
  PaintVignette(canvas);
  return canvas;
}
