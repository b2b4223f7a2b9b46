#include "graphics/device/bmp.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "archive/qda_format.h"
#include "graphics/device/dg_log.h"
#include "graphics/device/pixel_format.h"

namespace DGCarad9 {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteSize = 256 * 4;

std::uint32_t U16(const std::uint8_t* p) { return p[0] | std::uint32_t{p[1]} << 8; }
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(LoadLE32(p)); }

bool ReadAll(TStream& stream, void* buffer, std::size_t count) {
  return stream.Read(buffer, count) == count;
}

constexpr const char* kReadError = "LoadBMP中に、読み込みエラーが発生しました";

// The stream ends before the picture does: logged as the read error it is, and a failed load,
// so that a cut picture is never taken as a partly blank one.
void FailCut(std::string_view source, const char* logged) {
  DebugLog(logged);
  CheckResult(1, NamedMessage(source, "ビットマップの画素がファイルに収まっていません"));
}

}  // namespace

void DecodeBMP(TStream& stream, const TDGLockedSurface& surface, std::string_view source) {
  std::array<std::uint8_t, kFileHeaderSize> fileHeader{};
  if (!ReadAll(stream, fileHeader.data(), fileHeader.size())) {
    FailCut(source, "ビットマップの読みこみ中に、エラーが発生しました");
    return;
  }
  if (U16(fileHeader.data()) != 0x4D42) {
    DebugLog("不正なBMPファイルです");
    CheckResult(1, NamedMessage(source, "不正なBMPファイルです"));
    return;
  }
  const std::uint32_t pixelDataOffset = LoadLE32(fileHeader.data() + 10);

  std::array<std::uint8_t, kInfoHeaderSize> info{};
  if (!ReadAll(stream, info.data(), info.size())) {
    FailCut(source, kReadError);
    return;
  }
  const std::int32_t pictureWidth = I32(info.data() + 4);
  const std::int32_t pictureHeight = I32(info.data() + 8);
  const std::uint32_t bitCount = U16(info.data() + 14);
  if (bitCount < 8 || bitCount > 32) {
    CheckResult(
        1,
        NamedMessage(source,
                     "色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください"));
    return;
  }
  if (pictureHeight < 0) {
    CheckResult(
        1, NamedMessage(source,
                        "上から下へ並んだ（高さが負の）ビットマップは、LoadBMPでは読み込めません"));
    return;
  }
  if (pictureWidth < 0) {
    CheckResult(1, NamedMessage(source, "幅が負の値の、不正なビットマップです"));
    return;
  }

  const std::int32_t destBytes = static_cast<std::int32_t>(FormatBitCount(surface.Format) / 8);
  const std::int64_t sourceBytes = bitCount / 8;
  const bool paletteSurface = surface.Format == D3DFMT_P8;
  if (paletteSurface && sourceBytes != 1) {
    CheckResult(
        1, NamedMessage(
               source,
               "8ビットパレット付きテクスチャに対して16ビット以上のBMPをロードする事は出来ません"));
    return;
  }

  // The palette sits directly behind the info header. A short palette (its file ends first)
  // leaves the missing entries black instead of failing the whole picture.
  std::array<std::uint8_t, kPaletteSize> palette{};
  if (sourceBytes == 1) stream.Read(palette.data(), palette.size());

  stream.SetPosition(pixelDataOffset);
  const std::int64_t sourceRowSize = (pictureWidth * sourceBytes + 3) / 4 * 4;
  const std::int32_t rowsToWrite = std::min(std::max(surface.Height, 0), pictureHeight);
  const std::int32_t pixelsPerRow = std::min(std::max(surface.Width, 0), pictureWidth);
  // Only the converted pixels reach the surface: the row's alignment padding never does.
  const std::int64_t bytesPerRow =
      std::min<std::int64_t>(std::max(surface.Pitch, 0), std::int64_t{pixelsPerRow} * destBytes);

  // A row the stream cannot hold is a read error; checking first keeps a damaged width from
  // asking for an enormous row buffer.
  const std::int64_t remaining = stream.Size() - stream.Position();
  if (rowsToWrite > 0 && sourceRowSize > remaining) {
    FailCut(source, kReadError);
    return;
  }
  const std::int64_t skippedRows = std::int64_t{pictureHeight} - rowsToWrite;
  if (skippedRows > 0) {
    if (sourceRowSize > 0 && skippedRows > remaining / sourceRowSize) {
      FailCut(source, kReadError);
      return;
    }
    stream.Seek(skippedRows * sourceRowSize, TSeekOrigin::soCurrent);
  }

  std::vector<std::uint8_t> sourceRow(
      static_cast<std::size_t>(rowsToWrite > 0 ? sourceRowSize : 0));
  std::vector<std::uint8_t> convertedRow(
      static_cast<std::size_t>(std::int64_t{pixelsPerRow} * std::max(destBytes, 0)));
  for (std::int32_t row = rowsToWrite - 1; row >= 0; --row) {
    if (!ReadAll(stream, sourceRow.data(), sourceRow.size())) {
      FailCut(source, kReadError);
      return;
    }
    if (destBytes > 0) {
      const std::uint8_t* in = sourceRow.data();
      std::uint8_t* out = convertedRow.data();
      for (std::int32_t x = 0; x < pixelsPerRow; ++x, out += destBytes) {
        std::uint32_t pixel = 0;
        switch (sourceBytes) {
          case 1:
            if (paletteSurface) {
              pixel = in[x];
            } else {
              const std::uint8_t* entry = palette.data() + in[x] * 4;
              pixel = PackPixel(255, entry[2], entry[1], entry[0], surface.Format);
            }
            break;
          case 2: {
            // 16-bit pixels: X1R5G5B5, widened to 0..255 and fully opaque.
            const std::uint32_t v = U16(in + x * 2);
            pixel = PackPixel(255, static_cast<std::uint8_t>(ExpandBits((v >> 10) & 31, 5)),
                              static_cast<std::uint8_t>(ExpandBits((v >> 5) & 31, 5)),
                              static_cast<std::uint8_t>(ExpandBits(v & 31, 5)), surface.Format);
            break;
          }
          case 3: {
            const std::uint8_t* p = in + x * 3;
            pixel = PackPixel(255, p[2], p[1], p[0], surface.Format);
            break;
          }
          default:
            pixel = ColorToPixel(LoadLE32(in + x * 4), surface.Format);
            break;
        }
        StorePixel(out, pixel, destBytes);
      }
    }
    if (bytesPerRow > 0) {
      std::memcpy(surface.Bits + std::int64_t{row} * surface.Pitch, convertedRow.data(),
                  static_cast<std::size_t>(bytesPerRow));
    }
  }
}

void LoadBMP(IDirect3DTexture9* texture, TStream& stream, std::string_view source) {
  if (texture == nullptr) {  // an allocation that failed without halting leaves no texture
    CheckResult(1, "LoadBMP中にサーフェスがロックできませんでした");
    return;
  }
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  D3DLOCKED_RECT locked{};
  if (CheckResult(texture->LockRect(0, &locked, nullptr, 0),
                  "LoadBMP中にサーフェスがロックできませんでした") != 0) {
    return;
  }
  TDGLockedSurface surface{desc.Format, static_cast<std::int32_t>(desc.Width),
                           static_cast<std::int32_t>(desc.Height), locked.Pitch,
                           static_cast<std::uint8_t*>(locked.pBits)};
  try {
    DecodeBMP(stream, surface, source);
  } catch (...) {
    texture->UnlockRect(0);
    throw;
  }
  CheckResult(texture->UnlockRect(0), "LoadBMP中にサーフェスがアンロックできませんでした");
}

void WriteBMPHeader(TStream& stream, std::uint32_t width, std::uint32_t height,
                    std::uint16_t bitCount) {
  const auto rowSize =
      static_cast<std::uint32_t>((std::uint64_t{width} * bitCount / 8 + 3) / 4 * 4);
  const std::uint32_t imageSize = rowSize * height;
  std::array<std::uint8_t, kFileHeaderSize + kInfoHeaderSize> header{};
  header[0] = 'B';
  header[1] = 'M';
  StoreLE32(&header[2], static_cast<std::uint32_t>(header.size()) + imageSize);
  StoreLE32(&header[10], static_cast<std::uint32_t>(header.size()));
  StoreLE32(&header[14], kInfoHeaderSize);
  StoreLE32(&header[18], width);
  StoreLE32(&header[22], height);
  header[26] = 1;  // planes
  header[28] = static_cast<std::uint8_t>(bitCount);
  header[29] = static_cast<std::uint8_t>(bitCount >> 8);
  StoreLE32(&header[34], imageSize);
  stream.WriteBuffer(header.data(), header.size());
}

}  // namespace DGCarad9
