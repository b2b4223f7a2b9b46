// nightwisp-tool romaji, end to end: one line per argument, as the field reads after Enter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tool_run.h"

namespace {

TEST(ToolRomajiTest, PrintsTheFieldAfterEachTextAndEnter) {
  const tool_test::RunResult run = tool_test::RunTool("romaji kanpai tte n sarumok 'n'\\''a'");
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Lines, (std::vector<std::string>{"かんぱい", "って", "ん", "さるもk", "んあ"}));
}

TEST(ToolRomajiTest, WithoutATextShowsItsUsage) {
  const tool_test::RunResult run = tool_test::RunTool("romaji");
  EXPECT_EQ(run.Status, 2);
  EXPECT_TRUE(run.Lines.empty());
}

}  // namespace
