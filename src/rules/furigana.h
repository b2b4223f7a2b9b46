// Furigana for the written forms of the catalogue: each run of kanji with its reading, taken
// from the catalogue itself. The written form is split at its kana, which must appear in the
// reading as they are; the runs of kanji between them take what the reading has left. Where
// the kana fit the reading in more than one way (鬼に金棒: the に of 鬼に may be either に of
// おにに), a hand table of the built-in proverbs (catalogue_ruby.cpp) says which.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TCatalogue;

namespace game {

// One piece of a written form: a run of kanji with its reading in Ruby, or anything else (kana,
// punctuation, letters) with Ruby empty.
struct TRubyRun {
  std::u16string Base;
  std::u16string Ruby;
  bool operator==(const TRubyRun&) const = default;
};
using TRubyText = std::vector<TRubyRun>;

// A kanji, or the iteration mark 々 that repeats one: what ruby sits on.
bool IsRubyBase(char32_t c);

// The ways the written form's kanji runs can take the reading, at most limit of them (two tell
// a unique split from an ambiguous one). A katakana of the written form matches its hiragana.
std::vector<TRubyText> RubyAlignments(std::u16string_view written, std::u16string_view reading,
                                      std::size_t limit = 2);

// The hand-made split of built-in proverb mondaiNo in the notation of RubyNotation, or empty
// when its split is found without help.
std::u16string_view HandRuby(std::int32_t mondaiNo);

// Question mondaiNo's first written form with the reading of each kanji run; empty when it has
// no kanji or its split is not known (an additional question whose kana do not fit its reading
// in exactly one way, or whose written form holds a brace).
TRubyText Furigana(const TCatalogue& catalogue, std::int32_t mondaiNo);

// The notation "糠{ぬか}に釘{くぎ}": each kanji run followed by its reading in braces.
std::u16string RubyNotation(const TRubyText& text);
// Back from the notation; empty when it is not well formed (an unclosed or empty brace).
TRubyText ParseRubyNotation(std::u16string_view notation);

}  // namespace game
