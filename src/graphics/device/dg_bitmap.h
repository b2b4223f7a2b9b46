// A 24-bit picture in memory, the form pictures take between a decoder (the JPEG background)
// and a texture: rows of blue, green, red bytes, top row first, no padding between rows.
// SaveToStream writes it as a BMP file, which is how TDGTexture::LoadFromBitmap reads it.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/stream.h"

class TDGBitmap {
 public:
  TDGBitmap() = default;
  // A black picture of the given size (negative sides count as 0).
  TDGBitmap(std::int32_t width, std::int32_t height);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  // Row y (0 = top): Width() pixels of blue, green, red.
  std::uint8_t* ScanLine(std::int32_t y) { return pixels_.data() + RowOffset(y); }
  const std::uint8_t* ScanLine(std::int32_t y) const { return pixels_.data() + RowOffset(y); }
  // 0xRRGGBB of one pixel.
  std::uint32_t Pixel(std::int32_t x, std::int32_t y) const;

  // A 24-bit bottom-up BMP: file header, info header, rows padded to 4 bytes.
  void SaveToStream(TStream& stream) const;

 private:
  std::size_t RowOffset(std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) * 3;
  }

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<std::uint8_t> pixels_;
};
