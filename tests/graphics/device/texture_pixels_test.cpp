#include <gmock/gmock.h>

#include "support/texture_fixture.h"

using bmptest::MakeBMP;
using bmptest::Pic;
using texturetest::Pattern;
using texturetest::TextureTest;

TEST_F(TextureTest, ProcessPixelsVisitsTheRectangleRowByRow) {
  auto texture = MakeTexture();
  texture->SetSize(6, 5);
  std::vector<std::pair<int, int>> visited;
  texture->ProcessPixels(
      RECT{2, 1, 5, 3},
      [&](TDGTexture& t, std::uint32_t pixel, std::int32_t x, std::int32_t y) -> std::uint32_t {
        EXPECT_EQ(&t, texture.get());
        EXPECT_EQ(pixel, 0u);
        visited.emplace_back(x, y);
        return DGCarad9::ColorToPixel(0xFF000000u | static_cast<std::uint32_t>(x * 16 + y),
                                      t.Format());
      });
  EXPECT_THAT(visited, ::testing::ElementsAre(std::pair{2, 1}, std::pair{3, 1}, std::pair{4, 1},
                                              std::pair{2, 2}, std::pair{3, 2}, std::pair{4, 2}));
  const auto colours = Colours(*texture);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 6; ++x) {
      const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
      EXPECT_EQ(colours[y * 6 + x],
                inside ? 0xFF000000u | static_cast<std::uint32_t>(x * 16 + y) : 0u);
    }
  }
}

TEST_F(TextureTest, FillRectFillsOnlyItsRectangle) {
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}) {
    auto texture = MakeTexture({format});
    texture->SetSize(7, 6);
    ASSERT_EQ(texture->Format(), format);
    texture->FillRect(RECT{1, 2, 6, 5}, 0xFF3366CC, false);
    const std::uint32_t filled =
        DGCarad9::PixelToColor(DGCarad9::ColorToPixel(0xFF3366CC, format), format);
    const auto colours = Colours(*texture);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 7; ++x)
        EXPECT_EQ(colours[y * 7 + x], (x >= 1 && x < 6 && y >= 2 && y < 5) ? filled : 0u)
            << format << " " << x << "," << y;
  }
}

TEST_F(TextureTest, ColorKeyBlackMakesExactlyBlackPixelsTransparent) {
  // Alpha bytes vary; only red = green = blue = 0 counts as the key.
  auto pixel = [](int x, int y) -> std::uint32_t {
    if ((x + y) % 3 == 0) return static_cast<std::uint32_t>(x * 50) << 24;  // black, any alpha
    return static_cast<std::uint32_t>(y * 40) << 24 | Pattern(x, y) | 0x000001u;
  };
  TMemoryStream stream(MakeBMP(Pic(5, 4, 32, pixel)));
  auto texture = MakeTexture();
  texture->LoadFromStream(stream);
  texture->SetColorKey(RECT{0, 0, 5, 4}, 0);
  const auto colours = Colours(*texture);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      const std::uint32_t rgb = pixel(x, y) & 0xFFFFFF;
      EXPECT_EQ(colours[y * 5 + x], rgb == 0 ? 0u : 0xFF000000u | rgb) << x << "," << y;
    }
  }
}

TEST_F(TextureTest, ColorKeyWhiteOnSixteenBitTextures) {
  // A white key on A4R4G4B4 and A1R5G5B5: pixels that widen to white match it.
  for (D3DFORMAT format : {D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}) {
    auto texture = MakeTexture({format});
    TMemoryStream stream(MakeBMP(Pic(4, 1, 24, [](int x, int) {
      return x == 1 ? 0xFFFFFFu : x == 2 ? 0xF8F8F8u : 0x102030u;
    })));
    texture->LoadFromStream(stream);
    ASSERT_EQ(texture->Format(), format);
    texture->SetColorKey(RECT{0, 0, 4, 1}, 0xFFFFFFFF);
    const auto colours = Colours(*texture);
    EXPECT_EQ(colours[1] >> 24, 0u) << format;  // white: transparent
    EXPECT_EQ(colours[0] >> 24, 255u) << format;
    EXPECT_EQ(colours[3] >> 24, 255u) << format;
    // 0xF8 keeps its top four or five bits, all ones: it reads back as white as well.
    EXPECT_EQ(colours[2] >> 24, 0u) << format;
    EXPECT_EQ(colours[1] & 0xFFFFFF, 0xFFFFFFu);  // the colour of a keyed pixel is kept
  }
}

TEST_F(TextureTest, FillWithKeepAlphaRecoloursAKeyedPicture) {
  auto texture = MakeTexture();
  TMemoryStream stream(
      MakeBMP(Pic(4, 3, 24, [](int x, int y) { return (x + y) % 2 ? 0u : 0x808080u; })));
  texture->LoadFromStream(stream);
  texture->SetColorKey(RECT{0, 0, 4, 3}, 0);
  texture->FillRect(RECT{0, 0, 4, 3}, 0x12FFAA00, true);
  const auto colours = Colours(*texture);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(colours[y * 4 + x], ((x + y) % 2 ? 0u : 0xFF000000u) | 0xFFAA00u) << x << "," << y;
}

TEST_F(TextureTest, PictureSmallerThanTextureLeavesTheRestTransparent) {
  d3d9standin::GetConfig().Pow2Textures = true;
  StartDevice();
  auto texture = MakeTexture();
  TMemoryStream stream(MakeBMP(Pic(5, 3, 24, Pattern)));
  texture->LoadFromStream(stream);
  ASSERT_EQ(texture->TextureWidth(), 8u);
  ASSERT_EQ(texture->TextureHeight(), 4u);
  INT pitch = 0;
  void* bits = nullptr;
  ASSERT_EQ(texture->LockRect(0, RECT{0, 0, 8, 4}, pitch, bits, D3DLOCK_READONLY), D3D_OK);
  for (int y = 0; y < 4; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(static_cast<std::uint8_t*>(bits) + y * pitch);
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(row[x], (x < 5 && y < 3) ? 0xFF000000u | Pattern(x, y) : 0u) << x << "," << y;
  }
  texture->UnlockRect();
}
