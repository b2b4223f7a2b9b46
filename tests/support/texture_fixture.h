// A device component on an in-memory window, and helpers to read and write texture pixels as
// A8R8G8B8 colours, for the texture tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "archive/memory_stream.h"
#include "graphics/device/dg_carad.h"
#include "graphics/device/dg_texture.h"
#include "graphics/device/pixel_format.h"
#include "support/bmp_builder.h"
#include "support/dg_test_env.h"

namespace texturetest {

inline const std::vector<D3DFORMAT> kGameFormats = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4,
                                                    D3DFMT_A1R5G5B5};

class TextureTest : public dgtest::DGEnvironment {
 protected:
  void SetUp() override {
    DGEnvironment::SetUp();
    StartDevice();
  }
  void TearDown() override {
    carad_.reset();
    DGEnvironment::TearDown();
  }
  // Restarts the component (after a change of the stand-in's configuration).
  void StartDevice(TDGDebugOptions options = {dgoDebugMessage}) {
    carad_.reset();
    DGCarad9::SetLogFolder(folder_);
    carad_ = std::make_unique<TDGCarad>(&window_);
    carad_->SetDebugOption(options);
    carad_->Loaded();
    ASSERT_NE(carad_->Device(), nullptr);
  }
  std::unique_ptr<TDGTexture> MakeTexture(std::vector<D3DFORMAT> formats = kGameFormats,
                                          D3DPOOL pool = D3DPOOL_MANAGED) {
    return std::make_unique<TDGTexture>(carad_.get(), std::move(formats), 0, pool, 0, "");
  }

  // Every pixel of the picture (Width x Height) as colours, row by row, read without changing
  // the texture's source.
  static std::vector<std::uint32_t> Colours(TDGTexture& texture) {
    std::vector<std::uint32_t> out;
    INT pitch = 0;
    void* bits = nullptr;
    const RECT all{0, 0, static_cast<LONG>(texture.Width()), static_cast<LONG>(texture.Height())};
    EXPECT_EQ(texture.LockRect(0, all, pitch, bits, D3DLOCK_READONLY), D3D_OK);
    if (bits == nullptr) return out;
    for (UINT y = 0; y < texture.Height(); ++y) {
      const auto* row =
          static_cast<const std::uint8_t*>(bits) + static_cast<std::size_t>(y) * pitch;
      for (UINT x = 0; x < texture.Width(); ++x) {
        std::uint32_t v = 0;
        for (int i = 0; i < texture.BytesPerPixel(); ++i)
          v |= std::uint32_t{row[x * texture.BytesPerPixel() + i]} << (8 * i);
        out.push_back(DGCarad9::PixelToColor(v, texture.Format()));
      }
    }
    texture.UnlockRect();
    return out;
  }
  static std::uint32_t ColourAt(TDGTexture& texture, UINT x, UINT y) {
    return Colours(texture).at(static_cast<std::size_t>(y) * texture.Width() + x);
  }
  // Writes one pixel (as a colour) through a lock.
  static void PutColour(TDGTexture& texture, LONG x, LONG y, std::uint32_t colour) {
    texture.ProcessPixels(RECT{x, y, x + 1, y + 1},
                          [colour](TDGTexture& t, std::uint32_t, std::int32_t, std::int32_t) {
                            return DGCarad9::ColorToPixel(colour, t.Format());
                          });
  }
  std::filesystem::path WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const auto path = folder_ / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  TNullWindow window_{320, 240, 8, 30};
  std::unique_ptr<TDGCarad> carad_;
};

// A 24-bit picture whose colours differ from pixel to pixel.
inline std::uint32_t Pattern(int x, int y) {
  return static_cast<std::uint32_t>((x * 40 + 5) & 255) << 16 |
         static_cast<std::uint32_t>((y * 70 + 9) & 255) << 8 |
         static_cast<std::uint32_t>((x * 13 + y * 17) & 255);
}

}  // namespace texturetest
