// Pixel-exact rasterisation: sprites texel for texel, blend arithmetic, the fill rule at shared
// edges, coverage of fractional positions, culling, the viewport, depth, alpha test and the
// texture stage. Every expectation is computed here from the published rules.
#include <gtest/gtest.h>

#include <random>

#include "support/d3d9_test_util.h"

namespace d3d9test {
namespace {

class RasterTest : public TDeviceTest {
 protected:
  static constexpr UINT kW = 48, kH = 40;

  void SetUp() override {
    TDeviceTest::SetUp();
    MakeDevice(kW, kH);
    Device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  }

  std::vector<std::uint32_t> RandomBackground(std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint32_t> bg(kW * kH);
    for (auto& p : bg) p = static_cast<std::uint32_t>(rng());
    FillBackBuffer([&](UINT x, UINT y) { return bg[y * kW + x]; });
    return bg;
  }
};

TEST_F(RasterTest, SpriteAtItsOwnSizeLandsTexelForTexel) {
  std::mt19937 rng(7);
  std::vector<std::uint32_t> texels(13 * 7);
  for (auto& t : texels) t = static_cast<std::uint32_t>(rng());
  IDirect3DTexture9* t =
      MakeTexture(13, 7, D3DFMT_A8R8G8B8, [&](UINT x, UINT y) { return texels[y * 13 + x]; });
  // The same picture in the corner of a larger power-of-two texture, addressed with scales.
  IDirect3DTexture9* big = MakeTexture(16, 8, D3DFMT_A8R8G8B8, [&](UINT x, UINT y) {
    return x < 13 && y < 7 ? texels[y * 13 + x] : 0xDEADBEEFu;
  });
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  Device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  for (bool shortcut : {true, false}) {
    d3d9standin::GetConfig().QuadFastPath = shortcut;
    for (IDirect3DTexture9* texture : {t, big}) {
      const auto bg = RandomBackground(3);
      Device_->SetTexture(0, texture);
      const float su = texture == t ? 1.0f : 13.0f / 16, sv = texture == t ? 1.0f : 7.0f / 8;
      ASSERT_EQ(D3D_OK, Draw(Quad(5, 3, 13, 7, 0xFFFFFFFF, 0, 0, su, sv)));
      const auto out = ReadBackBuffer();
      for (UINT y = 0; y < kH; ++y) {
        for (UINT x = 0; x < kW; ++x) {
          const bool inside = x >= 5 && x < 18 && y >= 3 && y < 10;
          const std::uint32_t expected = inside ? texels[(y - 3) * 13 + (x - 5)] : bg[y * kW + x];
          ASSERT_EQ(expected, out[y * kW + x]) << x << "," << y << " shortcut " << shortcut;
        }
      }
    }
  }
  Device_->SetTexture(0, nullptr);
}

TEST_F(RasterTest, ModulatedSpriteBlendsWithSourceAlpha) {
  std::mt19937 rng(11);
  std::vector<std::uint32_t> texels(21 * 9);
  for (auto& t : texels) t = static_cast<std::uint32_t>(rng());
  texels[0] &= 0x00FFFFFF;  // fully transparent
  texels[1] |= 0xFF000000;  // fully opaque
  IDirect3DTexture9* t =
      MakeTexture(21, 9, D3DFMT_A8R8G8B8, [&](UINT x, UINT y) { return texels[y * 21 + x]; });
  Device_->SetTexture(0, t);
  ModulateTextureAndDiffuse();
  UseBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  for (std::uint32_t colour : {0xFFFFFFFFu, 0xBBFFFF00u, 0x66FFFFFFu, 0x80FF0000u, 0x00FFFFFFu}) {
    for (bool shortcut : {true, false}) {
      d3d9standin::GetConfig().QuadFastPath = shortcut;
      const auto bg = RandomBackground(colour);
      ASSERT_EQ(D3D_OK, Draw(Quad(2, 4, 21, 9, colour)));
      const auto out = ReadBackBuffer();
      for (UINT y = 0; y < kH; ++y) {
        for (UINT x = 0; x < kW; ++x) {
          std::uint32_t expected = bg[y * kW + x];
          if (x >= 2 && x < 23 && y >= 4 && y < 13) {
            const std::uint32_t tex = texels[(y - 4) * 21 + (x - 2)];
            const std::uint32_t a = RoundDiv255(Ch(tex, 24) * Ch(colour, 24));
            std::uint32_t blended = 0;
            for (int shift : {0, 8, 16, 24}) {
              const std::uint32_t s = RoundDiv255(Ch(tex, shift) * Ch(colour, shift));
              blended |= RoundDiv255(s * a + Ch(expected, shift) * (255 - a)) << shift;
            }
            expected = blended;
          }
          ASSERT_EQ(expected, out[y * kW + x]) << x << "," << y << " colour " << std::hex << colour;
        }
      }
    }
  }
  Device_->SetTexture(0, nullptr);
}

TEST_F(RasterTest, BlendFactorsOfTheSceneTable) {
  struct Case {
    DWORD Src, Dst;
  };
  const std::uint32_t colour = 0x9A3C80F0;  // untextured: the diffuse colour is the source
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  Device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  Device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  Device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  for (Case c : {Case{D3DBLEND_SRCALPHA, D3DBLEND_ONE}, Case{D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
                 Case{D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR}, Case{D3DBLEND_ONE, D3DBLEND_ZERO},
                 Case{D3DBLEND_ONE, D3DBLEND_ONE}}) {
    UseBlend(c.Src, c.Dst);
    const auto bg = RandomBackground(c.Src * 16 + c.Dst);
    ASSERT_EQ(D3D_OK, Draw(Quad(0, 0, kW, kH, colour)));
    const auto out = ReadBackBuffer();
    const std::uint32_t sa = colour >> 24;
    for (UINT i = 0; i < kW * kH; ++i) {
      std::uint32_t expected = 0;
      for (int shift : {0, 8, 16, 24}) {
        const std::uint32_t s = Ch(colour, shift), d = Ch(bg[i], shift);
        auto factor = [&](DWORD f) -> std::uint32_t {
          switch (f) {
            case D3DBLEND_ZERO:
              return 0;
            case D3DBLEND_ONE:
              return 255;
            case D3DBLEND_SRCALPHA:
              return sa;
            case D3DBLEND_SRCCOLOR:
              return s;
            case D3DBLEND_INVSRCCOLOR:
              return 255 - s;
            default:
              return 0;
          }
        };
        expected |= std::min(255u, RoundDiv255(s * factor(c.Src) + d * factor(c.Dst))) << shift;
      }
      ASSERT_EQ(expected, out[i]) << "pixel " << i << " blend " << c.Src << "/" << c.Dst;
    }
  }
}

// A mesh of triangles sharing jittered vertices, drawn additively: every pixel whose centre is in
// the mesh's outline must be hit exactly once.
TEST_F(RasterTest, SharedEdgesDrawEveryPixelExactlyOnce) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> jitter(-0.45f, 0.45f);
  const int cols = 6, rows = 5;
  const float left = 3.0f, top = 2.5f, cell = 6.0f;
  std::vector<float> vx((cols + 1) * (rows + 1)), vy(vx.size());
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i <= cols; ++i) {
      const bool border = i == 0 || j == 0 || i == cols || j == rows;
      // Interior points land on exact pixel centres now and then, and off them otherwise.
      vx[j * (cols + 1) + i] = left + i * cell + (border ? 0 : (i % 2 ? jitter(rng) : 0.0f));
      vy[j * (cols + 1) + i] = top + j * cell + (border ? 0 : (j % 2 ? 0.0f : jitter(rng)));
    }
  }
  auto vertex = [&](int i, int j) {
    const int k = j * (cols + 1) + i;
    return TVertex{vx[k], vy[k], 0, 1, 0x01010101, 0, 0, 0};
  };
  std::vector<TVertex> list;
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < cols; ++i) {
      // Alternate the diagonal so both orientations of shared edges occur.
      if ((i + j) % 2) {
        for (auto v : {vertex(i, j), vertex(i + 1, j), vertex(i, j + 1), vertex(i + 1, j),
                       vertex(i + 1, j + 1), vertex(i, j + 1)}) {
          list.push_back(v);
        }
      } else {
        for (auto v : {vertex(i, j), vertex(i + 1, j), vertex(i + 1, j + 1), vertex(i, j),
                       vertex(i + 1, j + 1), vertex(i, j + 1)}) {
          list.push_back(v);
        }
      }
    }
  }
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  Device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  UseBlend(D3DBLEND_ONE, D3DBLEND_ONE);
  Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
  ASSERT_EQ(D3D_OK, Draw(list, D3DPT_TRIANGLELIST));
  const auto out = ReadBackBuffer();
  const float right = left + cols * cell, bottom = top + rows * cell;
  for (UINT y = 0; y < kH; ++y) {
    for (UINT x = 0; x < kW; ++x) {
      const bool inside = x >= left && x < right && y >= top && y < bottom;
      ASSERT_EQ(inside ? 0x01010101u : 0u, out[y * kW + x]) << x << "," << y;
    }
  }

  // The same outline as one fan around an inner point.
  Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
  const std::vector<TVertex> fan = {
      {20.3f, 17.6f, 0, 1, 0x01010101, 0, 0, 0}, {left, top, 0, 1, 0x01010101, 0, 0, 0},
      {right, top, 0, 1, 0x01010101, 0, 0, 0},   {right, bottom, 0, 1, 0x01010101, 0, 0, 0},
      {left, bottom, 0, 1, 0x01010101, 0, 0, 0}, {left, top, 0, 1, 0x01010101, 0, 0, 0}};
  ASSERT_EQ(D3D_OK, Draw(fan, D3DPT_TRIANGLEFAN));
  EXPECT_EQ(out, ReadBackBuffer());
}

TEST_F(RasterTest, CoverageFollowsPixelCentresAtIntegers) {
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  struct Case {
    float X0, X1;
    int First, End;  // covered columns [First, End)
  };
  for (Case c : {Case{2.0f, 6.0f, 2, 6}, Case{2.5f, 6.5f, 3, 7}, Case{2.49f, 6.51f, 3, 7},
                 Case{2.51f, 6.49f, 3, 7}, Case{1.99f, 2.01f, 2, 3}, Case{1.999f, 2.001f, 0, 0},
                 Case{3.2f, 3.9f, 0, 0}}) {
    for (bool shortcut : {true, false}) {
      d3d9standin::GetConfig().QuadFastPath = shortcut;
      Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
      ASSERT_EQ(D3D_OK, Draw(Quad(c.X0, c.X0, c.X1 - c.X0, c.X1 - c.X0, 0xFFFFFFFF)));
      const auto out = ReadBackBuffer();
      for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
          const bool inside = x >= c.First && x < c.End && y >= c.First && y < c.End;
          ASSERT_EQ(inside ? 0xFFFFFFFFu : 0u, out[y * kW + x])
              << x << "," << y << " quad from " << c.X0 << " to " << c.X1;
        }
      }
    }
  }
}

TEST_F(RasterTest, CullModesDropOneWinding) {
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  // The scene's corner order is clockwise on screen; its mirror image is counter-clockwise.
  const auto clockwise = Quad(1, 1, 5, 5, 0xFFFFFFFF);
  const auto counter = Quad(6, 1, -5, 5, 0xFFFFFFFF);
  struct Case {
    DWORD Mode;
    bool DrawsClockwise, DrawsCounter;
  };
  for (Case c : {Case{D3DCULL_CCW, true, false}, Case{D3DCULL_CW, false, true},
                 Case{D3DCULL_NONE, true, true}}) {
    Device_->SetRenderState(D3DRS_CULLMODE, c.Mode);
    for (bool shortcut : {true, false}) {
      d3d9standin::GetConfig().QuadFastPath = shortcut;
      for (auto [quad, drawn] :
           {std::pair{&clockwise, c.DrawsClockwise}, std::pair{&counter, c.DrawsCounter}}) {
        Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
        Draw(*quad);
        EXPECT_EQ(drawn ? 0xFFFFFFFFu : 0u, ReadBackBuffer()[3 * kW + 3]) << "cull " << c.Mode;
      }
    }
  }
}

TEST_F(RasterTest, ViewportClipsDrawingAndClear) {
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1, 0);
  D3DVIEWPORT9 vp{7, 5, 11, 6, 0, 1};
  ASSERT_EQ(D3D_OK, Device_->SetViewport(&vp));
  Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1, 0);
  ASSERT_EQ(D3D_OK, Draw(Quad(-100, -100, 120, 107.5f, 0xFFFF0000)));
  const auto out = ReadBackBuffer();
  for (UINT y = 0; y < kH; ++y) {
    for (UINT x = 0; x < kW; ++x) {
      std::uint32_t expected = 0xFF000000;
      if (x >= 7 && x < 18 && y >= 5 && y < 11)
        expected = (x < 20 && y < 8) ? 0xFFFF0000 : 0xFF0000FF;
      ASSERT_EQ(expected, out[y * kW + x]) << x << "," << y;
    }
  }
}

TEST_F(RasterTest, GouraudColoursMeetTheVertexColours) {
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  Device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  const std::vector<TVertex> tri = {{0, 0, 0, 1, 0xFF000000, 0, 0, 0},
                                    {32, 0, 0, 1, 0xFFFF0000, 0, 0, 0},
                                    {0, 32, 0, 1, 0x0000FF00, 0, 0, 0}};
  Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
  ASSERT_EQ(D3D_OK, Draw(tri, D3DPT_TRIANGLELIST));
  const auto out = ReadBackBuffer();
  EXPECT_EQ(0xFF000000u, out[0]);
  // At (x, y) the weights are x / 32 for red's vertex and y / 32 for green's.
  for (auto [x, y] : {std::pair{8u, 4u}, std::pair{16u, 8u}, std::pair{3u, 20u}}) {
    const std::uint32_t px = out[y * kW + x];
    EXPECT_NEAR(255.0 * x / 32, Ch(px, 16), 0.5 + 1e-9) << x << "," << y;
    EXPECT_NEAR(255.0 * y / 32, Ch(px, 8), 0.5 + 1e-9);
    EXPECT_NEAR(255.0 * (1 - y / 32.0), Ch(px, 24), 0.5 + 1e-9);
  }
  // Flat shading uses the first vertex everywhere.
  Device_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
  Draw(tri, D3DPT_TRIANGLELIST);
  EXPECT_EQ(0xFF000000u, ReadBackBuffer()[8 * kW + 16]);
}

TEST_F(RasterTest, SpecularIsAddedWhenEnabled) {
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  const auto quad = Quad(0, 0, 4, 4, 0xFF10F020, 0, 0, 1, 1, 0, 0x00203040);
  Draw(quad);
  EXPECT_EQ(0xFF10F020u, ReadBackBuffer()[0]) << "off by default";
  Device_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  for (bool shortcut : {true, false}) {
    d3d9standin::GetConfig().QuadFastPath = shortcut;
    Draw(quad);
    EXPECT_EQ(0xFF30FF60u, ReadBackBuffer()[kW + 1]) << "green saturates";
  }
}

TEST_F(RasterTest, DepthTestAndWrite) {
  MakeDevice(kW, kH, D3DFMT_A8R8G8B8, D3DFMT_D24S8);
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  for (bool shortcut : {true, false}) {
    d3d9standin::GetConfig().QuadFastPath = shortcut;
    Device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    Device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    Device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    ASSERT_EQ(D3D_OK, Device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
    Draw(Quad(0, 0, 10, 10, 0xFFFF0000, 0, 0, 1, 1, 0.25f));  // near
    Draw(Quad(5, 0, 10, 10, 0xFF00FF00, 0, 0, 1, 1, 0.75f));  // far: hidden where they overlap
    auto out = ReadBackBuffer();
    EXPECT_EQ(0xFFFF0000u, out[2 * kW + 7]);
    EXPECT_EQ(0xFF00FF00u, out[2 * kW + 12]);
    Device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
    Device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    Draw(Quad(0, 0, 20, 10, 0xFF0000FF, 0, 0, 1, 1, 0.5f));
    out = ReadBackBuffer();
    EXPECT_EQ(0xFF0000FFu, out[2 * kW + 7]) << "0.5 is behind 0.25";
    EXPECT_EQ(0xFF00FF00u, out[2 * kW + 12]) << "0.5 is in front of 0.75";
    EXPECT_EQ(0u, out[2 * kW + 17]) << "nothing in front of the cleared 1.0";
    Device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    Draw(Quad(0, 0, 20, 10, 0xFFFFFFFF, 0, 0, 1, 1, 0.9f));
    EXPECT_EQ(0xFFFFFFFFu, ReadBackBuffer()[2 * kW + 7]) << "depth test off";
  }
}

TEST_F(RasterTest, AlphaTestComparesWithTheReference) {
  MakeDevice(256, 4);
  Device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  IDirect3DTexture9* t =
      MakeTexture(256, 1, D3DFMT_A8R8G8B8, [](UINT x, UINT) { return (x << 24) | 0x00FFFFFF; });
  Device_->SetTexture(0, t);
  Device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  Device_->SetRenderState(D3DRS_ALPHAREF, 128);
  for (DWORD func = D3DCMP_NEVER; func <= D3DCMP_ALWAYS; ++func) {
    Device_->SetRenderState(D3DRS_ALPHAFUNC, func);
    for (bool shortcut : {true, false}) {
      d3d9standin::GetConfig().QuadFastPath = shortcut;
      Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0);
      Draw(Quad(0, 0, 256, 1, 0xFFFFFFFF));
      const auto out = ReadBackBuffer();
      for (std::uint32_t a = 0; a < 256; ++a) {
        const bool pass = func == D3DCMP_NEVER          ? false
                          : func == D3DCMP_LESS         ? a < 128
                          : func == D3DCMP_EQUAL        ? a == 128
                          : func == D3DCMP_LESSEQUAL    ? a <= 128
                          : func == D3DCMP_GREATER      ? a > 128
                          : func == D3DCMP_NOTEQUAL     ? a != 128
                          : func == D3DCMP_GREATEREQUAL ? a >= 128
                                                        : true;
        ASSERT_EQ(pass ? ((a << 24) | 0xFFFFFF) : 0u, out[a]) << "func " << func << " alpha " << a;
      }
    }
  }
  Device_->SetTexture(0, nullptr);
}

TEST_F(RasterTest, TextureStageArgumentsAndOperations) {
  IDirect3DTexture9* t = MakeTexture(1, 1, D3DFMT_A8R8G8B8, [](UINT, UINT) { return 0x80C04020u; });
  Device_->SetTexture(0, t);
  Device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x40102030);
  const std::uint32_t diffuse = 0xF0808080;
  struct Case {
    DWORD Op, Arg1, Arg2, AlphaOp, AlphaArg1, AlphaArg2;
    std::uint32_t Expected;
  };
  const std::uint32_t modulated = Argb(RoundDiv255(0x80 * 0xF0), RoundDiv255(0xC0 * 0x80),
                                       RoundDiv255(0x40 * 0x80), RoundDiv255(0x20 * 0x80));
  for (Case c : {
           Case{D3DTOP_SELECTARG1, D3DTA_TEXTURE, 0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, 0,
                0x80C04020u},
           Case{D3DTOP_SELECTARG2, 0, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, 0, D3DTA_DIFFUSE, diffuse},
           Case{D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE,
                D3DTA_CURRENT, modulated},
           Case{D3DTOP_SELECTARG1, D3DTA_TFACTOR, 0, D3DTOP_SELECTARG1, D3DTA_TFACTOR, 0,
                0x40102030u},
           Case{D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, 0, D3DTOP_SELECTARG1,
                D3DTA_TEXTURE | D3DTA_COMPLEMENT, 0, 0x7F3FBFDFu},
           Case{D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, 0, D3DTOP_SELECTARG1,
                D3DTA_TEXTURE, 0, 0x80808080u},
           Case{D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SUBTRACT, D3DTA_DIFFUSE,
                D3DTA_TEXTURE, 0x70FFC0A0u},
           Case{D3DTOP_DISABLE, 0, 0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, 0, diffuse},
       }) {
    Device_->SetTextureStageState(0, D3DTSS_COLOROP, c.Op);
    Device_->SetTextureStageState(0, D3DTSS_COLORARG1, c.Arg1);
    Device_->SetTextureStageState(0, D3DTSS_COLORARG2, c.Arg2);
    Device_->SetTextureStageState(0, D3DTSS_ALPHAOP, c.AlphaOp);
    Device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, c.AlphaArg1);
    Device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, c.AlphaArg2);
    for (bool shortcut : {true, false}) {
      d3d9standin::GetConfig().QuadFastPath = shortcut;
      ASSERT_EQ(D3D_OK, Draw(Quad(0, 0, 2, 2, diffuse)));
      EXPECT_EQ(c.Expected, ReadBackBuffer()[kW + 1]) << "op " << c.Op << " / " << c.AlphaOp;
    }
  }
  // Without a texture the texture argument reads opaque white: the sprite shows its colour.
  Device_->SetTexture(0, nullptr);
  ModulateTextureAndDiffuse();
  Draw(Quad(0, 0, 2, 2, diffuse));
  EXPECT_EQ(diffuse, ReadBackBuffer()[0]);
}

TEST_F(RasterTest, BlendOperationNeedsItsCapability) {
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  Device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  UseBlend(D3DBLEND_ONE, D3DBLEND_ONE);
  Device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
  const std::uint32_t src = 0x10203040, dst = 0x80808080;
  Device_->Clear(0, nullptr, D3DCLEAR_TARGET, dst, 1, 0);
  Draw(Quad(0, 0, 2, 2, src));
  EXPECT_EQ(0x70605040u, ReadBackBuffer()[0]) << "destination minus source";
  d3d9standin::GetConfig().BlendOpSupported = false;
  Device_->Clear(0, nullptr, D3DCLEAR_TARGET, dst, 1, 0);
  Draw(Quad(0, 0, 2, 2, src));
  EXPECT_EQ(0x90A0B0C0u, ReadBackBuffer()[0]) << "without the capability blending adds";
}

}  // namespace
}  // namespace d3d9test
