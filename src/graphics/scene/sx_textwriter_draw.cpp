// DrawText: the Shift-JIS or UTF-16 walk, the glyph boxes clipped to the surface, one lock
// per glyph.
#include <cstring>

#include "graphics/device/dg_texture.h"
#include "graphics/device/pixel_format.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/codepage/codepage.h"

void TSXTextWriter::DrawText(std::int32_t x, std::int32_t y, const std::string& text,
                             TDGTexture& texture) {
  // A lead byte takes the next byte with it; a lead byte at the very end stands alone.
  std::vector<std::int32_t> codes;
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    if (c < 0x81 || (c >= 0xA0 && c <= 0xDF) || i == n - 1) {
      codes.push_back(c);
      i += 1;
    } else {
      codes.push_back(c * 256 + static_cast<std::uint8_t>(text[i + 1]));
      i += 2;
    }
  }
  DrawCodes(x, y, codes, texture);
}

void TSXTextWriter::DrawText(std::int32_t x, std::int32_t y, const std::u16string& text,
                             TDGTexture& texture) {
  std::vector<std::int32_t> codes;
  for (size_t i = 0; i < text.size();) {
    codes.push_back(kSXUnicodeCode | static_cast<std::int32_t>(codepage::NextCodePoint(text, i)));
  }
  DrawCodes(x, y, codes, texture);
}

void TSXTextWriter::DrawCodes(std::int32_t x, std::int32_t y,
                              const std::vector<std::int32_t>& codes, TDGTexture& texture) {
  if (x >= static_cast<std::int64_t>(texture.Width()) ||
      y >= static_cast<std::int64_t>(texture.Height())) {
    return;
  }
  IDirect3DTexture9* surface = texture.Texture();
  if (surface == nullptr) {
    // Without a Direct3D texture there is no surface to measure: the texture's lock reports the
    // failure (and locks nothing) instead of the surface query running on nothing.
    if (!codes.empty()) {
      INT pitch = 0;
      void* bits = nullptr;
      texture.LockRect(0, RECT{0, 0, 0, 0}, pitch, bits, 0);
    }
    return;
  }
  D3DSURFACE_DESC desc;
  if (FAILED(surface->GetLevelDesc(0, &desc))) return;
  const auto surfaceWidth = static_cast<std::int32_t>(desc.Width);
  const auto surfaceHeight = static_cast<std::int32_t>(desc.Height);
  const int bpp = static_cast<int>(DGCarad9::FormatBitCount(Format) / 8);
  // Glyphs are packed in the writer's format. A texture that ended up in another format gets
  // each pixel converted, never bytes of the wrong width.
  const bool convert = desc.Format != Format;
  const int surfaceBpp = static_cast<int>(DGCarad9::FormatBitCount(desc.Format) / 8);
  if (bpp == 0 || surfaceBpp == 0) return;

  std::int64_t penX = x;
  const std::int64_t penY = y;
  for (const std::int32_t code : codes) {
    const TSXFontCacheData& glyph = Cache->LookUp(code, Font());

    const std::int64_t boxLeft = penX + glyph.OriginX;
    const std::int64_t boxTop = penY + glyph.OriginY;
    // Pen positions far outside the surface are invisible; only in-range ones are clipped.
    if (boxLeft < surfaceWidth && boxTop < surfaceHeight && boxLeft > -glyph.BoxWidth &&
        boxTop > -glyph.BoxHeight && !glyph.Pixels.empty()) {
      auto left = static_cast<std::int32_t>(boxLeft);
      auto top = static_cast<std::int32_t>(boxTop);
      std::int32_t width = glyph.BoxWidth;
      std::int32_t height = glyph.BoxHeight;
      std::int32_t sx = 0;
      std::int32_t sy = 0;
      const bool visibleX = ClipSpan(left, width, surfaceWidth, sx);
      const bool visibleY = ClipSpan(top, height, surfaceHeight, sy);
      if (visibleX && visibleY) {
        INT pitch = 0;
        void* bits = nullptr;
        const RECT rect{left, top, left + width, top + height};
        ++LockCount;
        if (SUCCEEDED(texture.LockRect(0, rect, pitch, bits, 0)) && bits != nullptr) {
          auto* destination = static_cast<std::uint8_t*>(bits);
          for (std::int32_t row = 0; row < height; ++row) {
            const std::uint8_t* src = glyph.Pixels.data() +
                                      static_cast<size_t>(sy + row) * glyph.Pitch +
                                      static_cast<size_t>(sx) * bpp;
            std::uint8_t* dst = destination + static_cast<std::ptrdiff_t>(row) * pitch;
            if (!convert) {
              std::memcpy(dst, src, static_cast<size_t>(width) * bpp);
              continue;
            }
            for (std::int32_t col = 0; col < width; ++col) {
              const std::uint32_t colour =
                  DGCarad9::PixelToColor(DGCarad9::LoadPixel(src + col * bpp, bpp), Format);
              DGCarad9::StorePixel(dst + col * surfaceBpp,
                                   DGCarad9::ColorToPixel(colour, desc.Format), surfaceBpp);
            }
          }
          texture.UnlockRect();
        }
      }
    }
    penX += glyph.AdvanceX;
    if (penX >= static_cast<std::int64_t>(texture.Width())) break;
  }
}
