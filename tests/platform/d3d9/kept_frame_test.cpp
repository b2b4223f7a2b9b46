// A frame that starts as the one before it did is restored from the kept picture instead of being
// drawn: every presented frame must be exactly the frame a device without that history draws,
// whatever the frames between change (the background's colour, its texels, the clear colour, a
// first draw that is not the background, clears of rectangles, locks of the back buffer, draws
// reaching outside the target).
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "support/d3d9_test_util.h"

namespace d3d9test {
namespace {

constexpr UINT kW = 150, kH = 90;

// One device and what it presented last.
struct TScreen {
  TNullWindow Window{kW, kH};
  TRef<IDirect3DDevice9> Device;
  TRef<IDirect3DTexture9> Background, Sprite;
  std::vector<std::uint32_t> Presented;
};

// What one frame draws.
struct TFrame {
  std::uint32_t ClearColour = 0xFF000000u;
  std::uint32_t BackgroundColour = 0x66FFFFFFu;
  bool SpriteFirst = false;     // a small sprite comes before the background
  bool RewriteTexels = false;   // the background's texture is written before the frame
  bool LockBackBuffer = false;  // one pixel of the last frame is written through a lock first
  bool ClearRect = false;       // a rectangle is cleared after the background
  std::vector<std::vector<TVertex>> Sprites;
};

std::uint32_t BackgroundTexel(UINT x, UINT y, std::uint32_t salt) {
  return 0xFF000000u | ((x * 7 + y * 13 + salt) * 2654435761u >> 8 & 0xFFFFFF);
}

void WriteTexels(IDirect3DTexture9* texture, UINT w, UINT h,
                 const std::function<std::uint32_t(UINT, UINT)>& texel) {
  D3DLOCKED_RECT locked;
  ASSERT_EQ(D3D_OK, texture->LockRect(0, &locked, nullptr, 0));
  for (UINT y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                 y * locked.Pitch);
    for (UINT x = 0; x < w; ++x) row[x] = texel(x, y);
  }
  texture->UnlockRect(0);
}

class KeptFrameTest : public TDeviceTest {
 protected:
  // A device with the background's texels of the given generation.
  void Open(TScreen& screen, std::uint32_t salt = 0) {
    D3DPRESENT_PARAMETERS p = Windowed(kW, kH);
    p.hDeviceWindow = &screen.Window;
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(D3D_OK, D3D()->CreateDevice(0, D3DDEVTYPE_HAL, &screen.Window,
                                          D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device));
    screen.Device.reset(device);
    screen.Window.SetPresenter([&screen](UINT w, UINT h, INT pitch, const std::uint32_t* pixels) {
      screen.Presented.resize(static_cast<std::size_t>(w) * h);
      for (UINT y = 0; y < h; ++y) {
        std::memcpy(&screen.Presented[y * w],
                    reinterpret_cast<const std::uint8_t*>(pixels) + y * pitch, w * 4);
      }
    });
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(kW, kH, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                            &texture, nullptr));
    screen.Background.reset(texture);
    WriteTexels(texture, kW, kH, [salt](UINT x, UINT y) { return BackgroundTexel(x, y, salt); });
    ASSERT_EQ(D3D_OK, device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                            &texture, nullptr));
    screen.Sprite.reset(texture);
    WriteTexels(texture, 16, 16,
                [](UINT x, UINT y) { return (x + y) % 3 == 0 ? 0u : 0xC0FF8040u; });
  }

  // Draws one frame the way the game's scene does and presents it.
  void DrawFrame(TScreen& screen, const TFrame& frame, int number) {
    IDirect3DDevice9* d = screen.Device.get();
    if (frame.RewriteTexels) {
      WriteTexels(screen.Background.get(), kW, kH,
                  [number](UINT x, UINT y) { return BackgroundTexel(x, y, number); });
    }
    if (frame.LockBackBuffer) LockAndWrite(d);
    d->SetFVF(kFvf);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    for (auto [op, a1, a2] : {std::tuple{D3DTSS_COLOROP, D3DTSS_COLORARG1, D3DTSS_COLORARG2},
                              std::tuple{D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2}}) {
      d->SetTextureStageState(0, op, D3DTOP_MODULATE);
      d->SetTextureStageState(0, a1, D3DTA_TEXTURE);
      d->SetTextureStageState(0, a2, D3DTA_DIFFUSE);
    }
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->Clear(0, nullptr, D3DCLEAR_TARGET, frame.ClearColour, 1.0f, 0);
    d->BeginScene();
    auto draw = [d](IDirect3DTexture9* texture, const std::vector<TVertex>& v) {
      d->SetTexture(0, texture);
      d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v.data(), sizeof(TVertex));
    };
    if (frame.SpriteFirst) draw(screen.Sprite.get(), Quad(20, 10, 16, 16, 0xFFFFFFFFu));
    draw(screen.Background.get(), Quad(0, 0, kW, kH, frame.BackgroundColour));
    if (frame.ClearRect) {
      const D3DRECT rect{30, 20, 70, 45};
      d->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
    }
    for (const std::vector<TVertex>& sprite : frame.Sprites) draw(screen.Sprite.get(), sprite);
    d->EndScene();
    ASSERT_EQ(D3D_OK, d->Present(nullptr, nullptr, nullptr, nullptr));
  }

  // Writes one pixel through a lock of the back buffer, which tells the device nothing of it.
  static void LockAndWrite(IDirect3DDevice9* d) {
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(D3D_OK, d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, surface->LockRect(&locked, nullptr, 0));
    // Column 5 of row 1.
    reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + locked.Pitch)[5] =
        0xFFABCDEFu;
    surface->UnlockRect();
    surface->Release();
  }
};

TEST_F(KeptFrameTest, EveryFrameIsWhatADeviceWithoutHistoryDraws) {
  TScreen kept;
  Open(kept);
  std::mt19937 rng(7);
  auto coordinate = [&rng](float lo, float hi) {
    return std::uniform_real_distribution<float>(lo, hi)(rng);
  };
  for (int number = 0; number < 40; ++number) {
    SCOPED_TRACE(number);
    TFrame frame;
    // Runs of alike frames, each broken by one change.
    frame.ClearColour = number >= 30 ? 0xFF203040u : 0xFF000000u;
    frame.BackgroundColour = number >= 12 && number < 15 ? 0x99FFFFFFu : 0x66FFFFFFu;
    frame.RewriteTexels = number == 20;
    frame.SpriteFirst = number == 25 || number == 26;
    frame.LockBackBuffer = number == 8;
    frame.ClearRect = number % 9 == 4;
    // Frame 7 draws no sprite, so nothing but the lock would bring back the written pixel.
    const int count = number == 7 ? 0 : static_cast<int>(rng() % 6);
    for (int i = 0; i < count; ++i) {
      const float x = coordinate(-20, kW), y = coordinate(-20, kH);
      frame.Sprites.push_back(Quad(x, y, coordinate(4, 40), coordinate(4, 40), 0xFFFFFFFFu));
    }
    if (number == 35) {
      // A sprite with a corner the device cannot bound.
      frame.Sprites.push_back(Quad(10, 10, NAN, 5, 0xFFFFFFFFu));
    }
    DrawFrame(kept, frame, number);
    // The same frame on a new device, its texture as the kept device's is now.
    TScreen fresh;
    Open(fresh, number >= 20 ? 20 : 0);
    DrawFrame(fresh, frame, number);
    ASSERT_EQ(kept.Presented.size(), static_cast<std::size_t>(kW) * kH);
    ASSERT_TRUE(kept.Presented == fresh.Presented);
  }
}

}  // namespace
}  // namespace d3d9test
