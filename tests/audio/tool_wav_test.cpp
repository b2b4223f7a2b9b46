#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/wave_builder.h"

namespace {

struct ToolRun {
  int status = -1;
  std::string output;  // standard output and error together
};

ToolRun Tool(const std::string& arguments) {
  ToolRun run;
  const std::string command = std::string(NIGHTWISP_TOOL) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return run;
  }
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    run.output += buffer;
  }
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace

TEST(ToolWav, PrintsTheFormatOrTheLibrarysReport) {
  testwave::TempDir dir;
  const auto good = dir / "good.wav";
  testwave::WriteFile(good, testwave::Wave16(2, 32000, testwave::Sine16(2, 32000, 0.25, 440)));
  const ToolRun ok = Tool("wav " + good.string());
  EXPECT_EQ(ok.status, 0) << ok.output;
  EXPECT_NE(ok.output.find("channels: 2\n"), std::string::npos) << ok.output;
  EXPECT_NE(ok.output.find("bits: 16\n"), std::string::npos);
  EXPECT_NE(ok.output.find("rate: 32000 Hz\n"), std::string::npos);
  EXPECT_NE(ok.output.find("data bytes: 32000\n"), std::string::npos);
  EXPECT_NE(ok.output.find("duration: 0.250 s\n"), std::string::npos);

  const auto noData = dir / "nodata.wav";
  testwave::WriteFile(
      noData, testwave::Riff("WAVE", testwave::Chunk("fmt ", testwave::PcmFormat(1, 8000, 8))));
  const ToolRun bad = Tool("wav " + noData.string());
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.output, "debug#00001 ... " + noData.string() + "には、dataチャンクが有りません\n");

  const ToolRun missing = Tool("wav " + (dir / "missing.wav").string());
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("が、見つかりません"), std::string::npos);
  EXPECT_EQ(Tool("wav").status, 2);
}
