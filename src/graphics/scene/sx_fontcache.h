// The glyph cache of the text writer (unit SXlib9): each (character, face, height, style) is
// rasterised once into packed pixels of the writer's format and kept in one of 256 buckets,
// chosen by the character code's low byte. A bucket holds BucketDepth glyphs, the most recently
// used first; a full bucket gives up its least recently used glyph.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/font.h"

class TSXTextWriter;

// A character Shift-JIS cannot hold is cached under this bit plus its Unicode code point;
// Shift-JIS codes (a byte, or lead byte x 256 + trail byte) never reach it.
constexpr std::int32_t kSXUnicodeCode = 0x01000000;

// One cached glyph.
struct TSXFontCacheData {
  std::vector<std::uint8_t> Pixels;  // Pitch x BoxHeight bytes; empty for a glyph without ink
  std::int32_t Code = 0;             // the byte, lead byte x 256 + trail byte, or Unicode
  std::string FaceName;              // Shift-JIS, as the font had it
  std::int32_t FaceHeight = 0;
  std::uint8_t FaceStyle = 0;
  std::int32_t BoxWidth = 0;  // black box, pixels
  std::int32_t BoxHeight = 0;
  std::int32_t Pitch = 0;     // BoxWidth x bytes per pixel, rounded up to a multiple of 4
  std::int32_t OriginX = 0;   // black box left, from the pen
  std::int32_t OriginY = 0;   // black box top, from the line's top: ascent - glyph origin y
  std::int32_t AdvanceX = 0;  // pen advance
  std::int32_t AdvanceY = 0;  // kept, not used by the writer
};

class TSXFontCache {
 public:
  static constexpr int kBucketCount = 256;

  // SetDepth (n), then AntiAlias := true.
  TSXFontCache(TSXTextWriter* writer, std::int32_t n);
  ~TSXFontCache();
  TSXFontCache(const TSXFontCache&) = delete;
  TSXFontCache& operator=(const TSXFontCache&) = delete;

  // Empties the cache and gives every bucket n entries (at least 1: a bucket without room
  // could not hold the glyph being looked up).
  void SetDepth(std::int32_t n);
  // Frees every cached glyph; the buckets stay, empty.
  void ClearCache();
  // The glyph of code in font, rasterised on a miss (a copy).
  TSXFontCacheData GetGlyph(std::int32_t code, const gdi::TFont& font);
  // The same lookup without the copy; the entry stays valid until the next lookup.
  const TSXFontCacheData& LookUp(std::int32_t code, const gdi::TFont& font);

  TSXTextWriter* Writer;
  std::array<std::int32_t, kBucketCount> Counts{};
  std::array<std::vector<TSXFontCacheData>, kBucketCount> Buckets;
  std::int32_t BucketDepth = 0;
  bool AntiAlias = false;

 private:
  void Rasterise(TSXFontCacheData& entry);
};
