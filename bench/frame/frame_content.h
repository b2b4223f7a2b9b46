// The game's worst-case frame as plain data, drawn the same way by every contender: the pictures
// (A8R8G8B8 pixels) and the list of sprites that place them.
#pragma once

#include <cstdint>
#include <vector>

namespace benchframe {

inline constexpr int kScreenWidth = 688;
inline constexpr int kScreenHeight = 528;

struct TPicture {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;  // A8R8G8B8, rows Width apart
};

// One textured rectangle: picture Picture stretched to W x H at (X, Y), times Colour (ARGB).
struct TSprite {
  int Picture = 0;
  int X = 0, Y = 0, W = 0, H = 0;
  std::uint32_t Colour = 0xFFFFFFFF;
};

struct TFrameContent {
  std::vector<TPicture> Pictures;
  std::vector<TSprite> Sprites;  // in drawing order, after a clear to opaque black
};

// The background at 40 %, 39 characters (light 64 x 64, firefly 32 x 32 and letter 32 x 40, each
// scaled between 0.5 and 1.0 with a random alpha), 12 labels of about 160 x 30 and three lines of
// about 600 x 35 at alpha 0xBB.
TFrameContent MakeWorstCaseFrame(std::uint32_t seed);

// Mean milliseconds per call of draw over the given number of frames (after a short warm-up).
template <class F>
double MeanMilliseconds(int frames, F&& draw);

}  // namespace benchframe

#include <chrono>

template <class F>
double benchframe::MeanMilliseconds(int frames, F&& draw) {
  for (int i = 0; i < 5; ++i) draw();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) draw();
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / frames;
}
