#include "graphics/device/pixel_format.h"

namespace DGCarad9 {

namespace {

std::uint32_t Field(std::uint32_t pixel, int low, int width) {
  return (pixel >> low) & ((1u << width) - 1u);
}

// Where a packed format keeps each channel: the lowest bit and the width of alpha, red, green and
// blue. A format without alpha (width 0) is opaque.
struct TChannelLayout {
  int ALow, ABits, RLow, RBits, GLow, GBits, BLow, BBits;
};

constexpr TChannelLayout kR5G6B5{0, 0, 11, 5, 5, 6, 0, 5};
constexpr TChannelLayout kX1R5G5B5{0, 0, 10, 5, 5, 5, 0, 5};
constexpr TChannelLayout kA1R5G5B5{15, 1, 10, 5, 5, 5, 0, 5};
constexpr TChannelLayout kA4R4G4B4{12, 4, 8, 4, 4, 4, 0, 4};
constexpr TChannelLayout kX4R4G4B4{0, 0, 8, 4, 4, 4, 0, 4};
constexpr TChannelLayout kR3G3B2{0, 0, 5, 3, 2, 3, 0, 2};
constexpr TChannelLayout kA8R3G3B2{8, 8, 5, 3, 2, 3, 0, 2};

}  // namespace

std::uint32_t ARGB(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return std::uint32_t{a} << 24 | std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
}

std::uint32_t ExpandBits(std::uint32_t value, std::uint32_t bits) {
  if (bits == 0 || bits > 31) return 0;
  return static_cast<std::uint32_t>(std::uint64_t{value} * 255u / ((1u << bits) - 1u));
}

std::uint32_t FormatBitCount(D3DFORMAT format) {
  switch (static_cast<std::uint32_t>(format)) {
    case 20:
      return 24;
    case 21:
    case 22:
    case 62:
    case 63:
    case 64:
    case 71:
    case 75:
    case 77:
    case 79:
      return 32;
    case 23:
    case 24:
    case 25:
    case 26:
    case 29:
    case 30:
    case 40:
    case 51:
    case 60:
    case 61:
    case 70:
    case 73:
    case 80:
      return 16;
    case 27:
    case 28:
    case 41:
    case 50:
    case 52:
      return 8;
    default:
      return 0;
  }
}

std::uint32_t PackPixel(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                        D3DFORMAT format) {
  const std::uint32_t A = a, R = r, G = g, B = b;
  switch (static_cast<std::uint32_t>(format)) {
    case 20:  // R8G8B8
      return R << 16 | G << 8 | B;
    case 21:  // A8R8G8B8
    case 63:  // Q8W8V8U8
      return A << 24 | R << 16 | G << 8 | B;
    case 22:  // X8R8G8B8
    case 62:  // X8L8V8U8
      return R << 16 | G << 8 | B;
    case 23:  // R5G6B5
      return (R >> 3) << 11 | (G >> 2) << 5 | B >> 3;
    case 24:  // X1R5G5B5
      return (R >> 3) << 10 | (G >> 3) << 5 | B >> 3;
    case 25:  // A1R5G5B5
      return (A >> 7) << 15 | (R >> 3) << 10 | (G >> 3) << 5 | B >> 3;
    case 26:  // A4R4G4B4
      return (A >> 4) << 12 | (R >> 4) << 8 | (G >> 4) << 4 | B >> 4;
    case 30:  // X4R4G4B4
      return (R >> 4) << 8 | (G >> 4) << 4 | B >> 4;
    case 27:  // R3G3B2
      return (R >> 5) << 5 | (G >> 5) << 2 | B >> 6;
    case 29:  // A8R3G3B2
      return A << 8 | (R >> 5) << 5 | (G >> 5) << 2 | B >> 6;
    case 28:  // A8
      return A;
    case 50:  // L8: luminance rides in the red channel
      return R;
    case 51:  // A8L8
      return A << 8 | R;
    case 52:  // A4L4
      return (A >> 4) << 4 | R >> 4;
    case 60:  // V8U8
      return G << 8 | B;
    case 61:  // L6V5U5
      return (R >> 2) << 10 | (G >> 3) << 5 | B >> 3;
    case 64:  // V16U16: G in the top byte, B in bits 8-15
      return G << 24 | B << 8;
    default:
      return 0;
  }
}

std::uint32_t ColorToPixel(std::uint32_t color, D3DFORMAT format) {
  if (static_cast<std::uint32_t>(format) == 20) return color;  // R8G8B8 keeps the colour as is
  return PackPixel(static_cast<std::uint8_t>(color >> 24), static_cast<std::uint8_t>(color >> 16),
                   static_cast<std::uint8_t>(color >> 8), static_cast<std::uint8_t>(color), format);
}

namespace {

// The A8R8G8B8 colour of a pixel of a packed layout, each channel stretched to 8 bits.
std::uint32_t Unpack(std::uint32_t p, const TChannelLayout& l) {
  const std::uint32_t alpha = l.ABits == 0 ? 0xFFu : ExpandBits(Field(p, l.ALow, l.ABits), l.ABits);
  return alpha << 24 | ExpandBits(Field(p, l.RLow, l.RBits), l.RBits) << 16 |
         ExpandBits(Field(p, l.GLow, l.GBits), l.GBits) << 8 |
         ExpandBits(Field(p, l.BLow, l.BBits), l.BBits);
}

}  // namespace

std::uint32_t PixelToColor(std::uint32_t p, D3DFORMAT format) {
  auto rgb = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r << 16 | g << 8 | b; };
  switch (static_cast<std::uint32_t>(format)) {
    case 20:  // R8G8B8
    case 22:  // X8R8G8B8
      return p | 0xFF000000u;
    case 21:
    case 60:
    case 62:
    case 63:
      return p;
    case 23:
      return Unpack(p, kR5G6B5);
    case 24:
      return Unpack(p, kX1R5G5B5);
    case 25:
      return Unpack(p, kA1R5G5B5);
    case 26:
      return Unpack(p, kA4R4G4B4);
    case 30:
      return Unpack(p, kX4R4G4B4);
    case 27:
      return Unpack(p, kR3G3B2);
    case 29:
      return Unpack(p, kA8R3G3B2);
    case 28:  // A8
      return (p & 0xFFu) << 24;
    case 50:  // L8
      return (p & 0xFFu) << 16;
    case 51:  // A8L8
      return (p & 0xFFFFu) << 16;
    case 52:  // A4L4
      return ExpandBits(Field(p, 4, 4), 4) << 24 | ExpandBits(Field(p, 0, 4), 4) << 16;
    case 61:  // L6V5U5
      return rgb(Field(p, 10, 6) * 4u, Field(p, 5, 5) * 8u, Field(p, 0, 5) * 8u);
    case 64:  // V16U16: the low word stays, the high word moves up one byte
      return (p & 0xFFFFu) + (p >> 16) * 256u;
    default:
      return 0;
  }
}

std::uint32_t LoadPixel(const std::uint8_t* p, std::int32_t bytes) {
  std::uint32_t pixel = 0;
  for (std::int32_t i = 0; i < bytes; ++i) pixel |= std::uint32_t{p[i]} << (8 * i);
  return pixel;
}

void StorePixel(std::uint8_t* p, std::uint32_t pixel, std::int32_t bytes) {
  for (std::int32_t i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(pixel >> (8 * i));
}

}  // namespace DGCarad9
