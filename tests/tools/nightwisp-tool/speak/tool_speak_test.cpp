// nightwisp-tool speak, end to end: a proverb or a speech string into a WAV file, with its plan.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/tool_run.h"

namespace {

namespace fs = std::filesystem;

struct TTempWave {
  const fs::path Path =
      fs::temp_directory_path() / ("nightwisp-speak-" + std::to_string(getpid()) + ".wav");
  ~TTempWave() { fs::remove(Path); }
};

std::string Head(const fs::path& file, std::size_t bytes) {
  std::ifstream in(file, std::ios::binary);
  std::string head(bytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(bytes));
  return head.substr(0, static_cast<std::size_t>(in.gcount()));
}

TEST(ToolSpeakTest, WritesTheFirstProverbAsAWaveFile) {
  TTempWave wave;
  const tool_test::RunResult run = tool_test::RunTool("speak 1 -o '" + wave.Path.string() + "'");
  ASSERT_EQ(run.Status, 0);
  EXPECT_EQ(run.Lines, (std::vector<std::string>{"おに'に/かな'ぼう", "おLにHにL かLなHぼLうL"}));
  const std::string head = Head(wave.Path, 12);
  EXPECT_EQ(head.substr(0, 4), "RIFF");
  EXPECT_EQ(head.substr(8, 4), "WAVE");
  EXPECT_GT(fs::file_size(wave.Path), 44u + 22050u);  // more than half a second of speech
}

TEST(ToolSpeakTest, SpeaksAGivenSpeechString) {
  TTempWave wave;
  const tool_test::RunResult run =
      tool_test::RunTool("speak --text 'た'\\''んき' -o '" + wave.Path.string() + "'");
  ASSERT_EQ(run.Status, 0);
  EXPECT_EQ(run.Lines.at(1), "たHんLきL");
  EXPECT_TRUE(fs::exists(wave.Path));
}

TEST(ToolSpeakTest, RefusesWhatCannotBeSpoken) {
  TTempWave wave;
  EXPECT_EQ(tool_test::RunTool("speak 167 -o '" + wave.Path.string() + "'").Status, 1);
  EXPECT_EQ(tool_test::RunTool("speak 99999 -o '" + wave.Path.string() + "'").Status, 1);
  EXPECT_FALSE(fs::exists(wave.Path));
  EXPECT_EQ(tool_test::RunTool("speak").Status, 2);
  EXPECT_EQ(tool_test::RunTool("speak one").Status, 2);
  EXPECT_EQ(tool_test::RunTool("speak 1 -o /no/such/folder/x.wav").Status, 1);
}

}  // namespace
