#include "graphics/device/pixel_format.h"

#include <string>

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

// Every format the library names, with its bits per pixel (0: not a packed format the library
// converts). The log's names and the pixel sizes come from here.
struct TFormatInfo {
  D3DFORMAT Format;
  const char* Name;
  std::uint32_t Bits;
};
constexpr TFormatInfo kFormats[] = {
    {D3DFMT_R8G8B8, "R8G8B8", 24},
    {D3DFMT_A8R8G8B8, "A8R8G8B8", 32},
    {D3DFMT_X8R8G8B8, "X8R8G8B8", 32},
    {D3DFMT_R5G6B5, "R5G6B5", 16},
    {D3DFMT_X1R5G5B5, "X1R5G5B5", 16},
    {D3DFMT_A1R5G5B5, "A1R5G5B5", 16},
    {D3DFMT_A4R4G4B4, "A4R4G4B4", 16},
    {D3DFMT_R3G3B2, "R3G3B2", 8},
    {D3DFMT_A8, "A8", 8},
    {D3DFMT_A8R3G3B2, "A8R3G3B2", 16},
    {D3DFMT_X4R4G4B4, "X4R4G4B4", 16},
    {D3DFMT_A8P8, "A8P8", 16},
    {D3DFMT_P8, "P8", 8},
    {D3DFMT_L8, "L8", 8},
    {D3DFMT_A8L8, "A8L8", 16},
    {D3DFMT_A4L4, "A4L4", 8},
    {D3DFMT_V8U8, "V8U8", 16},
    {D3DFMT_L6V5U5, "L6V5U5", 16},
    {D3DFMT_X8L8V8U8, "X8L8V8U8", 32},
    {D3DFMT_Q8W8V8U8, "Q8W8V8U8", 32},
    {D3DFMT_V16U16, "V16U16", 32},
    {D3DFMT_D16_LOCKABLE, "D16_LOCKABLE", 16},
    {D3DFMT_D32, "D32", 32},
    {D3DFMT_D15S1, "D15S1", 16},
    {D3DFMT_D24S8, "D24S8", 32},
    {D3DFMT_D24X8, "D24X8", 32},
    {D3DFMT_D24X4S4, "D24X4S4", 32},
    {D3DFMT_D16, "D16", 16},
    {D3DFMT_VERTEXDATA, "VERTEXDATA", 0},
    {D3DFMT_INDEX16, "INDEX16", 0},
    {D3DFMT_INDEX32, "INDEX32", 0},
    {D3DFMT_UYVY, "UYVY", 0},
    {D3DFMT_YUY2, "YUY2", 0},
    {D3DFMT_DXT1, "DXT1", 0},
    {D3DFMT_DXT2, "DXT2", 0},
    {D3DFMT_DXT3, "DXT3", 0},
    {D3DFMT_DXT4, "DXT4", 0},
    {D3DFMT_DXT5, "DXT5", 0},
};

const TFormatInfo* FindFormat(D3DFORMAT format) {
  for (const TFormatInfo& info : kFormats) {
    if (info.Format == format) return &info;
  }
  return nullptr;
}

}  // namespace

std::uint32_t ARGB(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return std::uint32_t{a} << 24 | std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
}

std::uint32_t ExpandBits(std::uint32_t value, std::uint32_t bits) {
  if (bits == 0 || bits > 31) return 0;
  return static_cast<std::uint32_t>(std::uint64_t{value} * 255u / ((1u << bits) - 1u));
}

std::uint32_t FormatBitCount(D3DFORMAT format) {
  const TFormatInfo* info = FindFormat(format);
  return info != nullptr ? info->Bits : 0;
}

std::string FormatName(D3DFORMAT format) {
  const TFormatInfo* info = FindFormat(format);
  return info != nullptr ? info->Name : "UNKNOWN";
}

std::uint32_t PackPixel(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                        D3DFORMAT format) {
  const std::uint32_t A = a, R = r, G = g, B = b;
  switch (format) {
    case D3DFMT_R8G8B8:
      return R << 16 | G << 8 | B;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_Q8W8V8U8:
      return A << 24 | R << 16 | G << 8 | B;
    case D3DFMT_X8R8G8B8:
    case D3DFMT_X8L8V8U8:
      return R << 16 | G << 8 | B;
    case D3DFMT_R5G6B5:
      return (R >> 3) << 11 | (G >> 2) << 5 | B >> 3;
    case D3DFMT_X1R5G5B5:
      return (R >> 3) << 10 | (G >> 3) << 5 | B >> 3;
    case D3DFMT_A1R5G5B5:
      return (A >> 7) << 15 | (R >> 3) << 10 | (G >> 3) << 5 | B >> 3;
    case D3DFMT_A4R4G4B4:
      return (A >> 4) << 12 | (R >> 4) << 8 | (G >> 4) << 4 | B >> 4;
    case D3DFMT_X4R4G4B4:
      return (R >> 4) << 8 | (G >> 4) << 4 | B >> 4;
    case D3DFMT_R3G3B2:
      return (R >> 5) << 5 | (G >> 5) << 2 | B >> 6;
    case D3DFMT_A8R3G3B2:
      return A << 8 | (R >> 5) << 5 | (G >> 5) << 2 | B >> 6;
    case D3DFMT_A8:
      return A;
    case D3DFMT_L8:  // luminance rides in the red channel
      return R;
    case D3DFMT_A8L8:
      return A << 8 | R;
    case D3DFMT_A4L4:
      return (A >> 4) << 4 | R >> 4;
    case D3DFMT_V8U8:
      return G << 8 | B;
    case D3DFMT_L6V5U5:
      return (R >> 2) << 10 | (G >> 3) << 5 | B >> 3;
    case D3DFMT_V16U16:  // G in the top byte, B in bits 8-15
      return G << 24 | B << 8;
    default:
      return 0;
  }
}

std::uint32_t ColorToPixel(std::uint32_t color, D3DFORMAT format) {
  if (format == D3DFMT_R8G8B8) return color;  // R8G8B8 keeps the colour as is
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
  switch (format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_X8R8G8B8:
      return p | 0xFF000000u;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_V8U8:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_Q8W8V8U8:
      return p;
    case D3DFMT_R5G6B5:
      return Unpack(p, kR5G6B5);
    case D3DFMT_X1R5G5B5:
      return Unpack(p, kX1R5G5B5);
    case D3DFMT_A1R5G5B5:
      return Unpack(p, kA1R5G5B5);
    case D3DFMT_A4R4G4B4:
      return Unpack(p, kA4R4G4B4);
    case D3DFMT_X4R4G4B4:
      return Unpack(p, kX4R4G4B4);
    case D3DFMT_R3G3B2:
      return Unpack(p, kR3G3B2);
    case D3DFMT_A8R3G3B2:
      return Unpack(p, kA8R3G3B2);
    case D3DFMT_A8:
      return (p & 0xFFu) << 24;
    case D3DFMT_L8:
      return (p & 0xFFu) << 16;
    case D3DFMT_A8L8:
      return (p & 0xFFFFu) << 16;
    case D3DFMT_A4L4:
      return ExpandBits(Field(p, 4, 4), 4) << 24 | ExpandBits(Field(p, 0, 4), 4) << 16;
    case D3DFMT_L6V5U5:
      return rgb(Field(p, 10, 6) * 4u, Field(p, 5, 5) * 8u, Field(p, 0, 5) * 8u);
    case D3DFMT_V16U16:  // the low word stays, the high word moves up one byte
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
