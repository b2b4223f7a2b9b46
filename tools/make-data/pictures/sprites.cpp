#include "pictures/sprites.h"

#include <algorithm>
#include <cmath>

#include "pictures/keying.h"
#include "pictures/shapes.h"
#include "rng.h"

Colour WhiteKey() { return Colour::Rgb(255, 255, 255); }
Colour NightBackdrop() { return Colour::Rgb(14, 16, 42); }

Canvas DrawHikari() {
  const float centre = kHikariSize * 0.5f;
  const float radius = centre - 0.8f;
  const Colour middle = Colour::Rgb(255, 255, 214);
  const Colour inner = Colour::Rgb(236, 250, 140);
  const Colour outer = Colour::Rgb(150, 212, 48);
  const Colour rim = Colour::Rgb(58, 108, 18);
  Canvas layer(kHikariSize, kHikariSize, Colour{1, 1, 1, 0});
  ShadeShape(
      layer, 0, 0, kHikariSize, kHikariSize,
      [&](float x, float y) { return InsideEllipse(x, y, centre, centre, radius, radius); },
      [&](float x, float y) {
        const float t = std::hypot(x - centre, y - centre) / radius;
        // A bright core that falls off like a glow, then a darker rim.
        const float core = std::exp(-std::pow(t / 0.42f, 2.0f));
        const float body = std::exp(-std::pow(t / 0.85f, 2.0f));
        Colour c = Mix(rim, outer, body);
        c = Mix(c, inner, std::min(1.0f, body * body * 1.2f));
        return Mix(c, middle, core);
      },
      6);
  return FlattenForColourKey(layer, WhiteKey(), NightBackdrop());
}

void PaintFirefly(Canvas& layer, float cx, float cy, float scale, float glow) {
  // Coordinates below are in the firefly's own 48 × 40 box.
  auto P = [&](float bx, float by) {
    return Point{cx + (bx - 24.0f) * scale, cy + (by - 20.0f) * scale};
  };
  auto S = [&](float length) { return length * scale; };
  const Colour leg = Colour::Rgb(44, 36, 40);
  const Colour wing = Colour::Rgb(150, 164, 196, 0.5f);
  const Colour shell = Colour::Rgb(30, 26, 32);
  const Colour sheen = Colour::Rgb(96, 100, 132);
  const Colour pronotum = Colour::Rgb(238, 122, 98);
  const Colour lantern = Colour::Rgb(236, 255, 150);
  const Colour light = Colour::Rgb(190, 255, 80);

  // The lantern's light, under everything else.
  BlendGlow(layer, P(24, 33).x, P(24, 33).y, S(7.5f), light, 0.9f * glow);

  // Antennae and legs.
  for (int side = -1; side <= 1; side += 2) {
    const float m = static_cast<float>(side);
    StrokeTapered(
        layer,
        QuadraticCurve(P(24 + m * 1.5f, 3.8f), P(24 + m * 6, 0.6f), P(24 + m * 12.5f, 1.6f), 8),
        S(1.3f), S(0.7f), leg);
    StrokeTapered(layer, {P(24 + m * 4, 12), P(24 + m * 10, 9), P(24 + m * 14, 5.5f)}, S(1.4f),
                  S(0.8f), leg);
    StrokeTapered(layer, {P(24 + m * 4, 15), P(24 + m * 11, 16), P(24 + m * 15, 14)}, S(1.4f),
                  S(0.8f), leg);
    StrokeTapered(layer, {P(24 + m * 4, 18), P(24 + m * 10, 23), P(24 + m * 14, 27)}, S(1.4f),
                  S(0.8f), leg);
  }
  // Hind wings, spread a little and translucent.
  for (int side = -1; side <= 1; side += 2) {
    const Point c = P(24 + side * 7.5f, 22);
    FillEllipse(layer, c.x, c.y, S(5.5f), S(11.5f), side * 0.38f, wing);
  }
  // Abdomen and the glowing lantern segments at its tip.
  const Point belly = P(24, 27);
  FillEllipse(layer, belly.x, belly.y, S(5.6f), S(6.5f), 0.0f, Colour::Rgb(58, 48, 50));
  const Point tail = P(24, 32.5f);
  ShadeShape(
      layer, tail.x - S(6), tail.y - S(6), tail.x + S(6), tail.y + S(6),
      [&](float x, float y) { return InsideEllipse(x, y, tail.x, tail.y, S(5.0f), S(5.4f)); },
      [&](float x, float y) {
        const float t = std::hypot(x - tail.x, (y - tail.y) * 0.9f) / S(5.2f);
        Colour c = Mix(lantern, light, std::min(1.0f, t * t));
        // Faint segment lines across the lantern.
        const float band = std::fmod((y - P(24, 28).y) / S(2.6f) + 10.0f, 1.0f);
        if (band < 0.18f) c = Scaled(c, 0.86f);
        return c;
      });
  BlendGlow(layer, tail.x, tail.y + S(0.5f), S(2.6f), Colour::Rgb(250, 255, 225), 0.8f * glow);
  // Wing covers, with a cool sheen along their outer edges.
  for (int side = -1; side <= 1; side += 2) {
    const Point c = P(24 + side * 3.1f, 19.5f);
    const float rx = S(3.9f);
    const float ry = S(9.8f);
    const float angle = -side * 0.07f;
    ShadeShape(
        layer, c.x - ry, c.y - ry, c.x + ry, c.y + ry,
        [&](float x, float y) { return InsideEllipse(x, y, c.x, c.y, rx, ry, angle); },
        [&](float x, float y) {
          const float across = (x - c.x) / rx * side;  // 1 at the outer edge
          const float along = (y - c.y) / ry;
          const float highlight = std::exp(-std::pow((across - 0.45f) / 0.25f, 2.0f)) *
                                  std::exp(-std::pow((along + 0.2f) / 0.6f, 2.0f));
          return Mix(shell, sheen, 0.7f * highlight);
        });
  }
  // The seam between the covers.
  StrokePolyline(layer, {P(24, 11.5f), P(24, 28.5f)}, S(0.6f), Colour::Rgb(14, 12, 16, 0.8f));
  // The shield behind the head: the rose-orange mark of the Genji firefly, with its dark cross.
  const Point shield = P(24, 9.4f);
  FillEllipse(layer, shield.x, shield.y, S(6.8f), S(4.4f), 0.0f, pronotum);
  FillEllipse(layer, shield.x, shield.y + S(0.3f), S(1.6f), S(3.4f), 0.0f, Colour::Rgb(52, 22, 30));
  FillEllipse(layer, shield.x, shield.y + S(0.2f), S(3.8f), S(1.0f), 0.0f,
              Colour::Rgb(52, 22, 30, 0.8f));
  // Head and eyes.
  const Point head = P(24, 4.6f);
  FillEllipse(layer, head.x, head.y, S(3.2f), S(2.3f), 0.0f, shell);
  FillDisc(layer, P(21.7f, 4.2f).x, P(21.7f, 4.2f).y, S(1.1f), Colour::Rgb(80, 82, 100));
  FillDisc(layer, P(26.3f, 4.2f).x, P(26.3f, 4.2f).y, S(1.1f), Colour::Rgb(80, 82, 100));
}

Canvas DrawHotaru() {
  Canvas layer(kHotaruWidth, kHotaruHeight, Colour{1, 1, 1, 0});
  PaintFirefly(layer, kHotaruWidth * 0.5f, kHotaruHeight * 0.5f, 1.0f, 1.0f);
  return FlattenForColourKey(layer, WhiteKey(), NightBackdrop());
}

Canvas DrawIcon(int size) {
  const float n = static_cast<float>(size);
  Canvas icon(size, size, Colour{0, 0, 0, 0});
  const float centre = n * 0.5f;
  const float radius = n * 0.47f;
  // A round badge of night sky.
  ShadeShape(
      icon, 0, 0, n, n,
      [&](float x, float y) { return InsideEllipse(x, y, centre, centre, radius, radius); },
      [&](float x, float y) {
        (void)x;
        const float t = y / n;
        return Mix(Colour::Rgb(38, 44, 122), Colour::Rgb(10, 12, 44), t);
      },
      6);
  // A few stars and a soft light around the firefly.
  Rng rng(64);
  for (int i = 0; i < 14; ++i) {
    const float angle = rng.Uniform(0.0f, 6.2832f);
    const float distance = rng.Uniform(0.45f, 0.85f) * radius;
    const float x = centre + std::cos(angle) * distance;
    const float y = centre + std::sin(angle) * distance;
    BlendGlow(icon, x, y, n * 0.006f + 0.5f, Colour::Rgb(230, 235, 255), 0.8f);
  }
  BlendGlow(icon, centre, centre + n * 0.1f, n * 0.22f, Colour::Rgb(170, 240, 70), 0.45f);
  PaintFirefly(icon, centre, centre + n * 0.02f, n / 58.0f, 1.0f);
  // A thin bright rim keeps the badge crisp on dark panels.
  ShadeShape(
      icon, 0, 0, n, n,
      [&](float x, float y) {
        const float d = std::hypot(x - centre, y - centre);
        return d <= radius && d >= radius - std::max(1.0f, n * 0.012f);
      },
      [&](float, float) { return Colour::Rgb(150, 170, 230, 0.7f); }, 6);
  // Nothing outside the badge.
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if (std::hypot(x + 0.5f - centre, y + 0.5f - centre) > radius + 1.0f)
        icon.At(x, y) = {0, 0, 0, 0};
    }
  }
  return icon;
}
