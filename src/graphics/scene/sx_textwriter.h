// The text writer (unit SXlib9): writes a line of Shift-JIS text into the pixels of a texture.
// Written pixels are white with the glyph coverage in alpha; the sprite's vertex colour gives
// the text its colour. Glyphs are measured and rasterised with the font of a small memory
// bitmap and kept in the writer's glyph cache.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/scene/sx_fontcache.h"
#include "platform/d3d9/d3d9.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/font.h"

class TDGCarad;
class TDGTexture;

class TSXTextWriter {
 public:
  // Keeps carad and format; the cache gets cacheDepth entries per bucket; the bitmap is 4 x 4,
  // 24-bit, with a white font and a solid black brush.
  TSXTextWriter(TDGCarad* carad, D3DFORMAT format, std::int32_t cacheDepth);
  // Frees Bitmap, then Cache.
  ~TSXTextWriter();
  TSXTextWriter(const TSXTextWriter&) = delete;
  TSXTextWriter& operator=(const TSXTextWriter&) = delete;

  // The bitmap's font; callers change it directly.
  gdi::TFont& Font() { return Bitmap->Canvas().Font(); }
  // Copies every property of value into Font.
  void SetFont(const gdi::TFont& value);

  // Extent of text in Font, as the platform measures it.
  std::int32_t TextWidth(const std::string& text);
  std::int32_t TextHeight(const std::string& text);
  // The same for UTF-16 text (what Shift-JIS cannot hold, such as a path of the player's).
  std::int32_t TextWidth(const std::u16string& text);
  std::int32_t TextHeight(const std::u16string& text);

  // Writes text into level 0 of texture with the line's top-left at (x, y). Each glyph's box
  // replaces the pixels under it; parts outside the surface are clipped; one lock per glyph.
  void DrawText(std::int32_t x, std::int32_t y, const std::string& text, TDGTexture& texture);
  // The same for UTF-16 text; a surrogate pair is one character.
  void DrawText(std::int32_t x, std::int32_t y, const std::u16string& text, TDGTexture& texture);

  // The device context glyphs are measured and rasterised with (Font selected).
  gdi::HDC DeviceContext() { return Bitmap->Canvas().Handle(); }

  TDGCarad* Carad;  // not owned
  std::unique_ptr<TSXFontCache> Cache;
  std::unique_ptr<gdi::TBitmap> Bitmap;
  D3DFORMAT Format;
  // Texture locks DrawText has taken: one per glyph with visible pixels. A statistic for tests
  // and measurements; nothing reads it.
  std::int64_t LockCount = 0;

 private:
  // Writes the glyphs of the cache codes one after another.
  void DrawCodes(std::int32_t x, std::int32_t y, const std::vector<std::int32_t>& codes,
                 TDGTexture& texture);
};

// The span rule of DrawText: clips (pos, len) against [0, size). When pos < 0, sourceOffset
// becomes -pos, len shrinks by it and pos becomes 0; a span past the end is cut there. Returns
// whether anything of the span is visible.
bool ClipSpan(std::int32_t& pos, std::int32_t& len, std::int32_t size, std::int32_t& sourceOffset);
