// BMP decoding straight into a locked texture surface (unit DGCarad9).
// The BMP must begin at offset 0 of the stream: its pixel-data offset counts from there.
// Uncompressed pictures of 8 (palette), 16, 24 and 32 bits per pixel, bottom-up rows.
#pragma once

#include <cstdint>
#include <string_view>

#include "archive/stream.h"
#include "platform/d3d9/d3d9.h"

namespace DGCarad9 {

// A locked rectangle (0, 0, Width, Height) of a surface in Format, rows Pitch bytes apart.
struct TDGLockedSurface {
  D3DFORMAT Format;
  std::int32_t Width;
  std::int32_t Height;
  std::int32_t Pitch;
  std::uint8_t* Bits;
};

// Decodes the BMP of the stream into the top-left corner of the surface; texels right of and
// below the picture keep what they held. A picture taller than the surface loses its bottom
// rows, a wider one its right-hand columns. A stream that is no BMP or ends before the picture
// does is logged as before and then fails through CheckResult, as do an unsupported depth, a
// top-down or negative-width picture and a deep picture for a P8 surface; what was decoded so
// far stays. `source` (the file's name, may be empty) leads every failure's message. Never
// reads or writes outside the stream's data or the surface's rows, whatever the headers declare.
void DecodeBMP(TStream& stream, const TDGLockedSurface& surface, std::string_view source = {});

// Locks the whole of level 0 of the texture, decodes into it and unlocks it.
void LoadBMP(IDirect3DTexture9* texture, TStream& stream, std::string_view source = {});

// Writes the 54 bytes in front of an uncompressed bottom-up BMP of width x height pixels of
// bitCount bits: file header and info header, the pixel data declared right behind them in
// rows padded to 4 bytes.
void WriteBMPHeader(TStream& stream, std::uint32_t width, std::uint32_t height,
                    std::uint16_t bitCount);

}  // namespace DGCarad9
