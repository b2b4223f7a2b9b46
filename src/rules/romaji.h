// Romaji to hiragana for players without a Japanese input method: the answer field turns the
// letters typed into kana the way the kana mode of the common input methods does with their
// default romaji table (shi/si, tsu/tu, kya, nn, kitte, xtu, -, …).
//
// The letters still pending are kept in the field itself, as the ASCII letters just before the
// cursor, and shown as typed (さるもk) until they make a syllable. So Backspace, the cursor keys,
// a selection and a paste need nothing of their own: the next key simply looks at what is there.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace game {

// One change to the answer field: erase this many characters before the cursor, then insert.
struct TRomajiEdit {
  std::size_t Erase = 0;
  std::u16string Insert;
};

// The keys the table knows: ASCII letters (either case), the apostrophe of n', and the
// punctuation typed as full-width kana punctuation (- , . [ ] ! ?).
bool IsRomajiKey(char16_t key);

// The key typed at a cursor with `before` in front of it: the pending letters at the end of
// `before` and the key become kana as far as they make syllables; what does not is left as
// typed. With keepKey the key itself goes in as typed (the answer holds that very character),
// after the pending letters have been settled as if a non-letter had been typed.
TRomajiEdit RomajiKey(std::u16string_view before, char16_t key, bool keepKey = false);

// Enter: a pending lone n becomes ん; other pending letters stay letters.
TRomajiEdit RomajiEnter(std::u16string_view before);

// The field's text after `keys` are typed one by one into an empty field and Enter is pressed.
std::u16string RomajiTyped(std::u16string_view keys);

// The fewest keys that type `reading` into an empty field in romaji (Enter aside): for each
// kana the table's shortest spelling, a lone n for ん where the next key cannot make it a
// syllable, a doubled consonant for っ. A character the table cannot make counts as one key and
// stands as itself. RomajiTyped(ShortestRomaji(r)) gives r back.
std::u16string ShortestRomaji(std::u16string_view reading);

// Every spelling of the table, as typed (the tests hold them against a real input method).
std::vector<std::string_view> RomajiSpellings();

// True when an answer can be typed in romaji: it holds no ASCII letters (an English proverb
// takes its letters as they are typed).
bool RomajiFitsAnswer(std::u16string_view answer);

}  // namespace game
