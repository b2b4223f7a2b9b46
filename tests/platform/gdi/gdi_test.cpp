// Glyphs, metrics and extents of the GDI font stand-in on the installed IPA fonts.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "platform/codepage/codepage.h"
#include "platform/gdi/font_resolver.h"
#include "platform/gdi/gdi.h"

using namespace gdi;

namespace {

// A memory context with one font selected; frees both in the right order.
class FontDc {
 public:
  explicit FontDc(const std::string& faceUtf8, LONG height, LONG weight = FW_NORMAL,
                  bool italic = false, BYTE charset = SHIFTJIS_CHARSET) {
    LOGFONTA log;
    log.lfHeight = height;
    log.lfWeight = weight;
    log.lfItalic = italic ? 1 : 0;
    log.lfCharSet = charset;
    SetFaceName(log, codepage::Utf8ToSjis(faceUtf8));
    font_.reset(CreateFontIndirectA(&log));
    dc_.reset(CreateCompatibleDC(nullptr));
    previous_ = SelectObject(dc_.get(), font_.get());
  }
  ~FontDc() { SelectObject(dc_.get(), previous_); }
  HDC dc() const { return dc_.get(); }

  TEXTMETRICA Metrics() const {
    TEXTMETRICA tm;
    EXPECT_NE(GetTextMetricsA(dc(), &tm), 0);
    return tm;
  }
  std::string Face() const {
    char name[64] = {};
    GetTextFaceA(dc(), sizeof(name), name);
    return codepage::SjisToUtf8(name);
  }
  LONG Extent(const std::string& sjis) const {
    SIZE size;
    EXPECT_NE(GetTextExtentPoint32A(dc(), sjis.data(), static_cast<int>(sjis.size()), &size), 0);
    return size.cx;
  }

 private:
  UniqueDc dc_;
  UniqueFont font_;
  HGDIOBJ previous_ = nullptr;
};

struct Bitmap {
  GLYPHMETRICS gm;
  DWORD size = 0;
  std::vector<BYTE> bits;
};

// The glyph of a Shift-JIS code, or with wide of a Unicode code point.
Bitmap Fetch(HDC dc, UINT code, UINT format, bool wide = false) {
  const auto outline = wide ? GetGlyphOutlineW : GetGlyphOutlineA;
  Bitmap b;
  const MAT2 identity = IdentityMat2();
  b.size = outline(dc, code, format, &b.gm, 0, nullptr, &identity);
  EXPECT_NE(b.size, GDI_ERROR);
  if (b.size == GDI_ERROR || b.size == 0) return b;
  b.bits.assign(b.size, 0xCD);
  EXPECT_EQ(outline(dc, code, format, &b.gm, b.size, b.bits.data(), &identity), b.size);
  return b;
}

// Shift-JIS code of one UTF-8 character: the byte, or lead << 8 | trail.
UINT Code(const std::string& utf8) {
  const std::string sjis = codepage::Utf8ToSjis(utf8);
  if (sjis.size() == 1) return static_cast<unsigned char>(sjis[0]);
  return static_cast<unsigned char>(sjis[0]) << 8 | static_cast<unsigned char>(sjis[1]);
}

long Ink(const Bitmap& b) { return std::accumulate(b.bits.begin(), b.bits.end(), 0L); }

// Mean x (relative to the pen) of the ink in rows [from, to) of a gray8 glyph.
double InkCentreX(const Bitmap& b, UINT from, UINT to) {
  const UINT pitch = (b.gm.gmBlackBoxX + 3) & ~3u;
  double sum = 0, weight = 0;
  for (UINT y = from; y < to; ++y) {
    for (UINT x = 0; x < b.gm.gmBlackBoxX; ++x) {
      sum += b.bits[y * pitch + x] * (x + b.gm.gmptGlyphOrigin.x);
      weight += b.bits[y * pitch + x];
    }
  }
  return weight > 0 ? sum / weight : 0;
}

}  // namespace

TEST(GdiMetrics, NegativeHeightIsTheEmAndPositiveTheCell) {
  FontDc em("IPAGothic", -32);
  const TEXTMETRICA emMetrics = em.Metrics();
  EXPECT_EQ(emMetrics.tmHeight, emMetrics.tmAscent + emMetrics.tmDescent);
  EXPECT_EQ(emMetrics.tmHeight - emMetrics.tmInternalLeading, 32);
  EXPECT_GT(emMetrics.tmAscent, emMetrics.tmDescent);

  FontDc cell("IPAGothic", 32);
  const TEXTMETRICA cellMetrics = cell.Metrics();
  EXPECT_EQ(cellMetrics.tmHeight, 32);
  EXPECT_EQ(cellMetrics.tmAscent + cellMetrics.tmDescent, 32);
  // The cell includes the leading, so the same number gives a smaller em.
  EXPECT_LT(cellMetrics.tmHeight - cellMetrics.tmInternalLeading, 32);
  const Bitmap bigger = Fetch(em.dc(), Code("蛍"), GGO_GRAY8_BITMAP);
  const Bitmap smaller = Fetch(cell.dc(), Code("蛍"), GGO_GRAY8_BITMAP);
  EXPECT_LE(smaller.gm.gmBlackBoxY, bigger.gm.gmBlackBoxY);
  EXPECT_LT(smaller.gm.gmCellIncX, bigger.gm.gmCellIncX);
}

TEST(GdiGlyphs, Gray8HasSixtyFiveLevelsInPaddedRows) {
  FontDc f("IPAGothic", -32);
  for (const char* ch : {"A", "i", "蛍", "ゃ"}) {
    SCOPED_TRACE(ch);
    const Bitmap b = Fetch(f.dc(), Code(ch), GGO_GRAY8_BITMAP);
    const UINT pitch = (b.gm.gmBlackBoxX + 3) & ~3u;
    ASSERT_EQ(b.size, pitch * b.gm.gmBlackBoxY);
    EXPECT_LE(*std::max_element(b.bits.begin(), b.bits.end()), 64);
    // Solid strokes at 32 pixels reach full coverage.
    EXPECT_EQ(*std::max_element(b.bits.begin(), b.bits.end()), 64);
    for (UINT y = 0; y < b.gm.gmBlackBoxY; ++y) {
      for (UINT x = b.gm.gmBlackBoxX; x < pitch; ++x) EXPECT_EQ(b.bits[y * pitch + x], 0);
    }
    // The black box is tight: its first and last rows and columns carry ink.
    long firstRow = 0, lastRow = 0, firstCol = 0, lastCol = 0;
    for (UINT x = 0; x < b.gm.gmBlackBoxX; ++x) {
      firstRow += b.bits[x];
      lastRow += b.bits[(b.gm.gmBlackBoxY - 1) * pitch + x];
    }
    for (UINT y = 0; y < b.gm.gmBlackBoxY; ++y) {
      firstCol += b.bits[y * pitch];
      lastCol += b.bits[y * pitch + b.gm.gmBlackBoxX - 1];
    }
    EXPECT_GT(firstRow, 0);
    EXPECT_GT(lastRow, 0);
    EXPECT_GT(firstCol, 0);
    EXPECT_GT(lastCol, 0);
  }
}

TEST(GdiGlyphs, OneBitBitmapFollowsTheCoverage) {
  FontDc f("IPAMincho", -40);
  for (const char* ch : {"W", "蛍"}) {
    SCOPED_TRACE(ch);
    const Bitmap gray = Fetch(f.dc(), Code(ch), GGO_GRAY8_BITMAP);
    const Bitmap mono = Fetch(f.dc(), Code(ch), GGO_BITMAP);
    ASSERT_EQ(mono.gm.gmBlackBoxX, gray.gm.gmBlackBoxX);
    ASSERT_EQ(mono.gm.gmBlackBoxY, gray.gm.gmBlackBoxY);
    const UINT monoPitch = ((mono.gm.gmBlackBoxX + 31) / 32) * 4;
    const UINT grayPitch = (gray.gm.gmBlackBoxX + 3) & ~3u;
    ASSERT_EQ(mono.size, monoPitch * mono.gm.gmBlackBoxY);
    int set = 0;
    for (UINT y = 0; y < mono.gm.gmBlackBoxY; ++y) {
      for (UINT x = 0; x < monoPitch * 8; ++x) {
        const bool bit = (mono.bits[y * monoPitch + x / 8] >> (7 - x % 8)) & 1;
        if (x >= mono.gm.gmBlackBoxX) {
          EXPECT_FALSE(bit) << "padding bit set at " << x << "," << y;
          continue;
        }
        const int level = gray.bits[y * grayPitch + x];
        if (bit) {
          EXPECT_GE(level, 32);
          ++set;
        }
        if (level > 32) {
          EXPECT_TRUE(bit) << x << "," << y;
        }
      }
    }
    EXPECT_GT(set, 20);
  }
}

TEST(GdiGlyphs, SpaceHasMetricsButNoBits) {
  FontDc f("IPAGothic", -32);
  for (UINT code : {0x20u, 0x8140u /* ideographic space */}) {
    GLYPHMETRICS gm;
    const MAT2 identity = IdentityMat2();
    EXPECT_EQ(GetGlyphOutlineA(f.dc(), code, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity), 0u);
    EXPECT_GT(gm.gmCellIncX, 0);
    EXPECT_EQ(gm.gmCellIncY, 0);
    EXPECT_EQ(gm.gmBlackBoxX, 1u);
    EXPECT_EQ(gm.gmBlackBoxY, 1u);
  }
  // The full-width space is as wide as a kanji in a monospaced Japanese face.
  EXPECT_EQ(f.Extent("\x81\x40"), f.Extent(codepage::Utf8ToSjis("蛍")));
}

TEST(GdiMapping, FacesThatAreNotInstalledFallBackToJapaneseOnes) {
  const std::vector<std::string> families = InstalledFontFamilies();
  auto installed = [&](const std::string& utf8) {
    return std::binary_search(families.begin(), families.end(), codepage::Utf8ToSjis(utf8));
  };
  FontDc unknown("NoSuchFace 12345", -32);
  EXPECT_TRUE(installed(unknown.Face())) << unknown.Face();
  FontDc mincho("ＭＳ 明朝", -32);
  EXPECT_TRUE(installed(mincho.Face())) << mincho.Face();
  EXPECT_NE(mincho.Face(), unknown.Face()) << "a Mincho name maps to the serif side";
  for (const FontDc* f : {&unknown, &mincho}) {
    const Bitmap b = Fetch(f->dc(), Code("蛍"), GGO_GRAY8_BITMAP);
    EXPECT_GT(Ink(b), 64 * 50);
  }
  // Face names compare without regard to case.
  FontDc lower("ipagothic", -20);
  EXPECT_EQ(lower.Face(), "IPAGothic");
  FontDc localised("IPA明朝", -20);
  EXPECT_EQ(localised.Face(), "IPA明朝");
  // A Latin face keeps its name unless the Shift-JIS character set is asked for.
  FontDc latin("DejaVu Sans", -20, FW_NORMAL, false, ANSI_CHARSET);
  EXPECT_EQ(latin.Face(), "DejaVu Sans");
  FontDc latinForJapanese("DejaVu Sans", -20, FW_NORMAL, false, SHIFTJIS_CHARSET);
  EXPECT_NE(latinForJapanese.Face(), "DejaVu Sans");
  EXPECT_EQ(latinForJapanese.Metrics().tmCharSet, SHIFTJIS_CHARSET);
}

// The Windows Japanese faces, in either spelling, become the installed IPA face of the same
// kind (Gothic or Mincho, proportional or fixed); other names are left to the usual mapping.
TEST(GdiMapping, WindowsJapaneseFacesMapToTheInstalledFaceOfTheirKind) {
  const struct {
    const char* Face;
    const char* Expected;
  } cases[] = {
      {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS PGothic", "IPAPGothic"},
      {"ＭＳ ゴシック", "IPAGothic"},    {"MS Gothic", "IPAGothic"},
      {"ＭＳ 明朝", "IPAMincho"},        {"MS Mincho", "IPAMincho"},
      {"ＭＳ Ｐ明朝", "IPAPMincho"},     {"ms pmincho", "IPAPMincho"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gdi::WindowsJapaneseSubstitute(c.Face), c.Expected) << c.Face;
    FontDc boldItalic(c.Face, -37, FW_BOLD, true);
    EXPECT_EQ(boldItalic.Face(), c.Expected) << c.Face;
  }
  EXPECT_EQ(gdi::WindowsJapaneseSubstitute("IPAGothic"), "");
  EXPECT_EQ(gdi::WindowsJapaneseSubstitute("Meiryo"), "");
}

TEST(GdiSynthesis, BoldIsWiderAndDarker) {
  FontDc regular("IPAGothic", -32);
  FontDc bold("IPAGothic", -32, FW_BOLD);
  EXPECT_EQ(bold.Metrics().tmWeight, FW_BOLD);
  EXPECT_EQ(bold.Metrics().tmHeight, regular.Metrics().tmHeight);
  for (const char* ch : {"A", "蛍"}) {
    SCOPED_TRACE(ch);
    const Bitmap r = Fetch(regular.dc(), Code(ch), GGO_GRAY8_BITMAP);
    const Bitmap b = Fetch(bold.dc(), Code(ch), GGO_GRAY8_BITMAP);
    EXPECT_GT(b.gm.gmCellIncX, r.gm.gmCellIncX);
    // The ink grows to the right.
    EXPECT_GT(b.gm.gmptGlyphOrigin.x + static_cast<LONG>(b.gm.gmBlackBoxX),
              r.gm.gmptGlyphOrigin.x + static_cast<LONG>(r.gm.gmBlackBoxX));
    EXPECT_GT(Ink(b), Ink(r) * 11 / 10);
  }
  EXPECT_GT(bold.Extent("ABC"), regular.Extent("ABC"));
}

TEST(GdiSynthesis, ItalicSlantsToTheRight) {
  FontDc upright("IPAGothic", -64);
  FontDc italic("IPAGothic", -64, FW_NORMAL, true);
  const Bitmap u = Fetch(upright.dc(), Code("|"), GGO_GRAY8_BITMAP);
  const Bitmap i = Fetch(italic.dc(), Code("|"), GGO_GRAY8_BITMAP);
  const UINT uq = u.gm.gmBlackBoxY / 4, iq = i.gm.gmBlackBoxY / 4;
  const double uprightLean =
      InkCentreX(u, 0, uq) - InkCentreX(u, u.gm.gmBlackBoxY - uq, u.gm.gmBlackBoxY);
  const double italicLean =
      InkCentreX(i, 0, iq) - InkCentreX(i, i.gm.gmBlackBoxY - iq, i.gm.gmBlackBoxY);
  EXPECT_NEAR(uprightLean, 0.0, 1.0);
  // tan(12 degrees) over three quarters of a bar of some 60 pixels: about 9 pixels.
  EXPECT_GT(italicLean, 6.0);
  EXPECT_EQ(i.gm.gmCellIncX, u.gm.gmCellIncX);
  EXPECT_NE(italic.Metrics().tmItalic, 0);
}

TEST(GdiExtent, WidthsAddUpOverCharacters) {
  FontDc f("IPAPGothic", -24);
  const std::string a = codepage::Utf8ToSjis("Night");
  const std::string b = codepage::Utf8ToSjis("蛍の光ｱｲ");
  EXPECT_EQ(f.Extent(a + b), f.Extent(a) + f.Extent(b));
  LONG sum = 0;
  for (const char* ch : {"蛍", "の", "光", "ｱ", "ｲ"}) {
    sum += Fetch(f.dc(), Code(ch), GGO_GRAY8_BITMAP).gm.gmCellIncX;
  }
  EXPECT_EQ(f.Extent(b), sum);
  SIZE size;
  ASSERT_NE(GetTextExtentPoint32A(f.dc(), "", 0, &size), 0);
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, f.Metrics().tmHeight);
  // A lead byte at the end is measured on its own, not joined with what follows in memory.
  const std::string tail = "A\x82";
  EXPECT_EQ(f.Extent(tail), f.Extent("A") + f.Extent("\x82"));
}

TEST(GdiGlyphs, JapaneseGlyphHasPlausibleInkAndPlacement) {
  FontDc f("IPAMincho", -32);
  const TEXTMETRICA tm = f.Metrics();
  const Bitmap b = Fetch(f.dc(), Code("蛍"), GGO_GRAY8_BITMAP);
  EXPECT_GE(b.gm.gmBlackBoxX, 20u);
  EXPECT_LE(b.gm.gmBlackBoxX, 33u);
  EXPECT_GE(b.gm.gmBlackBoxY, 20u);
  EXPECT_LE(b.gm.gmBlackBoxY, 33u);
  EXPECT_EQ(b.gm.gmCellIncX, 32);
  // The box sits between the ascent and the descent.
  EXPECT_LE(b.gm.gmptGlyphOrigin.y, tm.tmAscent);
  EXPECT_GE(b.gm.gmptGlyphOrigin.y - static_cast<LONG>(b.gm.gmBlackBoxY), -tm.tmDescent);
  const double fill = static_cast<double>(Ink(b)) / (64.0 * b.gm.gmBlackBoxX * b.gm.gmBlackBoxY);
  EXPECT_GT(fill, 0.15);
  EXPECT_LT(fill, 0.8);
}

TEST(GdiGlyphs, SameFontGivesTheSameBytes) {
  FontDc first("IPAGothic", -28, FW_BOLD, true);
  FontDc second("IPAGothic", -28, FW_BOLD, true);
  for (const char* ch : {"蛍", "g", "ぷ"}) {
    const Bitmap a = Fetch(first.dc(), Code(ch), GGO_GRAY8_BITMAP);
    const Bitmap b = Fetch(second.dc(), Code(ch), GGO_GRAY8_BITMAP);
    EXPECT_EQ(a.bits, b.bits);
    EXPECT_EQ(a.gm.gmptGlyphOrigin.x, b.gm.gmptGlyphOrigin.x);
    EXPECT_EQ(a.gm.gmptGlyphOrigin.y, b.gm.gmptGlyphOrigin.y);
  }
}

Bitmap FetchW(HDC dc, char32_t codePoint) {
  return Fetch(dc, codePoint, GGO_GRAY8_BITMAP, true);
}

// A character the face lacks (Korean, an emoji: none in the IPA faces) is drawn and measured
// from an installed face that has it, at the same size; the face's own characters stay its
// own. A character no face has keeps the face's default glyph.
TEST(GdiFallback, CharactersTheFaceLacksComeFromAFaceThatHasThem) {
  FontDc f("IPAPGothic", -32, FW_BOLD);
  const Bitmap missing = FetchW(f.dc(), 0x10FFFD);  // private use: in no face
  for (const char32_t codePoint : {U'\uD55C', U'\uAE00', U'\U0001F3B5'}) {
    SCOPED_TRACE(static_cast<int>(codePoint));
    const Bitmap b = FetchW(f.dc(), codePoint);
    EXPECT_GT(Ink(b), 64 * 40);
    EXPECT_NE(b.bits, missing.bits);
    EXPECT_GE(b.gm.gmCellIncX, 20);
    EXPECT_LE(b.gm.gmCellIncX, 48);
    std::u16string text;
    if (codePoint < 0x10000) {
      text += static_cast<char16_t>(codePoint);
    } else {
      text += static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    }
    SIZE size;
    ASSERT_NE(GetTextExtentPoint32W(f.dc(), text.data(), static_cast<int>(text.size()), &size), 0);
    EXPECT_EQ(size.cx, b.gm.gmCellIncX);
  }
  EXPECT_EQ(FetchW(f.dc(), U'蛍').bits, Fetch(f.dc(), Code("蛍"), GGO_GRAY8_BITMAP).bits);
  EXPECT_EQ(f.Face(), "IPAPGothic");
}
