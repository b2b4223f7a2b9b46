// Texture sampling: every texture format the device samples, addressing modes, point and linear
// filters and the choice between the magnification and minification filter.
#include <gtest/gtest.h>

#include <cmath>

#include "support/d3d9_test_util.h"

namespace d3d9test {
namespace {

class SamplingTest : public TDeviceTest {
 protected:
  static constexpr UINT kW = 32, kH = 8;

  void SetUp() override {
    TDeviceTest::SetUp();
    MakeDevice(kW, kH);
    Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    Device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  }

  std::vector<std::uint32_t> DrawRow(IDirect3DTexture9* t, float width, float u0, float u1) {
    Device_->SetTexture(0, t);
    Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x12345678, 1, 0);
    EXPECT_EQ(D3D_OK, Draw(Quad(0, 0, width, 1, 0xFFFFFFFF, u0, 0, u1, 1)));
    Device_->SetTexture(0, nullptr);
    const auto all = ReadBackBuffer();
    return std::vector<std::uint32_t>(all.begin(), all.begin() + kW);
  }
};

// Widening a field of n bits to 8 repeats its bits.
std::uint32_t Widen(std::uint32_t v, int bits) {
  std::uint32_t out = 0;
  for (int filled = 0; filled < 8; filled += bits) out = (out << bits) | v;
  return (out >> (((8 + bits - 1) / bits) * bits - 8)) & 0xFF;
}

TEST_F(SamplingTest, EveryFormatWidensToEightBitChannels) {
  struct Case {
    D3DFORMAT Format;
    std::vector<std::uint32_t> Raw;
    std::function<std::uint32_t(std::uint32_t)> Expand;
  };
  const std::vector<Case> cases = {
      {D3DFMT_A8R8G8B8,
       {0x00000000, 0x80FF4010, 0xFFFFFFFF, 0x01020304},
       [](std::uint32_t v) { return v; }},
      {D3DFMT_X8R8G8B8,
       {0x00000000, 0x80FF4010, 0x7F010203},
       [](std::uint32_t v) { return v | 0xFF000000; }},
      {D3DFMT_R5G6B5,
       {0x0000, 0xF800, 0x07E0, 0x001F, 0x0841, 0x8410},
       [](std::uint32_t v) {
         return Argb(255, Widen(v >> 11, 5), Widen((v >> 5) & 63, 6), Widen(v & 31, 5));
       }},
      {D3DFMT_X1R5G5B5,
       {0x0000, 0x7C00, 0x83E0, 0x001F, 0x0421},
       [](std::uint32_t v) {
         return Argb(255, Widen((v >> 10) & 31, 5), Widen((v >> 5) & 31, 5), Widen(v & 31, 5));
       }},
      {D3DFMT_A1R5G5B5,
       {0x0000, 0xFC00, 0x03E0, 0x801F, 0x8421},
       [](std::uint32_t v) {
         return Argb(v & 0x8000 ? 255 : 0, Widen((v >> 10) & 31, 5), Widen((v >> 5) & 31, 5),
                     Widen(v & 31, 5));
       }},
      {D3DFMT_A4R4G4B4,
       {0x0000, 0xF000, 0x8F30, 0x1234, 0xFFFF},
       [](std::uint32_t v) {
         return Argb(Widen(v >> 12, 4), Widen((v >> 8) & 15, 4), Widen((v >> 4) & 15, 4),
                     Widen(v & 15, 4));
       }},
      {D3DFMT_X4R4G4B4,
       {0x0000, 0x8F30},
       [](std::uint32_t v) {
         return Argb(255, Widen((v >> 8) & 15, 4), Widen((v >> 4) & 15, 4), Widen(v & 15, 4));
       }},
      {D3DFMT_A8, {0x00, 0x7F, 0xFF}, [](std::uint32_t v) { return v << 24; }},
      {D3DFMT_L8, {0x00, 0x7F, 0xFF}, [](std::uint32_t v) { return Argb(255, v, v, v); }},
      {D3DFMT_A8L8, {0x0000, 0x80FF, 0xFF10}, [](std::uint32_t v) {
         return Argb(v >> 8, v & 255, v & 255, v & 255);
       }}};
  EXPECT_EQ(0x84u, Widen(0x10, 5)) << "the helper itself: 10000 -> 10000100";
  EXPECT_EQ(0x82u, Widen(0x20, 6));
  for (const Case& c : cases) {
    const UINT n = static_cast<UINT>(c.Raw.size());
    IDirect3DTexture9* t = MakeTexture(n, 1, c.Format, [&](UINT x, UINT) { return c.Raw[x]; });
    for (bool shortcut : {true, false}) {
      d3d9standin::GetConfig().QuadFastPath = shortcut;
      const auto row = DrawRow(t, static_cast<float>(n), 0, 1);
      for (UINT x = 0; x < n; ++x) {
        EXPECT_EQ(c.Expand(c.Raw[x]), row[x]) << "format " << c.Format << " texel " << x;
      }
    }
  }
}

// Texel index i of a 4-texel side under each addressing mode (-1: border).
int Addressed(int i, DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_WRAP:
      return ((i % 4) + 4) % 4;
    case D3DTADDRESS_MIRROR: {
      const int m = ((i % 8) + 8) % 8;
      return m < 4 ? m : 7 - m;
    }
    case D3DTADDRESS_CLAMP:
      return i < 0 ? 0 : i > 3 ? 3 : i;
    case D3DTADDRESS_BORDER:
      return i < 0 || i > 3 ? -1 : i;
    case D3DTADDRESS_MIRRORONCE: {
      const int j = i < 0 ? -1 - i : i;
      return j > 3 ? 3 : j;
    }
  }
  return -2;
}

TEST_F(SamplingTest, AddressingModesBeyondTheTexture) {
  const std::uint32_t texels[4] = {0xFF000011, 0xFF000022, 0xFF000033, 0xFF000044};
  IDirect3DTexture9* t =
      MakeTexture(4, 1, D3DFMT_A8R8G8B8, [&](UINT x, UINT) { return texels[x]; });
  Device_->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0xFFABCDEF);
  for (DWORD mode = D3DTADDRESS_WRAP; mode <= D3DTADDRESS_MIRRORONCE; ++mode) {
    Device_->SetSamplerState(0, D3DSAMP_ADDRESSU, mode);
    for (bool shortcut : {true, false}) {
      d3d9standin::GetConfig().QuadFastPath = shortcut;
      // u from -2 to 3 over 20 pixels: texel coordinate -8 + i at pixel i, exactly.
      const auto row = DrawRow(t, 20, -2, 3);
      for (int i = 0; i < 20; ++i) {
        const int index = Addressed(-8 + i, mode);
        const std::uint32_t expected = index < 0 ? 0xFFABCDEF : texels[index];
        ASSERT_EQ(expected, row[i]) << "mode " << mode << " pixel " << i;
      }
    }
  }
}

TEST_F(SamplingTest, PointSamplingOfAScaledSprite) {
  std::vector<std::uint32_t> texels(24);
  for (UINT i = 0; i < 24; ++i) texels[i] = 0xFF000000 | (i * 0x0A0B0C);
  IDirect3DTexture9* t =
      MakeTexture(24, 1, D3DFMT_A8R8G8B8, [&](UINT x, UINT) { return texels[x]; });
  Device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  for (UINT width : {7u, 16u, 18u, 31u}) {
    for (bool shortcut : {true, false}) {
      d3d9standin::GetConfig().QuadFastPath = shortcut;
      const auto row = DrawRow(t, static_cast<float>(width), 0, 1);
      for (UINT i = 0; i < kW; ++i) {
        // Pixel centre i samples texel floor(i * 24 / width).
        const std::uint32_t expected = i < width ? texels[i * 24 / width] : 0x12345678;
        ASSERT_EQ(expected, row[i]) << "width " << width << " pixel " << i;
      }
    }
  }
}

TEST_F(SamplingTest, LinearFilteringWeighsNeighbouringTexelCentres) {
  IDirect3DTexture9* t = MakeTexture(
      2, 1, D3DFMT_A8R8G8B8, [](UINT x, UINT) { return x == 0 ? 0xFF000000u : 0xFFFFFFFFu; });
  Device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  Device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  Device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  for (bool shortcut : {true, false}) {
    d3d9standin::GetConfig().QuadFastPath = shortcut;
    const auto row = DrawRow(t, 16, 0, 1);
    for (int i = 0; i < 16; ++i) {
      // Texel space: pixel i sits at i / 8; texel centres at 0.5 and 1.5.
      const double s = std::clamp(i / 8.0 - 0.5, 0.0, 1.0);
      EXPECT_NEAR(255.0 * s, Ch(row[i], 0), 1.0) << "pixel " << i;
      EXPECT_EQ(Ch(row[i], 0), Ch(row[i], 16));
      EXPECT_EQ(0xFFu, Ch(row[i], 24));
    }
    // Linear filtering with wrap reaches around to the first texel at the far edge.
    Device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    const auto wrapped = DrawRow(t, 16, 0, 1);
    EXPECT_NEAR(255.0 * 0.5, Ch(wrapped[0], 0), 1.0);
    EXPECT_NEAR(255.0 * (1 - 0.375), Ch(wrapped[15], 0), 1.0);
    Device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  }
}

TEST_F(SamplingTest, MinificationUsesTheMinFilter) {
  std::vector<std::uint32_t> texels(32);
  for (UINT i = 0; i < 32; ++i) texels[i] = i % 2 ? 0xFFFFFFFF : 0xFF000000;
  IDirect3DTexture9* t =
      MakeTexture(32, 1, D3DFMT_A8R8G8B8, [&](UINT x, UINT) { return texels[x]; });
  Device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  Device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  for (bool shortcut : {true, false}) {
    d3d9standin::GetConfig().QuadFastPath = shortcut;
    // Two texels per pixel: point sampling picks texel 2i, always black.
    const auto row = DrawRow(t, 16, 0, 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(0xFF000000u, row[i]) << i;
    // One texel per pixel is not a minification: the linear filter at texel edges mixes halves.
    const auto same = DrawRow(t, 32, 0, 1);
    for (int i = 1; i < 31; ++i) EXPECT_NEAR(127.5, Ch(same[i], 0), 1.0) << i;
  }
}

}  // namespace
}  // namespace d3d9test
