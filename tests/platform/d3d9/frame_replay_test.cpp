// A frame's draws are put off until it is presented and then written only where they differ from
// the frame before: every presented frame must be exactly the frame a device without that history
// draws, whatever the frames between change (the background's colour, its texels, the clear
// colour, the order of draws, clears of rectangles, locks of the back buffer, textures rewritten
// or released during the frame, draws reaching outside the target), and the change the device
// reports must hold every pixel that differs from the frame presented before.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/d3d9/objects/frame_replay.h"
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
  std::vector<std::uint32_t> Before;  // the frame presented before
  bool LookAfterEveryDraw = false;    // nothing is put off: the reference
  TFrameChange Change;
};

// What one frame draws.
struct TFrame {
  std::uint32_t ClearColour = 0xFF000000u;
  std::uint32_t BackgroundColour = 0x66FFFFFFu;
  bool SpriteFirst = false;       // a small sprite comes before the background
  bool RewriteTexels = false;     // the background's texture is written before the frame
  bool LockBackBuffer = false;    // one pixel of the last frame is written through a lock first
  bool ClearRect = false;         // a rectangle is cleared after the background
  bool RewriteSprite = false;     // the sprite's texels change between two of its draws
  bool TemporaryTexture = false;  // a texture drawn and released during the frame
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

class FrameReplayTest : public TDeviceTest {
 protected:
  // A device with the background's texels of the given generation.
  void Open(TScreen& screen, std::uint32_t salt = 0) {
    D3DPRESENT_PARAMETERS p = Windowed(kW, kH);
    p.hDeviceWindow = &screen.Window;
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(D3D_OK, D3D()->CreateDevice(0, D3DDEVTYPE_HAL, &screen.Window,
                                          D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device));
    screen.Device.reset(device);
    screen.Window.SetPresenter([&screen](UINT w, UINT h, INT pitch, const std::uint32_t* pixels,
                                         const TFrameChange& change) {
      screen.Before = screen.Presented;
      screen.Change = change;
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
    WriteTexels(texture, 16, 16, SpriteTexel);
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
    auto draw = [d, &screen](IDirect3DTexture9* texture, const std::vector<TVertex>& v) {
      d->SetTexture(0, texture);
      d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v.data(), sizeof(TVertex));
      if (screen.LookAfterEveryDraw) Look(d);
    };
    // As a fan: not an axis-aligned strip, so it takes the general path.
    auto drawFan = [d, &screen](const std::vector<TVertex>& q) {
      const std::vector<TVertex> fan = {q[0], q[1], q[3], q[2]};
      d->SetTexture(0, screen.Sprite.get());
      d->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan.data(), sizeof(TVertex));
      if (screen.LookAfterEveryDraw) Look(d);
    };
    if (frame.SpriteFirst) draw(screen.Sprite.get(), Quad(20, 10, 16, 16, 0xFFFFFFFFu));
    draw(screen.Background.get(), Quad(0, 0, kW, kH, frame.BackgroundColour));
    if (frame.ClearRect) {
      const D3DRECT rect{30, 20, 70, 45};
      d->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
    }
    for (std::size_t i = 0; i < frame.Sprites.size(); ++i) {
      if (frame.RewriteSprite && i == 1) {
        WriteTexels(screen.Sprite.get(), 16, 16,
                    [number](UINT x, UINT y) { return 0x80000000u | (x * 16 + y + number); });
      }
      if (i % 3 == 2) {
        drawFan(frame.Sprites[i]);
      } else {
        draw(screen.Sprite.get(), frame.Sprites[i]);
      }
    }
    // One that stays where it is, under sprites that move over it.
    drawFan(Quad(40, 30, 30, 30, 0xFFFFFFFFu));
    if (frame.TemporaryTexture) {
      IDirect3DTexture9* temporary = nullptr;
      ASSERT_EQ(D3D_OK, d->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &temporary,
                                         nullptr));
      WriteTexels(temporary, 8, 8, [](UINT x, UINT y) { return 0xFF102030u + x * 4 + y; });
      draw(temporary, Quad(50, 30, 30, 20, 0xFFFFFFFFu));
      d->SetTexture(0, nullptr);
      temporary->Release();
      draw(screen.Sprite.get(), Quad(60, 40, 16, 16, 0xFFFFFFFFu));
    }
    d->EndScene();
    ASSERT_EQ(D3D_OK, d->Present(nullptr, nullptr, nullptr, nullptr));
    if (frame.RewriteSprite) WriteTexels(screen.Sprite.get(), 16, 16, SpriteTexel);
  }

  static std::uint32_t SpriteTexel(UINT x, UINT y) { return (x + y) % 3 == 0 ? 0u : 0xC0FF8040u; }

  // Every pixel outside the reported change is as presented before.
  static void ExpectChangeHoldsEveryDifference(const TScreen& screen) {
    if (screen.Change.Whole) return;
    ASSERT_EQ(screen.Before.size(), screen.Presented.size());
    std::vector<bool> inside(screen.Presented.size(), false);
    for (const RECT& r : screen.Change.Rects) {
      for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) inside[static_cast<std::size_t>(y) * kW + x] = true;
      }
    }
    for (std::size_t i = 0; i < inside.size(); ++i) {
      if (!inside[i]) {
        ASSERT_EQ(screen.Before[i], screen.Presented[i]) << "pixel " << i;
      }
    }
  }

  // Pixels inside the reported change (the whole frame when nothing is known).
  static std::size_t ChangedPixels(const TScreen& screen) {
    if (screen.Change.Whole) return static_cast<std::size_t>(kW) * kH;
    std::size_t pixels = 0;
    for (const RECT& r : screen.Change.Rects) {
      pixels += static_cast<std::size_t>(r.right - r.left) * (r.bottom - r.top);
    }
    return pixels;
  }

  // Reads the back buffer through a lock, which writes every draw put off.
  static void Look(IDirect3DDevice9* d) {
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(D3D_OK, d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, surface->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    surface->UnlockRect();
    surface->Release();
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

TEST_F(FrameReplayTest, EveryFrameIsWhatADeviceWithoutHistoryDraws) {
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
    frame.RewriteSprite = number == 16;
    frame.TemporaryTexture = number == 17 || number == 18;
    // Frame 7 draws no sprite, so nothing but the lock would bring back the written pixel.
    const int count = number == 7 ? 0 : number == 16 ? 3 : static_cast<int>(rng() % 6);
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
    fresh.LookAfterEveryDraw = true;
    Open(fresh, number >= 20 ? 20 : 0);
    DrawFrame(fresh, frame, number);
    ASSERT_EQ(kept.Presented.size(), static_cast<std::size_t>(kW) * kH);
    ASSERT_TRUE(kept.Presented == fresh.Presented);
    if (number > 0) ExpectChangeHoldsEveryDifference(kept);
  }
}

TEST_F(FrameReplayTest, OnlyWhatMovedIsReportedChanged) {
  TScreen screen;
  Open(screen);
  TFrame frame;
  frame.Sprites = {Quad(10, 10, 16, 16, 0xFFFFFFFFu), Quad(100, 50, 16, 16, 0xFFFFFFFFu)};
  DrawFrame(screen, frame, 0);
  EXPECT_TRUE(screen.Change.Whole) << "the first frame";
  DrawFrame(screen, frame, 1);
  EXPECT_FALSE(screen.Change.Whole);
  EXPECT_EQ(0u, ChangedPixels(screen)) << "the very same frame";
  // One sprite moves by two pixels: about its old and new place change, within a block's width.
  frame.Sprites[1] = Quad(102, 51, 16, 16, 0xFFFFFFFFu);
  DrawFrame(screen, frame, 2);
  EXPECT_FALSE(screen.Change.Whole);
  EXPECT_GE(ChangedPixels(screen), 18u * 17u);
  EXPECT_LE(ChangedPixels(screen), 40u * 24u);
  ExpectChangeHoldsEveryDifference(screen);
  // A new clear colour changes every pixel.
  frame.ClearColour = 0xFF102030u;
  DrawFrame(screen, frame, 3);
  EXPECT_EQ(static_cast<std::size_t>(kW) * kH, ChangedPixels(screen));
}

// The changed area in blocks: what is added comes back as rectangles covering it, inside the
// target, for narrow and wide targets (where the 64th block ends the row).
TEST(ChangedAreaTest, RectanglesCoverWhatWasAddedInWholeBlocks) {
  struct TCase {
    UINT Width, Height;
    std::vector<RECT> Added;
    std::vector<RECT> Expected;
  };
  const std::vector<TCase> cases = {
      // 150 wide: blocks of 8; two rows of one rectangle, then a second rectangle beside it.
      {150,
       90,
       {{10, 5, 20, 7}, {100, 6, 101, 8}},
       {{8, 5, 24, 6}, {8, 6, 24, 7}, {96, 6, 104, 7}, {96, 7, 104, 8}}},
      // 688 wide (the game's window): blocks of 11; clamped to the target.
      {688, 528, {{-5, -5, 3, 2}, {680, 520, 700, 600}}, {{0, 0, 11, 2}, {671, 520, 688, 528}}},
      // 1024 wide: blocks of 16, the 64th ending the row.
      {1024, 4, {{1010, 0, 1030, 4}}, {{1008, 0, 1024, 4}}},
      // Nothing inside the target.
      {150, 90, {{-20, 10, 0, 20}, {10, 90, 20, 95}}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Width);
    d3d9soft::TChangedArea area;
    area.Reset(c.Width, c.Height);
    for (const RECT& r : c.Added) area.Add(r.left, r.top, r.right, r.bottom);
    std::vector<RECT> rects = area.Rects();
    // Rows of equal blocks merge, so compare the covered pixels rather than the split.
    auto covered = [&](const std::vector<RECT>& list) {
      std::vector<bool> pixels(static_cast<std::size_t>(c.Width) * c.Height, false);
      for (const RECT& r : list) {
        for (LONG y = r.top; y < r.bottom; ++y) {
          for (LONG x = r.left; x < r.right; ++x)
            pixels[static_cast<std::size_t>(y) * c.Width + x] = true;
        }
      }
      return pixels;
    };
    EXPECT_TRUE(covered(rects) == covered(c.Expected));
    EXPECT_EQ(area.Empty(), c.Expected.empty());
    for (const RECT& r : c.Expected) EXPECT_TRUE(area.Touches(r));
  }
  d3d9soft::TChangedArea whole;
  whole.Reset(1024, 3);
  whole.AddAll();
  EXPECT_TRUE(whole.All());
  ASSERT_EQ(whole.Rects().size(), 1u);
  EXPECT_EQ(whole.Rects()[0].right, 1024);
  EXPECT_FALSE(whole.Touches(RECT{1024, 0, 1200, 3}));
}

}  // namespace
}  // namespace d3d9test
