#include "history/history_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include "history/history_schema.h"
#include "history/sqlite_statement.h"

namespace history {
namespace {

using TDb = std::unique_ptr<sqlite3, TFreeWith<sqlite3_close_v2>>;

// How long a write waits for a reader's checkpoint or another program's lock.
constexpr int kBusyTimeoutMs = 250;

std::optional<std::int32_t> OptionalInt(sqlite3_stmt* statement, int column) {
  if (sqlite3_column_type(statement, column) == SQLITE_NULL) return std::nullopt;
  return sqlite3_column_int(statement, column);
}

void BindOptional(sqlite3_stmt* statement, int index, const std::optional<std::int32_t>& value) {
  if (value) {
    sqlite3_bind_int(statement, index, *value);
  } else {
    sqlite3_bind_null(statement, index);
  }
}

TAnswerMode ModeFromName(const std::string& name) {
  return name == "kana" ? TAnswerMode::Kana : TAnswerMode::Kanji;
}

TOpenStatus StatusOf(int code) {
  switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
    case SQLITE_SCHEMA:
    case SQLITE_ERROR:
      return TOpenStatus::Damaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return TOpenStatus::Locked;
    default:
      return TOpenStatus::CannotOpen;
  }
}

TOpenedHistory Failed(TOpenStatus status, const std::filesystem::path& file, std::string detail) {
  TOpenedHistory opened;
  opened.Status = status;
  opened.Message = OpenFailureMessage(status, file, detail);
  opened.Detail = std::move(detail);
  return opened;
}

// The single integer a pragma or query returns; nothing on failure (the code in *code).
std::optional<std::int64_t> QueryInt(sqlite3* db, const char* sql, int* code) {
  sqlite3_stmt* raw = nullptr;
  *code = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
  std::unique_ptr<sqlite3_stmt, TFreeWith<sqlite3_finalize>> statement(raw);
  if (*code != SQLITE_OK) return std::nullopt;
  *code = sqlite3_step(raw);
  if (*code != SQLITE_ROW) return std::nullopt;
  *code = SQLITE_OK;
  return sqlite3_column_int64(raw, 0);
}

// A reader's hold on the file while no game has it open: flock(2) shared, against a game's
// exclusive one. Holding it, a reader opens the file for writing (it never writes), since only
// the close of such a connection takes the -wal and -shm files away with it; beside a running
// game it reads through the game's own and leaves them to the game.
class TReaderLock {
 public:
  explicit TReaderLock(const std::filesystem::path& file) {
    if (file.empty()) return;
    Fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd >= 0 && ::flock(Fd, LOCK_SH | LOCK_NB) != 0) ::close(std::exchange(Fd, -1));
  }
  ~TReaderLock() {
    if (Fd >= 0) ::close(Fd);
  }
  TReaderLock(const TReaderLock&) = delete;
  TReaderLock& operator=(const TReaderLock&) = delete;
  bool Held() const { return Fd >= 0; }
  int Release() { return std::exchange(Fd, -1); }

 private:
  int Fd = -1;
};

// What `PRAGMA quick_check` finds wrong with the file (its first finding), or empty when the
// file is whole. A check that cannot run at all leaves its code in *code and says why.
std::string QuickCheck(sqlite3* db, int* code) {
  sqlite3_stmt* raw = nullptr;
  *code = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &raw, nullptr);
  std::unique_ptr<sqlite3_stmt, TFreeWith<sqlite3_finalize>> statement(raw);
  if (*code == SQLITE_OK) *code = sqlite3_step(raw);
  if (*code != SQLITE_ROW) return sqlite3_errmsg(db);
  *code = SQLITE_OK;
  const std::string finding = Text(raw, 0);
  return finding == "ok" ? std::string() : finding;
}

// Applies the migrations from `version` on, in one transaction.
bool Migrate(sqlite3* db, int version) {
  if (!Exec(db, "BEGIN IMMEDIATE")) return false;
  const auto migrations = Migrations();
  for (std::size_t i = static_cast<std::size_t>(version); i < migrations.size(); ++i) {
    const std::string sql(migrations[i]);
    if (!Exec(db, sql.c_str())) {
      Exec(db, "ROLLBACK");
      return false;
    }
  }
  const std::string setVersion = "PRAGMA user_version = " + std::to_string(SchemaVersion());
  if (!Exec(db, setVersion.c_str()) || !Exec(db, "COMMIT")) {
    Exec(db, "ROLLBACK");
    return false;
  }
  return true;
}

}  // namespace

TOpenedHistory THistoryStore::Open(const std::filesystem::path& file, TAccess access) {
  const bool readWrite = access == TAccess::ReadWrite;
  TReaderLock reader(readWrite ? std::filesystem::path() : file);
  sqlite3* raw = nullptr;
  const int flags =
      (readWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) |
      SQLITE_OPEN_NOMUTEX;
  int code = SQLITE_CANTOPEN;
  if (reader.Held()) {
    code =
        sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) sqlite3_close_v2(std::exchange(raw, nullptr));
  }
  if (raw == nullptr) code = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
  TDb db(raw);
  if (code != SQLITE_OK) {
    return Failed(TOpenStatus::CannotOpen, file, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(code));
  }
  if (readWrite && sqlite3_db_readonly(raw, "main") == 1) {
    return Failed(TOpenStatus::CannotOpen, file, "the file cannot be written");
  }
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);

  // Another game holding the file keeps it for itself: two games writing one history would
  // interleave their questions. The lock is flock(2), apart from SQLite's own record locks, so
  // a read-only reader (nightwisp-tool) still reads beside a running game. The descriptor
  // stays open until the connection has closed: closing it early would drop SQLite's locks.
  int lockFd = -1;
  if (readWrite) {
    lockFd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (lockFd < 0) return Failed(TOpenStatus::CannotOpen, file, std::strerror(errno));
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      db.reset();
      ::close(lockFd);
      return Failed(error == EWOULDBLOCK ? TOpenStatus::Locked : TOpenStatus::CannotOpen, file,
                    error == EWOULDBLOCK ? "another game has it open" : std::strerror(error));
    }
  }
  if (!readWrite) lockFd = reader.Release();
  std::unique_ptr<THistoryStore> store(new THistoryStore(file, db.release(), lockFd));
  sqlite3* connection = store->Db.get();

  // The version is read before anything is written, so a newer game's file stays untouched.
  const std::optional<std::int64_t> version = QueryInt(connection, "PRAGMA user_version", &code);
  if (!version) return Failed(StatusOf(code), file, sqlite3_errmsg(connection));
  if (*version > SchemaVersion()) {
    return Failed(TOpenStatus::NewerSchema, file,
                  "schema version " + std::to_string(*version) + ", this game reads up to " +
                      std::to_string(SchemaVersion()));
  }
  if (*version < 0) {
    return Failed(TOpenStatus::Damaged, file,
                  "schema version " + std::to_string(*version) + ", which no game writes");
  }
  const std::optional<std::int64_t> objects =
      QueryInt(connection, "SELECT count(*) FROM sqlite_schema", &code);
  if (!objects) return Failed(StatusOf(code), file, sqlite3_errmsg(connection));
  if (*version == 0 && *objects > 0) {
    return Failed(TOpenStatus::Damaged, file, "a database of another program");
  }
  if (readWrite && *objects > 0) {
    // A damaged page must be found before the first write: SQLite writes around what it does
    // not read, and the journal mode is changed only on a file known to be whole.
    if (std::string problem = QuickCheck(connection, &code); !problem.empty()) {
      return Failed(code == SQLITE_OK ? TOpenStatus::Damaged : StatusOf(code), file, problem);
    }
  }
  // On a file of this game's version the statements that write are made before anything is
  // written: a schema they cannot work on (a damaged table's columns) leaves the file as it was.
  if (readWrite && *version == SchemaVersion() && !store->PrepareWriting()) {
    code = sqlite3_extended_errcode(connection);
    return Failed(StatusOf(code), file, store->Error);
  }
  if (readWrite) {
    if (!Exec(connection, "PRAGMA foreign_keys = ON")) {
      code = sqlite3_extended_errcode(connection);
      return Failed(StatusOf(code), file, sqlite3_errmsg(connection));
    }
    // An older file is brought up to date in the journal mode it came in, before WAL: a
    // migration that fails is rolled back and leaves the file as it was.
    if (*version < SchemaVersion() && !Migrate(connection, static_cast<int>(*version))) {
      code = sqlite3_extended_errcode(connection);
      return Failed(StatusOf(code), file, sqlite3_errmsg(connection));
    }
    if (!Exec(connection, "PRAGMA journal_mode = WAL") ||
        !Exec(connection, "PRAGMA synchronous = NORMAL")) {
      code = sqlite3_extended_errcode(connection);
      return Failed(StatusOf(code), file, sqlite3_errmsg(connection));
    }
    if (!store->InsertQuestion && !store->PrepareWriting()) {
      code = sqlite3_extended_errcode(connection);
      return Failed(StatusOf(code), file, store->Error);
    }
  } else if (*version == 0) {
    return Failed(TOpenStatus::Damaged, file, "no history has been written to it yet");
  } else {
    Exec(connection, "PRAGMA query_only = ON");
    if (*version < SchemaVersion() && !store->ReadInMemory(static_cast<int>(*version))) {
      return Failed(TOpenStatus::Damaged, file, store->Error);
    }
  }
  TOpenedHistory opened;
  opened.Status = TOpenStatus::Opened;
  opened.Store = std::move(store);
  return opened;
}

THistoryStore::THistoryStore(std::filesystem::path path, sqlite3* db, int lockFd)
    : Path(std::move(path)), Db(db), LockFd(lockFd) {}

THistoryStore::~THistoryStore() {
  InsertQuestion.reset();
  UpdateGame.reset();
  Db.reset();
  if (LockFd >= 0) ::close(LockFd);
}

bool THistoryStore::ReadInMemory(int version) {
  // An older file is read in the current schema: a copy in memory brought up to date, the file
  // and its lock let go at once.
  sqlite3* raw = nullptr;
  const int code =
      sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  TDb memory(raw);
  if (code != SQLITE_OK) return Fail("a copy in memory");
  sqlite3_backup* backup = sqlite3_backup_init(raw, "main", Db.get(), "main");
  if (backup == nullptr) return Fail("a copy in memory");
  sqlite3_backup_step(backup, -1);
  if (sqlite3_backup_finish(backup) != SQLITE_OK) return Fail("a copy in memory");
  if (!Migrate(raw, version)) {
    Error = std::string("reading schema version ") + std::to_string(version) + ": " +
            sqlite3_errmsg(raw);
    return false;
  }
  Db = std::move(memory);
  if (LockFd >= 0) ::close(std::exchange(LockFd, -1));
  return true;
}

bool THistoryStore::PrepareWriting() {
  InsertQuestion = Prepare(
      "INSERT INTO questions (game, seq, stage, mode, proverb, tuika, reading, spelling, "
      "result, kana, keys, min_keys, first_key_ms, answer_ms, hints, judged_ms) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!InsertQuestion) return Fail("the questions table");
  UpdateGame = Prepare(
      "UPDATE games SET asked = ?, correct = ?, kana_per_min = ?, keys_per_s = ?, "
      "key_accuracy = ?, answer_accuracy = ?, consistency = ? WHERE id = ?");
  if (!UpdateGame) {
    InsertQuestion.reset();
    return Fail("the games table");
  }
  return true;
}

TStatement THistoryStore::Prepare(const char* sql) const {
  return history::Prepare(Db.get(), sql, SQLITE_PREPARE_PERSISTENT);
}

TStatement THistoryStore::PrepareRead(const char* sql) const {
  TStatement statement = Prepare(sql);
  if (!statement && ReadFailure.empty()) ReadFailure = sqlite3_errmsg(Db.get());
  return statement;
}

bool THistoryStore::ReadAll(sqlite3_stmt* statement, int code) const {
  if (code == SQLITE_DONE) return true;
  if (ReadFailure.empty()) ReadFailure = sqlite3_errmsg(sqlite3_db_handle(statement));
  return false;
}

bool THistoryStore::Fail(const char* what) {
  Error = std::string(what) + ": " + sqlite3_errmsg(Db.get());
  return false;
}

std::optional<std::int64_t> THistoryStore::BeginGame(std::int64_t startedAtMs, TAnswerMode mode,
                                                     TGameKind kind) {
  TStatement insert = Prepare("INSERT INTO games (started_ms, mode, kind) VALUES (?, ?, ?)");
  if (!insert) return Fail("a new game"), std::nullopt;
  sqlite3_bind_int64(insert.get(), 1, startedAtMs);
  sqlite3_bind_text(insert.get(), 2, ModeName(mode).data(), -1, SQLITE_STATIC);
  sqlite3_bind_text(insert.get(), 3, KindName(kind).data(), -1, SQLITE_STATIC);
  if (sqlite3_step(insert.get()) != SQLITE_DONE) return Fail("a new game"), std::nullopt;
  return sqlite3_last_insert_rowid(Db.get());
}

bool THistoryStore::AddQuestion(std::int64_t game, const TQuestionRecord& q,
                                const TGameMeasures& m) {
  if (!InsertQuestion) return false;
  // A savepoint: its own transaction, or a part of the caller's when one is open.
  if (!Exec(Db.get(), "SAVEPOINT question")) return Fail("a judged question");
  const bool written = WriteQuestion(game, q, m);
  if (!written) {
    Exec(Db.get(), "ROLLBACK TO question");
    Exec(Db.get(), "RELEASE question");
    return false;
  }
  if (!Exec(Db.get(), "RELEASE question")) {
    Fail("a judged question");
    if (!sqlite3_get_autocommit(Db.get())) Exec(Db.get(), "ROLLBACK");
    return false;
  }
  return true;
}

bool THistoryStore::WriteQuestion(std::int64_t game, const TQuestionRecord& q,
                                  const TGameMeasures& m) {
  sqlite3_stmt* insert = InsertQuestion.get();
  sqlite3_reset(insert);
  sqlite3_bind_int64(insert, 1, game);
  sqlite3_bind_int(insert, 2, q.Seq);
  sqlite3_bind_int(insert, 3, q.Stage);
  sqlite3_bind_text(insert, 4, ModeName(q.Mode).data(), -1, SQLITE_STATIC);
  sqlite3_bind_int(insert, 5, q.Proverb);
  sqlite3_bind_int(insert, 6, q.Tuika);
  Bind16(insert, 7, q.Reading);
  Bind16(insert, 8, q.Spelling);
  sqlite3_bind_text(insert, 9, ResultName(q.Result).data(), -1, SQLITE_STATIC);
  sqlite3_bind_int(insert, 10, q.Kana);
  sqlite3_bind_int(insert, 11, q.Keys);
  sqlite3_bind_int(insert, 12, q.MinKeys);
  BindOptional(insert, 13, q.FirstKeyMs);
  BindOptional(insert, 14, q.AnswerMs);
  sqlite3_bind_int(insert, 15, q.Hints);
  sqlite3_bind_int64(insert, 16, q.JudgedAtMs);
  if (sqlite3_step(insert) != SQLITE_DONE) return Fail("a judged question");

  sqlite3_stmt* update = UpdateGame.get();
  sqlite3_reset(update);
  sqlite3_bind_int(update, 1, m.Asked);
  sqlite3_bind_int(update, 2, m.Correct);
  sqlite3_bind_double(update, 3, m.KanaPerMinute);
  sqlite3_bind_double(update, 4, m.KeysPerSecond);
  sqlite3_bind_double(update, 5, m.KeyAccuracy);
  sqlite3_bind_double(update, 6, m.AnswerAccuracy);
  sqlite3_bind_double(update, 7, m.Consistency);
  sqlite3_bind_int64(update, 8, game);
  if (sqlite3_step(update) != SQLITE_DONE) return Fail("a game's measures");
  if (sqlite3_changes(Db.get()) != 1) {
    Error = "a game's measures: no game " + std::to_string(game);
    return false;
  }
  return true;
}

std::vector<TGameRow> THistoryStore::Games() const {
  std::vector<TGameRow> games;
  TStatement select = PrepareRead(
      "SELECT id, started_ms, mode, asked, correct, kana_per_min, keys_per_s, key_accuracy, "
      "answer_accuracy, consistency, kind FROM games WHERE asked > 0 ORDER BY id");
  if (!select) return games;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(select.get())) == SQLITE_ROW) {
    sqlite3_stmt* s = select.get();
    TGameRow row;
    row.Id = sqlite3_column_int64(s, 0);
    row.StartedAtMs = sqlite3_column_int64(s, 1);
    row.Mode = ModeFromName(Text(s, 2));
    row.Measures.Asked = sqlite3_column_int(s, 3);
    row.Measures.Correct = sqlite3_column_int(s, 4);
    row.Measures.KanaPerMinute = sqlite3_column_double(s, 5);
    row.Measures.KeysPerSecond = sqlite3_column_double(s, 6);
    row.Measures.KeyAccuracy = sqlite3_column_double(s, 7);
    row.Measures.AnswerAccuracy = sqlite3_column_double(s, 8);
    row.Measures.Consistency = sqlite3_column_double(s, 9);
    row.Kind = KindFromName(Text(s, 10)).value_or(TGameKind::Game);
    games.push_back(row);
  }
  ReadAll(select.get(), code);
  return games;
}

std::vector<TQuestionRow> THistoryStore::Questions() const {
  std::vector<TQuestionRow> questions;
  TStatement select = PrepareRead(
      "SELECT q.game, g.started_ms, q.seq, q.stage, q.mode, q.proverb, q.tuika, q.reading, "
      "q.spelling, q.result, q.kana, q.keys, q.min_keys, q.first_key_ms, q.answer_ms, q.hints, "
      "q.judged_ms, g.kind FROM questions q JOIN games g ON g.id = q.game "
      "ORDER BY q.game, q.seq");
  if (!select) return questions;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(select.get())) == SQLITE_ROW) {
    sqlite3_stmt* s = select.get();
    TQuestionRow row;
    row.Game = sqlite3_column_int64(s, 0);
    row.StartedAtMs = sqlite3_column_int64(s, 1);
    TQuestionRecord& q = row.Record;
    q.Seq = sqlite3_column_int(s, 2);
    q.Stage = sqlite3_column_int(s, 3);
    q.Mode = ModeFromName(Text(s, 4));
    q.Proverb = sqlite3_column_int(s, 5);
    q.Tuika = sqlite3_column_int(s, 6);
    q.Reading = Text16(s, 7);
    q.Spelling = Text16(s, 8);
    q.Result = ResultFromName(Text(s, 9)).value_or(TQuestionResult::Wrong);
    q.Kana = sqlite3_column_int(s, 10);
    q.Keys = sqlite3_column_int(s, 11);
    q.MinKeys = sqlite3_column_int(s, 12);
    q.FirstKeyMs = OptionalInt(s, 13);
    q.AnswerMs = OptionalInt(s, 14);
    q.Hints = sqlite3_column_int(s, 15);
    q.JudgedAtMs = sqlite3_column_int64(s, 16);
    row.Kind = KindFromName(Text(s, 17)).value_or(TGameKind::Game);
    questions.push_back(std::move(row));
  }
  ReadAll(select.get(), code);
  return questions;
}

std::optional<double> THistoryStore::BestKanaPerMinute(TAnswerMode mode, std::int64_t exceptGame,
                                                       TGameKind kind) const {
  TStatement select = PrepareRead(
      "SELECT max(kana_per_min) FROM games "
      "WHERE mode = ? AND kind = ? AND correct >= ? AND id <> ?");
  if (!select) return std::nullopt;
  sqlite3_bind_text(select.get(), 1, ModeName(mode).data(), -1, SQLITE_STATIC);
  sqlite3_bind_text(select.get(), 2, KindName(kind).data(), -1, SQLITE_STATIC);
  sqlite3_bind_int(select.get(), 3, kMinCorrectForBest);
  sqlite3_bind_int64(select.get(), 4, exceptGame);
  const int code = sqlite3_step(select.get());
  if (code != SQLITE_ROW) {
    ReadAll(select.get(), code);
    return std::nullopt;
  }
  if (sqlite3_column_type(select.get(), 0) == SQLITE_NULL) return std::nullopt;
  return sqlite3_column_double(select.get(), 0);
}

std::vector<TMissedProverb> THistoryStore::MostMissed(int count) const {
  std::vector<TMissedProverb> missed;
  TStatement select = PrepareRead(
      "SELECT proverb, tuika, reading, spelling, count(*) AS misses FROM questions "
      "WHERE result NOT IN ('correct', 'skipped') "  // the words of questions_missed_only
      "GROUP BY proverb, tuika, reading, spelling "
      "ORDER BY misses DESC, proverb, tuika LIMIT ?");
  if (!select) return missed;
  sqlite3_bind_int(select.get(), 1, count);
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(select.get())) == SQLITE_ROW) {
    sqlite3_stmt* s = select.get();
    missed.push_back({sqlite3_column_int(s, 0), sqlite3_column_int(s, 1), Text16(s, 2),
                      Text16(s, 3), sqlite3_column_int(s, 4)});
  }
  ReadAll(select.get(), code);
  return missed;
}

std::vector<TStageSpeed> THistoryStore::SpeedByStage(TGameKind kind, int lastGames) const {
  std::vector<TStageSpeed> speeds;
  // The last games through the questions' (game, seq) index: as quick with 10,000 games as
  // with 100.
  TStatement select = PrepareRead(
      "SELECT q.mode, q.stage, count(*), sum(q.kana) * 60000.0 / sum(q.answer_ms) "
      "FROM questions q "
      "WHERE q.game IN (SELECT id FROM games WHERE kind = ? ORDER BY id DESC LIMIT ?) "
      "AND q.result = 'correct' AND q.kana > 0 AND q.answer_ms > 0 "
      "GROUP BY q.mode, q.stage ORDER BY q.mode, q.stage");
  if (!select) return speeds;
  sqlite3_bind_text(select.get(), 1, KindName(kind).data(), -1, SQLITE_STATIC);
  sqlite3_bind_int(select.get(), 2, lastGames);
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(select.get())) == SQLITE_ROW) {
    sqlite3_stmt* s = select.get();
    speeds.push_back({ModeFromName(Text(s, 0)), sqlite3_column_int(s, 1), sqlite3_column_int(s, 2),
                      sqlite3_column_double(s, 3)});
  }
  ReadAll(select.get(), code);
  return speeds;
}

std::string OpenFailureMessage(TOpenStatus status, const std::filesystem::path& file,
                               const std::string& detail) {
  const std::string name = "成績の記録「" + file.string() + "」";
  switch (status) {
    case TOpenStatus::Opened:
      return {};
    case TOpenStatus::CannotOpen:
      return name + "を開けません（" + detail + "）。成績を記録せずにゲームを続けます。";
    case TOpenStatus::Damaged:
      return name + "は壊れているか、このゲームの記録ではありません（" + detail +
             "）。ファイルはそのまま残し、成績を記録せずにゲームを続けます。";
    case TOpenStatus::Locked:
      return name +
             "は、起動中のもう一つのゲームが使っています。成績を記録せずにゲームを続けます。";
    case TOpenStatus::NewerSchema:
      return name + "は新しい版のゲームで書かれていて読めません（" + detail +
             "）。ファイルはそのまま残し、成績を記録せずにゲームを続けます。";
  }
  return {};
}

std::string WriteFailureMessage(const std::filesystem::path& file, const std::string& detail) {
  return "成績の記録「" + file.string() + "」に書き込めません（" + detail +
         "）。ここから先は成績を記録せずにゲームを続けます。";
}

std::string IsoTime(std::int64_t msSince1970) {
  const std::time_t seconds = static_cast<std::time_t>(msSince1970 / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  std::string iso = text;
  // strftime's offset is +hhmm; ISO 8601's extended form wants +hh:mm.
  if (iso.size() >= 5) iso.insert(iso.size() - 2, ":");
  return iso;
}

}  // namespace history
