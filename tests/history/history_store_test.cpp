// The history database: what is written comes back, in WAL mode with its schema version; a
// killed game keeps every question written; a file that cannot be used is reported and left
// exactly as it was.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "history/game_measures.h"
#include "history/history_schema.h"
#include "history/history_store.h"
#include "history/history_summary.h"
#include "support/killed_child.h"

namespace {

namespace fs = std::filesystem;
using history::TAccess;
using history::TAnswerMode;
using history::THistoryStore;
using history::TOpenStatus;
using history::TQuestionRecord;
using history::TQuestionResult;

class HistoryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Dir = fs::temp_directory_path() /
          ("nightwisp-history-" + std::to_string(::getpid()) + "-" + info->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    File = Dir / history::kHistoryFileName;
  }
  void TearDown() override {
    fs::permissions(Dir, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(Dir);
  }

  static std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Write(const std::string& bytes) { std::ofstream(File, std::ios::binary) << bytes; }

  // Runs SQL on the file with SQLite itself, as another program would.
  void RawExec(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(File.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }

  // The file, and that opening it fails with `status`, a message naming it, and no change.
  void ExpectRefused(TOpenStatus status) {
    const std::string before = Contents(File);
    const history::TOpenedHistory opened = THistoryStore::Open(File);
    EXPECT_EQ(opened.Status, status) << opened.Detail;
    EXPECT_FALSE(opened.Store);
    EXPECT_NE(opened.Message.find(File.string()), std::string::npos) << opened.Message;
    EXPECT_EQ(Contents(File), before);
    EXPECT_FALSE(fs::exists(File.string() + "-wal"));
  }

  fs::path Dir;
  fs::path File;
};

TQuestionRecord Question(int seq, TQuestionResult result, int proverb, const char16_t* reading) {
  TQuestionRecord q;
  q.Seq = seq;
  q.Stage = 1 + (seq - 1) / 10;
  q.Mode = TAnswerMode::Kana;
  q.Proverb = proverb;
  q.Reading = reading;
  q.Spelling = u"猿も木から落ちる";
  q.Result = result;
  q.Kana = static_cast<int>(q.Reading.size());
  q.Keys = 20 + seq;
  q.MinKeys = 18;
  q.FirstKeyMs = 1000 + seq;
  q.AnswerMs = 5000 + seq;
  q.Hints = seq % 2;
  q.JudgedAtMs = 1'796'000'000'000 + seq;
  return q;
}

TEST_F(HistoryStoreTest, KeepsGamesAndQuestionsInWalModeWithItsVersion) {
  {
    auto opened = THistoryStore::Open(File);
    ASSERT_EQ(opened.Status, TOpenStatus::Opened) << opened.Detail;
    THistoryStore& store = *opened.Store;
    const auto game = store.BeginGame(1'796'000'000'000, TAnswerMode::Kana);
    ASSERT_TRUE(game);
    std::vector<TQuestionRecord> asked = {
        Question(1, TQuestionResult::Correct, 3, u"さるもきからおちる"),
        Question(2, TQuestionResult::Wrong, 7, u"いそがばまわれ"),
        Question(3, TQuestionResult::Skipped, 7, u"いそがばまわれ")};
    asked[2].FirstKeyMs.reset();
    asked[2].AnswerMs.reset();
    for (std::size_t i = 0; i < asked.size(); ++i) {
      const std::span<const TQuestionRecord> sofar(asked.data(), i + 1);
      ASSERT_TRUE(store.AddQuestion(*game, asked[i], history::MeasureGame(sofar)))
          << store.LastError();
    }
    // The same place in a game twice is refused, not doubled.
    EXPECT_FALSE(store.AddQuestion(*game, asked[0], {}));
    EXPECT_TRUE(store.BeginGame(1'796'000'100'000, TAnswerMode::Kanji));  // no question yet
  }
  auto opened = THistoryStore::Open(File, TAccess::ReadOnly);
  ASSERT_EQ(opened.Status, TOpenStatus::Opened) << opened.Detail;
  const THistoryStore& store = *opened.Store;
  const auto questions = store.Questions();
  ASSERT_EQ(questions.size(), 3u);
  const TQuestionRecord& first = questions[0].Record;
  EXPECT_EQ(questions[0].StartedAtMs, 1'796'000'000'000);
  EXPECT_EQ(first.Reading, u"さるもきからおちる");
  EXPECT_EQ(first.Spelling, u"猿も木から落ちる");
  EXPECT_EQ(first.Mode, TAnswerMode::Kana);
  EXPECT_EQ(first.Kana, 9);
  EXPECT_EQ(first.Keys, 21);
  EXPECT_EQ(first.FirstKeyMs, 1001);
  EXPECT_EQ(first.AnswerMs, 5001);
  EXPECT_EQ(first.Hints, 1);
  EXPECT_EQ(first.JudgedAtMs, 1'796'000'000'001);
  EXPECT_EQ(questions[1].Record.Result, TQuestionResult::Wrong);
  EXPECT_FALSE(questions[2].Record.AnswerMs);

  const auto games = store.Games();  // the game without a question is left out
  ASSERT_EQ(games.size(), 1u);
  EXPECT_EQ(games[0].Measures.Asked, 2);  // the skip was not asked
  EXPECT_EQ(games[0].Measures.Correct, 1);
  EXPECT_NEAR(games[0].Measures.KanaPerMinute, 9 * 60000.0 / 5001, 1e-9);

  const auto missed = store.MostMissed(10);
  ASSERT_EQ(missed.size(), 1u);
  EXPECT_EQ(missed[0].Proverb, 7);
  EXPECT_EQ(missed[0].Misses, 1);  // nor missed
  EXPECT_EQ(missed[0].Reading, u"いそがばまわれ");

  sqlite3* db = store.Connection();
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &s, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "wal");
  sqlite3_finalize(s);
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(s, 0), history::SchemaVersion());
  sqlite3_finalize(s);
}

TEST_F(HistoryStoreTest, BestLeavesOutShortGamesAndTheGameInPlay) {
  auto opened = THistoryStore::Open(File);
  ASSERT_EQ(opened.Status, TOpenStatus::Opened) << opened.Detail;
  THistoryStore& store = *opened.Store;
  auto addGame = [&](TAnswerMode mode, int correct, double kanaPerMinute,
                     history::TGameKind kind = history::TGameKind::Game) {
    const std::int64_t game = *store.BeginGame(0, mode, kind);
    history::TGameMeasures m;
    m.Asked = m.Correct = correct;
    m.KanaPerMinute = kanaPerMinute;
    EXPECT_TRUE(store.AddQuestion(game, Question(1, TQuestionResult::Correct, 1, u"あ"), m));
    return game;
  };
  EXPECT_FALSE(store.BestKanaPerMinute(TAnswerMode::Kana));
  addGame(TAnswerMode::Kana, history::kMinCorrectForBest, 150);
  addGame(TAnswerMode::Kana, history::kMinCorrectForBest - 1, 400);  // too short to count
  addGame(TAnswerMode::Kanji, 30, 300);                              // another mode
  const std::int64_t playing = addGame(TAnswerMode::Kana, 12, 180);
  EXPECT_EQ(store.BestKanaPerMinute(TAnswerMode::Kana), 180);
  EXPECT_EQ(store.BestKanaPerMinute(TAnswerMode::Kana, playing), 150);
  EXPECT_EQ(store.BestKanaPerMinute(TAnswerMode::Kanji), 300);
  // A review is no game: it has bests of its own and leaves the games' alone.
  addGame(TAnswerMode::Kana, 10, 1481, history::TGameKind::Review);
  EXPECT_EQ(store.BestKanaPerMinute(TAnswerMode::Kana), 180);
  EXPECT_EQ(store.BestKanaPerMinute(TAnswerMode::Kana, 0, history::TGameKind::Review), 1481);
  EXPECT_FALSE(store.BestKanaPerMinute(TAnswerMode::Kanji, 0, history::TGameKind::Review));
}

// A history as each version of the game wrote it (its schema made by that version's
// migrations, its rows by that version's statements, closed in WAL mode): every reader reads
// it in the current form, leaves the file's bytes as they were and no -wal or -shm behind.
TEST_F(HistoryStoreTest, ReadsAFileOfEverySchemaVersionAndLeavesNothingBehind) {
  for (int version = 1; version <= history::SchemaVersion(); ++version) {
    SCOPED_TRACE("schema version " + std::to_string(version));
    fs::remove(File);
    if (version == history::SchemaVersion()) {
      auto opened = THistoryStore::Open(File);
      ASSERT_TRUE(opened.Store) << opened.Detail;
      const auto game = *opened.Store->BeginGame(1'796'000'000'000, TAnswerMode::Kana);
      std::vector<TQuestionRecord> asked = {
          Question(1, TQuestionResult::Correct, 3, u"さるもきからおちる"),
          Question(2, TQuestionResult::Wrong, 7, u"いそがばまわれ"),
          Question(3, TQuestionResult::Skipped, 7, u"いそがばまわれ"),
          Question(4, TQuestionResult::Correct, 167, u"The die is cast.")};
      asked[3].Kana = 0;
      for (std::size_t i = 0; i < asked.size(); ++i) {
        ASSERT_TRUE(opened.Store->AddQuestion(
            game, asked[i], history::MeasureGame(std::span(asked.data(), i + 1))));
      }
    } else {
      std::string sql = "PRAGMA journal_mode = WAL; BEGIN;";
      for (int m = 0; m < version; ++m) sql += std::string(history::Migrations()[m]);
      sql += "PRAGMA user_version = " + std::to_string(version) +
             ";"
             "INSERT INTO games (started_ms, mode) VALUES (1796000000000, 'kana');"
             "INSERT INTO questions (game, seq, stage, mode, proverb, tuika, reading, spelling, "
             "result, kana, keys, min_keys, first_key_ms, answer_ms, hints, judged_ms) VALUES "
             "(1, 1, 1, 'kana', 3, 0, 'さるもきからおちる', '猿も木から落ちる', 'correct', 9, "
             "21, 18, 1001, 5001, 1, 1796000000001),"
             "(1, 2, 1, 'kana', 7, 0, 'いそがばまわれ', '急がば回れ', 'wrong', 7, 22, 18, 1002, "
             "5002, 0, 1796000000002),"
             "(1, 3, 1, 'kana', 7, 0, 'いそがばまわれ', '急がば回れ', 'skipped', 7, 23, 18, "
             "1003, 5003, 1, 1796000000003),"
             "(1, 4, 1, 'kana', 167, 0, 'The die is cast.', 'The die is cast.', 'correct', 16, "
             "24, 18, 1004, 5004, 0, 1796000000004);"
             // The game's row as those versions kept it: the skip among the asked.
             "UPDATE games SET asked = 4, correct = 2, kana_per_min = 9 * 60000.0 / 5001, "
             "answer_accuracy = 2.0 / 4 WHERE id = 1;"
             "COMMIT;";
      RawExec(sql);
    }
    ASSERT_FALSE(fs::exists(File.string() + "-wal"));
    const std::string before = Contents(File);

    auto opened = THistoryStore::Open(File, TAccess::ReadOnly);
    ASSERT_EQ(opened.Status, TOpenStatus::Opened) << opened.Detail;
    const THistoryStore& store = *opened.Store;
    const auto games = store.Games();
    ASSERT_EQ(games.size(), 1u) << store.ReadError();
    EXPECT_EQ(games[0].Kind, history::TGameKind::Game);
    EXPECT_EQ(games[0].Measures.Asked, 3);
    EXPECT_DOUBLE_EQ(games[0].Measures.AnswerAccuracy, 2.0 / 3);
    const auto questions = store.Questions();
    ASSERT_EQ(questions.size(), 4u);
    EXPECT_EQ(questions[3].Record.Kana, 0);  // English: no kana
    EXPECT_EQ(questions[0].Record.Reading, u"さるもきからおちる");
    EXPECT_EQ(questions[2].Record.Result, TQuestionResult::Skipped);
    EXPECT_EQ(questions[2].Kind, history::TGameKind::Game);
    const auto missed = store.MostMissed(10);
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0].Misses, 1);
    ASSERT_EQ(store.SpeedByStage().size(), 1u);
    EXPECT_NEAR(store.SpeedByStage()[0].KanaPerMinute, 9 * 60000.0 / 5001, 1e-9);
    EXPECT_TRUE(store.ReadError().empty()) << store.ReadError();
    opened.Store.reset();  // the reader closes
    EXPECT_EQ(Contents(File), before);
    EXPECT_FALSE(fs::exists(File.string() + "-wal"));
    EXPECT_FALSE(fs::exists(File.string() + "-shm"));
  }
}

// A statement that cannot run is a failed read, not an empty history.
TEST_F(HistoryStoreTest, AReadThatFailsSaysSo) {
  RawExec("PRAGMA user_version = " + std::to_string(history::SchemaVersion()) +
          "; CREATE TABLE games (id INTEGER PRIMARY KEY); CREATE TABLE questions (id INTEGER)");
  const auto opened = THistoryStore::Open(File, TAccess::ReadOnly);
  ASSERT_TRUE(opened.Store) << opened.Detail;
  EXPECT_TRUE(opened.Store->Games().empty());
  EXPECT_NE(opened.Store->ReadError().find("no such column"), std::string::npos)
      << opened.Store->ReadError();
  EXPECT_TRUE(opened.Store->Questions().empty());
  EXPECT_FALSE(opened.Store->ReadError().empty());
  EXPECT_FALSE(history::Summarise(*opened.Store).Error.empty());
}

// The game is killed with SIGKILL after its third judged question: all three are there.
TEST_F(HistoryStoreTest, KeepsEveryWrittenQuestionWhenTheGameIsKilled) {
  const testkill::Result run = testkill::KillAfterSteps(3, [&](const auto& done) {
    auto opened = THistoryStore::Open(File);
    if (!opened.Store) return false;
    const std::int64_t game = *opened.Store->BeginGame(0, TAnswerMode::Kanji);
    for (int seq = 1; seq <= 3; ++seq) {
      if (!opened.Store->AddQuestion(game, Question(seq, TQuestionResult::Correct, seq, u"い"),
                                     {})) {
        return false;
      }
      done();
    }
    return true;
  });
  ASSERT_EQ(run.StepsDone, 3);
  ASSERT_TRUE(run.Killed);

  auto opened = THistoryStore::Open(File);  // the dead game's lock went with it
  ASSERT_EQ(opened.Status, TOpenStatus::Opened) << opened.Detail;
  EXPECT_EQ(opened.Store->Questions().size(), 3u);
}

TEST_F(HistoryStoreTest, AnotherRunningGameHoldsTheFileButAReaderStillReads) {
  auto first = THistoryStore::Open(File);
  ASSERT_EQ(first.Status, TOpenStatus::Opened);
  const std::int64_t game = *first.Store->BeginGame(0, TAnswerMode::Kanji);
  ASSERT_TRUE(first.Store->AddQuestion(game, Question(1, TQuestionResult::Correct, 1, u"あ"), {}));

  const auto second = THistoryStore::Open(File);
  EXPECT_EQ(second.Status, TOpenStatus::Locked);
  EXPECT_NE(second.Message.find(File.string()), std::string::npos);
  const auto reader = THistoryStore::Open(File, TAccess::ReadOnly);
  ASSERT_EQ(reader.Status, TOpenStatus::Opened) << reader.Detail;
  EXPECT_EQ(reader.Store->Questions().size(), 1u);
  // The first game goes on writing beside the reader.
  EXPECT_TRUE(first.Store->AddQuestion(game, Question(2, TQuestionResult::Wrong, 2, u"い"), {}));

  first.Store.reset();
  EXPECT_EQ(THistoryStore::Open(File).Status, TOpenStatus::Opened);
}

TEST_F(HistoryStoreTest, LeavesADamagedFileAsItIs) {
  Write(std::string("SQLite format 3") + std::string(200, '\x7f'));
  ExpectRefused(TOpenStatus::Damaged);
  Write("Nightwisp history? no: a text file\n");
  ExpectRefused(TOpenStatus::Damaged);
  fs::remove(File);
  RawExec("CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('mine')");
  ExpectRefused(TOpenStatus::Damaged);
}

// A history whose header is sound but one of whose pages is overwritten is found out before
// anything is written: not switched to WAL, no game added.
TEST_F(HistoryStoreTest, FindsADamagedPageBeforeTheFirstWrite) {
  {
    auto opened = THistoryStore::Open(File);
    ASSERT_EQ(opened.Status, TOpenStatus::Opened) << opened.Detail;
    const std::int64_t game = *opened.Store->BeginGame(0, TAnswerMode::Kana);
    for (int seq = 1; seq <= 300; ++seq) {
      ASSERT_TRUE(opened.Store->AddQuestion(
          game, Question(seq, TQuestionResult::Correct, seq % 170 + 1, u"さるもきからおちる"), {}));
    }
  }
  RawExec("PRAGMA journal_mode = DELETE");  // as an older game or another tool leaves it
  std::string bytes = Contents(File);
  constexpr std::size_t kPage = 4096;
  ASSERT_GE(bytes.size(), 8 * kPage);
  // The last page is a b-tree page of the questions: its header becomes nonsense.
  std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() - kPage), 64, '\x7f');
  Write(bytes);
  ExpectRefused(TOpenStatus::Damaged);
  const auto opened = THistoryStore::Open(File);
  EXPECT_NE(opened.Message.find("成績を記録せずに"), std::string::npos) << opened.Message;

  // Whole pages, but a damaged table definition the game cannot write to: refused before the
  // journal mode changes, naming what is wrong.
  fs::remove(File);
  ASSERT_EQ(THistoryStore::Open(File).Status, TOpenStatus::Opened);
  RawExec(
      "PRAGMA journal_mode = DELETE; PRAGMA writable_schema = ON; "
      "UPDATE sqlite_schema SET sql = replace(sql, ' stage INTEGER', ' sxage INTEGER') "
      "WHERE name = 'questions'");
  ExpectRefused(TOpenStatus::Damaged);
  const std::string detail = THistoryStore::Open(File).Detail;
  EXPECT_NE(detail.find("stage"), std::string::npos) << detail;
}

TEST_F(HistoryStoreTest, LeavesANewerGamesFileAsItIs) {
  RawExec("PRAGMA user_version = " + std::to_string(history::SchemaVersion() + 1) +
          "; CREATE TABLE games (id INTEGER PRIMARY KEY, future BLOB)");
  ExpectRefused(TOpenStatus::NewerSchema);
  EXPECT_EQ(THistoryStore::Open(File, TAccess::ReadOnly).Status, TOpenStatus::NewerSchema);
}

TEST_F(HistoryStoreTest, ReportsAFileThatCannotBeOpenedOrWritten) {
  const auto noFolder = THistoryStore::Open(Dir / "missing" / "history.db");
  EXPECT_EQ(noFolder.Status, TOpenStatus::CannotOpen);
  EXPECT_NE(noFolder.Message.find("missing"), std::string::npos);

  ASSERT_EQ(THistoryStore::Open(File).Status, TOpenStatus::Opened);
  if (::geteuid() != 0) {  // root writes whatever the permissions say
    ::chmod(File.c_str(), 0444);
    ExpectRefused(TOpenStatus::CannotOpen);
  }
  // A reader never makes a file that is not there.
  EXPECT_EQ(THistoryStore::Open(Dir / "none.db", TAccess::ReadOnly).Status,
            TOpenStatus::CannotOpen);
  EXPECT_FALSE(fs::exists(Dir / "none.db"));
}

TEST(HistoryIsoTimeTest, WritesIso8601WithTheOffset) {
  const std::string iso = history::IsoTime(1'796'000'000'000);
  ASSERT_EQ(iso.size(), 25u) << iso;
  EXPECT_EQ(iso[4], '-');
  EXPECT_EQ(iso[10], 'T');
  EXPECT_EQ(iso[22], ':');
  EXPECT_TRUE(iso[19] == '+' || iso[19] == '-') << iso;
}

}  // namespace
