#include "graphics/device/pixel_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

using namespace DGCarad9;

namespace {

// Field widths (alpha, red, green, blue) of the colour formats whose round trip cuts each field
// to its width and widens it again; alpha 0 means "no alpha: reads back as 255", alpha 1 is the
// A1R5G5B5 bit read back as 0 or 255.
struct ColourLayout {
  D3DFORMAT format;
  int a, r, g, b;
};
const ColourLayout kLayouts[] = {
    {D3DFMT_R5G6B5, 0, 5, 6, 5},   {D3DFMT_X1R5G5B5, 0, 5, 5, 5}, {D3DFMT_A1R5G5B5, 1, 5, 5, 5},
    {D3DFMT_A4R4G4B4, 4, 4, 4, 4}, {D3DFMT_X4R4G4B4, 0, 4, 4, 4}, {D3DFMT_R3G3B2, 0, 3, 3, 2},
    {D3DFMT_A8R3G3B2, 8, 3, 3, 2},
};

// The expectation computed independently: keep the top `bits` bits, then scale to 0..255.
std::uint32_t CutAndWiden(std::uint32_t byte, int bits) {
  const std::uint32_t kept = byte >> (8 - bits);
  return kept * 255 / ((1u << bits) - 1);
}

}  // namespace

TEST(PixelFormat, ArgbAndExpandBits) {
  EXPECT_EQ(ARGB(0x12, 0x34, 0x56, 0x78), 0x12345678u);
  EXPECT_EQ(ARGB(255, 0, 0, 0), 0xFF000000u);
  EXPECT_EQ(ExpandBits(31, 5), 255u);
  EXPECT_EQ(ExpandBits(16, 5), 131u);
  EXPECT_EQ(ExpandBits(1, 1), 255u);
  EXPECT_EQ(ExpandBits(0, 4), 0u);
  EXPECT_EQ(ExpandBits(7, 4), 119u);  // 7 * 255 / 15, rounded down
}

TEST(PixelFormat, BitCounts) {
  EXPECT_EQ(FormatBitCount(D3DFMT_R8G8B8), 24u);
  for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_V16U16, D3DFMT_D24S8, D3DFMT_D32})
    EXPECT_EQ(FormatBitCount(f), 32u) << f;
  for (D3DFORMAT f : {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8L8, D3DFMT_D16})
    EXPECT_EQ(FormatBitCount(f), 16u) << f;
  for (D3DFORMAT f : {D3DFMT_A8, D3DFMT_P8, D3DFMT_L8, D3DFMT_R3G3B2, D3DFMT_A4L4})
    EXPECT_EQ(FormatBitCount(f), 8u) << f;
  for (D3DFORMAT f : {D3DFMT_UNKNOWN, D3DFMT_DXT1, D3DFMT_A2R10G10B10, D3DFMT_INDEX16})
    EXPECT_EQ(FormatBitCount(f), 0u) << f;
}

TEST(PixelFormat, KnownConversions) {
  EXPECT_EQ(ColorToPixel(0xFF808080, D3DFMT_A1R5G5B5), 0xC210u);
  EXPECT_EQ(PixelToColor(0xC210, D3DFMT_A1R5G5B5), 0xFF838383u);
  EXPECT_EQ(ColorToPixel(0x80FF0000, D3DFMT_A4R4G4B4), 0x8F00u);
  EXPECT_EQ(PixelToColor(0x8F00, D3DFMT_A4R4G4B4), 0x88FF0000u);
  EXPECT_EQ(PixelToColor(0xFFFF, D3DFMT_R5G6B5), 0xFFFFFFFFu);
  for (D3DFORMAT f : {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_X4R4G4B4, D3DFMT_R3G3B2})
    EXPECT_EQ(PixelToColor(0, f) >> 24, 255u) << f;

  // Channel placement of the 16-bit layouts.
  EXPECT_EQ(ColorToPixel(0xFFFF0000, D3DFMT_R5G6B5), 0xF800u);
  EXPECT_EQ(ColorToPixel(0xFF00FF00, D3DFMT_R5G6B5), 0x07E0u);
  EXPECT_EQ(ColorToPixel(0xFF0000FF, D3DFMT_X1R5G5B5), 0x001Fu);
  EXPECT_EQ(ColorToPixel(0xFFFFFFFF, D3DFMT_X1R5G5B5), 0x7FFFu);  // bit 15 stays clear
  EXPECT_EQ(ColorToPixel(0xFFFFFFFF, D3DFMT_X4R4G4B4), 0x0FFFu);

  // 32-bit formats: X8 drops alpha and reads back opaque, A8R8G8B8 is the identity.
  EXPECT_EQ(ColorToPixel(0x12345678, D3DFMT_X8R8G8B8), 0x00345678u);
  EXPECT_EQ(PixelToColor(0x00345678, D3DFMT_X8R8G8B8), 0xFF345678u);
  EXPECT_EQ(ColorToPixel(0x12345678, D3DFMT_A8R8G8B8), 0x12345678u);
  EXPECT_EQ(PixelToColor(0x12345678, D3DFMT_A8R8G8B8), 0x12345678u);
  // R8G8B8: the colour passes as it is; packing the parts leaves alpha out.
  EXPECT_EQ(ColorToPixel(0x12345678, D3DFMT_R8G8B8), 0x12345678u);
  EXPECT_EQ(PackPixel(0x12, 0x34, 0x56, 0x78, D3DFMT_R8G8B8), 0x345678u);
  EXPECT_EQ(PixelToColor(0x345678, D3DFMT_R8G8B8), 0xFF345678u);
}

TEST(PixelFormat, LuminanceAlphaAndBumpFormats) {
  const std::uint32_t c = 0x80C04020;  // A 0x80, R 0xC0, G 0x40, B 0x20
  EXPECT_EQ(ColorToPixel(c, D3DFMT_A8), 0x80u);
  EXPECT_EQ(PixelToColor(0x80, D3DFMT_A8), 0x80000000u);
  EXPECT_EQ(ColorToPixel(c, D3DFMT_L8), 0xC0u);
  EXPECT_EQ(PixelToColor(0xC0, D3DFMT_L8), 0x00C00000u);
  EXPECT_EQ(ColorToPixel(c, D3DFMT_A8L8), 0x80C0u);
  EXPECT_EQ(PixelToColor(0x80C0, D3DFMT_A8L8), 0x80C00000u);
  EXPECT_EQ(ColorToPixel(c, D3DFMT_A4L4), 0x8Cu);
  EXPECT_EQ(PixelToColor(0x8C, D3DFMT_A4L4), 0x88CC0000u);
  EXPECT_EQ(ColorToPixel(c, D3DFMT_V8U8), 0x4020u);
  EXPECT_EQ(PixelToColor(0x4020, D3DFMT_V8U8), 0x4020u);
  EXPECT_EQ(ColorToPixel(c, D3DFMT_L6V5U5), (0xC0u >> 2) << 10 | (0x40u >> 3) << 5 | 0x20u >> 3);
  EXPECT_EQ(PixelToColor(ColorToPixel(c, D3DFMT_L6V5U5), D3DFMT_L6V5U5), 0x00C04020u);
  EXPECT_EQ(ColorToPixel(c, D3DFMT_X8L8V8U8), 0x00C04020u);
  EXPECT_EQ(ColorToPixel(c, D3DFMT_Q8W8V8U8), c);
  EXPECT_EQ(ColorToPixel(c, D3DFMT_V16U16), 0x40002000u);
  EXPECT_EQ(PixelToColor(0x40002000, D3DFMT_V16U16), 0x2000u + 0x4000u * 256u);
  EXPECT_EQ(ColorToPixel(c, D3DFMT_R3G3B2), (0xC0u >> 5) << 5 | (0x40u >> 5) << 2 | 0x20u >> 6);
  EXPECT_EQ(ColorToPixel(c, D3DFMT_A8R3G3B2) >> 8, 0x80u);
}

TEST(PixelFormat, UnknownFormatsGiveZero) {
  for (D3DFORMAT f : {D3DFMT_P8, D3DFMT_D24S8, D3DFMT_DXT5, D3DFMT_UNKNOWN, D3DFMT_YUY2}) {
    EXPECT_EQ(ColorToPixel(0xFFFFFFFF, f), 0u) << f;
    EXPECT_EQ(PackPixel(255, 255, 255, 255, f), 0u) << f;
    EXPECT_EQ(PixelToColor(0xFFFF, f), 0u) << f;
  }
}

TEST(PixelFormat, ColourFormatsRoundTripByCuttingAndWidening) {
  std::mt19937 rng(42);
  for (const ColourLayout& layout : kLayouts) {
    for (int n = 0; n < 2000; ++n) {
      const std::uint32_t colour = rng();
      const std::uint32_t a = colour >> 24, r = (colour >> 16) & 255, g = (colour >> 8) & 255,
                          b = colour & 255;
      std::uint32_t expectedAlpha = 255;
      if (layout.a == 1) expectedAlpha = (a >> 7) * 255;
      if (layout.a > 1) expectedAlpha = CutAndWiden(a, layout.a);
      const std::uint32_t expected = expectedAlpha << 24 | CutAndWiden(r, layout.r) << 16 |
                                     CutAndWiden(g, layout.g) << 8 | CutAndWiden(b, layout.b);
      const std::uint32_t pixel = ColorToPixel(colour, layout.format);
      ASSERT_LT(pixel, 1u << FormatBitCount(layout.format)) << layout.format;
      ASSERT_EQ(PixelToColor(pixel, layout.format), expected)
          << "format " << layout.format << " colour " << std::hex << colour;
      ASSERT_EQ(PackPixel(a, r, g, b, layout.format), pixel);
    }
  }
}

TEST(PixelFormat, PixelsInMemoryAreLittleEndianAndStayInTheirBytes) {
  for (std::int32_t bytes = 0; bytes <= 4; ++bytes) {
    SCOPED_TRACE(bytes);
    std::uint8_t memory[6];
    std::fill(std::begin(memory), std::end(memory), std::uint8_t{0xEE});
    StorePixel(memory + 1, 0xA1B2C3D4u, bytes);
    EXPECT_EQ(memory[0], 0xEE);  // nothing before the pixel
    for (std::int32_t i = 0; i < 4; ++i) {
      const std::uint8_t expected =
          i < bytes ? static_cast<std::uint8_t>(0xA1B2C3D4u >> (8 * i)) : std::uint8_t{0xEE};
      EXPECT_EQ(memory[1 + i], expected) << "byte " << i;
    }
    EXPECT_EQ(memory[5], 0xEE);
    const std::uint32_t mask = bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1u;
    EXPECT_EQ(LoadPixel(memory + 1, bytes), 0xA1B2C3D4u & mask);
  }
}
