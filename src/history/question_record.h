// What the game keeps of each question it judged: how it ended, how long the player took and
// how many keys they pressed. The history (history_store.h) stores one record per judged
// question; the measures of a game (game_measures.h) are worked out from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace history {

// How a question ended.
enum class TQuestionResult { Correct, Wrong, Timeout, GiveUp, Skipped };

// The answer modes, as KaitoMode numbers them.
enum class TAnswerMode { Kanji = 0, Kana = 1 };

// What a game was: a game of the rules, or a review (ゲーム → 復習) of proverbs the player has
// just seen, which is not a fair measure of speed. Bests and charts keep each kind apart.
enum class TGameKind { Game, Review };

// "correct", "wrong", "timeout", "giveup", "skipped" and back; nothing for another word.
std::string_view ResultName(TQuestionResult result);
std::optional<TQuestionResult> ResultFromName(std::string_view name);
// "kanji" or "kana".
std::string_view ModeName(TAnswerMode mode);
// "game" or "review" and back; nothing for another word.
std::string_view KindName(TGameKind kind);
std::optional<TGameKind> KindFromName(std::string_view name);

struct TQuestionRecord {
  std::int32_t Seq = 0;    // 1 for the game's first question
  std::int32_t Stage = 1;  // 1..3
  TAnswerMode Mode = TAnswerMode::Kanji;
  std::int32_t Proverb = 0;  // the catalogue number 1..170, or 0 for an additional question
  std::int32_t Tuika = 0;    // N for the N-th additional question, or 0
  std::u16string Reading;    // the reading in kana
  std::u16string Spelling;   // the written form
  TQuestionResult Result = TQuestionResult::Wrong;
  std::int32_t Kana = 0;     // the reading's length in kana; 0 for an English answer
  std::int32_t Keys = 0;     // keys pressed while the question ran (the judging Enter aside)
  std::int32_t MinKeys = 0;  // the fewest keys that type the reading in romaji
  // From the question's start to the first key that types, and from that key to the judgement,
  // in milliseconds with pauses, boxes and hint waits left out; nothing when no key typed.
  std::optional<std::int32_t> FirstKeyMs;
  std::optional<std::int32_t> AnswerMs;
  std::int32_t Hints = 0;       // characters shown by hints
  std::int64_t JudgedAtMs = 0;  // when it was judged, milliseconds since 1970 (UTC)
};

// Kana per minute of one answer: its kana over its typing time; 0 without a typing time.
double KanaPerMinute(const TQuestionRecord& record);

}  // namespace history
