#include "history/memory_store.h"

#include <algorithm>
#include <ctime>
#include <memory>

#include "history/sqlite_statement.h"

namespace history {
namespace {

void BindKey(sqlite3_stmt* statement, const TProverbKey& key) {
  sqlite3_bind_int(statement, 1, key.Proverb);
  Bind16(statement, 2, key.Reading);
  Bind16(statement, 3, key.Spelling);
}

// A built-in proverb is its number alone, whatever reading a caller passes along.
TProverbKey Normalised(const TProverbKey& key) {
  if (key.Proverb > 0) return {key.Proverb, {}, {}};
  return key;
}

constexpr const char* kColumns =
    "proverb, reading, spelling, stability, difficulty, reviews, lapses, last_day, due_day, "
    "last_missed_ms";

TMemoryRow ReadRow(sqlite3_stmt* s) {
  TMemoryRow row;
  row.Key = {sqlite3_column_int(s, 0), Text16(s, 1), Text16(s, 2)};
  row.Memory = {sqlite3_column_double(s, 3), sqlite3_column_double(s, 4)};
  row.Reviews = sqlite3_column_int(s, 5);
  row.Lapses = sqlite3_column_int(s, 6);
  row.LastDay = sqlite3_column_int64(s, 7);
  row.DueDay = sqlite3_column_int64(s, 8);
  if (sqlite3_column_type(s, 9) != SQLITE_NULL) row.LastMissedMs = sqlite3_column_int64(s, 9);
  return row;
}

}  // namespace

std::int64_t LocalDay(std::int64_t msSince1970) {
  const std::time_t seconds = static_cast<std::time_t>(msSince1970 / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  // The clock on the player's wall, counted in whole days (rounded down before 1970 too).
  const std::int64_t wall = std::int64_t{seconds} + local.tm_gmtoff;
  constexpr std::int64_t kDaySeconds = 86'400;
  return wall >= 0 ? wall / kDaySeconds : (wall - kDaySeconds + 1) / kDaySeconds;
}

std::optional<TMemoryRow> ReadMemory(const THistoryStore& store, const TProverbKey& key) {
  const std::string sql = std::string("SELECT ") + kColumns +
                          " FROM memory WHERE proverb = ? AND reading = ? AND spelling = ?";
  TStatement select = Prepare(store.Connection(), sql.c_str());
  if (!select) return std::nullopt;
  BindKey(select.get(), Normalised(key));
  if (sqlite3_step(select.get()) != SQLITE_ROW) return std::nullopt;
  return ReadRow(select.get());
}

bool RecordReview(THistoryStore& store, const TProverbKey& given, TFsrsRating rating,
                  std::int64_t judgedAtMs) {
  const TProverbKey key = Normalised(given);
  if (!Exec(store.Connection(), "BEGIN IMMEDIATE")) return false;
  const std::optional<TMemoryRow> before = ReadMemory(store, key);
  TMemoryRow row;
  if (before) row = *before;
  row.Key = key;
  const std::int64_t today = LocalDay(judgedAtMs);
  // A clock set back makes the review a same-day one.
  const std::int64_t elapsed =
      before ? std::clamp<std::int64_t>(today - before->LastDay, 0, 1 << 30) : 0;
  const TFsrsReview review = TFsrs().Review(before ? std::optional(before->Memory) : std::nullopt,
                                            static_cast<std::int32_t>(elapsed), rating);
  row.Memory = review.Memory;
  row.Reviews += 1;
  if (before && rating == TFsrsRating::Again) row.Lapses += 1;
  if (rating == TFsrsRating::Again) row.LastMissedMs = judgedAtMs;
  row.LastDay = today;
  row.DueDay = today + review.IntervalDays;

  TStatement upsert = Prepare(store.Connection(),
                              "INSERT OR REPLACE INTO memory (proverb, reading, spelling, "
                              "stability, difficulty, reviews, lapses, last_day, due_day, "
                              "last_missed_ms) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  bool written = false;
  if (upsert) {
    sqlite3_stmt* s = upsert.get();
    BindKey(s, key);
    sqlite3_bind_double(s, 4, row.Memory.Stability);
    sqlite3_bind_double(s, 5, row.Memory.Difficulty);
    sqlite3_bind_int(s, 6, row.Reviews);
    sqlite3_bind_int(s, 7, row.Lapses);
    sqlite3_bind_int64(s, 8, row.LastDay);
    sqlite3_bind_int64(s, 9, row.DueDay);
    if (row.LastMissedMs) {
      sqlite3_bind_int64(s, 10, *row.LastMissedMs);
    } else {
      sqlite3_bind_null(s, 10);
    }
    written = sqlite3_step(s) == SQLITE_DONE;
  }
  if (!written || !Exec(store.Connection(), "COMMIT")) {
    Exec(store.Connection(), "ROLLBACK");
    return false;
  }
  return true;
}

std::int32_t DueCount(const THistoryStore& store, std::int64_t today) {
  TStatement count = Prepare(store.Connection(), "SELECT count(*) FROM memory WHERE due_day <= ?");
  if (!count) return 0;
  sqlite3_bind_int64(count.get(), 1, today);
  return sqlite3_step(count.get()) == SQLITE_ROW ? sqlite3_column_int(count.get(), 0) : 0;
}

std::vector<TProverbKey> ReviewList(const THistoryStore& store, std::int64_t today,
                                    std::int32_t atLeast) {
  std::vector<TProverbKey> keys;
  // Most overdue first; among those due on one day, the least stable memory first.
  const std::string due = std::string("SELECT ") + kColumns +
                          " FROM memory WHERE due_day <= ?1 "
                          "ORDER BY due_day, stability, proverb, reading, spelling";
  if (TStatement select = Prepare(store.Connection(), due.c_str())) {
    sqlite3_bind_int64(select.get(), 1, today);
    while (sqlite3_step(select.get()) == SQLITE_ROW) keys.push_back(ReadRow(select.get()).Key);
  }
  const auto missing = static_cast<std::int64_t>(atLeast) - static_cast<std::int64_t>(keys.size());
  if (missing <= 0) return keys;
  const std::string missed = std::string("SELECT ") + kColumns +
                             " FROM memory WHERE due_day > ?1 AND last_missed_ms IS NOT NULL "
                             "ORDER BY last_missed_ms DESC, proverb LIMIT ?2";
  if (TStatement select = Prepare(store.Connection(), missed.c_str())) {
    sqlite3_bind_int64(select.get(), 1, today);
    sqlite3_bind_int64(select.get(), 2, missing);
    while (sqlite3_step(select.get()) == SQLITE_ROW) keys.push_back(ReadRow(select.get()).Key);
  }
  return keys;
}

}  // namespace history
