// A scene on the real software device, in a window that exists only in memory, with the last
// presented frame captured for pixel checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/device/dg_carad.h"
#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_scene.h"
#include "platform/d3d9/standin.h"

class SceneTest : public ::testing::Test {
 public:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

 protected:
  void SetUp() override;
  void TearDown() override;

  // Clear to `background`, queue through `queue`, Render, present; returns the frame.
  template <typename Queue>
  std::vector<uint32_t> DrawFrame(uint32_t background, Queue&& queue) {
    IDirect3DDevice9* device = Carad->Device();
    device->BeginScene();
    Scene->Clear(D3DCLEAR_TARGET, background, 1.0f, 0);
    queue();
    Scene->Render(nullptr, true);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    return Frame;
  }

  // A managed A8R8G8B8 texture of w x h texels, texel (x, y) = pixel(x, y).
  template <typename Pixel>
  std::unique_ptr<TDGTexture> MakeTexture(int w, int h, Pixel pixel) {
    auto texture = std::make_unique<TDGTexture>(
        Carad.get(), std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8}, 0, D3DPOOL_MANAGED, 1, "");
    texture->SetSize(w, h);
    texture->ProcessPixels(
        RECT{0, 0, w, h}, [&](TDGTexture&, uint32_t, int32_t x, int32_t y) { return pixel(x, y); });
    return texture;
  }

  // The four corners of a w x h sprite showing the whole texture, in one colour.
  static std::vector<TSXVertex> Quad(float w, float h, uint32_t colour, float u = 1.0f,
                                     float v = 1.0f);

  static uint32_t At(const std::vector<uint32_t>& frame, int x, int y) {
    return frame[static_cast<size_t>(y) * kWidth + x];
  }

  std::unique_ptr<TNullWindow> Window;
  std::unique_ptr<TDGCarad> Carad;
  std::unique_ptr<TSXScene> Scene;
  std::vector<uint32_t> Frame;  // last presented frame, kWidth x kHeight, 0xFF in the top byte
};

// Blend arithmetic of the device, channel by channel: products of two 0..255 values are divided
// by 255 rounding to nearest.
uint32_t Mul255(uint32_t a, uint32_t b);
// texel x diffuse, in colour and in alpha.
uint32_t Modulate(uint32_t texel, uint32_t diffuse);
// src x alpha + dst x (1 - alpha), result opaque.
uint32_t AlphaOver(uint32_t src, uint32_t dst);
