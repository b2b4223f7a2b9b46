// nightwisp-tool history, end to end on a history of the documents folder.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "history/history_store.h"
#include "support/tool_run.h"

namespace {

namespace fs = std::filesystem;

class ToolHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Docs = fs::temp_directory_path() / ("nightwisp-tool-history-" + std::to_string(::getpid()));
    fs::remove_all(Docs);
    fs::create_directories(Docs / "Amaneya" / "NightwispData");
    File = Docs / "Amaneya" / "NightwispData" / history::kHistoryFileName;
    ::setenv("NIGHTWISP_DOCUMENTS", Docs.c_str(), 1);
  }
  void TearDown() override { fs::remove_all(Docs); }

  fs::path Docs;
  fs::path File;
};

constexpr const char* kHeader =
    "game,started,mode,stage,proverb,result,kana,keys,min_keys,first_key_ms,answer_ms,hints,kind";

TEST_F(ToolHistoryTest, PrintsOneRowPerJudgedQuestion) {
  {
    auto opened = history::THistoryStore::Open(File);
    ASSERT_TRUE(opened.Store) << opened.Detail;
    const std::int64_t game =
        *opened.Store->BeginGame(1'796'000'000'000, history::TAnswerMode::Kana);
    history::TQuestionRecord q;
    q.Seq = 1;
    q.Mode = history::TAnswerMode::Kana;
    q.Proverb = 12;
    q.Reading = u"いそがばまわれ";
    q.Result = history::TQuestionResult::Correct;
    q.Kana = 7;
    q.Keys = 15;
    q.MinKeys = 13;
    q.FirstKeyMs = 1200;
    q.AnswerMs = 4300;
    q.Hints = 0;
    ASSERT_TRUE(opened.Store->AddQuestion(game, q, history::MeasureGame({&q, 1})));
    const history::TQuestionRecord first = q;
    q.Seq = 2;
    q.Stage = 2;
    q.Proverb = 0;
    q.Tuika = 3;
    q.Result = history::TQuestionResult::Timeout;
    q.Keys = 0;
    q.FirstKeyMs.reset();
    q.AnswerMs.reset();
    q.Hints = 2;
    const history::TQuestionRecord both[] = {first, q};
    ASSERT_TRUE(opened.Store->AddQuestion(game, q, history::MeasureGame(both)));

    // The tool reads beside the running game.
    const tool_test::RunResult run = tool_test::RunTool("history --csv");
    EXPECT_EQ(run.Status, 0);
    ASSERT_EQ(run.Lines.size(), 3u);
    EXPECT_EQ(run.Lines[0], kHeader);
    const std::string started = history::IsoTime(1'796'000'000'000);
    EXPECT_EQ(run.Lines[1], "1," + started + ",kana,1,12,correct,7,15,13,1200,4300,0,game");
    EXPECT_EQ(run.Lines[2], "1," + started + ",kana,2,tuika:3,timeout,7,0,13,,,2,game");
    EXPECT_TRUE(
        std::regex_match(started, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")));
  }
  // With no game running, the tool leaves nothing beside the file.
  const tool_test::RunResult table = tool_test::RunTool("history");
  EXPECT_EQ(table.Status, 0);
  ASSERT_EQ(table.Lines.size(), 2u);
  EXPECT_NE(table.Lines[1].find("97.7"), std::string::npos) << table.Lines[1];  // 7 kana in 4.3 s
  EXPECT_NE(table.Lines[1].find(" game "), std::string::npos) << table.Lines[1];
  EXPECT_FALSE(fs::exists(File.string() + "-wal"));
  EXPECT_FALSE(fs::exists(File.string() + "-shm"));
}

// A history whose statements cannot run is a failure, not a bare header and success.
TEST_F(ToolHistoryTest, AReadThatFailsExitsNonZero) {
  {
    auto opened = history::THistoryStore::Open(File);
    ASSERT_TRUE(opened.Store);
    ASSERT_EQ(sqlite3_exec(opened.Store->Connection(),
                           "ALTER TABLE questions DROP COLUMN hints; "
                           "ALTER TABLE games DROP COLUMN consistency",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
  }
  for (const char* command : {"history", "history --csv"}) {
    EXPECT_EQ(tool_test::RunTool(command).Status, 1) << command;
  }
}

TEST_F(ToolHistoryTest, ReportsAMissingOrDamagedHistory) {
  const tool_test::RunResult none = tool_test::RunTool("history --csv");
  EXPECT_EQ(none.Status, 0);
  EXPECT_EQ(none.Lines, std::vector<std::string>{kHeader});
  EXPECT_FALSE(fs::exists(File));

  std::ofstream(File) << "not a database";
  const tool_test::RunResult damaged = tool_test::RunTool("history");
  EXPECT_EQ(damaged.Status, 1);
  EXPECT_TRUE(damaged.Lines.empty());
  EXPECT_EQ(tool_test::RunTool("history --json").Status, 2);
}

}  // namespace
