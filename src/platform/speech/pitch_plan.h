// The Tokyo pitch of a speech string, mora by mora, from its prosody marks: ' after the
// accented mora, / between accent phrases, 、 a short pause and 。 a longer one.
//
// In each accent phrase the first mora is low unless the accent falls on it, the morae from the
// second up to the accented one are high and those after it low; a phrase without an accent
// (heiban) stays high to its end. A small ゃ, ゅ, ょ (or ぁ ぃ ぅ ぇ ぉ ゎ) joins the kana before
// it; っ, ん and ー are morae of their own. Only kana become morae: kanji, Latin letters and
// anything else the voice would read out in another language are left out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace speechstandin {

inline constexpr int kShortPauseMs = 200;  // 、
inline constexpr int kLongPauseMs = 450;   // 。

struct TMora {
  std::u16string Kana;  // one kana, with the small kana joined to it
  bool High = false;    // the pitch the marks give it
  bool StartsPhrase = false;
  int PauseBeforeMs = 0;  // the pause of a 、 or 。 just before the mora
};

bool IsKana(char16_t c);
// Whether the text holds any kana: a Japanese speech string rather than an English sentence.
bool HasKana(std::u16string_view text);

std::vector<TMora> PlanPitch(std::u16string_view speech);

}  // namespace speechstandin
