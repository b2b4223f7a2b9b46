#include "graphics/scene/sx_fontcache.h"

#include <algorithm>

#include "graphics/device/pixel_format.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/gdi/gdi.h"

namespace {

// GDI's 65 grey levels to alpha: full coverage (64) is opaque, the rest four steps apart.
std::uint8_t AlphaOfLevel(std::uint8_t level) {
  return level >= 64 ? 255 : static_cast<std::uint8_t>(level * 4);
}

std::int32_t RoundUpTo4(std::int32_t v) { return (v + 3) & ~3; }

}  // namespace

TSXFontCache::TSXFontCache(TSXTextWriter* writer, std::int32_t n) : Writer(writer) {
  SetDepth(n);
  AntiAlias = true;
}

TSXFontCache::~TSXFontCache() = default;

void TSXFontCache::SetDepth(std::int32_t n) {
  BucketDepth = std::max<std::int32_t>(1, n);
  ClearCache();
}

void TSXFontCache::ClearCache() {
  // Every glyph and its pixels go; the buckets keep their BucketDepth empty entries, so a
  // lookup after clearing finds room instead of a freed bucket.
  for (auto& bucket : Buckets) {
    std::vector<TSXFontCacheData>(static_cast<size_t>(BucketDepth)).swap(bucket);
  }
  Counts.fill(0);
}

TSXFontCacheData TSXFontCache::GetGlyph(std::int32_t code, const gdi::TFont& font) {
  return LookUp(code, font);
}

const TSXFontCacheData& TSXFontCache::LookUp(std::int32_t code, const gdi::TFont& font) {
  const int b = code & 0xFF;
  auto& bucket = Buckets[b];
  const std::int32_t height = font.Height();
  const std::uint8_t style = font.Style();
  const std::string& name = font.Name();
  for (std::int32_t k = 0; k < Counts[b]; ++k) {
    const TSXFontCacheData& entry = bucket[k];
    if (entry.Code == code && entry.FaceHeight == height && entry.FaceStyle == style &&
        entry.FaceName == name) {
      // Move to the front; entries 0 .. k-1 shift one place back.
      std::rotate(bucket.begin(), bucket.begin() + k, bucket.begin() + k + 1);
      return bucket[0];
    }
  }
  // Miss: the least recently used entry of a full bucket, else the first free one, goes to the
  // front and is filled anew.
  std::int32_t victim = Counts[b];
  if (Counts[b] == BucketDepth) {
    victim = BucketDepth - 1;
  } else {
    ++Counts[b];
  }
  std::rotate(bucket.begin(), bucket.begin() + victim, bucket.begin() + victim + 1);
  TSXFontCacheData& entry = bucket[0];
  entry = TSXFontCacheData{};
  entry.Code = code;
  entry.FaceName = name;
  entry.FaceHeight = height;
  entry.FaceStyle = style;
  Rasterise(entry);
  return entry;
}

void TSXFontCache::Rasterise(TSXFontCacheData& entry) {
  const D3DFORMAT format = Writer->Format;
  const std::int32_t bpp = static_cast<std::int32_t>(DGCarad9::FormatBitCount(format) / 8);
  gdi::HDC dc = Writer->DeviceContext();
  const gdi::MAT2 identity = gdi::IdentityMat2();
  const UINT ggoFormat = AntiAlias ? gdi::GGO_GRAY8_BITMAP : gdi::GGO_BITMAP;
  const bool unicode = (entry.Code & kSXUnicodeCode) != 0;
  const auto code = static_cast<UINT>(entry.Code & ~kSXUnicodeCode);
  const auto glyphOutline = unicode ? gdi::GetGlyphOutlineW : gdi::GetGlyphOutlineA;

  gdi::GLYPHMETRICS gm{};
  gdi::TEXTMETRICA tm{};
  DWORD size = glyphOutline(dc, code, ggoFormat, &gm, 0, nullptr, &identity);
  gdi::GetTextMetricsA(dc, &tm);
  // A failed request is a glyph with nothing to draw, never a buffer of GDI_ERROR bytes.
  if (size == gdi::GDI_ERROR) size = 0;

  entry.BoxWidth = static_cast<std::int32_t>(gm.gmBlackBoxX);
  entry.BoxHeight = static_cast<std::int32_t>(gm.gmBlackBoxY);
  entry.Pitch = RoundUpTo4(entry.BoxWidth * bpp);
  entry.OriginX = gm.gmptGlyphOrigin.x;
  entry.OriginY = tm.tmAscent - gm.gmptGlyphOrigin.y;
  entry.AdvanceX = gm.gmCellIncX;
  entry.AdvanceY = gm.gmCellIncY;
  if (size == 0 || entry.BoxWidth <= 0 || entry.BoxHeight <= 0) {
    entry.Pixels.clear();
    return;
  }

  const std::int32_t sourcePitch =
      AntiAlias ? RoundUpTo4(entry.BoxWidth) : RoundUpTo4((entry.BoxWidth + 7) / 8);
  std::vector<std::uint8_t> source(size);
  if (glyphOutline(dc, code, ggoFormat, &gm, size, source.data(), &identity) == gdi::GDI_ERROR ||
      static_cast<std::int64_t>(sourcePitch) * entry.BoxHeight > static_cast<std::int64_t>(size)) {
    // The bitmap does not match its own metrics: nothing is drawn rather than read past it.
    entry.Pixels.clear();
    return;
  }

  entry.Pixels.assign(static_cast<size_t>(entry.Pitch) * entry.BoxHeight, 0);
  std::uint32_t packed[256];
  for (int a = 0; a < 256; ++a) {
    packed[a] = DGCarad9::PackPixel(static_cast<std::uint8_t>(a), 255, 255, 255, format);
  }
  for (std::int32_t y = 0; y < entry.BoxHeight; ++y) {
    const std::uint8_t* src = source.data() + static_cast<size_t>(y) * sourcePitch;
    std::uint8_t* dst = entry.Pixels.data() + static_cast<size_t>(y) * entry.Pitch;
    for (std::int32_t x = 0; x < entry.BoxWidth; ++x) {
      std::uint8_t alpha;
      if (AntiAlias) {
        alpha = AlphaOfLevel(src[x]);
      } else {
        alpha = ((src[x / 8] >> (7 - x % 8)) & 1) ? 255 : 0;
      }
      DGCarad9::StorePixel(dst + x * bpp, packed[alpha], bpp);
    }
  }
}
