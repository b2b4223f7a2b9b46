#include "platform/base/fatal.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {
void HookWritesMarker(const std::string& message) {
  std::fprintf(stderr, "hook saw [%s]\n", message.c_str());
}
}  // namespace

TEST(Fatal, HaltReportsThroughHookAndExitsNonZero) {
  EXPECT_EXIT(
      {
        fatal::SetReportHook(HookWritesMarker);
        fatal::Halt("device lost for good");
      },
      testing::ExitedWithCode(1),
      "Nightwisp: device lost for good\nhook saw \\[device lost for good\\]");
}

// The library's error code is for the log: standard error has it, the player's box does not,
// and the box leads with what to do.
TEST(Fatal, TheCodeGoesToTheLogAndTheBoxLeadsWithWhatToDo) {
  EXPECT_EXIT(
      {
        fatal::SetReportHook(HookWritesMarker);
        fatal::Halt("seikai.bmp could not be read", "(Error Code = UNKNOWN ERROR ... $00000001)");
      },
      testing::ExitedWithCode(1),
      "Nightwisp: seikai.bmp could not be read\\(Error Code = UNKNOWN ERROR \\.\\.\\. "
      "\\$00000001\\)\nhook saw \\[seikai.bmp could not be read\\]\n");
  const std::string box = fatal::BoxText("seikai.bmp could not be read");
  EXPECT_EQ(box.rfind("Nightwisp を入れ直してください。\n", 0), 0u) << box;
  EXPECT_NE(box.find("seikai.bmp could not be read"), std::string::npos) << box;
  EXPECT_EQ(box.find("Error Code"), std::string::npos);
}
