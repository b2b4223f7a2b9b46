// Builds BMP files in memory for the decoder and texture tests.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace bmptest {

// pixel(x, y) with y counted from the picture's top row: a palette index (8 bits), a raw 16-bit
// value, 0xRRGGBB (24 bits) or a raw 32-bit value. Rows are stored bottom-up and padded to 4
// bytes. With 8 bits the palette (ARGB colours) follows the info header, paletteEntries of them.
struct Picture {
  int Width = 0;
  int Height = 0;
  int BitCount = 24;
  std::function<std::uint32_t(int x, int y)> Pixel;
  std::vector<std::uint32_t> Palette;
  int PaletteEntries = 256;
};

inline Picture Pic(int width, int height, int bitCount,
                   std::function<std::uint32_t(int x, int y)> pixel,
                   std::vector<std::uint32_t> palette = {}, int paletteEntries = 256) {
  Picture picture;
  picture.Width = width;
  picture.Height = height;
  picture.BitCount = bitCount;
  picture.Pixel = std::move(pixel);
  picture.Palette = std::move(palette);
  picture.PaletteEntries = paletteEntries;
  return picture;
}

inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

inline std::vector<std::uint8_t> MakeBMP(const Picture& picture) {
  const int bytes = picture.BitCount / 8;
  const int rowSize = (picture.Width * bytes + 3) / 4 * 4;
  const int paletteBytes = picture.BitCount == 8 ? picture.PaletteEntries * 4 : 0;
  const std::uint32_t offset = 54 + paletteBytes;
  const std::uint32_t imageSize = rowSize * picture.Height;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + imageSize);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(picture.Width));
  Put32(out, static_cast<std::uint32_t>(picture.Height));
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(picture.BitCount));
  Put32(out, 0);
  Put32(out, imageSize);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, picture.BitCount == 8 ? picture.PaletteEntries : 0);
  Put32(out, 0);
  for (int i = 0; i < picture.PaletteEntries && picture.BitCount == 8; ++i) {
    const std::uint32_t c = i < static_cast<int>(picture.Palette.size()) ? picture.Palette[i] : 0;
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    out.push_back(0);
  }
  for (int y = picture.Height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < picture.Width; ++x) {
      const std::uint32_t v = picture.Pixel(x, y);
      for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    while (out.size() - rowStart < static_cast<std::size_t>(rowSize)) out.push_back(0xEE);
  }
  return out;
}

inline void Poke32(std::vector<std::uint8_t>& bmp, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace bmptest
