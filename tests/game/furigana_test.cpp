// Furigana of the catalogue: every built-in proverb with kanji gets ruby that sits on kanji only
// and, joined with its kana, gives the reading; the hand table holds only the proverbs whose kana
// fit their reading in more than one way; the notation reads back.
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage/codepage.h"
#include "rules/catalogue.h"
#include "rules/furigana.h"

namespace game {
namespace {

// A CJK ideograph or 々, tested here apart from the game's own check; surrogate halves count as
// the extension ideographs they make up (the built-in proverbs have none).
bool IsKanjiUnit(char16_t c) {
  return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || c == u'々' ||
         (c >= 0xD800 && c <= 0xDFFF);
}

bool AllKanji(const std::u16string& text) {
  for (char16_t c : text) {
    if (!IsKanjiUnit(c)) return false;
  }
  return !text.empty();
}

bool AnyKanji(const std::u16string& text) {
  for (char16_t c : text) {
    if (IsKanjiUnit(c)) return true;
  }
  return false;
}

std::string Utf8(const std::u16string& text) { return codepage::Utf16ToUtf8(text); }

class FuriganaTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildMondaiTable(Catalogue); }
  TCatalogue Catalogue;
};

TEST_F(FuriganaTest, EveryProverbWithKanjiReadsAsItsReading) {
  int withKanji = 0;
  for (std::int32_t n = 1; n <= kBuiltInMondaiCount; ++n) {
    const std::u16string& written = Catalogue.Seikai(n);
    const TRubyText ruby = Furigana(Catalogue, n);
    if (!AnyKanji(written)) {
      EXPECT_TRUE(ruby.empty()) << n;
      continue;
    }
    ++withKanji;
    ASSERT_FALSE(ruby.empty()) << n << " " << Utf8(written);
    std::u16string bases, spoken;
    for (const TRubyRun& run : ruby) {
      bases += run.Base;
      if (run.Ruby.empty()) {
        EXPECT_FALSE(AnyKanji(run.Base)) << n << ": kanji without ruby in " << Utf8(run.Base);
        spoken += run.Base;
      } else {
        EXPECT_TRUE(AllKanji(run.Base)) << n << ": ruby over " << Utf8(run.Base);
        spoken += run.Ruby;
      }
    }
    EXPECT_EQ(Utf8(bases), Utf8(written)) << n;
    EXPECT_EQ(Utf8(spoken), Utf8(Catalogue.Reading(n))) << n;
  }
  EXPECT_GT(withKanji, 150);
}

TEST_F(FuriganaTest, TheHandTableHoldsOnlyTheProverbsTheKanaCannotSplit) {
  int entries = 0;
  for (std::int32_t n = 1; n <= kBuiltInMondaiCount; ++n) {
    const auto ways = RubyAlignments(Catalogue.Seikai(n), Catalogue.Reading(n));
    if (HandRuby(n).empty()) {
      EXPECT_EQ(ways.size(), 1u) << n << " " << Utf8(Catalogue.Seikai(n)) << " needs a hand split";
      continue;
    }
    ++entries;
    EXPECT_NE(ways.size(), 1u) << n << " splits alone; its hand entry is not needed";
    EXPECT_FALSE(ParseRubyNotation(HandRuby(n)).empty()) << n;
  }
  EXPECT_GE(entries, 1);
  EXPECT_EQ(Utf8(RubyNotation(Furigana(Catalogue, 1))), "鬼{おに}に金棒{かなぼう}");
  EXPECT_EQ(Utf8(RubyNotation(Furigana(Catalogue, 95))), "糠{ぬか}に釘{くぎ}");
}

TEST(RubyAlignmentsTest, SplitsAtTheKana) {
  struct Case {
    std::u16string written, reading, ruby;  // ruby empty: no single split
  };
  const Case cases[] = {
      {u"猫に小判", u"ねこにこばん", u"猫{ねこ}に小判{こばん}"},
      {u"人々", u"ひとびと", u"人々{ひとびと}"},
      {u"𠮟る", u"しかる", u"𠮟{しか}る"},                // a surrogate pair is one kanji
      {u"カエルの子", u"かえるのこ", u"カエルの子{こ}"},  // katakana match their hiragana
      {u"猫に小判", u"ねこのこばん", u""},                // the kana are not in the reading
      {u"鬼に金棒", u"おににかなぼう", u""},              // two ways
      {u"あいう", u"あいう", u"あいう"},
      {u"手", u"", u""},
  };
  for (const Case& c : cases) {
    const auto ways = RubyAlignments(c.written, c.reading);
    if (c.ruby.empty()) {
      EXPECT_NE(ways.size(), 1u) << Utf8(c.written);
    } else {
      ASSERT_EQ(ways.size(), 1u) << Utf8(c.written);
      EXPECT_EQ(Utf8(RubyNotation(ways[0])), Utf8(c.ruby));
      EXPECT_EQ(ParseRubyNotation(c.ruby), ways[0]) << Utf8(c.ruby);
    }
  }
}

TEST(RubyAlignmentsTest, RefusesNotationThatIsNotWellFormed) {
  for (const char16_t* bad : {u"猫{ねこ", u"猫{}に", u"に{に}", u"猫}ねこ", u"{ねこ}"}) {
    EXPECT_TRUE(ParseRubyNotation(bad).empty()) << Utf8(bad);
  }
}

}  // namespace
}  // namespace game
