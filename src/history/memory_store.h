// What the player knows of each proverb: its FSRS memory state, kept in the history database
// (table "memory") beside the judged questions. Each judged review updates it in one
// transaction, so a game killed halfway keeps every review it judged. The review game asks the
// proverbs that are due.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/fsrs.h"
#include "history/history_store.h"

namespace history {

// A proverb as the memory table knows it: a built-in one by its number (reading and spelling
// empty), an additional question (number 0) by its reading and spelling.
struct TProverbKey {
  std::int32_t Proverb = 0;
  std::u16string Reading;
  std::u16string Spelling;
  friend bool operator==(const TProverbKey&, const TProverbKey&) = default;
};

struct TMemoryRow {
  TProverbKey Key;
  TFsrsMemory Memory;
  std::int32_t Reviews = 0;
  std::int32_t Lapses = 0;   // Again after the first review
  std::int64_t LastDay = 0;  // local calendar day of the last review (days since 1970-01-01)
  std::int64_t DueDay = 0;
  std::optional<std::int64_t> LastMissedMs;  // the last Again, milliseconds since 1970 (UTC)
};

// The local calendar day of a moment: days since 1970-01-01 in the local time zone, so a
// review is due on a date as the player's clock shows it.
std::int64_t LocalDay(std::int64_t msSince1970);

// Rates a judged review of the proverb and stores its new memory state in one transaction;
// false when it could not be written (a read-only history, a full disk).
bool RecordReview(THistoryStore& store, const TProverbKey& key, TFsrsRating rating,
                  std::int64_t judgedAtMs);

std::optional<TMemoryRow> ReadMemory(const THistoryStore& store, const TProverbKey& key);

// How many proverbs are due on `today` (their due day is today or earlier).
std::int32_t DueCount(const THistoryStore& store, std::int64_t today);

// The proverbs of a review game: every due one, most overdue first; when fewer than
// `atLeast` are due, those missed most recently follow until there are `atLeast`.
std::vector<TProverbKey> ReviewList(const THistoryStore& store, std::int64_t today,
                                    std::int32_t atLeast = 10);

}  // namespace history
