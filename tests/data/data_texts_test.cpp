// The shipped text files: each data/*.txt reaches the executable's folder as Shift-JIS with
// CR LF line ends and says exactly what its UTF-8 original says.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/catalogue.h"
#include "platform/base/files.h"
#include "platform/codepage/codepage.h"

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::filesystem::path SourceDir() { return NIGHTWISP_SOURCE_DIR; }

// The shipped texts are beside the executables, this test among them.
std::filesystem::path ShippedDir() { return files::ExecutableFolder(); }

TEST(DataTextsTest, EveryTextIsShippedAsShiftJisWithCrLf) {
  int texts = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SourceDir() / "data")) {
    if (entry.path().extension() != ".txt" || entry.path().filename() == "CMakeLists.txt") {
      continue;
    }
    ++texts;
    const std::filesystem::path shipped = ShippedDir() / entry.path().filename();
    ASSERT_TRUE(std::filesystem::exists(shipped)) << shipped;
    const std::string bytes = ReadBytes(shipped);
    ASSERT_FALSE(bytes.empty()) << shipped;

    // Every LF is preceded by CR, and every CR followed by LF.
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << shipped << " at " << i;
      }
      if (bytes[i] == '\r') {
        ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << shipped << " at " << i;
      }
    }

    // Decoded, it is the original with LF line ends.
    std::string original = ReadBytes(entry.path());
    std::string decoded = codepage::SjisToUtf8(bytes);
    std::erase(original, '\r');
    std::erase(decoded, '\r');
    EXPECT_EQ(decoded, original) << shipped;
  }
  EXPECT_GE(texts, 1);
}

TEST(DataTextsTest, TheAdditionalQuestionsFileIsAHeaderWithoutQuestions) {
  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  const TuikaLoadResult result = LoadTuikaMondai(catalogue, ShippedDir());
  EXPECT_TRUE(result.FileFound);
  EXPECT_TRUE(result.Error.empty());
  EXPECT_EQ(result.LineCount, kTuikaHeaderLines);
  EXPECT_EQ(catalogue.TuikaCount, 0);

  // One question added under the header becomes question 171.
  std::string bytes = ReadBytes(ShippedDir() / kTuikaFileName);
  bytes += codepage::Utf8ToSjis("猫に小判\r\nねこにこばん\r\n");
  LoadTuikaMondaiFromBytes(catalogue, bytes);
  ASSERT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.Reading(171), codepage::Utf8ToUtf16("ねこにこばん"));
}

}  // namespace
