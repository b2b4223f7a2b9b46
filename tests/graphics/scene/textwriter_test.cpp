// DrawText into real textures of the software device: the picture against one composed here
// from the platform's own glyph bitmaps, clipping, the pen's stop, locks, and the byte walk.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/device/dg_carad.h"
#include "graphics/device/dg_texture.h"
#include "graphics/device/pixel_format.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/codepage/codepage.h"
#include "platform/base/owner_window.h"
#include "platform/d3d9/standin.h"
#include "platform/gdi/gdi.h"

namespace {

constexpr std::uint32_t kBackground = 0x40123456;  // anything DrawText would never write

class TextWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d9standin::ResetConfig();
    carad_ = std::make_unique<TDGCarad>(&window_);
    carad_->SetDebugOption({});
    carad_->Loaded();
    writer_ = std::make_unique<TSXTextWriter>(carad_.get(), D3DFMT_A8R8G8B8, 16);
    writer_->Font().SetName("IPAGothic");
    writer_->Font().SetHeight(-32);
    writer_->Font().SetStyle(gdi::fsBold);
    writer_->Font().SetCharset(gdi::SHIFTJIS_CHARSET);
  }
  void TearDown() override {
    writer_.reset();
    carad_.reset();
    d3d9standin::ResetConfig();
  }

  std::unique_ptr<TDGTexture> MakeTexture(UINT width, UINT height,
                                          std::vector<D3DFORMAT> formats = {D3DFMT_A8R8G8B8}) {
    auto texture =
        std::make_unique<TDGTexture>(carad_.get(), std::move(formats), 0, D3DPOOL_MANAGED, 0, "");
    texture->SetSize(width, height);
    texture->FillRect(RECT{0, 0, static_cast<LONG>(texture->TextureWidth()),
                           static_cast<LONG>(texture->TextureHeight())},
                      kBackground, false);
    return texture;
  }

  TNullWindow window_{64, 64};
  std::unique_ptr<TDGCarad> carad_;
  std::unique_ptr<TSXTextWriter> writer_;
};

// Every texel of level 0 as an A8R8G8B8 colour, row by row.
std::vector<std::uint32_t> ReadTexels(TDGTexture& texture) {
  const auto w = static_cast<LONG>(texture.TextureWidth());
  const auto h = static_cast<LONG>(texture.TextureHeight());
  std::vector<std::uint32_t> texels;
  INT pitch = 0;
  void* bits = nullptr;
  EXPECT_EQ(texture.LockRect(0, RECT{0, 0, w, h}, pitch, bits, D3DLOCK_READONLY), D3D_OK);
  const int bpp = texture.BytesPerPixel();
  for (LONG y = 0; y < h; ++y) {
    for (LONG x = 0; x < w; ++x) {
      const auto* p = static_cast<const std::uint8_t*>(bits) + y * pitch + x * bpp;
      std::uint32_t v = 0;
      for (int i = 0; i < bpp; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
      texels.push_back(DGCarad9::PixelToColor(v, texture.Format()));
    }
  }
  texture.UnlockRect();
  return texels;
}

// What DrawText should leave: glyph boxes from the platform's grey bitmaps (alpha: 64 -> 255,
// else x 4), each replacing what lies under it, clipped to the surface, the pen stopping at the
// picture's width. Colours are brought through the texture's format.
std::vector<std::uint32_t> Expected(TSXTextWriter& writer, TDGTexture& texture, int x0, int y0,
                                    const std::string& text) {
  const int w = static_cast<int>(texture.TextureWidth());
  const int h = static_cast<int>(texture.TextureHeight());
  const D3DFORMAT format = texture.Format();
  std::vector<std::uint32_t> out(
      static_cast<size_t>(w) * h,
      DGCarad9::PixelToColor(DGCarad9::ColorToPixel(kBackground, format), format));
  gdi::HDC dc = writer.DeviceContext();
  gdi::TEXTMETRICA tm;
  gdi::GetTextMetricsA(dc, &tm);
  const gdi::MAT2 identity = gdi::IdentityMat2();
  int pen = x0;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    UINT code = c;
    if (!(c < 0x81 || (c >= 0xA0 && c <= 0xDF) || i + 1 == text.size())) {
      code = c << 8 | static_cast<std::uint8_t>(text[i + 1]);
      ++i;
    }
    ++i;
    gdi::GLYPHMETRICS gm;
    const DWORD size =
        gdi::GetGlyphOutlineA(dc, code, gdi::GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
    std::vector<std::uint8_t> gray(size);
    if (size > 0) {
      gdi::GetGlyphOutlineA(dc, code, gdi::GGO_GRAY8_BITMAP, &gm, size, gray.data(), &identity);
      const int left = pen + gm.gmptGlyphOrigin.x;
      const int top = y0 + tm.tmAscent - gm.gmptGlyphOrigin.y;
      const int grayPitch = (static_cast<int>(gm.gmBlackBoxX) + 3) & ~3;
      for (int gy = 0; gy < static_cast<int>(gm.gmBlackBoxY); ++gy) {
        for (int gx = 0; gx < static_cast<int>(gm.gmBlackBoxX); ++gx) {
          const int tx = left + gx, ty = top + gy;
          if (tx < 0 || ty < 0 || tx >= w || ty >= h) continue;
          const int level = gray[gy * grayPitch + gx];
          const auto alpha = static_cast<std::uint8_t>(level == 64 ? 255 : level * 4);
          const std::uint32_t colour = DGCarad9::PixelToColor(
              DGCarad9::PackPixel(alpha, 255, 255, 255, D3DFMT_A8R8G8B8), D3DFMT_A8R8G8B8);
          out[static_cast<size_t>(ty) * w + tx] =
              DGCarad9::PixelToColor(DGCarad9::ColorToPixel(colour, format), format);
        }
      }
    }
    pen += gm.gmCellIncX;
    if (pen >= static_cast<int>(texture.Width())) break;
  }
  return out;
}

}  // namespace

TEST(TextWriterClip, SpanRule) {
  std::int32_t pos = -3, len = 10, offset = 0;
  EXPECT_TRUE(ClipSpan(pos, len, 20, offset));
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(len, 7);
  EXPECT_EQ(offset, 3);
  pos = 15, len = 10, offset = 0;
  EXPECT_TRUE(ClipSpan(pos, len, 20, offset));
  EXPECT_EQ(len, 5);
  EXPECT_EQ(offset, 0);
  pos = -5, len = 30, offset = 0;  // wider than the surface on both sides
  EXPECT_TRUE(ClipSpan(pos, len, 20, offset));
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(len, 20);
  EXPECT_EQ(offset, 5);
  pos = 20, len = 4, offset = 0;
  EXPECT_FALSE(ClipSpan(pos, len, 20, offset));
  pos = -4, len = 4, offset = 0;
  EXPECT_FALSE(ClipSpan(pos, len, 20, offset));
  pos = 0, len = 0, offset = 0;
  EXPECT_FALSE(ClipSpan(pos, len, 20, offset));
}

TEST_F(TextWriterTest, TextTextureAlphaIsTheRasterisedCoverage) {
  const std::string text = codepage::Utf8ToSjis("蛍の光 Night");
  const int width = writer_->TextWidth(text);
  const int height = writer_->TextHeight(text);
  ASSERT_GT(width, 100);
  auto texture = MakeTexture(static_cast<UINT>(width), static_cast<UINT>(height));
  writer_->DrawText(0, 0, text, *texture);
  EXPECT_EQ(ReadTexels(*texture), Expected(*writer_, *texture, 0, 0, text));
  // One lock per glyph with pixels: eight glyphs, the space has none.
  EXPECT_EQ(writer_->LockCount, 8);
  EXPECT_EQ(texture->SourceKind(), skDrawn);
}

TEST_F(TextWriterTest, TextureInAnotherFormatGetsConvertedPixels) {
  d3d9standin::GetConfig().TextureFormats = {D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};
  const std::string text = codepage::Utf8ToSjis("ぷ");
  auto texture = MakeTexture(static_cast<UINT>(writer_->TextWidth(text)),
                             static_cast<UINT>(writer_->TextHeight(text)),
                             {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5});
  ASSERT_EQ(texture->Format(), D3DFMT_A4R4G4B4);
  writer_->DrawText(0, 0, text, *texture);
  EXPECT_EQ(ReadTexels(*texture), Expected(*writer_, *texture, 0, 0, text));
}

TEST_F(TextWriterTest, GlyphsAreClippedToTheSurface) {
  const std::string text = codepage::Utf8ToSjis("蛍Ab光");
  auto texture = MakeTexture(60, 20);
  // Left of the texture and above it: only the visible columns and rows are copied.
  writer_->DrawText(-13, -9, text, *texture);
  EXPECT_EQ(ReadTexels(*texture), Expected(*writer_, *texture, -13, -9, text));
  // Past the bottom right: boxes are cut at the surface's edge.
  auto second = MakeTexture(60, 20);
  writer_->DrawText(40, 8, text, *second);
  EXPECT_EQ(ReadTexels(*second), Expected(*writer_, *second, 40, 8, text));
}

TEST_F(TextWriterTest, GlyphWhollyOutsideIsSkippedButThePenAdvances) {
  const std::string text = codepage::Utf8ToSjis("蛍A");
  auto texture = MakeTexture(64, 40);
  const int kanjiAdvance = writer_->TextWidth(codepage::Utf8ToSjis("蛍"));
  writer_->DrawText(-kanjiAdvance - 2, 0, text, *texture);
  EXPECT_EQ(writer_->LockCount, 1) << "only the A is locked and written";
  EXPECT_EQ(ReadTexels(*texture), Expected(*writer_, *texture, -kanjiAdvance - 2, 0, text));
}

TEST_F(TextWriterTest, PenStopsAtThePicturesWidthAndStartsOnlyInside) {
  const std::string text = codepage::Utf8ToSjis("あいうえお");
  const int advance = writer_->TextWidth(codepage::Utf8ToSjis("あ"));
  // A power-of-two device: the surface (128 wide) is wider than the picture. Glyphs are clipped
  // to the surface; the pen stops once it is past the picture.
  d3d9standin::GetConfig().Pow2Textures = true;
  auto texture = MakeTexture(static_cast<UINT>(advance * 2 + 1), 40);
  ASSERT_EQ(texture->TextureWidth(), 128u);
  writer_->DrawText(0, 0, text, *texture);
  EXPECT_EQ(writer_->LockCount, 3) << "the third glyph starts inside, the pen then stops";
  EXPECT_EQ(ReadTexels(*texture), Expected(*writer_, *texture, 0, 0, text));
  writer_->LockCount = 0;
  writer_->DrawText(static_cast<int>(texture->Width()), 0, text, *texture);
  writer_->DrawText(0, 40, text, *texture);
  EXPECT_EQ(writer_->LockCount, 0);
}

TEST_F(TextWriterTest, EmptyTextLeavesTheTextureAlone) {
  auto texture = MakeTexture(32, 32);
  const auto before = ReadTexels(*texture);
  writer_->DrawText(0, 0, "", *texture);
  EXPECT_EQ(ReadTexels(*texture), before);
  EXPECT_EQ(writer_->LockCount, 0);
  int used = 0;
  for (int b = 0; b < 256; ++b) used += writer_->Cache->Counts[b];
  EXPECT_EQ(used, 0);
}

TEST_F(TextWriterTest, ByteWalkFindsSingleAndDoubleByteCodes) {
  auto texture = MakeTexture(256, 40);
  // Two hiragana (82 A0, 82 A2), two half-width katakana (B1, B2), and a lead byte at the end.
  writer_->DrawText(0, 0,
                    std::string("\x82\xA0\x82\xA2\xB1\xB2"
                                "A\x82"),
                    *texture);
  TSXFontCache& cache = *writer_->Cache;
  EXPECT_EQ(cache.Buckets[0xA0][0].Code, 0x82A0);
  EXPECT_EQ(cache.Buckets[0xA2][0].Code, 0x82A2);
  EXPECT_EQ(cache.Buckets[0xB1][0].Code, 0xB1);
  EXPECT_EQ(cache.Buckets[0xB2][0].Code, 0xB2);
  EXPECT_EQ(cache.Buckets[0x41][0].Code, 0x41);
  EXPECT_EQ(cache.Counts[0x82], 1);
  EXPECT_EQ(cache.Buckets[0x82][0].Code, 0x82);
  int used = 0;
  for (int b = 0; b < 256; ++b) used += cache.Counts[b];
  EXPECT_EQ(used, 6);
}

TEST_F(TextWriterTest, TextureWithoutSurfaceIsReportedNotWritten) {
  TDGTexture never(carad_.get(), {D3DFMT_A8R8G8B8}, 0, D3DPOOL_MANAGED, 0, "");
  // Never sized: a picture width of 0 stops DrawText at once.
  writer_->DrawText(0, 0, "A", never);
  // Sized, then its Direct3D texture released (the device went): the picture size remains
  // but there is no surface. The lock reports it; nothing is written and nothing crashes.
  auto released = MakeTexture(32, 32);
  released->ReleaseResource();
  ASSERT_EQ(released->Texture(), nullptr);
  writer_->DrawText(0, 0, "AB", *released);
  EXPECT_EQ(writer_->LockCount, 0);
  EXPECT_FALSE(released->Locked());
}

TEST_F(TextWriterTest, WidthAndHeightAreThePlatformsExtent) {
  const std::string text = codepage::Utf8ToSjis("正解:0000");
  SIZE size;
  ASSERT_NE(gdi::GetTextExtentPoint32A(writer_->DeviceContext(), text.data(),
                                       static_cast<int>(text.size()), &size),
            0);
  EXPECT_EQ(writer_->TextWidth(text), size.cx);
  EXPECT_EQ(writer_->TextHeight(text), size.cy);
  gdi::TFont other;
  other.SetName("IPAMincho");
  other.SetSize(18);
  other.SetStyle(gdi::fsBold | gdi::fsItalic);
  other.SetCharset(gdi::SHIFTJIS_CHARSET);
  writer_->SetFont(other);
  EXPECT_EQ(writer_->Font().Height(), -24);
  EXPECT_EQ(writer_->Font().Style(), gdi::fsBold | gdi::fsItalic);
  EXPECT_LT(writer_->TextHeight(text), size.cy);
}

TEST_F(TextWriterTest, Utf16WalkMatchesShiftJisAndDrawsWhatShiftJisCannotHold) {
  // Text both encodings hold: the same width, height and pixels either way, so a label that
  // moves to the UTF-16 walk looks as it did.
  for (const char* utf8 : {"/.../楽曲/x.mp3", "tam-y02.mp3", "ｱｲ~\\"}) {
    const std::string sjis = codepage::Utf8ToSjis(utf8);
    const std::u16string wide = codepage::SjisToUtf16(sjis);
    EXPECT_EQ(writer_->TextWidth(wide), writer_->TextWidth(sjis)) << utf8;
    EXPECT_EQ(writer_->TextHeight(wide), writer_->TextHeight(sjis)) << utf8;
    auto bySjis = MakeTexture(512, 40);
    auto byWide = MakeTexture(512, 40);
    writer_->DrawText(0, 0, sjis, *bySjis);
    writer_->DrawText(0, 0, wide, *byWide);
    EXPECT_EQ(ReadTexels(*byWide), ReadTexels(*bySjis)) << utf8;
  }
  // What Shift-JIS turns into '?' keeps its own glyphs, a surrogate pair counting as one
  // character (U+20B9F, a kanji outside the BMP).
  const std::u16string grusse = codepage::Utf8ToUtf16("Grüße");
  const std::string lost = codepage::Utf8ToSjis("Grüße");
  ASSERT_EQ(lost, "Gr??e");
  auto wide = MakeTexture(256, 40);
  auto questionMarks = MakeTexture(256, 40);
  writer_->DrawText(0, 0, grusse, *wide);
  writer_->DrawText(0, 0, lost, *questionMarks);
  EXPECT_NE(ReadTexels(*wide), ReadTexels(*questionMarks));
  EXPECT_EQ(writer_->Cache->Buckets[0xFC][0].Code, kSXUnicodeCode | 0xFC);  // ü
  const std::u16string pair = u"a\U00020B9Fb";
  ASSERT_EQ(pair.size(), 4u);
  writer_->DrawText(0, 0, pair, *wide);
  EXPECT_EQ(writer_->Cache->Buckets[0x9F][0].Code, kSXUnicodeCode | 0x20B9F);
}
