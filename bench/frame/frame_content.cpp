#include "frame_content.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace benchframe {

namespace {

TPicture Noise(int w, int h, std::mt19937& rng) {
  TPicture p{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h)};
  for (auto& px : p.Pixels) px = 0xFF000000u | static_cast<std::uint32_t>(rng() & 0xFFFFFF);
  return p;
}

// A soft round glow: opaque in the middle, fading to nothing at the edge.
TPicture Glow(int w, int h, double radius, std::uint32_t rgb) {
  TPicture p{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h)};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double d = std::hypot(x + 0.5 - w / 2.0, y + 0.5 - h / 2.0) / radius;
      const double a = std::clamp(1.0 - d, 0.0, 1.0);
      p.Pixels[y * w + x] = (static_cast<std::uint32_t>(a * a * 255) << 24) | rgb;
    }
  }
  return p;
}

// White strokes on transparency, like a line of rendered text.
TPicture Text(int w, int h, std::mt19937& rng) {
  TPicture p{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h, 0x00FFFFFF)};
  for (int stroke = 0; stroke < w * h / 40; ++stroke) {
    const int x0 = static_cast<int>(rng() % w), y0 = static_cast<int>(rng() % h);
    const bool across = rng() % 2;
    const int length = 2 + static_cast<int>(rng() % 8);
    for (int k = 0; k < length; ++k) {
      const int x = across ? x0 + k : x0, y = across ? y0 : y0 + k;
      if (x < w && y < h) {
        const std::uint32_t a = k == 0 || k == length - 1 ? 0x80 : 0xFF;
        p.Pixels[y * w + x] = (a << 24) | 0xFFFFFF;
      }
    }
  }
  return p;
}

}  // namespace

TFrameContent MakeWorstCaseFrame(std::uint32_t seed) {
  std::mt19937 rng(seed);
  TFrameContent f;
  f.Pictures.push_back(Noise(kScreenWidth, kScreenHeight, rng));  // 0: background
  f.Pictures.push_back(Glow(64, 64, 32, 0xFFFF80));               // 1: light
  f.Pictures.push_back(Glow(32, 32, 9, 0xE0FF60));                // 2: firefly
  const int firstLetter = static_cast<int>(f.Pictures.size());
  for (int i = 0; i < 39; ++i) f.Pictures.push_back(Text(32, 40, rng));
  const int firstLabel = static_cast<int>(f.Pictures.size());
  for (int i = 0; i < 12; ++i)
    f.Pictures.push_back(Text(150 + static_cast<int>(rng() % 21), 30, rng));
  const int firstLine = static_cast<int>(f.Pictures.size());
  for (int i = 0; i < 3; ++i)
    f.Pictures.push_back(Text(590 + static_cast<int>(rng() % 21), 35, rng));

  f.Sprites.push_back(TSprite{0, 0, 0, kScreenWidth, kScreenHeight, 0x66FFFFFF});
  std::uniform_real_distribution<double> scale(0.5, 1.0);
  for (int i = 0; i < 39; ++i) {
    const double s = scale(rng);
    const std::uint32_t alpha = static_cast<std::uint32_t>(rng() & 0xFF);
    const int x = static_cast<int>(rng() % (kScreenWidth - 64));
    const int y = 30 + static_cast<int>(rng() % (kScreenHeight - 150));
    const int lw = static_cast<int>(std::lround(64 * s)),
              fw = static_cast<int>(std::lround(32 * s));
    const int mw = static_cast<int>(std::lround(32 * s)),
              mh = static_cast<int>(std::lround(40 * s));
    f.Sprites.push_back(
        TSprite{1, x + mw / 2 - lw / 2, y + mh / 2 - lw / 2, lw, lw, (alpha << 24) | 0xFFFFFF});
    f.Sprites.push_back(
        TSprite{2, x + 16 - fw / 2 - 5, y - fw + 5, fw, fw, (alpha << 24) | 0xFFFFFF});
    f.Sprites.push_back(TSprite{firstLetter + i, x, y, mw, mh, (alpha << 24) | 0xFF0000});
  }
  for (int i = 0; i < 12; ++i) {
    const TPicture& p = f.Pictures[firstLabel + i];
    f.Sprites.push_back(TSprite{firstLabel + i, static_cast<int>(rng() % (kScreenWidth - p.Width)),
                                static_cast<int>(rng() % (kScreenHeight - p.Height)), p.Width,
                                p.Height,
                                0xBB000000u | static_cast<std::uint32_t>(rng() & 0xFFFFFF)});
  }
  for (int i = 0; i < 3; ++i) {
    const TPicture& p = f.Pictures[firstLine + i];
    f.Sprites.push_back(TSprite{firstLine + i, (kScreenWidth - p.Width) / 2, 275 + 30 * i - 30,
                                p.Width, p.Height, 0xBBFFFFFF});
  }
  return f;
}

}  // namespace benchframe
