// nightwisp-tool catalogue, end to end: the listing of the shipped catalogue, an extra file,
// the furigana listing and the refusals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/codepage/codepage.h"
#include "rules/catalogue.h"
#include "support/tool_run.h"

namespace {

using tool_test::RunResult;
using tool_test::RunTool;

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

std::string Utf8(const std::u16string& text) { return codepage::Utf16ToUtf8(text); }

class ToolCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildMondaiTable(catalogue);
    folder = std::filesystem::temp_directory_path() /
             ("nightwisp-tool-catalogue-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  TCatalogue catalogue;
  std::filesystem::path folder;
};

TEST_F(ToolCatalogueTest, ListsTheBuiltInCatalogue) {
  // The shipped additional-questions file beside the tool has a header and no questions.
  const RunResult run = RunTool("catalogue");
  ASSERT_EQ(run.Status, 0);
  ASSERT_EQ(run.Lines.size(), 170u);
  for (int n = 1; n <= 170; ++n) {
    const std::vector<std::string> fields = SplitTabs(run.Lines[n - 1]);
    ASSERT_EQ(fields.size(), 7u) << run.Lines[n - 1];
    EXPECT_EQ(fields[0], std::to_string(n));
    EXPECT_EQ(fields[1], Utf8(catalogue.MondaiTable[n])) << n;
    EXPECT_EQ(fields[2], Utf8(catalogue.MondaiTable[170 + n])) << n;
    EXPECT_EQ(fields[3], Utf8(catalogue.MondaiTable[340 + n])) << n;
    EXPECT_EQ(fields[4], Utf8(catalogue.SpeechList[n])) << n;
    // Every proverb, the four English ones too, has a meaning and a gloss.
    EXPECT_FALSE(fields[5].empty()) << n;
    EXPECT_FALSE(fields[6].empty()) << n;
    EXPECT_EQ(fields[5], Utf8(catalogue.ImiTable[n])) << n;
  }
  EXPECT_EQ(SplitTabs(run.Lines[0])[5], "強い者が良い道具や味方を得て、さらに強くなること。");
  EXPECT_EQ(SplitTabs(run.Lines[0])[2], "鬼に金棒");
  EXPECT_EQ(SplitTabs(run.Lines[166])[4], "");  // question 167 is never spoken
}

TEST_F(ToolCatalogueTest, AddsTheQuestionsOfAnExtraFile) {
  std::string text;
  for (int i = 0; i < 14; ++i) text += "header\r\n";
  text += codepage::Utf8ToSjis(
      "猫に小判\r\nねこにこばん\r\n意味：値打ちの分からない者には宝も役に立たない。\r\n\r\n"
      "　\r\nとばす\r\n手\tタブ\r\nて\r\n");
  const std::filesystem::path file = folder / "extra.txt";
  std::ofstream(file, std::ios::binary) << text;

  const RunResult run = RunTool("catalogue --extra '" + file.string() + "'");
  ASSERT_EQ(run.Status, 0);
  ASSERT_EQ(run.Lines.size(), 172u);
  EXPECT_EQ(SplitTabs(run.Lines[170]),
            (std::vector<std::string>{"171", "ねこにこばん", "猫に小判", "", "ねこにこばん",
                                      "値打ちの分からない者には宝も役に立たない。", ""}));
  // A tab inside a text is escaped, so the columns stay seven.
  EXPECT_EQ(SplitTabs(run.Lines[171]),
            (std::vector<std::string>{"172", "て", "手\\tタブ", "", "て", "", ""}));
}

// Each proverb with kanji, its written form with the reading of each kanji run in braces.
TEST_F(ToolCatalogueTest, ListsTheFuriganaOfEveryProverbWithKanji) {
  const RunResult run = RunTool("catalogue --ruby");
  ASSERT_EQ(run.Status, 0);
  std::vector<std::string> expected;
  for (int n = 1; n <= 170; ++n) {
    const std::u16string& written = catalogue.MondaiTable[170 + n];
    if (std::any_of(written.begin(), written.end(),
                    [](char16_t c) { return c >= 0x4E00 && c <= 0x9FFF; })) {
      expected.push_back(std::to_string(n));
    }
  }
  ASSERT_EQ(run.Lines.size(), expected.size());
  for (std::size_t i = 0; i < run.Lines.size(); ++i) {
    const std::vector<std::string> fields = SplitTabs(run.Lines[i]);
    ASSERT_EQ(fields.size(), 2u) << run.Lines[i];
    EXPECT_EQ(fields[0], expected[i]);
    // Without the braces and what they hold, the written form.
    std::string bare;
    bool inBraces = false;
    for (char c : fields[1]) {
      if (c == '{' || c == '}') {
        inBraces = c == '{';
      } else if (!inBraces) {
        bare.push_back(c);
      }
    }
    EXPECT_EQ(bare, Utf8(catalogue.MondaiTable[170 + std::stoi(fields[0])])) << run.Lines[i];
  }
  EXPECT_NE(std::find(run.Lines.begin(), run.Lines.end(), "95\t糠{ぬか}に釘{くぎ}"),
            run.Lines.end());
  EXPECT_EQ(run.Lines[0], "1\t鬼{おに}に金棒{かなぼう}");

  // An additional question splits at its kana too.
  std::string text;
  for (int i = 0; i < 14; ++i) text += "header\r\n";
  std::ofstream(folder / "extra.txt", std::ios::binary)
      << text << codepage::Utf8ToSjis("猫に小判\r\nねこにこばん\r\n手{x}\r\nて{x}\r\n");
  const RunResult extra =
      RunTool("catalogue --ruby --extra '" + (folder / "extra.txt").string() + "'");
  ASSERT_EQ(extra.Status, 0);
  ASSERT_FALSE(extra.Lines.empty());
  // A brace of the player's own could not be told from the notation's: no furigana for 172.
  EXPECT_EQ(extra.Lines.back(), "171\t猫{ねこ}に小判{こばん}");
}

TEST_F(ToolCatalogueTest, RefusesWhatItCannotRead) {
  EXPECT_EQ(RunTool("catalogue --extra '" + (folder / "missing.txt").string() + "'").Status, 1);
  EXPECT_EQ(RunTool("catalogue --extra").Status, 2);
  EXPECT_EQ(RunTool("catalogue --bogus").Status, 2);
  EXPECT_EQ(RunTool("catalogue --ruby --ruby").Status, 2);
  const RunResult run = RunTool("catalogue --extra '" + folder.string() + "'");  // a folder
  EXPECT_NE(run.Status, 0);
  EXPECT_TRUE(run.Lines.empty());
}

}  // namespace
