#include "rules/romaji.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace game {
namespace {

// One line of the table: these letters give this kana and leave these letters pending (a
// doubled consonant gives っ and keeps one of its letters for the next syllable).
struct TRomajiEntry {
  std::string_view Roman;
  std::u16string_view Kana;
  std::string_view Pending = "";
};

// The input methods' default table for kana mode. "n" alone waits for the next key: a vowel
// or y makes な…にゃ, anything else settles it as ん.
// clang-format off
constexpr TRomajiEntry kRomajiTable[] = {
    {"a", u"あ"}, {"i", u"い"}, {"u", u"う"}, {"e", u"え"}, {"o", u"お"},
    {"ka", u"か"}, {"ki", u"き"}, {"ku", u"く"}, {"ke", u"け"}, {"ko", u"こ"},
    {"kya", u"きゃ"}, {"kyi", u"きぃ"}, {"kyu", u"きゅ"}, {"kye", u"きぇ"}, {"kyo", u"きょ"},
    {"kwa", u"くぁ"}, {"kwi", u"くぃ"}, {"kwu", u"くぅ"}, {"kwe", u"くぇ"}, {"kwo", u"くぉ"},
    {"qa", u"くぁ"}, {"qi", u"くぃ"}, {"qu", u"く"}, {"qe", u"くぇ"}, {"qo", u"くぉ"},
    {"ca", u"か"}, {"ci", u"し"}, {"cu", u"く"}, {"ce", u"せ"}, {"co", u"こ"},
    {"cha", u"ちゃ"}, {"chi", u"ち"}, {"chu", u"ちゅ"}, {"che", u"ちぇ"}, {"cho", u"ちょ"},
    {"cya", u"ちゃ"}, {"cyi", u"ちぃ"}, {"cyu", u"ちゅ"}, {"cye", u"ちぇ"}, {"cyo", u"ちょ"},
    {"ga", u"が"}, {"gi", u"ぎ"}, {"gu", u"ぐ"}, {"ge", u"げ"}, {"go", u"ご"},
    {"gya", u"ぎゃ"}, {"gyi", u"ぎぃ"}, {"gyu", u"ぎゅ"}, {"gye", u"ぎぇ"}, {"gyo", u"ぎょ"},
    {"gwa", u"ぐぁ"}, {"gwi", u"ぐぃ"}, {"gwu", u"ぐぅ"}, {"gwe", u"ぐぇ"}, {"gwo", u"ぐぉ"},
    {"sa", u"さ"}, {"si", u"し"}, {"su", u"す"}, {"se", u"せ"}, {"so", u"そ"},
    {"sha", u"しゃ"}, {"shi", u"し"}, {"shu", u"しゅ"}, {"she", u"しぇ"}, {"sho", u"しょ"},
    {"sya", u"しゃ"}, {"syi", u"しぃ"}, {"syu", u"しゅ"}, {"sye", u"しぇ"}, {"syo", u"しょ"},
    {"swa", u"すぁ"}, {"swi", u"すぃ"}, {"swu", u"すぅ"}, {"swe", u"すぇ"}, {"swo", u"すぉ"},
    {"za", u"ざ"}, {"zi", u"じ"}, {"zu", u"ず"}, {"ze", u"ぜ"}, {"zo", u"ぞ"},
    {"zya", u"じゃ"}, {"zyi", u"じぃ"}, {"zyu", u"じゅ"}, {"zye", u"じぇ"}, {"zyo", u"じょ"},
    {"zwa", u"ずぁ"}, {"zwi", u"ずぃ"}, {"zwu", u"ずぅ"}, {"zwe", u"ずぇ"}, {"zwo", u"ずぉ"},
    {"ja", u"じゃ"}, {"ji", u"じ"}, {"ju", u"じゅ"}, {"je", u"じぇ"}, {"jo", u"じょ"},
    {"jya", u"じゃ"}, {"jyi", u"じぃ"}, {"jyu", u"じゅ"}, {"jye", u"じぇ"}, {"jyo", u"じょ"},
    {"ta", u"た"}, {"ti", u"ち"}, {"tu", u"つ"}, {"te", u"て"}, {"to", u"と"},
    {"tya", u"ちゃ"}, {"tyi", u"ちぃ"}, {"tyu", u"ちゅ"}, {"tye", u"ちぇ"}, {"tyo", u"ちょ"},
    {"tsa", u"つぁ"}, {"tsi", u"つぃ"}, {"tsu", u"つ"}, {"tse", u"つぇ"}, {"tso", u"つぉ"},
    {"tha", u"てゃ"}, {"thi", u"てぃ"}, {"thu", u"てゅ"}, {"the", u"てぇ"}, {"tho", u"てょ"},
    {"twa", u"とぁ"}, {"twi", u"とぃ"}, {"twu", u"とぅ"}, {"twe", u"とぇ"}, {"two", u"とぉ"},
    {"da", u"だ"}, {"di", u"ぢ"}, {"du", u"づ"}, {"de", u"で"}, {"do", u"ど"},
    {"dya", u"ぢゃ"}, {"dyi", u"ぢぃ"}, {"dyu", u"ぢゅ"}, {"dye", u"ぢぇ"}, {"dyo", u"ぢょ"},
    {"dha", u"でゃ"}, {"dhi", u"でぃ"}, {"dhu", u"でゅ"}, {"dhe", u"でぇ"}, {"dho", u"でょ"},
    {"dwa", u"どぁ"}, {"dwi", u"どぃ"}, {"dwu", u"どぅ"}, {"dwe", u"どぇ"}, {"dwo", u"どぉ"},
    {"na", u"な"}, {"ni", u"に"}, {"nu", u"ぬ"}, {"ne", u"ね"}, {"no", u"の"},
    {"nya", u"にゃ"}, {"nyi", u"にぃ"}, {"nyu", u"にゅ"}, {"nye", u"にぇ"}, {"nyo", u"にょ"},
    {"n", u"ん"}, {"nn", u"ん"}, {"n'", u"ん"}, {"xn", u"ん"},
    {"ha", u"は"}, {"hi", u"ひ"}, {"hu", u"ふ"}, {"he", u"へ"}, {"ho", u"ほ"},
    {"hya", u"ひゃ"}, {"hyi", u"ひぃ"}, {"hyu", u"ひゅ"}, {"hye", u"ひぇ"}, {"hyo", u"ひょ"},
    {"fa", u"ふぁ"}, {"fi", u"ふぃ"}, {"fu", u"ふ"}, {"fe", u"ふぇ"}, {"fo", u"ふぉ"},
    {"hwa", u"ふぁ"}, {"hwi", u"ふぃ"}, {"hwe", u"ふぇ"}, {"hwo", u"ふぉ"},
    {"fya", u"ふゃ"}, {"fyu", u"ふゅ"}, {"fyo", u"ふょ"},
    {"ba", u"ば"}, {"bi", u"び"}, {"bu", u"ぶ"}, {"be", u"べ"}, {"bo", u"ぼ"},
    {"bya", u"びゃ"}, {"byi", u"びぃ"}, {"byu", u"びゅ"}, {"bye", u"びぇ"}, {"byo", u"びょ"},
    {"pa", u"ぱ"}, {"pi", u"ぴ"}, {"pu", u"ぷ"}, {"pe", u"ぺ"}, {"po", u"ぽ"},
    {"pya", u"ぴゃ"}, {"pyi", u"ぴぃ"}, {"pyu", u"ぴゅ"}, {"pye", u"ぴぇ"}, {"pyo", u"ぴょ"},
    {"va", u"ゔぁ"}, {"vi", u"ゔぃ"}, {"vu", u"ゔ"}, {"ve", u"ゔぇ"}, {"vo", u"ゔぉ"},
    {"vya", u"ゔゃ"}, {"vyi", u"ゔぃ"}, {"vyu", u"ゔゅ"}, {"vye", u"ゔぇ"}, {"vyo", u"ゔょ"},
    {"ma", u"ま"}, {"mi", u"み"}, {"mu", u"む"}, {"me", u"め"}, {"mo", u"も"},
    {"mya", u"みゃ"}, {"myi", u"みぃ"}, {"myu", u"みゅ"}, {"mye", u"みぇ"}, {"myo", u"みょ"},
    {"ya", u"や"}, {"yu", u"ゆ"}, {"ye", u"いぇ"}, {"yo", u"よ"},
    {"ra", u"ら"}, {"ri", u"り"}, {"ru", u"る"}, {"re", u"れ"}, {"ro", u"ろ"},
    {"rya", u"りゃ"}, {"ryi", u"りぃ"}, {"ryu", u"りゅ"}, {"rye", u"りぇ"}, {"ryo", u"りょ"},
    {"wa", u"わ"}, {"wi", u"うぃ"}, {"wu", u"う"}, {"we", u"うぇ"}, {"wo", u"を"},
    {"wha", u"うぁ"}, {"whi", u"うぃ"}, {"whu", u"う"}, {"whe", u"うぇ"}, {"who", u"うぉ"},
    {"wyi", u"ゐ"}, {"wye", u"ゑ"},
    // The small kana, with x or l in front.
    {"xa", u"ぁ"}, {"xi", u"ぃ"}, {"xu", u"ぅ"}, {"xe", u"ぇ"}, {"xo", u"ぉ"},
    {"la", u"ぁ"}, {"li", u"ぃ"}, {"lu", u"ぅ"}, {"le", u"ぇ"}, {"lo", u"ぉ"},
    {"xyi", u"ぃ"}, {"xye", u"ぇ"}, {"lyi", u"ぃ"}, {"lye", u"ぇ"},
    {"xya", u"ゃ"}, {"xyu", u"ゅ"}, {"xyo", u"ょ"}, {"lya", u"ゃ"}, {"lyu", u"ゅ"}, {"lyo", u"ょ"},
    {"xtu", u"っ"}, {"xtsu", u"っ"}, {"ltu", u"っ"}, {"ltsu", u"っ"},
    {"xwa", u"ゎ"}, {"lwa", u"ゎ"}, {"xka", u"ヵ"}, {"xke", u"ヶ"}, {"lka", u"ヵ"}, {"lke", u"ヶ"},
    // A doubled consonant (n aside) is っ before the syllable its second letter starts.
    {"bb", u"っ", "b"}, {"cc", u"っ", "c"}, {"dd", u"っ", "d"}, {"ff", u"っ", "f"},
    {"gg", u"っ", "g"}, {"hh", u"っ", "h"}, {"jj", u"っ", "j"}, {"kk", u"っ", "k"},
    {"ll", u"っ", "l"}, {"mm", u"っ", "m"}, {"pp", u"っ", "p"}, {"qq", u"っ", "q"},
    {"rr", u"っ", "r"}, {"ss", u"っ", "s"}, {"tt", u"っ", "t"}, {"vv", u"っ", "v"},
    {"ww", u"っ", "w"}, {"xx", u"っ", "x"}, {"yy", u"っ", "y"}, {"zz", u"っ", "z"},
    // Punctuation as kana mode types it.
    {"-", u"ー"}, {",", u"、"}, {".", u"。"}, {"[", u"「"}, {"]", u"」"},
    {"!", u"！"}, {"?", u"？"},
};
// clang-format on

const TRomajiEntry* FindEntry(std::string_view roman) {
  for (const TRomajiEntry& entry : kRomajiTable) {
    if (entry.Roman == roman) return &entry;
  }
  return nullptr;
}

// True when some longer entry starts with these letters: the next key may still extend them.
bool MayGrow(std::string_view roman) {
  return std::any_of(std::begin(kRomajiTable), std::end(kRomajiTable), [&](const auto& entry) {
    return entry.Roman.size() > roman.size() && entry.Roman.starts_with(roman);
  });
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

char Lower(char16_t c) { return static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c); }

std::u16string Letters(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

// Keys go in one at a time: settled kana and letters collect in Out, the letters that may
// still become a syllable wait in Pending.
class TRomajiConverter {
 public:
  void Feed(char key) {
    const std::string grown = Pending + key;
    if (MayGrow(grown)) {
      Pending = grown;
    } else if (const TRomajiEntry* entry = FindEntry(grown)) {
      Out += entry->Kana;
      Pending = entry->Pending;
    } else if (Pending.empty()) {
      Out += static_cast<char16_t>(key);
    } else if (const TRomajiEntry* waiting = FindEntry(Pending)) {
      // The pending letters were a syllable already (a lone n): it stands, the key starts anew.
      Out += waiting->Kana;
      Pending = waiting->Pending;
      Feed(key);
    } else {
      // The pending letters lead nowhere with this key: they stay as typed, and the key starts
      // anew (shya gives shや, as the input methods have it).
      Out += Letters(Pending);
      Pending.clear();
      Feed(key);
    }
  }

  // A key the table must not touch: the pending letters settle as before any non-letter.
  void FeedAsTyped(char16_t key) {
    Settle();
    Out += Letters(Pending);
    Pending.clear();
    Out += key;
  }

  // A pending syllable (a lone n) becomes kana; letters that make none stay pending.
  void Settle() {
    if (const TRomajiEntry* waiting = FindEntry(Pending)) {
      Out += waiting->Kana;
      Pending = waiting->Pending;
    }
  }

  std::u16string Text() const { return Out + Letters(Pending); }

  std::u16string Out;
  std::string Pending;
};

// The pending letters before the cursor: the ASCII letters at the end of the text.
std::size_t PendingLength(std::u16string_view before) {
  std::size_t length = 0;
  while (length < before.size() && IsAsciiLetter(before[before.size() - 1 - length])) ++length;
  return length;
}

TRomajiConverter ConverterFor(std::u16string_view pending) {
  TRomajiConverter converter;
  for (char16_t c : pending) converter.Feed(Lower(c));
  return converter;
}

// What may follow a spelling in ShortestRomaji: anything, anything that does not make a lone n
// pending before it into another syllable, or a consonant that doubles into っ.
enum class TFollow { Any, AfterLoneN, Doubling };

bool Fits(TFollow follow, char16_t first) {
  switch (follow) {
    case TFollow::Any:
      return true;
    case TFollow::AfterLoneN: {
      if (first >= 0x80) return true;
      const std::string grown{'n', static_cast<char>(first)};
      return !MayGrow(grown) && FindEntry(grown) == nullptr;
    }
    case TFollow::Doubling: {
      if (first >= 0x80) return false;
      const std::string doubled(2, static_cast<char>(first));
      const TRomajiEntry* entry = FindEntry(doubled);
      return entry != nullptr && entry->Pending.size() == 1;
    }
  }
  return false;
}

// The shortest spellings of every tail of the reading, from the end forwards, each under the
// three conditions on its first key.
class TShortestSpeller {
 public:
  explicit TShortestSpeller(std::u16string_view reading) : Reading(reading) {
    Best.resize(reading.size() + 1);
    for (std::size_t i = reading.size() + 1; i-- > 0;) Fill(i);
  }

  std::u16string Spelling() const { return Best[0][Index(TFollow::Any)].value_or(u""); }

 private:
  using TChoices = std::array<std::optional<std::u16string>, 3>;
  static std::size_t Index(TFollow follow) { return static_cast<std::size_t>(follow); }

  void Offer(std::size_t i, const std::u16string& spelling) {
    for (TFollow follow : {TFollow::Any, TFollow::AfterLoneN, TFollow::Doubling}) {
      auto& best = Best[i][Index(follow)];
      if (Fits(follow, spelling.front()) && (!best || spelling.size() < best->size())) {
        best = spelling;
      }
    }
  }

  // The tail from i spelt as `head` and then the tail from `next` under `follow`.
  void OfferThen(std::size_t i, const std::u16string& head, std::size_t next, TFollow follow) {
    if (const auto& tail = Best[next][Index(follow)]) Offer(i, head + *tail);
  }

  void Fill(std::size_t i) {
    if (i == Reading.size()) {
      // Enter ends the reading: a lone n settles, a doubled consonant has nothing to double.
      Best[i][Index(TFollow::Any)] = Best[i][Index(TFollow::AfterLoneN)] = std::u16string();
      return;
    }
    const std::u16string_view rest = Reading.substr(i);
    bool known = false;
    for (const TRomajiEntry& entry : kRomajiTable) {
      if (!rest.starts_with(entry.Kana)) continue;
      const std::size_t next = i + entry.Kana.size();
      if (!entry.Pending.empty()) {
        // っ of a doubled consonant: its second letter starts the next syllable.
        if (const auto& tail = Best[next][Index(TFollow::Doubling)]) {
          Offer(i, tail->substr(0, 1) + *tail);
          known = true;
        }
        continue;
      }
      known = true;
      const std::u16string roman = Letters(entry.Roman);
      if (entry.Roman == "n") {
        // A lone n stands for ん before a key that cannot extend it, and at Enter.
        if (next == Reading.size()) {
          Offer(i, roman);
        } else {
          OfferThen(i, roman, next, TFollow::AfterLoneN);
        }
      } else {
        OfferThen(i, roman, next, TFollow::Any);
      }
    }
    if (!known || !Best[i][Index(TFollow::Any)]) {
      // Not in the table: typed as it stands, one key.
      OfferThen(i, std::u16string(1, Reading[i]), i + 1, TFollow::Any);
    }
  }

  std::u16string_view Reading;
  std::vector<TChoices> Best;
};

}  // namespace

std::u16string ShortestRomaji(std::u16string_view reading) {
  return TShortestSpeller(reading).Spelling();
}

bool IsRomajiKey(char16_t key) {
  return IsAsciiLetter(key) || key == u'\'' ||
         (key < 0x80 && FindEntry(std::string(1, static_cast<char>(key))) != nullptr);
}

TRomajiEdit RomajiKey(std::u16string_view before, char16_t key, bool keepKey) {
  const std::size_t pending = PendingLength(before);
  TRomajiConverter converter = ConverterFor(before.substr(before.size() - pending));
  if (keepKey || !IsRomajiKey(key)) {
    converter.FeedAsTyped(key);
  } else {
    converter.Feed(Lower(key));
  }
  return {pending, converter.Text()};
}

TRomajiEdit RomajiEnter(std::u16string_view before) {
  const std::size_t pending = PendingLength(before);
  TRomajiConverter converter = ConverterFor(before.substr(before.size() - pending));
  converter.Settle();
  return {pending, converter.Text()};
}

std::u16string RomajiTyped(std::u16string_view keys) {
  std::u16string field;
  auto apply = [&field](const TRomajiEdit& edit) {
    field.erase(field.size() - edit.Erase);
    field += edit.Insert;
  };
  for (char16_t key : keys) apply(RomajiKey(field, key));
  apply(RomajiEnter(field));
  return field;
}

std::vector<std::string_view> RomajiSpellings() {
  std::vector<std::string_view> spellings;
  for (const TRomajiEntry& entry : kRomajiTable) spellings.push_back(entry.Roman);
  return spellings;
}

bool RomajiFitsAnswer(std::u16string_view answer) {
  return std::none_of(answer.begin(), answer.end(), IsAsciiLetter);
}

}  // namespace game
