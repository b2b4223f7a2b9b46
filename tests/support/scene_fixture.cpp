#include "support/scene_fixture.h"

#include <algorithm>

void SceneTest::SetUp() {
  d3d9standin::ResetConfig();
  Window = std::make_unique<TNullWindow>(kWidth, kHeight);
  Window->SetPresenter([this](UINT width, UINT height, INT pitch, const uint32_t* pixels,
                              const TFrameChange&) {
    Frame.assign(static_cast<size_t>(width) * height, 0);
    for (UINT y = 0; y < height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                          static_cast<ptrdiff_t>(y) * pitch);
      for (UINT x = 0; x < width; ++x) Frame[y * width + x] = row[x] | 0xFF000000u;
    }
  });
  Carad = std::make_unique<TDGCarad>(Window.get());
  Carad->SetDebugOption({});
  Carad->Loaded();
  ASSERT_NE(Carad->Device(), nullptr);
  Scene = std::make_unique<TSXScene>(Carad.get(), "");
}

void SceneTest::TearDown() {
  Scene.reset();
  Carad.reset();
  d3d9standin::ResetConfig();
}

std::vector<TSXVertex> SceneTest::Quad(float w, float h, uint32_t colour, float u, float v) {
  return {MakeVertex(colour, 0, 0, 0, 0, 0), MakeVertex(colour, 0, w, 0, u, 0),
          MakeVertex(colour, 0, 0, h, 0, v), MakeVertex(colour, 0, w, h, u, v)};
}

uint32_t Mul255(uint32_t a, uint32_t b) { return (a * b + 127) / 255; }

namespace {
uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }
}  // namespace

uint32_t Modulate(uint32_t texel, uint32_t diffuse) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    out |= Mul255(Channel(texel, shift), Channel(diffuse, shift)) << shift;
  }
  return out;
}

uint32_t AlphaOver(uint32_t src, uint32_t dst) {
  const uint32_t alpha = src >> 24;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t sum = Channel(src, shift) * alpha + Channel(dst, shift) * (255 - alpha);
    out |= std::min<uint32_t>(255, (sum + 127) / 255) << shift;
  }
  return out;
}
