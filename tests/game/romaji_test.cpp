// Romaji typed into the answer field: the table's spellings, ん, っ, the small kana, the letters
// still pending at Enter, and edits of the field between keys (Backspace, the cursor).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "rules/catalogue.h"
#include "rules/romaji.h"

namespace {

using Cases = std::vector<std::pair<const char*, const char*>>;

std::u16string U(const char* utf8) { return codepage::Utf8ToUtf16(utf8); }
std::string Typed(const char* keys) { return codepage::Utf16ToUtf8(game::RomajiTyped(U(keys))); }

void ExpectTyped(const Cases& cases) {
  for (const auto& [keys, field] : cases) EXPECT_EQ(Typed(keys), field) << keys;
}

TEST(RomajiTest, TypesEveryCommonSpelling) {
  ExpectTyped({{"shi si", "し し"},
               {"chi ti", "ち ち"},
               {"tsu tu", "つ つ"},
               {"fu hu", "ふ ふ"},
               {"ji zi", "じ じ"},
               {"ja jya zya", "じゃ じゃ じゃ"},
               {"sha sya", "しゃ しゃ"},
               {"cha tya cya", "ちゃ ちゃ ちゃ"},
               {"je zye", "じぇ じぇ"},
               {"du di dzu", "づ ぢ dず"},
               {"hwa kwo gwi swe zwu twi dwo vye", "ふぁ くぉ ぐぃ すぇ ずぅ とぃ どぉ ゔぇ"},
               {"shya tsya wya qwa yi", "shや tsや wyあ qわ yい"},
               {"wo ye", "を いぇ"},
               {"wi whi", "うぃ うぃ"},
               {"fafifefo", "ふぁふぃふぇふぉ"},
               {"va vu", "ゔぁ ゔ"},
               {"kyakyukyo gyo sho jo cho nyo hyo byo pyo myo ryo",
                "きゃきゅきょ ぎょ しょ じょ ちょ にょ ひょ びょ ぴょ みょ りょ"},
               {"ca ci cu ce co qa", "か し く せ こ くぁ"},
               {"SaruMo", "さるも"},
               {"sarumokikaraochiru", "さるもきからおちる"},
               {"tabihamichidureyohanasake", "たびはみちづれよはなさけ"},
               {"hyoutankarakoma", "ひょうたんからこま"},
               {"sugitaruhaoyobazarugagotoshi", "すぎたるはおよばざるがごとし"}});
}

TEST(RomajiTest, MakesNWhereItCannotStartASyllable) {
  ExpectTyped({{"kanpai", "かんぱい"},
               {"kani", "かに"},
               {"kannnin", "かんにん"},
               {"nya", "にゃ"},
               {"nn", "ん"},
               {"n'", "ん"},
               {"xn", "ん"},
               {"kan'i", "かんい"},
               {"kanni", "かんい"},
               {"sannnen", "さんねん"},
               {"aun'nokokyuu", "あうんのこきゅう"},
               {"n-", "んー"},
               {"nw", "んw"},
               {"nyk", "nyk"}});
}

TEST(RomajiTest, MakesSmallTsuOfADoubledConsonant) {
  ExpectTyped({{"kitte", "きって"},
               {"tcha", "tちゃ"},
               {"maccha", "まっちゃ"},
               {"kappa", "かっぱ"},
               {"ikkyo", "いっきょ"},
               {"zutto", "ずっと"},
               {"sshi", "っし"},
               {"kkk", "っっk"},
               {"nna", "んあ"}});
}

TEST(RomajiTest, MakesSmallKanaWithXAndL) {
  ExpectTyped({{"xa li xu le xo", "ぁ ぃ ぅ ぇ ぉ"},
               {"ltu xtu xtsu ltsu", "っ っ っ っ"},
               {"xya lyu xyo", "ゃ ゅ ょ"},
               {"xwa lwa", "ゎ ゎ"},
               {"xka xke", "ヵ ヶ"}});
}

TEST(RomajiTest, TypesPunctuationAsKanaModeDoes) {
  ExpectTyped({{"ra-men", "らーめん"},
               {"a,i.", "あ、い。"},
               {"[a]", "「あ」"},
               {"e!?", "え！？"},
               {"k-", "kー"},
               {"1 2", "1 2"}});
}

TEST(RomajiTest, SettlesOnlyALoneNAtEnter) {
  ExpectTyped({{"n", "ん"},
               {"kan", "かん"},
               {"sarumok", "さるもk"},
               {"ky", "ky"},
               {"xt", "xt"},
               {"tc", "tc"},
               {"ny", "ny"},
               {"kk", "っk"},
               {"q", "q"},
               {"'", "'"}});
}

// Between keys the field may change: the next key works on whatever is before the cursor.
TEST(RomajiTest, WorksOnTheTextBeforeTheCursor) {
  struct Case {
    const char* before;
    char16_t key;
    bool keepKey;
    std::size_t erase;
    const char* insert;
  };
  const Case cases[] = {
      {"さるもk", u'i', false, 1, "き"},  // a pending letter completes a syllable
      {"さるも", u'k', false, 0, "k"},    // Backspace took the k back: it waits again
      {"き", u'a', false, 0, "あ"},       // Backspace took ゃ of きゃ: kana are not letters
      {"かn", u'k', false, 1, "んk"},     // n settles before a consonant
      {"abc", u'a', false, 3, "あbか"},   // pasted letters go with the next key
      {"かn", u'-', true, 1, "ん-"},      // the answer holds '-': it stays as typed
      {"さるもK", u'I', false, 1, "き"},  // capitals count as their letters
      {"", u'1', false, 0, "1"},
  };
  for (const Case& c : cases) {
    const game::TRomajiEdit edit = game::RomajiKey(U(c.before), c.key, c.keepKey);
    EXPECT_EQ(edit.Erase, c.erase) << c.before;
    EXPECT_EQ(codepage::Utf16ToUtf8(edit.Insert), c.insert) << c.before;
  }
  EXPECT_EQ(game::RomajiEnter(U("かn")).Erase, 1u);
  EXPECT_EQ(game::RomajiEnter(U("かn")).Insert, U("ん"));
  EXPECT_EQ(game::RomajiEnter(U("かk")).Insert, U("k"));
}

// Every character of every Japanese reading in the catalogue can be typed with three letters
// at most, so no proverb needs an input method in hiragana mode. A syllable of three letters
// ends in a vowel, so the third key is a vowel or nothing.
TEST(RomajiTest, TypesEveryKanaOfTheCatalogue) {
  std::set<char16_t> typeable;
  const std::string letters = "abcdefghijklmnopqrstuvwxyz";
  std::u16string keys;
  for (char a : letters) {
    for (char b : " " + letters) {
      for (char c : std::string(" aeiou")) {
        keys = {static_cast<char16_t>(a), static_cast<char16_t>(b), static_cast<char16_t>(c)};
        for (char16_t kana : game::RomajiTyped(keys)) typeable.insert(kana);
      }
    }
  }
  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  for (int n = 1; n <= kBuiltInMondaiCount; ++n) {
    const std::u16string& reading = catalogue.Reading(n);
    if (!game::RomajiFitsAnswer(reading)) continue;
    for (char16_t kana : reading) {
      EXPECT_TRUE(typeable.count(kana))
          << n << ": " << codepage::Utf16ToUtf8(std::u16string(1, kana));
    }
  }
}

// The fewest keys, worked by hand: ん is one n before a consonant and at the end, two before
// a vowel, y or n; っ doubles the next consonant; a contracted kana is one syllable.
TEST(RomajiTest, SpellsEachReadingWithTheFewestKeys) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"さるもきからおちる", 17},  // sarumokikaraotiru
      {"かんぱい", 6},             // kanpai
      {"かん", 3},                 // kan, and Enter
      {"かんい", 5},               // kanni
      {"はんにゃ", 7},             // hannnya
      {"きって", 5},               // kitte
      {"まっちゃ", 6},             // mattya
      {"っ", 3},                   // xtu
      {"あっ、", 5},               // axtu,
      {"きょう", 4},               // kyou
      {"しんよう", 7},             // sinnyou
      {"らーめん。", 7},           // ra-men.
      {"ゐ", 3},                   // wyi
      {"ひと　いち", 8},           // hito　iti
      {"", 0}};
  for (const auto& [reading, count] : cases) {
    const std::u16string keys = game::ShortestRomaji(U(reading));
    EXPECT_EQ(keys.size(), count) << reading << " " << codepage::Utf16ToUtf8(keys);
    EXPECT_EQ(game::RomajiTyped(keys), U(reading)) << reading;
  }
}

// Every spelling the game counts as the fewest keys really types its reading.
TEST(RomajiTest, ShortestSpellingTypesEveryReadingOfTheCatalogue) {
  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  for (int n = 1; n <= kBuiltInMondaiCount; ++n) {
    const std::u16string& reading = catalogue.Reading(n);
    if (!game::RomajiFitsAnswer(reading)) continue;
    const std::u16string keys = game::ShortestRomaji(reading);
    EXPECT_EQ(game::RomajiTyped(keys), reading) << n << ": " << codepage::Utf16ToUtf8(keys);
    EXPECT_LE(keys.size(), 3 * reading.size()) << n;
  }
}

TEST(RomajiTest, FitsOnlyAnswersWithoutLetters) {
  EXPECT_TRUE(game::RomajiFitsAnswer(U("さるもきからおちる")));
  EXPECT_TRUE(game::RomajiFitsAnswer(U("猿も木から落ちる")));
  EXPECT_TRUE(game::RomajiFitsAnswer(U("ローマは1日にして成らず。")));
  EXPECT_FALSE(game::RomajiFitsAnswer(U("The die is cast.")));
  EXPECT_FALSE(game::RomajiFitsAnswer(U("NHKのうた")));
}

}  // namespace
