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
