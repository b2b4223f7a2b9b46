#include "graphics/device/dg_bitmap.h"

#include <algorithm>

#include "graphics/device/bmp.h"

TDGBitmap::TDGBitmap(std::int32_t width, std::int32_t height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3, 0);
}

std::uint32_t TDGBitmap::Pixel(std::int32_t x, std::int32_t y) const {
  const std::uint8_t* p = ScanLine(y) + static_cast<std::size_t>(x) * 3;
  return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

void TDGBitmap::SaveToStream(TStream& stream) const {
  const std::uint32_t rowBytes = static_cast<std::uint32_t>(width_) * 3;
  const std::uint32_t paddedRow = (rowBytes + 3) / 4 * 4;
  DGCarad9::WriteBMPHeader(stream, static_cast<std::uint32_t>(width_),
                           static_cast<std::uint32_t>(height_), 24);
  std::vector<std::uint8_t> row(paddedRow, 0);
  for (std::int32_t y = height_ - 1; y >= 0; --y) {
    std::copy_n(ScanLine(y), rowBytes, row.begin());
    stream.WriteBuffer(row.data(), row.size());
  }
}
