#include "history/history_schema.h"

#include <array>

namespace history {
namespace {

// Version 1: the games and their judged questions. A game's measures are kept on its row,
// brought up to date with each question, so lists of games need not read every question.
constexpr std::string_view kVersion1 = R"sql(
CREATE TABLE games (
  id INTEGER PRIMARY KEY,
  started_ms INTEGER NOT NULL,          -- milliseconds since 1970, UTC
  mode TEXT NOT NULL CHECK (mode IN ('kanji', 'kana')),
  asked INTEGER NOT NULL DEFAULT 0,
  correct INTEGER NOT NULL DEFAULT 0,
  kana_per_min REAL NOT NULL DEFAULT 0,
  keys_per_s REAL NOT NULL DEFAULT 0,
  key_accuracy REAL NOT NULL DEFAULT 0,
  answer_accuracy REAL NOT NULL DEFAULT 0,
  consistency REAL NOT NULL DEFAULT 0
);
CREATE TABLE questions (
  id INTEGER PRIMARY KEY,
  game INTEGER NOT NULL REFERENCES games (id),
  seq INTEGER NOT NULL,
  stage INTEGER NOT NULL,
  mode TEXT NOT NULL CHECK (mode IN ('kanji', 'kana')),
  proverb INTEGER NOT NULL,             -- catalogue number, 0 for an additional question
  tuika INTEGER NOT NULL,               -- N of the N-th additional question, 0 otherwise
  reading TEXT NOT NULL,
  spelling TEXT NOT NULL,
  result TEXT NOT NULL
    CHECK (result IN ('correct', 'wrong', 'timeout', 'giveup', 'skipped')),
  kana INTEGER NOT NULL,
  keys INTEGER NOT NULL,
  min_keys INTEGER NOT NULL,
  first_key_ms INTEGER,                 -- NULL when no key was pressed
  answer_ms INTEGER,
  hints INTEGER NOT NULL,
  judged_ms INTEGER NOT NULL,           -- milliseconds since 1970, UTC
  UNIQUE (game, seq)
);
CREATE INDEX questions_by_proverb ON questions (proverb, tuika, judged_ms);
CREATE INDEX questions_missed ON questions (proverb, tuika, reading, spelling)
  WHERE result <> 'correct';
CREATE INDEX games_by_mode ON games (mode, kana_per_min);
)sql";

// Version 2: what the player knows of each proverb: its FSRS memory state after the last judged
// review and the day it is due again, in local calendar days since 1970-01-01. A built-in
// proverb is its catalogue number; an additional question (proverb 0) its reading and spelling,
// which outlive its place in the file.
constexpr std::string_view kVersion2 = R"sql(
CREATE TABLE memory (
  proverb INTEGER NOT NULL,
  reading TEXT NOT NULL,
  spelling TEXT NOT NULL,
  stability REAL NOT NULL,              -- days
  difficulty REAL NOT NULL,             -- 1..10
  reviews INTEGER NOT NULL,
  lapses INTEGER NOT NULL,
  last_day INTEGER NOT NULL,
  due_day INTEGER NOT NULL,
  last_missed_ms INTEGER,               -- milliseconds since 1970, UTC; NULL if never missed
  PRIMARY KEY (proverb, reading, spelling)
);
CREATE INDEX memory_by_due ON memory (due_day);
)sql";

// Version 3: each game's kind ("game", or "review" for ゲーム → 復習), so that bests and charts
// keep reviews apart; the games written before were all counted as games. A question skipped
// with Ctrl is no longer asked: the games' counts and answer accuracy are worked out again. An
// English proverb (a reading in letters) has no kana. The misses' index leaves the skips out.
constexpr std::string_view kVersion3 = R"sql(
ALTER TABLE games ADD COLUMN kind TEXT NOT NULL DEFAULT 'game';
CREATE INDEX games_by_kind ON games (kind, mode, kana_per_min);
UPDATE games SET asked =
  (SELECT count(*) FROM questions WHERE game = games.id AND result <> 'skipped');
UPDATE games SET answer_accuracy =
  CASE WHEN asked > 0 THEN CAST(correct AS REAL) / asked ELSE 0 END;
UPDATE questions SET kana = 0 WHERE reading GLOB '*[A-Za-z]*';
DROP INDEX questions_missed;
CREATE INDEX questions_missed_only ON questions (proverb, tuika, reading, spelling)
  WHERE result NOT IN ('correct', 'skipped');
)sql";

constexpr std::array<std::string_view, 3> kMigrations = {kVersion1, kVersion2, kVersion3};

}  // namespace

std::span<const std::string_view> Migrations() { return kMigrations; }

int SchemaVersion() { return static_cast<int>(kMigrations.size()); }

}  // namespace history
