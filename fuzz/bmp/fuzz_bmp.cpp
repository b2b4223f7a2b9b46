// LoadBMP's decoder on arbitrary bytes, into surfaces of several formats and sizes. The first
// byte picks the surface; the rest is the BMP. Nothing may read or write outside the stream's
// data or the surface (ASan), and nothing may overflow (UBSan).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/memory_stream.h"
#include "graphics/device/bmp.h"
#include "graphics/device/dg_log.h"
#include "graphics/device/pixel_format.h"

namespace {

constexpr D3DFORMAT kFormats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                  D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R8G8B8,
                                  D3DFMT_P8,       D3DFMT_A8,       D3DFMT_DXT1};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  DGCarad9::ApplyDebugOption({});  // failures return their codes, nothing is written
  const std::uint8_t pick = data[0];
  const D3DFORMAT format = kFormats[pick % (sizeof(kFormats) / sizeof(kFormats[0]))];
  const std::int32_t width = 1 + (pick >> 4);
  const std::int32_t height = 1 + ((pick >> 1) & 7);
  const std::int32_t bytes = static_cast<std::int32_t>(DGCarad9::FormatBitCount(format) / 8);
  const std::int32_t pitch = width * bytes + (pick & 1) * 4;
  // Exactly the surface's bytes, so that any write beyond it is caught.
  std::vector<std::uint8_t> surface(static_cast<std::size_t>(pitch) * height);
  TMemoryStream stream(std::vector<std::uint8_t>(data + 1, data + size));
  DGCarad9::DecodeBMP(stream, {format, width, height, pitch, surface.data()});
  return 0;
}
