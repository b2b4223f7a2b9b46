// The quad shortcut and the vector sprite kernel must give exactly the bits of the general
// triangle path: random quads under random states, compared pixel for pixel (depth included).
#include <gtest/gtest.h>

#include <random>

#include "platform/d3d9/raster/formats.h"
#include "platform/d3d9/raster/raster.h"
#include "platform/d3d9/raster/raster_internal.h"
#include "support/d3d9_test_util.h"

namespace d3d9test {
namespace {

using d3d9soft::TRasterState;
using d3d9soft::TRasterTarget;
using d3d9soft::TRasterVertex;

constexpr int kW = 61, kH = 37;

struct TImage {
  std::vector<std::uint32_t> Pixels = std::vector<std::uint32_t>(kW * kH);
  std::vector<std::uint32_t> Depth = std::vector<std::uint32_t>(kW * kH);

  TRasterTarget Target(bool opaque, bool depth, const D3DVIEWPORT9& vp) {
    TRasterTarget t;
    t.Pixels = Pixels.data();
    t.PitchPixels = kW;
    t.OpaqueAlpha = opaque;
    t.Depth = depth ? Depth.data() : nullptr;
    t.DepthPitch = kW;
    t.ClipLeft = static_cast<int>(vp.X);
    t.ClipTop = static_cast<int>(vp.Y);
    t.ClipRight = static_cast<int>(vp.X + vp.Width);
    t.ClipBottom = static_cast<int>(vp.Y + vp.Height);
    return t;
  }
};

class TRandomScene {
 public:
  explicit TRandomScene(std::uint32_t seed) : Rng_(seed) {}

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Rng_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(Rng_); }
  std::uint32_t Bits() { return static_cast<std::uint32_t>(Rng_()); }

  // Coordinates on whole pixels, half pixels, or anywhere.
  float Coordinate(float lo, float hi) {
    const float v = std::uniform_real_distribution<float>(lo, hi)(Rng_);
    switch (Int(0, 2)) {
      case 0:
        return std::round(v);
      case 1:
        return std::round(v) + 0.5f;
      default:
        return v;
    }
  }

  float TexCoord() {
    switch (Int(0, 4)) {
      case 4:  // far outside the texture: beyond 64-bit products
        return std::uniform_real_distribution<float>(-1e6f, 1e6f)(Rng_);
      case 0:
        return 0.0f;
      case 1:
        return 1.0f;
      case 2:
        return static_cast<float>(Int(-8, 8)) / 4;
      default:
        return std::uniform_real_distribution<float>(-2.0f, 3.0f)(Rng_);
    }
  }

  DWORD Arg() {
    static constexpr DWORD kSources[] = {D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_TFACTOR,
                                         D3DTA_SPECULAR};
    DWORD a = kSources[Int(0, 4)];
    if (Chance(0.2)) a |= D3DTA_COMPLEMENT;
    if (Chance(0.2)) a |= D3DTA_ALPHAREPLICATE;
    return a;
  }

  DWORD Op() {
    static constexpr DWORD kOps[] = {D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE,
                                     D3DTOP_MODULATE2X, D3DTOP_MODULATE4X, D3DTOP_ADD,
                                     D3DTOP_SUBTRACT,   D3DTOP_DISABLE};
    return kOps[Int(0, 7)];
  }

  // Texture memory stays alive in the scene object for the draw.
  std::vector<std::uint8_t> TextureBits;

  TRasterState State(bool spriteLike) {
    TRasterState s;
    static constexpr D3DFORMAT kFormats[] = {
        D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
        D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8,     D3DFMT_L8,       D3DFMT_A8L8};
    if (Chance(0.85)) {
      const D3DFORMAT f = spriteLike ? D3DFMT_A8R8G8B8 : kFormats[Int(0, 9)];
      const int w = Int(1, 24), h = Int(1, 24), bpp = static_cast<int>(d3d9soft::BytesPerPixel(f));
      const int pitch = w * bpp + Int(0, 2) * 4;
      TextureBits.resize(static_cast<std::size_t>(pitch) * h);
      for (auto& b : TextureBits) b = static_cast<std::uint8_t>(Bits());
      // Whole runs of transparent and opaque texels, as sprites have them, or an opaque picture.
      if (f == D3DFMT_A8R8G8B8 && Chance(0.3)) {
        for (std::size_t i = 3; i < TextureBits.size(); i += 4) TextureBits[i] = 255;
      } else if (f == D3DFMT_A8R8G8B8) {
        for (int y = 0; y < h; ++y) {
          for (int x = 0; x < w; ++x) {
            const int band = (x / 5 + y) % 3;
            if (band == 0) TextureBits[y * pitch + x * 4 + 3] = 0;
            if (band == 1) TextureBits[y * pitch + x * 4 + 3] = 255;
          }
        }
      }
      s.Sampler.Bound = true;
      s.Sampler.Level = d3d9soft::TTextureLevelView{TextureBits.data(), pitch, w, h, f, bpp};
    }
    s.Sampler.AddressU = static_cast<DWORD>(Int(1, 5));
    s.Sampler.AddressV = static_cast<DWORD>(Int(1, 5));
    s.Sampler.MagFilter = spriteLike || Chance(0.5) ? D3DTEXF_POINT : D3DTEXF_LINEAR;
    s.Sampler.MinFilter = spriteLike || Chance(0.5) ? D3DTEXF_POINT : D3DTEXF_LINEAR;
    s.Sampler.BorderColor = Bits();
    s.CullMode = static_cast<DWORD>(Int(1, 3));
    if (spriteLike) {
      s.Stage =
          d3d9soft::TStageSetup{D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE,
                                D3DTA_TEXTURE,   D3DTA_DIFFUSE, Bits()};
      s.Blend = Chance(0.8);
      s.SrcBlend = D3DBLEND_SRCALPHA;
      s.DestBlend = D3DBLEND_INVSRCALPHA;
      s.SpecularEnable = Chance(0.5);
      return s;
    }
    s.Stage = d3d9soft::TStageSetup{Op(), Arg(), Arg(), Op(), Arg(), Arg(), Bits()};
    if (s.Stage.AlphaOp == D3DTOP_DISABLE) s.Stage.AlphaOp = D3DTOP_SELECTARG1;
    s.SpecularEnable = Chance(0.5);
    s.FlatShade = Chance(0.3);
    s.AlphaTest = Chance(0.3);
    s.AlphaFunc = static_cast<DWORD>(Int(1, 8));
    s.AlphaRef = Bits() & 0xFF;
    s.Blend = Chance(0.7);
    s.SrcBlend = static_cast<DWORD>(Int(1, 15));
    s.DestBlend = static_cast<DWORD>(Int(1, 15));
    s.BlendOp = static_cast<DWORD>(Int(1, 5));
    s.BlendFactor = Bits();
    s.ColorWriteMask = Chance(0.7) ? 0xF : Bits() & 0xF;
    s.DepthTest = Chance(0.4);
    s.DepthFunc = static_cast<DWORD>(Int(1, 8));
    s.DepthWrite = Chance(0.5);
    return s;
  }

  // A quad anywhere, or (cover) one over the whole image.
  void Quad(TRasterVertex v[4], bool cover = false) {
    float x0 = Coordinate(-12, kW + 4), y0 = Coordinate(-12, kH + 4);
    float w = Coordinate(-30, 45), h = Coordinate(-30, 45);
    if (cover) {
      x0 = std::floor(Coordinate(-2, 0)), y0 = std::floor(Coordinate(-2, 0));
      w = kW - x0 + Int(0, 2), h = kH - y0 + Int(0, 2);
    }
    if (w == 0) w = 1;
    if (h == 0) h = 1;
    const float u0 = TexCoord(), u1 = TexCoord(), tv0 = TexCoord(), tv1 = TexCoord();
    const std::uint32_t diffuse = Chance(0.2)   ? 0xFFFFFFFF
                                  : Chance(0.2) ? Bits() | 0xFFFFFF
                                                : Bits();
    const std::uint32_t specular = Chance(0.5) ? 0 : Bits();
    const float z = Chance(0.5) ? 0.0f : std::uniform_real_distribution<float>(0, 1)(Rng_);
    const float rhw = Chance(0.5) ? 0.5f : 1.0f;
    v[0] = TRasterVertex{x0, y0, z, rhw, diffuse, specular, u0, tv0};
    v[1] = TRasterVertex{x0 + w, y0, z, rhw, diffuse, specular, u1, tv0};
    v[2] = TRasterVertex{x0, y0 + h, z, rhw, diffuse, specular, u0, tv1};
    v[3] = TRasterVertex{x0 + w, y0 + h, z, rhw, diffuse, specular, u1, tv1};
  }

  void Fill(TImage& image) {
    for (auto& p : image.Pixels) p = Bits();
    for (auto& d : image.Depth) d = Bits() & d3d9soft::kDepthMax;
  }

 private:
  std::mt19937 Rng_;
};

// With the given sprite kernels (or the widest available below them).
void CompareShortcutWithTriangles(bool spriteLike, d3d9soft::TKernels kernels, int iterations,
                                  std::uint32_t seed) {
  d3d9soft::UseKernels(kernels);
  TRandomScene scene(seed);
  for (int i = 0; i < iterations; ++i) {
    TRasterState state = scene.State(spriteLike);
    // A clear not yet written: the shortcut's image holds anything, the general one the fill.
    const bool pending = scene.Chance(0.3);
    TRasterVertex v[4];
    scene.Quad(v, pending && scene.Chance(0.6));
    const bool opaque = scene.Chance(0.5);
    const bool depth = !spriteLike && scene.Chance(0.5);
    D3DVIEWPORT9 vp{0, 0, kW, kH, 0, 1};
    if (!pending && scene.Chance(0.3)) vp = D3DVIEWPORT9{3, 2, kW - 9, kH - 5, 0, 1};
    TImage shortcut;
    scene.Fill(shortcut);
    if (opaque) {
      for (auto& p : shortcut.Pixels) p |= 0xFF000000u;
    }
    TImage general = shortcut;
    const std::uint32_t fill = scene.Bits() | (opaque ? 0xFF000000u : 0);
    if (pending) std::fill(general.Pixels.begin(), general.Pixels.end(), fill);
    TRasterTarget target = shortcut.Target(opaque, depth, vp);
    target.FillPending = pending;
    target.Fill = fill;
    ASSERT_TRUE(d3d9soft::DrawQuadShortcut(target, state, v)) << "iteration " << i;
    state.QuadFastPath = false;
    d3d9soft::DrawTriangles(general.Target(opaque, depth, vp), state, D3DPT_TRIANGLESTRIP, v, 2);
    for (int p = 0; p < kW * kH; ++p) {
      ASSERT_EQ(general.Pixels[p], shortcut.Pixels[p])
          << "iteration " << i << " pixel " << p % kW << "," << p / kW;
      ASSERT_EQ(general.Depth[p], shortcut.Depth[p]) << "iteration " << i << " depth " << p;
    }
  }
  d3d9soft::UseVectorKernels(true);
}

TEST(QuadShortcutTest, SameBitsAsTrianglesUnderRandomStates) {
  CompareShortcutWithTriangles(false, d3d9soft::TKernels::Avx512, 3000, 1);
}

TEST(QuadShortcutTest, SameBitsAsTrianglesForSprites) {
  CompareShortcutWithTriangles(true, d3d9soft::TKernels::Avx512, 3000, 2);
  CompareShortcutWithTriangles(true, d3d9soft::TKernels::Avx2, 1000, 5);
  CompareShortcutWithTriangles(true, d3d9soft::TKernels::Plain, 1000, 3);
}

TEST(QuadShortcutTest, OnlyAxisAlignedQuadsTakeIt) {
  std::vector<std::uint32_t> pixels(kW * kH, 0);
  TRasterTarget t;
  t.Pixels = pixels.data();
  t.PitchPixels = kW;
  t.ClipRight = kW;
  t.ClipBottom = kH;
  TRasterState s;
  TRasterVertex quad[4] = {{1, 1, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                           {9, 1, 0, 1, 0xFFFFFFFF, 0, 1, 0},
                           {1, 9, 0, 1, 0xFFFFFFFF, 0, 0, 1},
                           {9, 9, 0, 1, 0xFFFFFFFF, 0, 1, 1}};
  EXPECT_TRUE(d3d9soft::DrawQuadShortcut(t, s, quad));
  TRasterVertex skewed[4] = {quad[0], quad[1], quad[2], quad[3]};
  skewed[3].X = 10;
  EXPECT_FALSE(d3d9soft::DrawQuadShortcut(t, s, skewed));
  TRasterVertex shaded[4] = {quad[0], quad[1], quad[2], quad[3]};
  shaded[2].Diffuse = 0xFF000000;
  EXPECT_FALSE(d3d9soft::DrawQuadShortcut(t, s, shaded));
  TRasterVertex perspective[4] = {quad[0], quad[1], quad[2], quad[3]};
  perspective[1].Rhw = 2;
  EXPECT_FALSE(d3d9soft::DrawQuadShortcut(t, s, perspective));
  // Texture coordinates that turn with the quad need the general path.
  s.Sampler.Bound = true;
  std::uint32_t texel = 0xFFFFFFFF;
  s.Sampler.Level = d3d9soft::TTextureLevelView{
      reinterpret_cast<std::uint8_t*>(&texel), 4, 1, 1, D3DFMT_A8R8G8B8, 4};
  TRasterVertex rotated[4] = {quad[0], quad[1], quad[2], quad[3]};
  rotated[1].U = 0;
  rotated[1].V = 1;
  EXPECT_FALSE(d3d9soft::DrawQuadShortcut(t, s, rotated));
  EXPECT_TRUE(d3d9soft::DrawQuadShortcut(t, s, quad));
}

TEST(SpriteKernelTest, VectorKernelsMatchThePlainOne) {
  if (!d3d9soft::VectorKernelsAvailable()) GTEST_SKIP() << "no vector unit";
  std::mt19937 rng(9);
  for (int i = 0; i < 6000; ++i) {
    const auto kernels = i % 2 == 0 ? d3d9soft::TKernels::Avx2 : d3d9soft::TKernels::Avx512;
    if (!d3d9soft::KernelsAvailable(kernels)) continue;
    const int count = static_cast<int>(rng() % 70);
    // Texels of any alpha, sprite-like runs, or an opaque picture.
    const int texels = static_cast<int>(rng() % 3);
    std::vector<std::uint32_t> src(count), a(count);
    for (auto& s : src) {
      s = static_cast<std::uint32_t>(rng());
      if (texels == 1 && rng() % 3 == 0) s &= 0x00FFFFFF;
      if (texels == 2 || (texels == 1 && rng() % 2 == 0)) s |= 0xFF000000u;
    }
    for (auto& d : a) d = static_cast<std::uint32_t>(rng());
    // White, white at some alpha (the background), or any colour.
    const std::uint32_t kind = rng() % 4;
    const std::uint32_t colour = kind == 0   ? 0xFFFFFFFFu
                                 : kind == 1 ? static_cast<std::uint32_t>(rng()) | 0x00FFFFFFu
                                             : static_cast<std::uint32_t>(rng());
    const bool blend = rng() % 4 != 0, opaque = rng() % 2 == 0;
    // Over a clear not yet written: the vector kernel must not read the target.
    const bool over = rng() % 3 == 0;
    const std::uint32_t under = static_cast<std::uint32_t>(rng()) | (opaque ? 0xFF000000u : 0);
    std::vector<std::uint32_t> b = a;
    if (over) std::fill(b.begin(), b.end(), under);
    d3d9soft::UseKernels(kernels);
    if (over) {
      d3d9soft::ModulateSpanOver(a.data(), src.data(), count, colour, blend, opaque, under);
    } else {
      d3d9soft::ModulateSpan(a.data(), src.data(), count, colour, blend, opaque);
    }
    d3d9soft::ModulateSpanScalar(b.data(), src.data(), count, colour, blend, opaque);
    if (opaque) {
      // A transparent texel leaves a pixel alone; the plain kernel restates its opaque top byte.
      for (int k = 0; k < count; ++k) a[k] |= 0xFF000000u, b[k] |= 0xFF000000u;
    }
    ASSERT_EQ(b, a) << "iteration " << i;
  }
  d3d9soft::UseVectorKernels(true);
}

// The whole device, fast path on and off, with a frame of game-like sprites.
TEST_F(TDeviceTest, SpriteFrameIsTheSameWithAndWithoutTheShortcut) {
  MakeDevice(120, 90, D3DFMT_X8R8G8B8);
  std::mt19937 rng(4);
  std::vector<IDirect3DTexture9*> textures;
  for (int i = 0; i < 4; ++i) {
    const UINT w = 8 + rng() % 40, h = 8 + rng() % 40;
    textures.push_back(MakeTexture(w, h, D3DFMT_A8R8G8B8,
                                   [&](UINT, UINT) { return static_cast<std::uint32_t>(rng()); }));
  }
  // An opaque picture for the background.
  textures.push_back(MakeTexture(120, 90, D3DFMT_A8R8G8B8, [&](UINT, UINT) {
    return static_cast<std::uint32_t>(rng()) | 0xFF000000u;
  }));
  ModulateTextureAndDiffuse();
  UseBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  Device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  Device_->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  // After the clear: no background, one at 40 % over the clear, one opaque and white (a copy).
  for (const std::uint32_t background : {0u, 0x66FFFFFFu, 0xFFFFFFFFu}) {
    std::vector<std::uint32_t> frames[2];
    for (int pass = 0; pass < 2; ++pass) {
      d3d9standin::GetConfig().QuadFastPath = pass == 0;
      std::mt19937 layout(8);
      Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1, 0);
      if (background != 0) {
        Device_->SetTexture(0, textures[4]);
        ASSERT_EQ(D3D_OK, Draw(Quad(0, 0, 120, 90, background)));
      }
      for (int s = 0; s < 60; ++s) {
        Device_->SetTexture(0, textures[layout() % 4]);
        const float scale = 0.5f + (layout() % 100) / 200.0f;
        const float x = static_cast<float>(static_cast<int>(layout() % 130) - 10);
        const float y = static_cast<float>(static_cast<int>(layout() % 100) - 10);
        ASSERT_EQ(D3D_OK, Draw(Quad(x, y, std::round(40 * scale), std::round(30 * scale),
                                    (layout() | 0x10000000u), 0, 0, 1, 1)));
      }
      Device_->SetTexture(0, nullptr);
      frames[pass] = ReadBackBuffer();
    }
    EXPECT_EQ(frames[0], frames[1]) << "background " << std::hex << background;
  }
}

}  // namespace
}  // namespace d3d9test
