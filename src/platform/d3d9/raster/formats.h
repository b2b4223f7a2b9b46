// Pixel formats our software device stores and samples: sizes and the widening of a texel to
// A8R8G8B8, the way graphics hardware widens narrow fields (bit replication).
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/d3d9/d3d9types.h"

namespace d3d9soft {

// Bytes per pixel of a format the rasteriser can sample or draw into; 0 for any other.
UINT BytesPerPixel(D3DFORMAT format);
// Texture formats the rasteriser samples.
bool IsSampleableFormat(D3DFORMAT format);
// Back-buffer formats it draws into.
bool IsBackBufferFormat(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);
bool HasStencil(D3DFORMAT format);

inline std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline std::uint32_t Load16(const std::uint8_t* p) {
  std::uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

inline std::uint32_t Expand5(std::uint32_t v) { return (v << 3) | (v >> 2); }
inline std::uint32_t Expand6(std::uint32_t v) { return (v << 2) | (v >> 4); }
inline std::uint32_t Expand4(std::uint32_t v) { return v * 17; }

inline std::uint32_t PackArgb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// The texel at p as A8R8G8B8. Formats without alpha read as opaque; A8 reads as black with its
// alpha; luminance goes into red, green and blue.
inline std::uint32_t DecodeTexel(const std::uint8_t* p, D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return Load32(p);
    case D3DFMT_X8R8G8B8:
      return Load32(p) | 0xFF000000u;
    case D3DFMT_R5G6B5: {
      const std::uint32_t v = Load16(p);
      return PackArgb(255, Expand5(v >> 11), Expand6((v >> 5) & 63), Expand5(v & 31));
    }
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
      const std::uint32_t v = Load16(p);
      const std::uint32_t a = (format == D3DFMT_X1R5G5B5 || (v & 0x8000)) ? 255 : 0;
      return PackArgb(a, Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
    }
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4: {
      const std::uint32_t v = Load16(p);
      const std::uint32_t a = format == D3DFMT_X4R4G4B4 ? 255 : Expand4(v >> 12);
      return PackArgb(a, Expand4((v >> 8) & 15), Expand4((v >> 4) & 15), Expand4(v & 15));
    }
    case D3DFMT_A8:
      return static_cast<std::uint32_t>(p[0]) << 24;
    case D3DFMT_L8:
      return PackArgb(255, p[0], p[0], p[0]);
    case D3DFMT_A8L8:
      return PackArgb(p[1], p[0], p[0], p[0]);
    default:
      return 0;
  }
}

}  // namespace d3d9soft
