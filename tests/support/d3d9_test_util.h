// Shared helpers of the software Direct3D 9 tests: a device on a window in memory, textures
// filled from a function, quads of pre-transformed vertices, and reading the back buffer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/standin.h"

namespace d3d9test {

struct TVertex {
  float X, Y, Z, Rhw;
  DWORD Diffuse, Specular;
  float U, V;
};
static_assert(sizeof(TVertex) == 32);
inline constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

struct TReleaser {
  void operator()(IUnknown* p) const {
    if (p != nullptr) p->Release();
  }
};
template <class T>
using TRef = std::unique_ptr<T, TReleaser>;

inline std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}
inline std::uint32_t Ch(std::uint32_t c, int shift) { return (c >> shift) & 0xFF; }
// x / 255 rounded to nearest, as the blend and modulate arithmetic promise.
inline std::uint32_t RoundDiv255(std::uint32_t x) { return (2 * x + 255) / 510; }

// The four corners of an axis-aligned sprite as the scene sends them: top-left, top-right,
// bottom-left, bottom-right (a two-triangle strip).
inline std::vector<TVertex> Quad(float x, float y, float w, float h, DWORD colour, float u0 = 0,
                                 float v0 = 0, float u1 = 1, float v1 = 1, float z = 0,
                                 DWORD specular = 0) {
  return {{x, y, z, 0.5f, colour, specular, u0, v0},
          {x + w, y, z, 0.5f, colour, specular, u1, v0},
          {x, y + h, z, 0.5f, colour, specular, u0, v1},
          {x + w, y + h, z, 0.5f, colour, specular, u1, v1}};
}

class TDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { d3d9standin::ResetConfig(); }
  void TearDown() override {
    Textures_.clear();
    Device_.reset();
    D3D_.reset();
    d3d9standin::ResetConfig();
  }

  IDirect3D9* D3D() {
    if (!D3D_) D3D_.reset(Direct3DCreate9(D3D_SDK_VERSION));
    return D3D_.get();
  }

  D3DPRESENT_PARAMETERS Windowed(UINT w, UINT h, D3DFORMAT format = D3DFMT_X8R8G8B8) {
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = w;
    p.BackBufferHeight = h;
    p.BackBufferFormat = format;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = &Window_;
    p.Windowed = TRUE;
    p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    return p;
  }

  // A device drawing into a lockable back buffer, states ready for plain sprites.
  IDirect3DDevice9* MakeDevice(UINT w, UINT h, D3DFORMAT format = D3DFMT_A8R8G8B8,
                               D3DFORMAT depth = D3DFMT_UNKNOWN) {
    D3DPRESENT_PARAMETERS p = Windowed(w, h, format);
    if (depth != D3DFMT_UNKNOWN) {
      p.EnableAutoDepthStencil = TRUE;
      p.AutoDepthStencilFormat = depth;
    }
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(D3D_OK, D3D()->CreateDevice(0, D3DDEVTYPE_HAL, &Window_,
                                          D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device));
    Device_.reset(device);
    if (device != nullptr) {
      device->SetFVF(kFvf);
      device->SetRenderState(D3DRS_LIGHTING, FALSE);
    }
    return device;
  }

  // A managed texture whose texel (x, y) is pixel(x, y), stored as the format's raw value.
  IDirect3DTexture9* MakeTexture(UINT w, UINT h, D3DFORMAT format,
                                 const std::function<std::uint32_t(UINT, UINT)>& pixel,
                                 D3DPOOL pool = D3DPOOL_MANAGED, DWORD usage = 0) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3D_OK, Device_->CreateTexture(w, h, 1, usage, format, pool, &texture, nullptr));
    if (texture == nullptr) return nullptr;
    D3DLOCKED_RECT locked;
    EXPECT_EQ(D3D_OK, texture->LockRect(0, &locked, nullptr, 0));
    const UINT bpp = format == D3DFMT_A8 || format == D3DFMT_L8                 ? 1
                     : (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) ? 4
                                                                                : 2;
    for (UINT y = 0; y < h; ++y) {
      auto* row = static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch;
      for (UINT x = 0; x < w; ++x) {
        const std::uint32_t v = pixel(x, y);
        std::memcpy(row + x * bpp, &v, bpp);
      }
    }
    EXPECT_EQ(D3D_OK, texture->UnlockRect(0));
    Textures_.emplace_back(texture);
    return texture;
  }

  std::vector<std::uint32_t> ReadBackBuffer() {
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(D3D_OK, Device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface));
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(D3D_OK, surface->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    std::vector<std::uint32_t> pixels(desc.Width * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y) {
      std::memcpy(&pixels[y * desc.Width],
                  static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch, desc.Width * 4);
    }
    surface->UnlockRect();
    surface->Release();
    return pixels;
  }

  void FillBackBuffer(const std::function<std::uint32_t(UINT, UINT)>& pixel) {
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(D3D_OK, Device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface));
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, surface->LockRect(&locked, nullptr, 0));
    for (UINT y = 0; y < desc.Height; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                   y * locked.Pitch);
      for (UINT x = 0; x < desc.Width; ++x) row[x] = pixel(x, y);
    }
    surface->UnlockRect();
    surface->Release();
  }

  HRESULT Draw(const std::vector<TVertex>& v, D3DPRIMITIVETYPE type = D3DPT_TRIANGLESTRIP) {
    const UINT count = type == D3DPT_TRIANGLELIST ? static_cast<UINT>(v.size() / 3)
                                                  : static_cast<UINT>(v.size() - 2);
    Device_->BeginScene();
    const HRESULT hr = Device_->DrawPrimitiveUP(type, count, v.data(), sizeof(TVertex));
    Device_->EndScene();
    return hr;
  }

  void UseBlend(DWORD src, DWORD dst) {
    Device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    Device_->SetRenderState(D3DRS_SRCBLEND, src);
    Device_->SetRenderState(D3DRS_DESTBLEND, dst);
  }

  void ModulateTextureAndDiffuse() {
    for (auto [op, a1, a2] : {std::tuple{D3DTSS_COLOROP, D3DTSS_COLORARG1, D3DTSS_COLORARG2},
                              std::tuple{D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2}}) {
      Device_->SetTextureStageState(0, op, D3DTOP_MODULATE);
      Device_->SetTextureStageState(0, a1, D3DTA_TEXTURE);
      Device_->SetTextureStageState(0, a2, D3DTA_DIFFUSE);
    }
  }

  TNullWindow Window_{64, 48, 16, 39};
  TRef<IDirect3D9> D3D_;
  TRef<IDirect3DDevice9> Device_;
  std::vector<TRef<IDirect3DTexture9>> Textures_;
};

}  // namespace d3d9test
