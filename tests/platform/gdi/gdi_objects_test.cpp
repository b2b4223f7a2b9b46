// Object, context and failure contracts of the GDI font stand-in; families and icon-title font.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/codepage/codepage.h"
#include "platform/gdi/gdi.h"

using namespace gdi;

namespace {

LOGFONTA Log(const char* face, LONG height) {
  LOGFONTA log;
  log.lfHeight = height;
  log.lfWeight = FW_NORMAL;
  log.lfCharSet = SHIFTJIS_CHARSET;
  SetFaceName(log, face);
  return log;
}

}  // namespace

TEST(GdiObjects, SelectReturnsThePreviousObjectAndGuardsDeletion) {
  const LOGFONTA log = Log("IPAGothic", -20);
  HFONT font = CreateFontIndirectA(&log);
  ASSERT_NE(font, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  // The context starts with its own font, which DeleteObject leaves alone.
  HGDIOBJ original = SelectObject(dc, font);
  ASSERT_NE(original, nullptr);
  EXPECT_NE(original, font);
  EXPECT_EQ(DeleteObject(font), 0) << "a selected font is not deleted";
  TEXTMETRICA tm;
  EXPECT_NE(GetTextMetricsA(dc, &tm), 0) << "and stays usable";
  // Another context cannot take this context's default font.
  HDC other = CreateCompatibleDC(dc);
  EXPECT_EQ(SelectObject(other, original), nullptr);
  // A font, unlike a bitmap, may be selected into several contexts at once.
  EXPECT_NE(SelectObject(other, font), nullptr);
  EXPECT_EQ(DeleteDC(other), 1);
  EXPECT_EQ(DeleteObject(font), 0) << "still selected into the first context";
  EXPECT_EQ(SelectObject(dc, original), font);
  EXPECT_EQ(DeleteObject(font), 1);
  LOGFONTA back;
  EXPECT_EQ(GetObjectA(original, sizeof(back), &back), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(DeleteDC(dc), 1);
}

TEST(GdiObjects, BitmapIsSelectedIntoOneContextAtATime) {
  UniqueBitmap bitmap(CreateBitmap(4, 4, 1, 24, nullptr));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Bits.size(), 4u * 12u);
  UniqueDc first(CreateCompatibleDC(nullptr));
  UniqueDc second(CreateCompatibleDC(nullptr));
  HGDIOBJ old = SelectObject(first.get(), bitmap.get());
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(SelectObject(second.get(), bitmap.get()), nullptr);
  EXPECT_EQ(DeleteObject(bitmap.get()), 0);
  SelectObject(first.get(), old);
  EXPECT_NE(SelectObject(second.get(), bitmap.get()), nullptr);
  first.reset();
  second.reset();  // deselects; the bitmap is then deleted by its owner
  EXPECT_EQ(CreateBitmap(0, 4, 1, 24, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(4, 4, 1, 7, nullptr), nullptr);
}

TEST(GdiObjects, GlyphRequestsReportFailures) {
  const LOGFONTA log = Log("IPAGothic", -20);
  UniqueFont font(CreateFontIndirectA(&log));
  UniqueDc dc(CreateCompatibleDC(nullptr));
  HGDIOBJ old = SelectObject(dc.get(), font.get());
  GLYPHMETRICS gm;
  const MAT2 identity = IdentityMat2();
  EXPECT_EQ(GetGlyphOutlineA(dc.get(), 'A', GGO_GRAY8_BITMAP, &gm, 0, nullptr, nullptr), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineA(dc.get(), 'A', GGO_GRAY8_BITMAP, nullptr, 0, nullptr, &identity),
            GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineA(nullptr, 'A', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity),
            GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineA(dc.get(), 'A', GGO_NATIVE, &gm, 0, nullptr, &identity), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineA(dc.get(), 0x12345, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity),
            GDI_ERROR);
  const DWORD size = GetGlyphOutlineA(dc.get(), 'A', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
  ASSERT_GT(size, 4u);
  std::vector<BYTE> small(size - 1, 0xEE);
  EXPECT_EQ(
      GetGlyphOutlineA(dc.get(), 'A', GGO_GRAY8_BITMAP, &gm, size - 1, small.data(), &identity),
      GDI_ERROR);
  EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](BYTE b) { return b == 0xEE; }))
      << "a refused buffer is left untouched";
  // Metrics only, and the same metrics as the bitmap request.
  GLYPHMETRICS only;
  EXPECT_EQ(GetGlyphOutlineA(dc.get(), 'A', GGO_METRICS, &only, 0, nullptr, &identity), 0u);
  EXPECT_EQ(only.gmBlackBoxX, gm.gmBlackBoxX);
  EXPECT_EQ(only.gmCellIncX, gm.gmCellIncX);
  // Codes the face lacks (or invalid Shift-JIS) still give the default glyph, not a failure.
  EXPECT_NE(GetGlyphOutlineA(dc.get(), 0x82FF, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity),
            GDI_ERROR);
  // Sizes beyond any screen are refused rather than rendered.
  const LOGFONTA huge = Log("IPAGothic", -100000);
  UniqueFont hugeFont(CreateFontIndirectA(&huge));
  SelectObject(dc.get(), hugeFont.get());
  TEXTMETRICA tm;
  EXPECT_EQ(GetTextMetricsA(dc.get(), &tm), 0);
  EXPECT_EQ(GetGlyphOutlineA(dc.get(), 'A', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity),
            GDI_ERROR);
  SelectObject(dc.get(), old);
}

TEST(GdiObjects, MatrixScalesTheGlyph) {
  const LOGFONTA log = Log("IPAGothic", -24);
  UniqueFont font(CreateFontIndirectA(&log));
  UniqueDc dc(CreateCompatibleDC(nullptr));
  HGDIOBJ old = SelectObject(dc.get(), font.get());
  GLYPHMETRICS plain, doubled;
  const MAT2 identity = IdentityMat2();
  const MAT2 twice{{0, 2}, {0, 0}, {0, 0}, {0, 2}};
  GetGlyphOutlineA(dc.get(), 'H', GGO_GRAY8_BITMAP, &plain, 0, nullptr, &identity);
  GetGlyphOutlineA(dc.get(), 'H', GGO_GRAY8_BITMAP, &doubled, 0, nullptr, &twice);
  EXPECT_NEAR(doubled.gmCellIncX, 2 * plain.gmCellIncX, 1);
  EXPECT_NEAR(static_cast<double>(doubled.gmBlackBoxY), 2.0 * plain.gmBlackBoxY, 2.0);
  SelectObject(dc.get(), old);
}

TEST(GdiFamilies, ListHoldsLocalisedNamesSortedAndUnique) {
  const std::vector<std::string> families = InstalledFontFamilies();
  ASSERT_FALSE(families.empty());
  EXPECT_TRUE(std::is_sorted(families.begin(), families.end()));
  EXPECT_EQ(std::adjacent_find(families.begin(), families.end()), families.end());
  for (const char* name : {"IPAGothic", "IPAゴシック", "IPAMincho", "IPA明朝"}) {
    EXPECT_TRUE(std::binary_search(families.begin(), families.end(), codepage::Utf8ToSjis(name)))
        << name;
  }
  for (const auto& name : families) EXPECT_LT(name.size(), static_cast<size_t>(LF_FACESIZE));
}

TEST(GdiFamilies, IconTitleFontIsAnInstalledJapaneseFace) {
  LOGFONTA log;
  ASSERT_NE(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(log), &log, 0), 0);
  const std::vector<std::string> families = InstalledFontFamilies();
  EXPECT_TRUE(std::binary_search(families.begin(), families.end(), FaceName(log))) << FaceName(log);
  EXPECT_LT(log.lfHeight, 0);
  EXPECT_EQ(log.lfCharSet, SHIFTJIS_CHARSET);
  // The face renders Japanese.
  UniqueFont font(CreateFontIndirectA(&log));
  UniqueDc dc(CreateCompatibleDC(nullptr));
  HGDIOBJ old = SelectObject(dc.get(), font.get());
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc.get(), sizeof(face), face);
  EXPECT_EQ(FaceName(log), face) << "an installed face is used as it is";
  GLYPHMETRICS gm;
  const MAT2 identity = IdentityMat2();
  EXPECT_GT(
      GetGlyphOutlineA(dc.get(), 0x82A0 /* あ */, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity),
      0u);
  SelectObject(dc.get(), old);
  // Other actions and short buffers are refused.
  EXPECT_EQ(SystemParametersInfoA(0x0029, sizeof(log), &log, 0), 0);
  EXPECT_EQ(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, 20, &log, 0), 0);
}

TEST(GdiFamilies, FaceNamesAreCutWholeCharactersOnly) {
  LOGFONTA log;
  // 20 two-byte characters: 40 bytes, of which 15 characters (30 bytes) fit before the end.
  std::string name;
  for (int i = 0; i < 20; ++i) name += "\x82\xA0";
  SetFaceName(log, name);
  EXPECT_EQ(FaceName(log).size(), 30u);
  SetFaceName(log, "A" + name);
  EXPECT_EQ(FaceName(log).size(), 31u);
  SetFaceName(log, "IPAGothic");
  EXPECT_EQ(FaceName(log), "IPAGothic");
  EXPECT_EQ(std::strlen(log.lfFaceName), 9u);
}
