// The pitch each mora gets from the marks, worked out by hand; the words espeak-ng is given for
// it; and that nothing but kana reaches the voice for a Japanese text.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/codepage/codepage.h"
#include "platform/speech/aquestalk.h"
#include "platform/speech/speech_markup.h"
#include "rules/catalogue.h"

namespace {

using speechstandin::PlanPitch;
using speechstandin::TMora;

// The plan written out: each mora's kana and H or L; "/" starts a phrase, "、" and "。" a
// phrase after a short or a long pause.
std::string Written(const std::vector<TMora>& plan) {
  std::string out;
  for (const TMora& mora : plan) {
    if (mora.StartsPhrase && !out.empty()) {
      out += mora.PauseBeforeMs == speechstandin::kLongPauseMs    ? "。"
             : mora.PauseBeforeMs == speechstandin::kShortPauseMs ? "、"
                                                                  : "/";
    }
    out += codepage::Utf16ToUtf8(mora.Kana) + (mora.High ? "H" : "L");
  }
  return out;
}

struct PlanCase {
  const char16_t* Speech;
  const char* Plan;
};

TEST(PitchPlan, HandWorkedTable) {
  const PlanCase cases[] = {
      // heiban: low, then high to the end
      {u"たなからぼたもち", "たLなHかHらHぼHたHもHちH"},
      // atamadaka: high, then low
      {u"か'めのこおより", "かHめLのLこLおLよLりL"},
      // nakadaka, and each phrase starting over
      {u"おに'に/かな'ぼう", "おLにHにL/かLなHぼLうL"},
      {u"さ'るも/き'から/おち'る", "さHるLもL/きHかLらL/おLちHるL"},
      // a short pause, a long pause
      {u"ももくり/さんねん、かきはち'ねん", "もLもHくHりH/さLんHねHんH、かLきHはHちHねLんL"},
      {u"かべにみみ'あり。しょうじにめ'あり", "かLべHにHみHみHあLりL。しょLうHじHにHめHあLりL"},
      // small kana join the kana before them
      {u"きゅ'うそ", "きゅHうLそL"},
      {u"ひゃくばい", "ひゃLくHばHいH"},
      // っ, ん and ー are morae of their own
      {u"か'って", "かHっLてL"},
      {u"いっかく", "いLっHかHくH"},
      {u"た'んき", "たHんLきL"},
      {u"ら'ーめん", "らHーLめLんL"},
      {u"らーめん", "らLーHめHんH"},
      // the accent on the last mora: odaka, high to the end of its phrase
      {u"はな'/より", "はLなH/よLりH"},
      // a mark with no mora before it is ignored; only a phrase's first accent counts
      {u"'あい", "あLいH"},
      {u"あ'い'う", "あHいLうL"},
      // empty phrases and marks alone give nothing
      {u"/、。'", ""},
      // kanji and Latin letters are left out, katakana kept
      {u"猫にこばんABC", "にLこHばHんH"},
      {u"ネコ'に", "ネLコHにL"},
  };
  for (const PlanCase& c : cases) {
    EXPECT_EQ(Written(PlanPitch(c.Speech)), c.Plan) << codepage::Utf16ToUtf8(c.Speech);
  }
}

// An additional question's speech string is its reading: one heiban phrase, unless the reading
// carries marks, which are spoken but not typed.
TEST(PitchPlan, AnAdditionalQuestionIsOneHeibanPhraseUnlessMarked) {
  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  const std::int32_t plain = AppendTuikaMondai(catalogue, u"ねこにこばん", u"猫に小判");
  const std::int32_t marked = AppendTuikaMondai(catalogue, u"ね'こに/こばん", u"猫に小判");
  EXPECT_EQ(Written(PlanPitch(catalogue.Speech(plain))), "ねLこHにHこHばHんH");
  EXPECT_EQ(Written(PlanPitch(catalogue.Speech(marked))), "ねHこLにL/こLばHんH");
  // The marks are spoken, not typed.
  EXPECT_EQ(catalogue.Reading(marked), u"ねこにこばん");
}

std::vector<std::u16string> WordsOf(std::u16string_view speech) {
  const auto plan = PlanPitch(speech);
  std::vector<std::u16string> words;
  for (const auto& word : speechstandin::ToSpeechMarkup(plan).Words) {
    words.emplace_back();
    for (std::size_t index : word) words.back() += plan[index].Kana;
  }
  return words;
}

// espeak-ng turns pitch only between words: a word is a run of one pitch in one phrase, but
// ー never starts a word and っ never ends one.
TEST(SpeechMarkup, WordsFollowThePitchAndKeepSpecialMoraeSpoken) {
  using W = std::vector<std::u16string>;
  EXPECT_EQ(WordsOf(u"さ'るも/き'から/おち'る"),
            (W{u"さ", u"るも", u"き", u"から", u"お", u"ち", u"る"}));
  EXPECT_EQ(WordsOf(u"たなからぼたもち"), (W{u"た", u"なからぼたもち"}));
  EXPECT_EQ(WordsOf(u"ら'ーめん"), (W{u"らー", u"めん"}));
  EXPECT_EQ(WordsOf(u"いっかく"), (W{u"い", u"っかく"}));
  EXPECT_EQ(WordsOf(u"あっ'た"), (W{u"あった"}));  // not "あっ" with a glottal stop
  EXPECT_EQ(WordsOf(u"は'ち/はち"), (W{u"は", u"ち", u"は", u"ち"}));
}

// What espeak-ng reads between the tags of the markup.
std::string SpokenText(const std::string& input) {
  return std::regex_replace(input, std::regex("<[^>]*>"), "");
}

bool OnlyKana(const std::string& utf8) {
  for (char16_t c : codepage::Utf8ToUtf16(utf8)) {
    if (c != u' ' && !speechstandin::IsKana(c)) return false;
  }
  return true;
}

TEST(SpeechMarkup, NothingButKanaReachesTheVoice) {
  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  int japanese = 0;
  for (std::int32_t n = 1; n <= kBuiltInMondaiCount; ++n) {
    const std::u16string& speech = catalogue.Speech(n);
    if (speech.empty()) continue;
    ++japanese;
    const std::string input = speechstandin::SynthesisInput(speech);
    EXPECT_TRUE(OnlyKana(SpokenText(input))) << n << ": " << input;
  }
  EXPECT_EQ(japanese, 166);
  for (const char16_t* mixed : {u"猿もきからおちる", u"ねこにこばんABC", u"いち、2、さん"}) {
    const std::string spoken = SpokenText(speechstandin::SynthesisInput(mixed));
    EXPECT_TRUE(OnlyKana(spoken)) << spoken;
    EXPECT_FALSE(spoken.empty());
  }
  // A text without kana is an English sentence and is read as it stands.
  EXPECT_EQ(speechstandin::SynthesisInput(u"The die is cast."), "The die is cast.");
}

}  // namespace
