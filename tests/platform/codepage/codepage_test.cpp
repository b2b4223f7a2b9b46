#include "platform/codepage/codepage.h"

#include <gtest/gtest.h>

using namespace codepage;

TEST(Codepage, RoundTripsJapaneseThroughShiftJis) {
  const std::u16string text = u"鬼に金棒、ＡＢＣ abc ｱｲｳ";
  const std::string sjis = Utf16ToSjis(text);
  // 鬼 is 0x8B 0x53 in code page 932; the half-width katakana are single bytes.
  EXPECT_EQ(static_cast<unsigned char>(sjis[0]), 0x8B);
  EXPECT_EQ(static_cast<unsigned char>(sjis[1]), 0x53);
  EXPECT_EQ(SjisToUtf16(sjis), text);
  EXPECT_EQ(Utf8ToSjis("ｱ"), std::string("\xB1"));
}

TEST(Codepage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  // Hangul and an astral-plane emoji are not in code page 932; each is one '?'.
  EXPECT_EQ(Utf16ToSjis(u"a한b😀c"), "a?b?c");
  // A lone surrogate never stops the conversion.
  const std::u16string lone{u'x', static_cast<char16_t>(0xD800), u'y'};
  EXPECT_EQ(Utf16ToSjis(lone), "x?y");
}

TEST(Codepage, InvalidBytesDecodeAsReplacementCharacters) {
  // A lead byte at the very end, a lead byte with an invalid trail, and an unassigned byte.
  EXPECT_EQ(SjisToUtf16("ab\x82"), u"ab\uFFFD");
  EXPECT_EQ(SjisToUtf16(std::string("\x82\x00z", 3)).back(), u'z');
  const std::u16string decoded = SjisToUtf16("\xA0\x82\xA0ok");
  EXPECT_EQ(decoded.substr(decoded.size() - 2), u"ok");
  EXPECT_NE(decoded.find(u'\uFFFD'), std::u16string::npos);
}

TEST(Codepage, Utf8DecodingSurvivesJunk) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xE0\x80\x80z"), u"\uFFFD\uFFFD\uFFFDz");  // overlong
  EXPECT_EQ(Utf16ToUtf8(u"😀"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"😀");
}
