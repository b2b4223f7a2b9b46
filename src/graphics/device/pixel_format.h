// Colours and packed pixels (unit DGCarad9). A colour is A8R8G8B8 (alpha in bits 24-31); a pixel
// holds the packed value of a Direct3D 9 format in its low FormatBitCount bits and is stored
// little-endian in FormatBitCount / 8 bytes. Conversions never fail: a format the tables do not
// know gives 0.
#pragma once

#include <cstdint>
#include <string>

#include "platform/d3d9/d3d9.h"

namespace DGCarad9 {

// A x 2^24 + R x 2^16 + G x 2^8 + B.
std::uint32_t ARGB(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b);

// Widens a Bits-wide field to 0..255: Value x 255 / (2^Bits - 1), rounded down.
std::uint32_t ExpandBits(std::uint32_t value, std::uint32_t bits);

// Bits per pixel of a format; 0 for one it does not know.
std::uint32_t FormatBitCount(D3DFORMAT format);
// The format's name without "D3DFMT_" ("A8R8G8B8"), or "UNKNOWN", for log lines.
std::string FormatName(D3DFORMAT format);

std::uint32_t ColorToPixel(std::uint32_t color, D3DFORMAT format);
std::uint32_t PackPixel(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                        D3DFORMAT format);
std::uint32_t PixelToColor(std::uint32_t pixel, D3DFORMAT format);

// A pixel of `bytes` bytes (0..4) read from / written to memory, little-endian. Bytes beyond
// `bytes` are neither read nor written; pixel bits above them are dropped.
std::uint32_t LoadPixel(const std::uint8_t* p, std::int32_t bytes);
void StorePixel(std::uint8_t* p, std::uint32_t pixel, std::int32_t bytes);

}  // namespace DGCarad9
