#include "rules/catalogue.h"

#include <algorithm>

#include "platform/codepage/codepage.h"

namespace {

const std::u16string& EmptyText() {
  static const std::u16string empty;
  return empty;
}

// A line that holds nothing a player could type: empty, one half-width or one full-width space.
bool IsBlankLine(std::u16string_view line) {
  return line.empty() || line == u" " || line == u"\u3000";
}

// What the answer field makes in the hiragana mode: hiragana, the long vowel mark and the
// punctuation the romaji converter turns - , . [ ] ! ? into.
bool IsKanaOfTheAnswerField(char16_t c) {
  return (c >= u'\u3041' && c <= u'\u3096') || c == u'ー' || c == u'、' || c == u'。' ||
         c == u'「' || c == u'」' || c == u'！' || c == u'？';
}

bool IsPrintableAscii(char16_t c) { return c >= 0x20 && c < 0x7F; }
bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// A character the file's bytes did not make (U+FFFD), or a NUL, which ends the text where
// Settei.ini keeps it. (A tab in a written form is kept, as it always was.)
bool HoldsUnreadable(std::u16string_view line) {
  return std::any_of(line.begin(), line.end(),
                     [](char16_t c) { return c == u'\uFFFD' || c == u'\0'; });
}

}  // namespace

bool IsTypableReading(std::u16string_view reading) {
  if (reading.empty()) return false;
  // An English proverb is typed as it stands: the field converts nothing once it holds a letter.
  if (std::any_of(reading.begin(), reading.end(), IsAsciiLetter)) {
    return std::all_of(reading.begin(), reading.end(), IsPrintableAscii);
  }
  return std::all_of(reading.begin(), reading.end(), IsKanaOfTheAnswerField);
}

std::u16string WithoutSpeechMarks(std::u16string_view reading) {
  std::u16string plain(reading);
  if (std::any_of(plain.begin(), plain.end(), IsAsciiLetter)) return plain;
  std::erase_if(plain, [](char16_t c) { return c == u'\'' || c == u'/'; });
  return plain;
}

bool TCatalogue::IsMondaiNo(std::int32_t mondaiNo) const {
  return mondaiNo >= 1 && mondaiNo <= MondaiCount();
}

const std::u16string& TCatalogue::Reading(std::int32_t mondaiNo) const {
  if (!IsMondaiNo(mondaiNo)) return EmptyText();
  if (mondaiNo <= kBuiltInMondaiCount) return MondaiTable[mondaiNo];
  return TuikaMondaiList[TuikaIndex(mondaiNo)];
}

const std::u16string& TCatalogue::Seikai(std::int32_t mondaiNo) const {
  if (!IsMondaiNo(mondaiNo)) return EmptyText();
  if (mondaiNo <= kBuiltInMondaiCount) return MondaiTable[kBuiltInMondaiCount + mondaiNo];
  return TuikaSeikaiList[TuikaIndex(mondaiNo)];
}

const std::u16string& TCatalogue::Seikai2(std::int32_t mondaiNo) const {
  // Additional questions have one written form only.
  if (mondaiNo < 1 || mondaiNo > kBuiltInMondaiCount) return EmptyText();
  return MondaiTable[2 * kBuiltInMondaiCount + mondaiNo];
}

const std::u16string& TCatalogue::Speech(std::int32_t mondaiNo) const {
  if (!IsMondaiNo(mondaiNo) || static_cast<std::size_t>(mondaiNo) >= SpeechList.size()) {
    return EmptyText();
  }
  return SpeechList[mondaiNo];
}

const std::u16string& TCatalogue::Imi(std::int32_t mondaiNo) const {
  if (!IsMondaiNo(mondaiNo)) return EmptyText();
  if (mondaiNo <= kBuiltInMondaiCount) return ImiTable[mondaiNo];
  const auto k = static_cast<std::size_t>(TuikaIndex(mondaiNo));
  return k < TuikaImiList.size() ? TuikaImiList[k] : EmptyText();
}

const std::u16string& TCatalogue::Gloss(std::int32_t mondaiNo) const {
  if (mondaiNo < 1 || mondaiNo > kBuiltInMondaiCount) return EmptyText();
  return GlossTable[mondaiNo];
}

std::u16string TuikaImiOfPair(std::u16string_view first, std::u16string_view second) {
  if (!IsBlankLine(second)) return {};
  std::u16string_view imi;
  if (first.starts_with(kTuikaImiMark)) {
    imi = first.substr(kTuikaImiMark.size());
  } else if (first.starts_with(u"意味:")) {
    imi = first.substr(3);
  } else {
    return {};
  }
  // Spaces around the sentence are the layout of the file, not part of the meaning.
  const auto isSpace = [](char16_t c) { return c == u' ' || c == u'\u3000' || c == u'\t'; };
  while (!imi.empty() && isSpace(imi.front())) imi.remove_prefix(1);
  while (!imi.empty() && isSpace(imi.back())) imi.remove_suffix(1);
  return std::u16string(imi);
}

std::vector<std::u16string> MojiOf(std::u16string_view reading) {
  std::vector<std::u16string> moji;
  for (std::size_t i = 0; i < reading.size();) {
    const std::size_t start = i;
    codepage::NextCodePoint(reading, i);
    moji.emplace_back(reading.substr(start, i - start));
  }
  return moji;
}

std::int32_t MojiLength(std::u16string_view reading) {
  return static_cast<std::int32_t>(MojiOf(reading).size());
}

std::optional<TTuikaLeftOut> TuikaPairProblem(std::u16string_view seikai,
                                              std::u16string_view reading) {
  if (IsBlankLine(seikai) || IsBlankLine(reading)) return TTuikaLeftOut::Blank;
  if (HoldsUnreadable(seikai) || HoldsUnreadable(reading)) return TTuikaLeftOut::Unreadable;
  const std::u16string typed = WithoutSpeechMarks(reading);
  if (MojiLength(typed) > kMaxMondaiLength) return TTuikaLeftOut::ReadingTooLong;
  if (!IsTypableReading(typed)) return TTuikaLeftOut::ReadingNotTypable;
  return std::nullopt;
}

bool IsAcceptableTuikaPair(std::u16string_view seikai, std::u16string_view reading) {
  return !TuikaPairProblem(seikai, reading);
}

bool IsBlankTuikaLine(std::u16string_view line) { return IsBlankLine(line); }

std::int32_t AppendTuikaMondai(TCatalogue& catalogue, std::u16string_view reading,
                               std::u16string_view seikai) {
  if (!IsAcceptableTuikaPair(seikai, reading)) return 0;
  catalogue.TuikaSeikaiList.emplace_back(seikai);
  catalogue.TuikaMondaiList.push_back(WithoutSpeechMarks(reading));
  catalogue.TuikaImiList.resize(catalogue.TuikaSeikaiList.size());  // no meaning
  catalogue.TuikaShutsudai.push_back(0);
  catalogue.SpeechList.emplace_back(reading);
  catalogue.TuikaCount += 1;
  return catalogue.MondaiCount();
}
