// The drawing-surface font and canvas: sizes in points, style changes, measuring.
#include <gtest/gtest.h>

#include "platform/codepage/codepage.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/font.h"

using namespace gdi;

TEST(GdiFont, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(18, 96, 72), 24);
  EXPECT_EQ(MulDiv(11, 96, 72), 15);  // 14.67
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(5, 2, 0), -1);
}

TEST(GdiFont, PointsConvertAtNinetySixDpi) {
  TFont font;
  font.SetSize(18);
  EXPECT_EQ(font.Height(), -24);
  EXPECT_EQ(font.Size(), 18);
  font.SetSize(11);
  EXPECT_EQ(font.Height(), -15);
  EXPECT_EQ(font.Size(), 11);
  font.SetHeight(32);  // a cell height reads back as a negative size
  EXPECT_EQ(font.Size(), -24);
}

TEST(GdiFont, PropertiesMakeTheLogFontAndAssignCopiesThem) {
  TFont source;
  source.SetName(codepage::Utf8ToSjis("IPA明朝"));
  source.SetHeight(-32);
  source.SetStyle(fsBold | fsItalic | 0x30);  // bits beyond the four styles are dropped
  source.SetCharset(SHIFTJIS_CHARSET);
  source.SetColor(0xFFFFFF);
  TFont copy;
  copy.Assign(source);
  EXPECT_EQ(copy.Name(), source.Name());
  EXPECT_EQ(copy.Style(), fsBold | fsItalic);
  EXPECT_EQ(copy.Color(), 0xFFFFFFu);
  const LOGFONTA log = copy.Log();
  EXPECT_EQ(log.lfHeight, -32);
  EXPECT_EQ(log.lfWeight, FW_BOLD);
  EXPECT_EQ(log.lfItalic, 1);
  EXPECT_EQ(log.lfUnderline, 0);
  EXPECT_EQ(log.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(FaceName(log), source.Name());
  // A change realises a new font; an unchanged property keeps the old one.
  HFONT first = copy.Handle();
  ASSERT_NE(first, nullptr);
  copy.SetHeight(-32);
  EXPECT_EQ(copy.Handle(), first);
  copy.SetStyle(fsBold);
  EXPECT_EQ(copy.Handle()->Log.lfItalic, 0);
}

TEST(GdiCanvas, MeasuresWithTheFontAsItIsNow) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(TPixelFormat::pf24bit);
  bitmap.SetWidth(4);
  bitmap.SetHeight(4);
  ASSERT_NE(bitmap.Handle(), nullptr);
  EXPECT_EQ(bitmap.Handle()->BitsPerPixel, 24u);
  TCanvas& canvas = bitmap.Canvas();
  canvas.Font().SetName("IPAGothic");
  canvas.Font().SetCharset(SHIFTJIS_CHARSET);
  canvas.Font().SetHeight(-32);
  const std::string text = codepage::Utf8ToSjis("蛍の光");
  EXPECT_EQ(canvas.TextWidth(text), 96);  // three full-width characters of a 32-pixel em
  const int regularHeight = canvas.TextHeight(text);
  EXPECT_GE(regularHeight, 32);
  // Changing the font while it is selected: the canvas picks up the new one.
  canvas.Font().SetStyle(fsBold);
  EXPECT_GT(canvas.TextWidth(text), 96);
  canvas.Font().SetSize(18);
  canvas.Font().SetStyle(0);
  EXPECT_EQ(canvas.TextWidth(codepage::Utf8ToSjis("あ")), 24);
  EXPECT_EQ(canvas.TextWidth(""), 0);
}
