#include "rules/furigana.h"

#include "rules/catalogue.h"

namespace game {
namespace {

// The code point at text[i] and how many UTF-16 units it takes.
char32_t CodePointAt(std::u16string_view text, std::size_t i, std::size_t& units) {
  const char16_t c = text[i];
  if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
      text[i + 1] <= 0xDFFF) {
    units = 2;
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
  }
  units = 1;
  return c;
}

// Katakana as the hiragana a reading writes them with; anything else as it is.
char16_t AsHiragana(char16_t c) { return c >= u'ァ' && c <= u'ヶ' ? c - (u'ァ' - u'ぁ') : c; }

// The written form cut into runs of ruby bases and runs of everything else.
std::vector<std::pair<std::u16string, bool>> SplitAtKana(std::u16string_view written) {
  std::vector<std::pair<std::u16string, bool>> runs;
  for (std::size_t i = 0; i < written.size();) {
    std::size_t units = 1;
    const bool base = IsRubyBase(CodePointAt(written, i, units));
    if (runs.empty() || runs.back().second != base) runs.emplace_back(u"", base);
    runs.back().first.append(written.substr(i, units));
    i += units;
  }
  return runs;
}

struct TAligner {
  const std::vector<std::pair<std::u16string, bool>>& Runs;
  std::u16string_view Reading;
  std::size_t Limit;
  std::vector<TRubyText>& Found;
  TRubyText Current;

  void From(std::size_t run, std::size_t at) {
    if (Found.size() >= Limit) return;
    if (run == Runs.size()) {
      if (at == Reading.size()) Found.push_back(Current);
      return;
    }
    const auto& [text, base] = Runs[run];
    if (!base) {
      if (Reading.size() - at < text.size()) return;
      for (std::size_t k = 0; k < text.size(); ++k) {
        if (AsHiragana(text[k]) != Reading[at + k]) return;
      }
      Current.push_back({text, u""});
      From(run + 1, at + text.size());
      Current.pop_back();
      return;
    }
    for (std::size_t length = 1; at + length <= Reading.size(); ++length) {
      Current.push_back({text, std::u16string(Reading.substr(at, length))});
      From(run + 1, at + length);
      Current.pop_back();
    }
  }
};

bool HasRubyBase(const TRubyText& text) {
  for (const TRubyRun& run : text) {
    if (!run.Ruby.empty()) return true;
  }
  return false;
}

}  // namespace

bool IsRubyBase(char32_t c) {
  return (c >= 0x4E00 && c <= 0x9FFF) ||    // the unified ideographs
         (c >= 0x3400 && c <= 0x4DBF) ||    // extension A
         (c >= 0x20000 && c <= 0x3134F) ||  // extensions B to G (𠮟, 𥝱)
         (c >= 0xF900 && c <= 0xFAFF) ||    // compatibility ideographs
         c == U'々' || c == U'〆';
}

std::vector<TRubyText> RubyAlignments(std::u16string_view written, std::u16string_view reading,
                                      std::size_t limit) {
  const auto runs = SplitAtKana(written);
  std::vector<TRubyText> found;
  TAligner{runs, reading, limit, found, {}}.From(0, 0);
  return found;
}

TRubyText Furigana(const TCatalogue& catalogue, std::int32_t mondaiNo) {
  if (!catalogue.IsMondaiNo(mondaiNo)) return {};
  // A brace of the player's own text could not be told from the notation's.
  if (catalogue.Seikai(mondaiNo).find_first_of(u"{}") != std::u16string::npos) return {};
  TRubyText text;
  const std::u16string_view hand = HandRuby(mondaiNo);
  if (!hand.empty()) {
    text = ParseRubyNotation(hand);
  } else {
    auto found = RubyAlignments(catalogue.Seikai(mondaiNo), catalogue.Reading(mondaiNo));
    if (found.size() == 1) text = std::move(found.front());
  }
  return HasRubyBase(text) ? text : TRubyText{};
}

std::u16string RubyNotation(const TRubyText& text) {
  std::u16string out;
  for (const TRubyRun& run : text) {
    out += run.Base;
    if (!run.Ruby.empty()) out += u'{' + run.Ruby + u'}';
  }
  return out;
}

TRubyText ParseRubyNotation(std::u16string_view notation) {
  TRubyText text;
  std::u16string plain;
  for (std::size_t i = 0; i < notation.size(); ++i) {
    if (notation[i] == u'}') return {};
    if (notation[i] != u'{') {
      plain.push_back(notation[i]);
      continue;
    }
    const std::size_t close = notation.find(u'}', i);
    if (close == std::u16string_view::npos || close == i + 1) return {};
    // The ruby sits on the run of bases just before the brace.
    std::size_t start = plain.size();
    while (start > 0) {
      std::size_t units = 1;
      std::size_t back = start - 1;
      if (back > 0 && plain[back] >= 0xDC00 && plain[back] <= 0xDFFF) --back;
      if (!IsRubyBase(CodePointAt(plain, back, units))) break;
      start = back;
    }
    if (start == plain.size()) return {};
    if (start > 0) text.push_back({plain.substr(0, start), u""});
    text.push_back({plain.substr(start), std::u16string(notation.substr(i + 1, close - i - 1))});
    plain.clear();
    i = close;
  }
  if (!plain.empty()) text.push_back({plain, u""});
  return text;
}

}  // namespace game
