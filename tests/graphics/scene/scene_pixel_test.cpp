// Frames drawn by the scene on the real software device, compared pixel for pixel with the blend
// arithmetic worked out here.
#include <gtest/gtest.h>

#include <functional>

#include "support/scene_fixture.h"

namespace {

constexpr uint32_t kBackground = 0xFF203040;

// A 16 x 16 picture whose texels all differ, with alpha running over the whole range.
uint32_t Texel(int x, int y) {
  const uint32_t alpha = static_cast<uint32_t>(x * 16 + y) & 0xFF;
  return alpha << 24 | static_cast<uint32_t>(255 - x * 15) << 16 |
         static_cast<uint32_t>(y * 17) << 8 | static_cast<uint32_t>((x * 7 + y * 3) & 0xFF);
}

struct TSprite {
  int X, Y;
  uint32_t Colour;
};

// Starts from the background and lets `apply` change the pixels a sprite covers.
std::vector<uint32_t> Expected(
    const std::vector<TSprite>& sprites, int size,
    const std::function<uint32_t(uint32_t texel, const TSprite&, uint32_t dst)>& apply) {
  std::vector<uint32_t> frame(SceneTest::kWidth * SceneTest::kHeight, kBackground);
  for (const TSprite& s : sprites) {
    for (int y = s.Y; y < s.Y + size && y < SceneTest::kHeight; ++y) {
      for (int x = s.X; x < s.X + size && x < SceneTest::kWidth; ++x) {
        uint32_t& pixel = frame[y * SceneTest::kWidth + x];
        pixel = apply(Texel(x - s.X, y - s.Y), s, pixel);
      }
    }
  }
  return frame;
}

void ExpectFrame(const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  int mismatches = 0;
  for (size_t i = 0; i < actual.size() && mismatches < 10; ++i) {
    if (actual[i] != expected[i]) {
      ++mismatches;
      ADD_FAILURE() << "pixel (" << i % SceneTest::kWidth << ", " << i / SceneTest::kWidth
                    << "): got " << std::hex << actual[i] << ", expected " << expected[i];
    }
  }
}

class ScenePixelTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    Picture = MakeTexture(16, 16, Texel);
  }
  void TearDown() override {
    Picture.reset();
    SceneTest::TearDown();
  }

  void Draw(const TSprite& s, int32_t mode, bool overlay = true, float depth = 0.0f,
            TDGTexture* texture = nullptr) {
    ASSERT_TRUE(Scene->DrawPolygon(MakeVec2(static_cast<float>(s.X), static_cast<float>(s.Y)),
                                   Quad(16, 16, s.Colour), texture ? texture : Picture.get(), mode,
                                   false, overlay, depth, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));
  }

  std::unique_ptr<TDGTexture> Picture;
};

uint32_t Over(uint32_t texel, const TSprite& s, uint32_t dst) {
  return AlphaOver(Modulate(texel, s.Colour), dst);
}

TEST_F(ScenePixelTest, OverlappingSpritesComposeInCallOrderWhateverTheirDepth) {
  const std::vector<TSprite> sprites = {
      {4, 4, 0xFFFFFFFF}, {10, 8, 0x80FF8040}, {14, 2, 0xC040FF80}, {56, 40, 0xBBFFFFFF}};
  const std::vector<uint32_t> frame = DrawFrame(kBackground, [&] {
    float depth = 0.9f;
    for (const TSprite& s : sprites) {
      Draw(s, sxbAlphaBlend, true, depth);
      depth -= 0.2f;
    }
  });
  ExpectFrame(frame, Expected(sprites, 16, Over));
}

// Depth 0, the nearest a polygon can be, is drawn (last); a negative depth never is.
TEST_F(ScenePixelTest, TranslucentPolygonsAreDrawnFarthestFirstFromDepthZeroNegativeDepthNever) {
  const TSprite atZero{18, 16, 0x90FFC0FF};
  const TSprite nearSprite{8, 8, 0xA0FFFFFF};
  const TSprite farSprite{14, 12, 0xE080FFFF};
  const TSprite behind{20, 4, 0xFFFFFFFF};
  const std::vector<uint32_t> frame = DrawFrame(kBackground, [&] {
    Draw(atZero, sxbAlphaBlend, false, 0.0f);
    Draw(nearSprite, sxbAlphaBlend, false, 0.3f);
    Draw(farSprite, sxbAlphaBlend, false, 0.7f);
    Draw(behind, sxbAlphaBlend, false, -1.0f);
  });
  ExpectFrame(frame, Expected({farSprite, nearSprite, atZero}, 16, Over));
}

TEST_F(ScenePixelTest, EachBuiltInBlendModeComposesAsItsFactorsSay) {
  struct TCase {
    int32_t Mode;
    std::function<uint32_t(uint32_t src, uint32_t dst)> Compose;
  };
  auto perChannel = [](uint32_t src, uint32_t dst, auto&& f) {
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      out |= std::min<uint32_t>(255, f((src >> shift) & 0xFF, (dst >> shift) & 0xFF, src >> 24))
             << shift;
    }
    return out;
  };
  const std::vector<TCase> cases = {
      // Opaque: the modulated colour replaces the pixel, whatever its alpha.
      {sxbOpaque, [](uint32_t src, uint32_t) { return src | 0xFF000000u; }},
      {sxbAdditive,
       [&](uint32_t src, uint32_t dst) {
         return perChannel(src, dst, [](uint32_t s, uint32_t d, uint32_t a) {
           return (s * a + d * 255 + 127) / 255;
         });
       }},
      {sxbAlphaBlend, AlphaOver},
      {sxbMultiply,
       [&](uint32_t src, uint32_t dst) {
         return perChannel(src, dst, [](uint32_t s, uint32_t d, uint32_t) { return Mul255(d, s); });
       }},
      {sxbDarken,
       [&](uint32_t src, uint32_t dst) {
         return perChannel(src, dst,
                           [](uint32_t s, uint32_t d, uint32_t) { return Mul255(d, 255 - s); });
       }},
      // Alpha test: only texels above 128 are drawn, opaque.
      {sxbOpaqueAlphaTest,
       [](uint32_t src, uint32_t dst) { return (src >> 24) > 128 ? src | 0xFF000000u : dst; }},
  };
  const std::vector<TSprite> sprites = {{4, 4, 0xFFFFFFFF}, {12, 10, 0xC0A0FF60}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Mode);
    const std::vector<uint32_t> frame = DrawFrame(kBackground, [&] {
      // Farther first, so that the translucent queue's sort keeps the order.
      float depth = 0.6f;
      for (const TSprite& s : sprites) {
        Draw(s, c.Mode, false, depth);
        depth -= 0.2f;
      }
    });
    ExpectFrame(frame, Expected(sprites, 16, [&](uint32_t texel, const TSprite& s, uint32_t dst) {
                  return c.Compose(Modulate(texel, s.Colour), dst);
                }));
  }
}

TEST_F(ScenePixelTest, AnUntexturedPolygonShowsItsVertexColour) {
  const TSprite s{20, 20, 0x9933CC66};
  const std::vector<uint32_t> frame = DrawFrame(kBackground, [&] {
    ASSERT_TRUE(Scene->DrawPolygon(MakeVec2(20, 20), Quad(16, 16, s.Colour), nullptr, sxbAlphaBlend,
                                   false, true, 0, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP));
  });
  ExpectFrame(frame, Expected({s}, 16, [&](uint32_t, const TSprite& sp, uint32_t dst) {
                return AlphaOver(sp.Colour, dst);
              }));
}

TEST_F(ScenePixelTest, AnOpaquePolygonAfterAnAlphaTestedOneIsNotAlphaTested) {
  // The alpha-tested polygon is the last of the opaque pass; the overlay pass then starts with
  // blend mode 0 cached, and its mode-0 polygon must show every texel, transparent ones too.
  const TSprite tested{4, 4, 0xFFFFFFFF};
  const TSprite opaque{24, 4, 0xFFFFFFFF};
  std::vector<uint32_t> frame = DrawFrame(kBackground, [&] {
    Draw(tested, sxbOpaqueAlphaTest, false, 0.5f);
    Draw(opaque, sxbOpaque, true);
  });
  const auto alphaTested = [](uint32_t texel, const TSprite&, uint32_t dst) {
    return (texel >> 24) > 128 ? texel | 0xFF000000u : dst;
  };
  const auto replaced = [](uint32_t texel, const TSprite&, uint32_t) {
    return texel | 0xFF000000u;
  };
  std::vector<uint32_t> expected = Expected({tested}, 16, alphaTested);
  const std::vector<uint32_t> second = Expected({opaque}, 16, replaced);
  for (size_t i = 0; i < expected.size(); ++i) {
    if (second[i] != kBackground) expected[i] = second[i];
  }
  ExpectFrame(frame, expected);

  // The same across frames: the alpha test left on by the last pass of one frame does not reach
  // the next frame's opaque polygons.
  frame = DrawFrame(kBackground, [&] { Draw(tested, sxbOpaqueAlphaTest, true); });
  frame = DrawFrame(kBackground, [&] { Draw(opaque, sxbOpaque, false, 0.5f); });
  ExpectFrame(frame, second);
}

TEST_F(ScenePixelTest, RejectedAndEmptyFramesLeaveTheClearedBackground) {
  const std::vector<uint32_t> frame = DrawFrame(kBackground, [&] {
    const std::vector<TSXVertex> quad = Quad(16, 16, 0xFFFFFFFF);
    EXPECT_FALSE(Scene->DrawPolygon(MakeVec2(0, 0), std::span<const TSXVertex>(quad.data(), 3),
                                    Picture.get(), sxbOpaque, false, true, 0, D3DTADDRESS_CLAMP,
                                    D3DTADDRESS_CLAMP));
  });
  ExpectFrame(frame, std::vector<uint32_t>(kWidth * kHeight, kBackground));
}

TEST_F(ScenePixelTest, SpritesStillDrawAfterADeviceReset) {
  d3d9standin::LoseDevice(Carad->Device(), 0);
  ASSERT_EQ(Carad->Device()->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  Carad->ResetDevice();
  const std::vector<TSprite> sprites = {{30, 20, 0xC0FFFFFF}};
  const std::vector<uint32_t> frame =
      DrawFrame(kBackground, [&] { Draw(sprites[0], sxbAlphaBlend); });
  ExpectFrame(frame, Expected(sprites, 16, Over));
}

}  // namespace
