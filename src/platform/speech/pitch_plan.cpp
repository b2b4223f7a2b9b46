#include "platform/speech/pitch_plan.h"

#include <algorithm>

namespace speechstandin {
namespace {

bool IsAccentMark(char16_t c) { return c == u'\'' || c == u'\u2019' || c == u'\uFF07'; }
bool IsPhraseMark(char16_t c) { return c == u'/' || c == u'\uFF0F'; }
bool IsShortPause(char16_t c) { return c == u'\u3001' || c == u'\uFF0C'; }  // 、 ，
bool IsLongPause(char16_t c) { return c == u'\u3002' || c == u'\uFF0E'; }   // 。 ．

bool IsSmallKana(char16_t c) {
  constexpr std::u16string_view kSmall = u"ぁぃぅぇぉゃゅょゎァィゥェォャュョヮ";
  return kSmall.find(c) != std::u16string_view::npos;
}

// One accent phrase as it is read: its morae, and the accented one (-1 for heiban).
class TPhrase {
 public:
  void Add(char16_t c) {
    if (IsSmallKana(c) && !Morae.empty()) {
      Morae.back() += c;
    } else {
      Morae.emplace_back(1, c);
    }
  }
  void MarkAccent() {
    if (Accent < 0 && !Morae.empty()) Accent = static_cast<int>(Morae.size()) - 1;
  }
  void FlushInto(std::vector<TMora>& out, int& pauseMs) {
    for (std::size_t i = 0; i < Morae.size(); ++i) {
      const int at = static_cast<int>(i);
      TMora mora;
      mora.Kana = Morae[i];
      mora.High = Accent == 0 ? at == 0 : at > 0 && (Accent < 0 || at <= Accent);
      mora.StartsPhrase = i == 0;
      mora.PauseBeforeMs = i == 0 ? pauseMs : 0;
      out.push_back(std::move(mora));
    }
    if (!Morae.empty()) pauseMs = 0;
    Morae.clear();
    Accent = -1;
  }

 private:
  std::vector<std::u16string> Morae;
  int Accent = -1;
};

}  // namespace

bool IsKana(char16_t c) {
  return (c >= u'\u3041' && c <= u'\u3096') || (c >= u'\u30A1' && c <= u'\u30FA') ||
         c == u'\u30FC';  // ー
}

bool HasKana(std::u16string_view text) { return std::any_of(text.begin(), text.end(), IsKana); }

std::vector<TMora> PlanPitch(std::u16string_view speech) {
  std::vector<TMora> plan;
  TPhrase phrase;
  int pauseMs = 0;
  for (char16_t c : speech) {
    if (IsAccentMark(c)) {
      phrase.MarkAccent();  // a second accent in one phrase is ignored
    } else if (IsPhraseMark(c)) {
      phrase.FlushInto(plan, pauseMs);
    } else if (IsShortPause(c) || IsLongPause(c)) {
      phrase.FlushInto(plan, pauseMs);
      if (!plan.empty()) {
        pauseMs = std::max(pauseMs, IsLongPause(c) ? kLongPauseMs : kShortPauseMs);
      }
    } else if (IsKana(c)) {
      phrase.Add(c);
    }
  }
  phrase.FlushInto(plan, pauseMs);
  return plan;
}

}  // namespace speechstandin
