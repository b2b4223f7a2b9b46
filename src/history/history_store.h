// The player's history: every judged question of every game, in an SQLite database beside
// record1.dat ("history.db"), in WAL mode so a question written is kept even when the game is
// killed a moment later.
//
// Opening never deletes, replaces or repairs the file. A file that cannot be opened, is not a
// history or is damaged, is held by another running game, or was written by a newer game gives
// a status and one message naming the file; the game then plays on without a history.
//
// Other parts of the game keep their own tables in the same database: they add them by a
// migration (history_schema.h) and work on Connection().
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/game_measures.h"
#include "history/question_record.h"
#include "history/sqlite_statement.h"
#include "platform/base/free_with.h"

namespace history {

inline constexpr const char* kHistoryFileName = "history.db";

enum class TOpenStatus {
  Opened,
  CannotOpen,   // no such folder, no permission, a read-only file, …
  Damaged,      // not an SQLite database, damaged, or a database of something else
  Locked,       // another running game has it open
  NewerSchema,  // written by a newer game
};

// ReadWrite creates the file when it is missing, brings an older schema up to date and holds
// the file against other games. ReadOnly reads what is there beside a running game: it never
// creates, changes or holds the file.
enum class TAccess { ReadWrite, ReadOnly };

// A game as the history keeps it.
struct TGameRow {
  std::int64_t Id = 0;
  std::int64_t StartedAtMs = 0;  // milliseconds since 1970, UTC
  TAnswerMode Mode = TAnswerMode::Kanji;
  TGameKind Kind = TGameKind::Game;
  TGameMeasures Measures;
};

// A judged question with its game.
struct TQuestionRow {
  std::int64_t Game = 0;
  std::int64_t StartedAtMs = 0;      // the game's start
  TGameKind Kind = TGameKind::Game;  // the game's kind
  TQuestionRecord Record;
};

// The speed of a stage's correct answers in kana over the last games of one kind: their kana
// over their typing time. The last kStageSpeedGames say how the player types now.
inline constexpr int kStageSpeedGames = 100;

struct TStageSpeed {
  TAnswerMode Mode = TAnswerMode::Kanji;
  std::int32_t Stage = 1;
  std::int32_t Answers = 0;
  double KanaPerMinute = 0;
};

// A proverb missed (wrong, timed out or given up; a skip is no miss), with how often.
struct TMissedProverb {
  std::int32_t Proverb = 0;  // catalogue number, or 0
  std::int32_t Tuika = 0;    // N of the N-th additional question, or 0
  std::u16string Reading;
  std::u16string Spelling;
  std::int32_t Misses = 0;
};

class THistoryStore;

struct TOpenedHistory {
  std::unique_ptr<THistoryStore> Store;  // set only when Status is Opened
  TOpenStatus Status = TOpenStatus::CannotOpen;
  std::string Detail;   // what SQLite or the system said, in English
  std::string Message;  // for the player: what happened to which file, and that the game
                        // plays on without a history (UTF-8; empty when opened)
};

class THistoryStore {
 public:
  static TOpenedHistory Open(const std::filesystem::path& file,
                             TAccess access = TAccess::ReadWrite);
  ~THistoryStore();
  THistoryStore(const THistoryStore&) = delete;
  THistoryStore& operator=(const THistoryStore&) = delete;

  const std::filesystem::path& File() const { return Path; }

  // --- Writing (each call all or nothing, inside the caller's transaction when one is open;
  // false with LastError() on failure) ---------------------------------------------------
  // A new game; its id, or nothing.
  std::optional<std::int64_t> BeginGame(std::int64_t startedAtMs, TAnswerMode mode,
                                        TGameKind kind = TGameKind::Game);
  // A judged question of the game, with the game's measures as they now stand.
  bool AddQuestion(std::int64_t game, const TQuestionRecord& record, const TGameMeasures& measures);
  const std::string& LastError() const { return Error; }

  // --- Reading (a read that fails returns what it read so far and notes ReadError()) -----
  std::vector<TGameRow> Games() const;  // oldest first; games without an asked question left out
  std::vector<TQuestionRow> Questions() const;  // by game, then in the order asked
  // The best kana per minute of the mode's games of one kind with kMinCorrectForBest correct
  // answers, leaving out one game (the one being played); nothing when there is none.
  std::optional<double> BestKanaPerMinute(TAnswerMode mode, std::int64_t exceptGame = 0,
                                          TGameKind kind = TGameKind::Game) const;
  std::vector<TMissedProverb> MostMissed(int count) const;
  // Each mode's and stage's speed over the last games of one kind, by mode and stage.
  std::vector<TStageSpeed> SpeedByStage(TGameKind kind = TGameKind::Game,
                                        int lastGames = kStageSpeedGames) const;
  // What went wrong in the first read that failed, in English; empty while all were read.
  const std::string& ReadError() const { return ReadFailure; }

  // The connection, for the tables other parts of the game keep here.
  sqlite3* Connection() const { return Db.get(); }

 private:
  THistoryStore(std::filesystem::path path, sqlite3* db, int lockFd);
  bool ReadInMemory(int version);  // a reader of an older file: reads a migrated copy
  TStatement Prepare(const char* sql) const;
  TStatement PrepareRead(const char* sql) const;          // notes ReadError() when it fails
  bool ReadAll(sqlite3_stmt* statement, int code) const;  // notes it unless `code` ended a read
  // The statements that write questions; false with Error set when the tables do not take them.
  bool PrepareWriting();
  bool Fail(const char* what);
  bool WriteQuestion(std::int64_t game, const TQuestionRecord& record,
                     const TGameMeasures& measures);

  std::filesystem::path Path;
  std::unique_ptr<sqlite3, TFreeWith<sqlite3_close_v2>> Db;
  int LockFd = -1;  // flock held while the file is open: a game's exclusive, a reader's shared
  TStatement InsertQuestion;
  TStatement UpdateGame;
  std::string Error;
  mutable std::string ReadFailure;
};

// The player's message for an open that failed, naming the file.
std::string OpenFailureMessage(TOpenStatus status, const std::filesystem::path& file,
                               const std::string& detail);
// The player's message for a write that failed: the game goes on without a history.
std::string WriteFailureMessage(const std::filesystem::path& file, const std::string& detail);

// A time in ISO 8601 with the local offset ("2026-12-07T22:49:18+09:00").
std::string IsoTime(std::int64_t msSince1970);

}  // namespace history
