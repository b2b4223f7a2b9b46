// nightwisp-tool save, end to end: every field of a record1.dat, the resume verdict, and a
// file that cannot be read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "rules/catalogue.h"
#include "rules/save_file.h"
#include "support/tool_run.h"

namespace {

struct RunResult {
  int Status = -1;
  std::map<std::string, std::string> Fields;  // "Name: value" lines
  int LineCount = 0;
};

RunResult RunTool(const std::string& file) {
  const tool_test::RunResult run = tool_test::RunTool("save '" + file + "'");
  RunResult result;
  result.Status = run.Status;
  result.LineCount = static_cast<int>(run.Lines.size());
  for (const std::string& line : run.Lines) {
    const auto colon = line.find(": ");
    if (colon != std::string::npos) result.Fields[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return result;
}

class ToolSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    File = std::filesystem::temp_directory_path() /
           ("nightwisp-tool-save-" + std::to_string(::getpid()) + ".dat");
  }
  void TearDown() override { std::filesystem::remove(File); }
  void Write(const TSaveData& d) { std::ofstream(File, std::ios::binary) << EncodeSaveData(d); }
  std::filesystem::path File;
};

TEST_F(ToolSaveTest, PrintsEveryFieldAndAResumableVerdict) {
  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  TSaveData d;
  d.MondaiNo = 3;
  d.Shutsudai[2] = 1;
  d.Shutsudai[9] = 1;
  d.ShutsudaiCount = 2;
  d.MojiCount = static_cast<std::int32_t>(catalogue.Reading(3).size());
  for (int i = 0; i < d.MojiCount; ++i) {
    d.X[i] = 10 * i;
    d.Akarusa[i] = i;
  }
  d.X[d.MojiCount] = 999;  // past MojiCount: not shown
  d.DY[0] = -2;
  d.KakushiNo = 2;
  d.SeikaiCount = 7;
  d.RenzokuCount = 1;
  d.FuseikaiCount = 4;
  d.TimeLeft = 31234;
  d.PauseTotal = 500;
  d.Playing = 1;
  d.Tokuten = 456;
  d.SaikoTokuten = 3000;
  d.HintMoji = 0;
  Write(d);
  const RunResult r = RunTool(File.string());
  ASSERT_EQ(r.Status, 0);
  EXPECT_EQ(r.LineCount, 23);
  EXPECT_EQ(r.Fields.at("MondaiNo"), "3");
  EXPECT_EQ(r.Fields.at("Shutsudai"), "3 10");
  EXPECT_EQ(r.Fields.at("ShutsudaiCount"), "2");
  EXPECT_EQ(r.Fields.at("MojiCount"), std::to_string(d.MojiCount));
  EXPECT_EQ(r.Fields.at("X").substr(0, 8), "0 10 20 ");
  EXPECT_EQ(r.Fields.at("X").find("999"), std::string::npos);
  EXPECT_EQ(r.Fields.at("DY").substr(0, 3), "-2 ");
  EXPECT_EQ(r.Fields.at("KakushiNo"), "2");
  EXPECT_EQ(r.Fields.at("SeikaiCount"), "7");
  EXPECT_EQ(r.Fields.at("FuseikaiCount"), "4");
  EXPECT_EQ(r.Fields.at("TimeLeft"), "31234");
  EXPECT_EQ(r.Fields.at("PauseTotal"), "500");
  EXPECT_EQ(r.Fields.at("Playing"), "1");
  EXPECT_EQ(r.Fields.at("Tokuten"), "456");
  EXPECT_EQ(r.Fields.at("SaikoTokuten"), "3000");
  EXPECT_EQ(r.Fields.at("BonusMode"), "0");
  EXPECT_EQ(r.Fields.at("HintCount"), "0");
  EXPECT_EQ(r.Fields.at("resume"), "yes");
}

TEST_F(ToolSaveTest, DamagedAndFinishedGamesGiveTheReason) {
  TSaveData d;
  d.MondaiNo = 1;
  d.MojiCount = 400;
  Write(d);
  RunResult r = RunTool(File.string());
  ASSERT_EQ(r.Status, 0);
  EXPECT_EQ(r.Fields.at("resume").rfind("no — ", 0), 0u);
  EXPECT_NE(r.Fields.at("resume").find("MojiCount"), std::string::npos);

  d.SeikaiCount = 30;
  Write(d);
  r = RunTool(File.string());
  EXPECT_NE(r.Fields.at("resume").find("finished"), std::string::npos);

  // Beyond a finished game, and a file longer than the record: the real value is named.
  d.SeikaiCount = 31;
  Write(d);
  r = RunTool(File.string());
  EXPECT_NE(r.Fields.at("resume").find("SeikaiCount out of range (31)"), std::string::npos);
  d.SeikaiCount = 5;
  d.MojiCount = 7;
  std::ofstream(File, std::ios::binary) << EncodeSaveData(d) << "x";
  r = RunTool(File.string());
  EXPECT_NE(r.Fields.at("resume").find("1053 bytes"), std::string::npos);
}

TEST_F(ToolSaveTest, AFileThatCannotBeReadExitsWithOne) {
  EXPECT_EQ(RunTool((File.string() + ".absent")).Status, 1);
  EXPECT_EQ(RunTool(std::filesystem::temp_directory_path().string()).Status, 1);
}

}  // namespace
