// Opening a history file whose pages are damaged: a valid history (a few games and questions,
// small pages) with the input's patches applied, each four bytes (page, offset in two bytes,
// new value). The game must either refuse the file, leaving every byte as it was and nothing
// beside it, or find it whole; whatever it opens it reads and writes like any other history.
#include <sqlite3.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "history/history_store.h"

namespace {

namespace fs = std::filesystem;
using history::THistoryStore;
using history::TOpenStatus;

constexpr int kPageSize = 512;  // small pages: a small file, quick to write and check
constexpr std::size_t kMostPatches = 64;

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

history::TQuestionRecord Question(int seq) {
  history::TQuestionRecord q;
  q.Seq = seq;
  q.Stage = 1;
  q.Proverb = seq;
  q.Reading = u"さるもきからおちる";
  q.Spelling = u"猿も木から落ちる";
  q.Result = seq % 3 == 0 ? history::TQuestionResult::Wrong : history::TQuestionResult::Correct;
  q.Kana = 9;
  q.Keys = 20;
  q.MinKeys = 18;
  q.JudgedAtMs = 1'796'000'000'000 + seq;
  return q;
}

void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz_history_open: %s\n", what);
  std::abort();
}

// A folder in memory where there is one (each run writes and opens a file), removed at exit.
struct TWorkFolder {
  TWorkFolder() {
    const fs::path shm = "/dev/shm";
    std::error_code error;
    const fs::path base = fs::is_directory(shm, error) ? shm : fs::temp_directory_path();
    Path = base / ("nightwisp-fuzz-history-" + std::to_string(::getpid()));
    fs::create_directories(Path);
  }
  ~TWorkFolder() {
    std::error_code error;
    fs::remove_all(Path, error);
  }
  fs::path Path;
};

// The valid history every input damages: made by the game's own code, then in rollback-journal
// mode with small pages, as an older game or another tool may leave it.
std::string ValidHistory(const fs::path& file) {
  fs::remove(file);
  {
    auto opened = THistoryStore::Open(file);
    Check(opened.Status == TOpenStatus::Opened, "the valid history opens");
    for (int game = 0; game < 3; ++game) {
      const std::int64_t id = *opened.Store->BeginGame(game, history::TAnswerMode::Kana);
      for (int seq = 1; seq <= 12; ++seq)
        Check(opened.Store->AddQuestion(id, Question(seq), {}), "a question is written");
    }
  }
  sqlite3* db = nullptr;
  Check(sqlite3_open(file.c_str(), &db) == SQLITE_OK, "SQLite opens the history");
  const std::string sql =
      "PRAGMA journal_mode = DELETE; PRAGMA page_size = " + std::to_string(kPageSize) + "; VACUUM;";
  Check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK,
        "the history gets small pages");
  sqlite3_close(db);
  return Contents(file);
}

bool QuickCheckPasses(sqlite3* db) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &statement, nullptr) != SQLITE_OK) {
    return false;
  }
  const bool ok =
      sqlite3_step(statement) == SQLITE_ROW &&
      std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))) == "ok";
  sqlite3_finalize(statement);
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const TWorkFolder folder;
  static const fs::path file = folder.Path / history::kHistoryFileName;
  static const std::string valid = ValidHistory(file);
  const std::size_t pages = valid.size() / kPageSize;

  std::string damaged = valid;
  for (std::size_t i = 0; i + 4 <= size && i / 4 < kMostPatches; i += 4) {
    const std::size_t page = data[i] % pages;
    const std::size_t offset = (std::size_t{data[i + 1]} << 8 | data[i + 2]) % kPageSize;
    damaged[page * kPageSize + offset] = static_cast<char>(data[i + 3]);
  }
  for (const char* leftover : {"-wal", "-shm", "-journal"}) fs::remove(file.string() + leftover);
  Put(file, damaged);

  {
    auto opened = THistoryStore::Open(file);
    if (opened.Status != TOpenStatus::Opened) {
      // Refused: one message naming the file, and the file as it was.
      Check(!opened.Store && opened.Message.find(file.string()) != std::string::npos,
            "a refusal names the file");
      Check(Contents(file) == damaged, "a refused file is left as it was");
      Check(!fs::exists(file.string() + "-wal") && !fs::exists(file.string() + "-journal"),
            "nothing is left beside a refused file");
      return 0;
    }
    // Opened: the file is whole, and it is read and written as any history.
    THistoryStore& store = *opened.Store;
    Check(QuickCheckPasses(store.Connection()), "an opened history is whole");
    (void)store.Games();
    (void)store.Questions();
    (void)store.MostMissed(5);
    if (const auto game = store.BeginGame(7, history::TAnswerMode::Kanji)) {
      (void)store.AddQuestion(*game, Question(1), {});
    }
  }
  return 0;
}
