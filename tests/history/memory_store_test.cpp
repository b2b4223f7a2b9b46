// The memory table of the history: reviews rated by FSRS and kept per proverb, the due count
// and the review game's list from a prepared database, and an older database brought up to date.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "history/history_schema.h"
#include "history/memory_store.h"
#include "support/killed_child.h"

namespace {

namespace fs = std::filesystem;
using history::TProverbKey;

constexpr std::int64_t kDayMs = 86'400'000;

class MemoryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    Dir = fs::temp_directory_path() /
          ("nightwisp-memory-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    File = Dir / history::kHistoryFileName;
  }
  void TearDown() override {
    Store.reset();
    fs::remove_all(Dir);
    unsetenv("TZ");
    tzset();
  }
  history::THistoryStore& Open() {
    history::TOpenedHistory opened = history::THistoryStore::Open(File);
    EXPECT_EQ(opened.Status, history::TOpenStatus::Opened) << opened.Message;
    Store = std::move(opened.Store);
    return *Store;
  }
  // A row as another program (or an earlier game) left it.
  void Put(int proverb, const char* reading, double stability, std::int64_t due,
           const char* missedMs = "NULL") {
    const std::string sql = "INSERT INTO memory VALUES (" + std::to_string(proverb) + ", '" +
                            reading + "', '" + reading + "', " + std::to_string(stability) +
                            ", 5, 3, 1, " + std::to_string(due - 3) + ", " + std::to_string(due) +
                            ", " + missedMs + ")";
    ASSERT_EQ(sqlite3_exec(Store->Connection(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sql;
  }

  fs::path Dir, File;
  std::unique_ptr<history::THistoryStore> Store;
};

TEST_F(MemoryStoreTest, LocalDayFollowsThePlayersCalendar) {
  // 23:30 UTC on 7 December is already 8 December in Tokyo.
  EXPECT_EQ(history::LocalDay(1796686200000), 20795);
  EXPECT_EQ(history::LocalDay(1796686200000 - 9 * 3'600'000), 20794);
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(history::LocalDay(1796686200000), 20794);
  EXPECT_EQ(history::LocalDay(-1000), -1);
  EXPECT_EQ(history::LocalDay(11017 * kDayMs), 11017);  // 1 March 2000, after a leap day
}

TEST_F(MemoryStoreTest, ReviewsFollowFsrsAndSurviveReopening) {
  history::THistoryStore& store = Open();
  const std::int64_t t0 = 1796686200000;  // day 20795 in Tokyo
  const TProverbKey neko{0, u"ねこにこばん", u"猫に小判"};
  ASSERT_TRUE(history::RecordReview(store, {12, u"ignored", u"ignored"}, TFsrsRating::Good, t0));
  ASSERT_TRUE(history::RecordReview(store, neko, TFsrsRating::Again, t0));
  ASSERT_TRUE(history::RecordReview(store, {12, {}, {}}, TFsrsRating::Hard, t0 + 3 * kDayMs));
  Store.reset();

  history::THistoryStore& again = Open();
  const TFsrs fsrs;
  const TFsrsReview first = fsrs.Review(std::nullopt, 0, TFsrsRating::Good);
  const TFsrsReview second = fsrs.Review(first.Memory, 3, TFsrsRating::Hard);
  const auto twelve = history::ReadMemory(again, {12, {}, {}});
  ASSERT_TRUE(twelve);
  EXPECT_DOUBLE_EQ(twelve->Memory.Stability, second.Memory.Stability);
  EXPECT_DOUBLE_EQ(twelve->Memory.Difficulty, second.Memory.Difficulty);
  EXPECT_EQ(twelve->Reviews, 2);
  EXPECT_EQ(twelve->Lapses, 0);
  EXPECT_EQ(twelve->LastDay, 20798);
  EXPECT_EQ(twelve->DueDay, 20798 + second.IntervalDays);
  EXPECT_FALSE(twelve->LastMissedMs);

  const auto missed = history::ReadMemory(again, neko);
  ASSERT_TRUE(missed);
  EXPECT_EQ(missed->Key, neko);
  EXPECT_EQ(missed->LastMissedMs, t0);
  EXPECT_EQ(missed->Lapses, 0);  // a first review is no lapse
  EXPECT_EQ(missed->DueDay, 20796);
  EXPECT_FALSE(history::ReadMemory(again, {0, u"ねこにこばん", u"猫"}));
}

TEST_F(MemoryStoreTest, ReviewListHoldsTheDueMostOverdueFirstThenRecentMisses) {
  Open();
  const std::int64_t today = 20800;
  Put(5, "", 4.0, today);              // due today
  Put(9, "", 2.0, today - 6);          // six days overdue
  Put(3, "", 1.0, today - 1);          // one day overdue, least stable of its day
  Put(7, "", 9.0, today - 1);          // one day overdue
  Put(0, "よみ", 3.0, today - 2);      // an additional question, two days overdue
  Put(2, "", 5.0, today + 1, "5000");  // not due; missed
  Put(4, "", 5.0, today + 4, "9000");  // not due; missed last
  Put(6, "", 5.0, today + 2);          // not due; never missed
  EXPECT_EQ(history::DueCount(*Store, today), 5);
  EXPECT_EQ(history::DueCount(*Store, today - 2), 2);

  const std::vector<TProverbKey> expected = {{9, u"", u""}, {0, u"よみ", u"よみ"}, {3, u"", u""},
                                             {7, u"", u""}, {5, u"", u""},         {4, u"", u""},
                                             {2, u"", u""}};
  EXPECT_EQ(history::ReviewList(*Store, today), expected);
  // Enough due: no misses are added, nor anything past the due ones.
  const auto three = history::ReviewList(*Store, today, 3);
  EXPECT_EQ(three.size(), 5u);
  EXPECT_EQ(history::ReviewList(*Store, today, 6).size(), 6u);
  // Nothing due yet: only the recent misses.
  EXPECT_EQ(history::ReviewList(*Store, today - 10),
            (std::vector<TProverbKey>{{4, u"", u""}, {2, u"", u""}}));
}

TEST_F(MemoryStoreTest, AnOlderHistoryGainsTheMemoryTableAndKeepsItsQuestions) {
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(File.c_str(), &db), SQLITE_OK);
    const std::string v1(history::Migrations()[0]);
    ASSERT_EQ(sqlite3_exec(db, v1.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "INSERT INTO games (started_ms, mode) VALUES (1, 'kana');"
                           "PRAGMA user_version = 1;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  history::THistoryStore& store = Open();
  ASSERT_GE(history::SchemaVersion(), 2);
  EXPECT_TRUE(history::RecordReview(store, {1, {}, {}}, TFsrsRating::Good, 0));
  EXPECT_EQ(history::DueCount(store, 1000), 1);
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(store.Connection(), "SELECT count(*) FROM games", -1, &s, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(s, 0), 1);
  sqlite3_finalize(s);
}

TEST_F(MemoryStoreTest, AGameKilledHalfwayKeepsEveryJudgedReview) {
  const testkill::Result run = testkill::KillAfterSteps(3, [&](const auto& done) {
    auto opened = history::THistoryStore::Open(File);
    if (!opened.Store) return false;
    for (int proverb = 1; proverb <= 3; ++proverb) {
      if (!history::RecordReview(*opened.Store, {proverb, {}, {}}, TFsrsRating::Good, 0)) {
        return false;
      }
      done();
    }
    return true;
  });
  ASSERT_EQ(run.StepsDone, 3);
  ASSERT_TRUE(run.Killed);
  history::THistoryStore& store = Open();
  for (int proverb = 1; proverb <= 3; ++proverb) {
    EXPECT_TRUE(history::ReadMemory(store, {proverb, {}, {}})) << proverb;
  }
}

TEST_F(MemoryStoreTest, AReadOnlyHistoryRefusesAReviewAndKeepsNothingHalfDone) {
  Open();
  Store.reset();
  history::TOpenedHistory reader = history::THistoryStore::Open(File, history::TAccess::ReadOnly);
  ASSERT_EQ(reader.Status, history::TOpenStatus::Opened) << reader.Message;
  EXPECT_FALSE(history::RecordReview(*reader.Store, {1, {}, {}}, TFsrsRating::Good, 0));
  EXPECT_FALSE(history::ReadMemory(*reader.Store, {1, {}, {}}));
}

}  // namespace
