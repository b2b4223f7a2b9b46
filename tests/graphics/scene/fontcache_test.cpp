// The glyph cache: conversion of coverage to packed pixels, buckets, move-to-front and
// least-recently-used replacement.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "graphics/device/pixel_format.h"
#include "graphics/scene/sx_fontcache.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/codepage/codepage.h"
#include "platform/gdi/gdi.h"

namespace {

void UseFont(TSXTextWriter& writer, const char* face, int height, gdi::TFontStyles style = 0) {
  writer.Font().SetName(codepage::Utf8ToSjis(face));
  writer.Font().SetHeight(height);
  writer.Font().SetStyle(style);
  writer.Font().SetCharset(gdi::SHIFTJIS_CHARSET);
}

std::uint32_t ReadPixel(const std::vector<std::uint8_t>& bytes, size_t offset, int bpp) {
  std::uint32_t v = 0;
  for (int i = 0; i < bpp; ++i) v |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
  return v;
}

// Codes of one bucket: the single byte 'A' and double-byte characters with trail byte 0x41.
std::vector<std::int32_t> CodesOfBucket41(int count) {
  std::vector<std::int32_t> codes{0x41};
  for (int lead = 0x81; static_cast<int>(codes.size()) < count; ++lead)
    codes.push_back(lead << 8 | 0x41);
  return codes;
}

}  // namespace

TEST(FontCache, PixelsAreTheCoverageUnderTheAlphaRuleInTheWritersFormat) {
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_R8G8B8}) {
    SCOPED_TRACE(format);
    TSXTextWriter writer(nullptr, format, 16);
    UseFont(writer, "IPAGothic", -32, gdi::fsBold);
    const std::int32_t code = 0x8C75;  // 蛍
    const TSXFontCacheData glyph = writer.Cache->GetGlyph(code, writer.Font());

    // The platform's own answer for the same font, fetched here.
    gdi::HDC dc = writer.DeviceContext();
    gdi::GLYPHMETRICS gm;
    gdi::TEXTMETRICA tm;
    const gdi::MAT2 identity = gdi::IdentityMat2();
    const DWORD size =
        gdi::GetGlyphOutlineA(dc, code, gdi::GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
    std::vector<std::uint8_t> gray(size);
    gdi::GetGlyphOutlineA(dc, code, gdi::GGO_GRAY8_BITMAP, &gm, size, gray.data(), &identity);
    ASSERT_NE(gdi::GetTextMetricsA(dc, &tm), 0);

    const int bpp = static_cast<int>(DGCarad9::FormatBitCount(format) / 8);
    EXPECT_EQ(glyph.Code, code);
    EXPECT_EQ(glyph.BoxWidth, static_cast<std::int32_t>(gm.gmBlackBoxX));
    EXPECT_EQ(glyph.BoxHeight, static_cast<std::int32_t>(gm.gmBlackBoxY));
    EXPECT_EQ(glyph.Pitch % 4, 0);
    EXPECT_GE(glyph.Pitch, glyph.BoxWidth * bpp);
    EXPECT_LT(glyph.Pitch, glyph.BoxWidth * bpp + 4);
    EXPECT_EQ(glyph.OriginX, gm.gmptGlyphOrigin.x);
    EXPECT_EQ(glyph.OriginY, tm.tmAscent - gm.gmptGlyphOrigin.y);
    EXPECT_EQ(glyph.AdvanceX, gm.gmCellIncX);
    ASSERT_EQ(glyph.Pixels.size(), static_cast<size_t>(glyph.Pitch * glyph.BoxHeight));

    const size_t grayPitch = (gm.gmBlackBoxX + 3) & ~3u;
    int opaque = 0;
    for (int y = 0; y < glyph.BoxHeight; ++y) {
      for (int x = 0; x < glyph.BoxWidth; ++x) {
        const int level = gray[y * grayPitch + x];
        const int alpha = level == 64 ? 255 : level * 4;
        opaque += alpha == 255;
        const std::uint32_t want =
            DGCarad9::PackPixel(static_cast<std::uint8_t>(alpha), 255, 255, 255, format);
        ASSERT_EQ(ReadPixel(glyph.Pixels, y * glyph.Pitch + x * bpp, bpp), want)
            << x << "," << y << " level " << level;
      }
    }
    EXPECT_GT(opaque, 10);
  }
}

TEST(FontCache, OneBitGlyphsAreOpaqueOrClear) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 16);
  UseFont(writer, "IPAMincho", -24);
  writer.Cache->AntiAlias = false;
  const TSXFontCacheData glyph = writer.Cache->GetGlyph(0x82A0, writer.Font());
  ASSERT_FALSE(glyph.Pixels.empty());
  int opaque = 0;
  for (size_t i = 0; i < glyph.Pixels.size(); i += 4) {
    const std::uint32_t pixel = ReadPixel(glyph.Pixels, i, 4);
    EXPECT_TRUE(pixel == 0xFFFFFFFFu || pixel == 0x00FFFFFFu ||
                (i % glyph.Pitch) >= glyph.BoxWidth * 4u);
    opaque += pixel == 0xFFFFFFFFu;
  }
  EXPECT_GT(opaque, 20);
}

TEST(FontCache, SpaceHasNoPixelsButAnAdvance) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 16);
  UseFont(writer, "IPAGothic", -32);
  for (std::int32_t code : {0x20, 0x8140}) {
    const TSXFontCacheData glyph = writer.Cache->GetGlyph(code, writer.Font());
    EXPECT_TRUE(glyph.Pixels.empty());
    EXPECT_GT(glyph.AdvanceX, 0);
  }
}

TEST(FontCache, GlyphsLiveInTheBucketOfTheirLowByte) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 16);
  UseFont(writer, "IPAGothic", -20);
  TSXFontCache& cache = *writer.Cache;
  cache.GetGlyph(0x82A0, writer.Font());  // あ
  cache.GetGlyph(0x82A2, writer.Font());  // い
  cache.GetGlyph(0xB1, writer.Font());    // ｱ
  EXPECT_EQ(cache.Counts[0xA0], 1);
  EXPECT_EQ(cache.Counts[0xA2], 1);
  EXPECT_EQ(cache.Counts[0xB1], 1);
  EXPECT_EQ(cache.Buckets[0xA0][0].Code, 0x82A0);
  EXPECT_EQ(cache.Buckets[0xA2][0].Code, 0x82A2);
  int used = 0;
  for (int b = 0; b < 256; ++b) used += cache.Counts[b];
  EXPECT_EQ(used, 3);
  // The same lookups again hit: nothing new is made.
  cache.GetGlyph(0x82A0, writer.Font());
  EXPECT_EQ(cache.Counts[0xA0], 1);
}

TEST(FontCache, HitsMoveToTheFrontAndTheLeastRecentlyUsedIsReplaced) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 16);
  UseFont(writer, "IPAGothic", -16);
  TSXFontCache& cache = *writer.Cache;
  const std::vector<std::int32_t> codes = CodesOfBucket41(17);
  std::deque<std::int32_t> recent;  // most recent first, as the bucket should be
  auto lookUp = [&](std::int32_t code) {
    cache.GetGlyph(code, writer.Font());
    recent.erase(std::remove(recent.begin(), recent.end(), code), recent.end());
    recent.push_front(code);
    if (recent.size() > 16) recent.pop_back();
  };
  auto bucketOrder = [&] {
    std::deque<std::int32_t> order;
    for (int k = 0; k < cache.Counts[0x41]; ++k) order.push_back(cache.Buckets[0x41][k].Code);
    return order;
  };
  for (int i = 0; i < 16; ++i) lookUp(codes[i]);
  EXPECT_EQ(cache.Counts[0x41], 16);
  EXPECT_EQ(bucketOrder(), recent);
  // A hit on an old entry moves it to the front; its pixels are not made again.
  const std::uint8_t* pixels = cache.LookUp(codes[3], writer.Font()).Pixels.data();
  lookUp(codes[3]);
  EXPECT_EQ(cache.Buckets[0x41][0].Pixels.data(), pixels);
  EXPECT_EQ(bucketOrder(), recent);
  // The 17th glyph displaces the least recently used one (codes[0]).
  lookUp(codes[16]);
  EXPECT_EQ(cache.Counts[0x41], 16);
  EXPECT_EQ(bucketOrder(), recent);
  EXPECT_EQ(std::count(recent.begin(), recent.end(), codes[0]), 0);
  EXPECT_EQ(std::count(recent.begin(), recent.end(), codes[3]), 1);
  // Looking the displaced glyph up again displaces the next least recently used one.
  lookUp(codes[0]);
  EXPECT_EQ(bucketOrder(), recent);
  EXPECT_EQ(std::count(recent.begin(), recent.end(), codes[1]), 0);
}

TEST(FontCache, FaceHeightAndStyleAreEachPartOfTheKey) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 16);
  TSXFontCache& cache = *writer.Cache;
  UseFont(writer, "IPAGothic", -20);
  const std::int32_t small = cache.GetGlyph(0x8C75, writer.Font()).BoxHeight;
  UseFont(writer, "IPAGothic", -40);
  const std::int32_t large = cache.GetGlyph(0x8C75, writer.Font()).BoxHeight;
  EXPECT_EQ(cache.Counts[0x75], 2);
  EXPECT_GT(large, small);
  UseFont(writer, "IPAGothic", -40, gdi::fsItalic);
  cache.GetGlyph(0x8C75, writer.Font());
  UseFont(writer, "IPAMincho", -40, gdi::fsItalic);
  cache.GetGlyph(0x8C75, writer.Font());
  EXPECT_EQ(cache.Counts[0x75], 4);
  // Names compare exactly: another spelling is another entry.
  UseFont(writer, "ipamincho", -40, gdi::fsItalic);
  cache.GetGlyph(0x8C75, writer.Font());
  EXPECT_EQ(cache.Counts[0x75], 5);
  // Changing the font does not flush: the first glyph is still there.
  UseFont(writer, "IPAGothic", -20);
  cache.GetGlyph(0x8C75, writer.Font());
  EXPECT_EQ(cache.Counts[0x75], 5);
  EXPECT_EQ(cache.Buckets[0x75][0].FaceHeight, -20);
}

TEST(FontCache, SetDepthEmptiesTheCacheAndKeepsRoomForOne) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 16);
  UseFont(writer, "IPAGothic", -16);
  TSXFontCache& cache = *writer.Cache;
  EXPECT_TRUE(cache.AntiAlias);
  EXPECT_EQ(cache.BucketDepth, 16);
  cache.GetGlyph('A', writer.Font());
  cache.SetDepth(2);
  EXPECT_EQ(cache.BucketDepth, 2);
  EXPECT_EQ(cache.Counts[0x41], 0);
  for (const auto& bucket : cache.Buckets) EXPECT_EQ(bucket.size(), 2u);
  // A depth of 0 would leave no room for the glyph being looked up.
  cache.SetDepth(0);
  EXPECT_EQ(cache.BucketDepth, 1);
  const std::vector<std::int32_t> codes = CodesOfBucket41(2);
  cache.GetGlyph(codes[0], writer.Font());
  EXPECT_EQ(cache.GetGlyph(codes[1], writer.Font()).Code, codes[1]);
  EXPECT_EQ(cache.Counts[0x41], 1);
  cache.ClearCache();
  EXPECT_EQ(cache.Counts[0x41], 0);
  // The cache is usable again after clearing.
  EXPECT_EQ(cache.GetGlyph(codes[0], writer.Font()).Code, codes[0]);
  EXPECT_EQ(cache.Counts[0x41], 1);
}
