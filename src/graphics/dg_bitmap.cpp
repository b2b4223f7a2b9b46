#include "graphics/dg_bitmap.h"

#include <algorithm>
#include <array>

namespace {

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}

}  // namespace

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
  const std::uint32_t imageSize = paddedRow * static_cast<std::uint32_t>(height_);
  std::array<std::uint8_t, 54> header{};
  header[0] = 'B';
  header[1] = 'M';
  Put32(&header[2], 54 + imageSize);
  Put32(&header[10], 54);
  Put32(&header[14], 40);
  Put32(&header[18], static_cast<std::uint32_t>(width_));
  Put32(&header[22], static_cast<std::uint32_t>(height_));
  Put16(&header[26], 1);
  Put16(&header[28], 24);
  Put32(&header[34], imageSize);
  stream.WriteBuffer(header.data(), header.size());
  std::vector<std::uint8_t> row(paddedRow, 0);
  for (std::int32_t y = height_ - 1; y >= 0; --y) {
    std::copy_n(ScanLine(y), rowBytes, row.begin());
    stream.WriteBuffer(row.data(), row.size());
  }
}
