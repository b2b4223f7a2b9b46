// The built-in catalogue: its shape, its readings and speech strings, and lookups by number.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/codepage/codepage.h"
#include "rules/catalogue.h"

namespace {

std::u16string U(const char* utf8) { return codepage::Utf8ToUtf16(utf8); }

bool IsHiragana(char16_t c) { return c >= u'\u3041' && c <= u'\u3096'; }

bool IsProsodyMark(char16_t c) { return c == u'\'' || c == u'/' || c == u'、' || c == u'。'; }

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildMondaiTable(catalogue); }
  TCatalogue catalogue;
};

TEST_F(CatalogueTest, HasTheBuiltInShape) {
  EXPECT_EQ(catalogue.SpeechList.size(), 171u);
  EXPECT_EQ(catalogue.TuikaCount, 0);
  EXPECT_EQ(catalogue.MondaiCount(), 170);
  EXPECT_TRUE(catalogue.MondaiTable[0].empty());
  EXPECT_TRUE(catalogue.SpeechList[0].empty());
  int secondForms = 0;
  for (int i = 1; i <= 170; ++i) {
    EXPECT_FALSE(catalogue.MondaiTable[i].empty()) << i;
    EXPECT_FALSE(catalogue.MondaiTable[170 + i].empty()) << i;
    if (!catalogue.MondaiTable[340 + i].empty()) {
      ++secondForms;
      EXPECT_NE(catalogue.MondaiTable[340 + i], catalogue.MondaiTable[170 + i]) << i;
    }
  }
  EXPECT_EQ(secondForms, 25);
}

TEST_F(CatalogueTest, EveryProverbHasItsOwnShortMeaningAndGloss) {
  std::set<std::u16string> meanings, glosses;
  for (int i = 1; i <= 170; ++i) {
    const std::u16string& imi = catalogue.Imi(i);
    const std::u16string& gloss = catalogue.Gloss(i);
    // One plain sentence that fits beneath the answer.
    EXPECT_GE(imi.size(), 8u) << i;
    EXPECT_LE(imi.size(), 40u) << i;
    EXPECT_EQ(imi.back(), u'。') << i;
    EXPECT_EQ(imi.find(u'\n'), std::u16string::npos) << i;
    // A short English gloss in plain ASCII.
    EXPECT_GE(gloss.size(), 10u) << i;
    EXPECT_LE(gloss.size(), 70u) << i;
    for (char16_t c : gloss) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << i;
    // A meaning that merely repeats the proverb explains nothing.
    EXPECT_EQ(imi.find(catalogue.Seikai(i)), std::u16string::npos) << i;
    meanings.insert(imi);
    glosses.insert(gloss);
  }
  // Two proverbs with one text would be a line slipped out of step with the catalogue.
  EXPECT_EQ(meanings.size(), 170u);
  EXPECT_EQ(glosses.size(), 170u);
  EXPECT_EQ(catalogue.Gloss(1), u"Strong already, and stronger still with the right help.");
  EXPECT_EQ(catalogue.Gloss(147), u"Time flies like an arrow.");
  EXPECT_EQ(catalogue.Imi(0), u"");
  EXPECT_EQ(catalogue.Imi(171), u"");
}

TEST_F(CatalogueTest, ReadingsFitTheCharacterSlotsAndAreHiragana) {
  for (int i = 1; i <= 170; ++i) {
    const std::u16string& reading = catalogue.MondaiTable[i];
    EXPECT_LE(reading.size(), 39u) << i;
    if (i > 166) continue;
    for (char16_t c : reading) EXPECT_TRUE(IsHiragana(c)) << "proverb " << i;
    // A written form that is pure hiragana must be the reading itself.
    const std::u16string& seikai = catalogue.MondaiTable[170 + i];
    bool allHiragana = true;
    for (char16_t c : seikai) allHiragana = allHiragana && IsHiragana(c);
    if (allHiragana) {
      EXPECT_EQ(seikai, reading) << i;
    }
  }
}

TEST_F(CatalogueTest, EnglishSentencesAreTheirOwnAnswerAndAreNeverSpoken) {
  for (int i = 167; i <= 170; ++i) {
    EXPECT_EQ(catalogue.MondaiTable[i], catalogue.MondaiTable[170 + i]) << i;
    EXPECT_TRUE(catalogue.MondaiTable[340 + i].empty()) << i;
    EXPECT_TRUE(catalogue.SpeechList[i].empty()) << i;
    for (char16_t c : catalogue.MondaiTable[i]) EXPECT_LT(c, 0x80) << i;
  }
  EXPECT_EQ(catalogue.MondaiTable[167], u"The die is cast.");
  EXPECT_EQ(catalogue.MondaiTable[168], u"I think,therefore I am.");
}

TEST_F(CatalogueTest, SpecialEntries) {
  // Proverb 59 has no kanji: its written form is its reading.
  EXPECT_EQ(catalogue.MondaiTable[59], U("あばたもえくぼ"));
  EXPECT_EQ(catalogue.MondaiTable[170 + 59], catalogue.MondaiTable[59]);
  EXPECT_EQ(catalogue.MondaiTable[1], U("おににかなぼう"));
  EXPECT_EQ(catalogue.MondaiTable[171], U("鬼に金棒"));
  EXPECT_EQ(catalogue.MondaiTable[340 + 4], U("玉に瑕"));
  EXPECT_EQ(catalogue.MondaiTable[340 + 48], U("一攫千金"));
  EXPECT_EQ(catalogue.MondaiTable[340 + 165], U("虎穴に入らずんば虎子を得ず"));
  EXPECT_EQ(catalogue.MondaiTable[170 + 165], U("虎穴に入らずんば虎児を得ず"));
  EXPECT_EQ(catalogue.MondaiTable[166], U("ひかれもののこうた"));
}

TEST_F(CatalogueTest, TellingSpeechStrings) {
  EXPECT_EQ(catalogue.SpeechList[1], U("おに'に/かな'ぼう"));
  EXPECT_EQ(catalogue.SpeechList[6], catalogue.MondaiTable[6]);
  EXPECT_EQ(catalogue.SpeechList[15], U("たび'わみちずれ、よ'わなさけ"));
  EXPECT_EQ(catalogue.SpeechList[16], U("ももくり/さんねん、かきはち'ねん"));
  EXPECT_EQ(catalogue.SpeechList[18], U("かえ'るの/こ'わ/かえ'る"));
  EXPECT_EQ(catalogue.SpeechList[43], U("かべにみみ'あり。しょうじにめ'あり"));
  EXPECT_EQ(catalogue.SpeechList[44], U("か'めのこおより/としのこ'お"));
  EXPECT_EQ(catalogue.SpeechList[51], U("の'おあるたかわ/つめをかく'す"));
}

// Every speech string says its reading: without the marks it is the reading, except that
// は may be said わ, づ ず and う お.
TEST_F(CatalogueTest, SpeechStringsSayTheReading) {
  for (int i = 1; i <= 166; ++i) {
    const std::u16string& reading = catalogue.MondaiTable[i];
    const std::u16string& speech = catalogue.SpeechList[i];
    std::u16string sounds;
    for (char16_t c : speech) {
      if (!IsProsodyMark(c)) sounds.push_back(c);
    }
    ASSERT_EQ(sounds.size(), reading.size()) << "proverb " << i;
    for (size_t k = 0; k < reading.size(); ++k) {
      const char16_t written = reading[k];
      const char16_t said = sounds[k];
      const bool allowed = said == written || (written == u'は' && said == u'わ') ||
                           (written == u'づ' && said == u'ず') ||
                           (written == u'う' && said == u'お');
      EXPECT_TRUE(allowed) << "proverb " << i << " at " << k;
    }
  }
}

// Marks are well formed: no empty accent phrase, at most one accent per phrase, never an
// accent before the phrase's first mora, and no mark at either end except a final accent.
TEST_F(CatalogueTest, SpeechMarksAreWellFormed) {
  for (int i = 1; i <= 166; ++i) {
    const std::u16string& speech = catalogue.SpeechList[i];
    ASSERT_FALSE(speech.empty()) << i;
    EXPECT_NE(speech.front(), u'\'') << i;
    EXPECT_NE(speech.front(), u'/') << i;
    EXPECT_NE(speech.back(), u'/') << i;
    EXPECT_NE(speech.back(), u'、') << i;
    int accents = 0;
    size_t phraseLength = 0;
    char16_t previous = 0;
    for (char16_t c : speech) {
      if (c == u'/' || c == u'、' || c == u'。') {
        EXPECT_GT(phraseLength, 0u) << "empty phrase in proverb " << i;
        accents = 0;
        phraseLength = 0;
      } else if (c == u'\'') {
        EXPECT_GT(phraseLength, 0u) << "accent before a mora in proverb " << i;
        // っ, ん and ー never carry the accent: it falls on the mora before them.
        EXPECT_TRUE(previous != u'っ' && previous != u'ん' && previous != u'ー')
            << "accent after a special mora in proverb " << i;
        EXPECT_EQ(++accents, 1) << "two accents in one phrase of proverb " << i;
      } else {
        ++phraseLength;
      }
      previous = c;
    }
  }
}

TEST_F(CatalogueTest, LookupsByNumber) {
  ASSERT_EQ(AppendTuikaMondai(catalogue, U("てすと"), U("手素都")), 171);
  EXPECT_EQ(catalogue.Reading(1), catalogue.MondaiTable[1]);
  EXPECT_EQ(catalogue.Seikai(1), catalogue.MondaiTable[171]);
  EXPECT_EQ(catalogue.Seikai2(4), catalogue.MondaiTable[344]);
  EXPECT_EQ(catalogue.Speech(1), catalogue.SpeechList[1]);
  EXPECT_EQ(catalogue.Reading(170), catalogue.MondaiTable[170]);
  // The additional question: one written form, its reading spoken as it stands.
  EXPECT_EQ(catalogue.Reading(171), U("てすと"));
  EXPECT_EQ(catalogue.Seikai(171), U("手素都"));
  EXPECT_TRUE(catalogue.Seikai2(171).empty());
  EXPECT_EQ(catalogue.Speech(171), U("てすと"));
  // Numbers outside the catalogue read as empty.
  for (int bad : {0, -1, 172, 510, 100000}) {
    EXPECT_FALSE(catalogue.IsMondaiNo(bad)) << bad;
    EXPECT_TRUE(catalogue.Reading(bad).empty()) << bad;
    EXPECT_TRUE(catalogue.Seikai(bad).empty()) << bad;
    EXPECT_TRUE(catalogue.Seikai2(bad).empty()) << bad;
    EXPECT_TRUE(catalogue.Speech(bad).empty()) << bad;
  }
}

TEST_F(CatalogueTest, AppendKeepsTheListsTogether) {
  EXPECT_EQ(AppendTuikaMondai(catalogue, U("いち"), U("一")), 171);
  EXPECT_EQ(AppendTuikaMondai(catalogue, U("に"), U("二")), 172);
  EXPECT_EQ(catalogue.TuikaCount, 2);
  EXPECT_EQ(catalogue.SpeechList.size(), 173u);
  EXPECT_EQ(catalogue.TuikaMondaiList.size(), 2u);
  EXPECT_EQ(catalogue.TuikaSeikaiList.size(), 2u);
  EXPECT_EQ(catalogue.TuikaShutsudai.size(), 2u);
  EXPECT_EQ(catalogue.TuikaShutsudai[1], 0);
  EXPECT_EQ(catalogue.SpeechList[172], U("に"));

  // A reading the 39 character slots cannot hold, or a blank text, is refused whole.
  EXPECT_EQ(AppendTuikaMondai(catalogue, std::u16string(40, u'あ'), U("長")), 0);
  EXPECT_EQ(AppendTuikaMondai(catalogue, U("よみ"), U("　")), 0);
  EXPECT_EQ(AppendTuikaMondai(catalogue, u"", U("空")), 0);
  EXPECT_EQ(catalogue.TuikaCount, 2);
  EXPECT_EQ(catalogue.SpeechList.size(), 173u);

  // Rebuilding the built-in part drops the additional questions.
  BuildMondaiTable(catalogue);
  EXPECT_EQ(catalogue.TuikaCount, 0);
  EXPECT_TRUE(catalogue.TuikaMondaiList.empty());
  EXPECT_EQ(catalogue.SpeechList.size(), 171u);
}

}  // namespace
