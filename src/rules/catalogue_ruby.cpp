// The built-in proverbs whose kana fit their reading in more than one way, split by hand in
// the notation of RubyNotation.
#include <array>
#include <utility>

#include "rules/furigana.h"

namespace game {
namespace {

constexpr std::array<std::pair<std::int32_t, std::u16string_view>, 5> kHandRuby{{
    {1, u"鬼{おに}に金棒{かなぼう}"},
    {57, u"暑{あつ}さ寒{さむ}さも彼岸{ひがん}まで"},
    {124, u"飼{か}い犬{いぬ}に手{て}を噛{か}まれる"},
    {151, u"昨日{きのう}の敵{てき}は今日{きょう}の友{とも}"},
    {166, u"引{ひ}かれ者{もの}の小唄{こうた}"},
}};

}  // namespace

std::u16string_view HandRuby(std::int32_t mondaiNo) {
  for (const auto& [number, notation] : kHandRuby) {
    if (number == mondaiNo) return notation;
  }
  return {};
}

}  // namespace game
