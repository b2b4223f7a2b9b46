// The shipped text files: each data/*.txt reaches the executable's folder as the UTF-8 text
// it is, which the desktop's editor opens and the game reads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/base/files.h"
#include "platform/codepage/codepage.h"
#include "rules/catalogue.h"

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::filesystem::path SourceDir() { return NIGHTWISP_SOURCE_DIR; }

// The shipped texts are beside the executables, this test among them.
std::filesystem::path ShippedDir() { return files::ExecutableFolder(); }

TEST(DataTextsTest, EveryTextIsShippedAsItsUtf8OriginalWithoutAByteOrderMark) {
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
    EXPECT_EQ(bytes, ReadBytes(entry.path())) << shipped;
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF") << shipped;
    // Valid UTF-8 throughout: converting it there and back changes nothing.
    EXPECT_EQ(codepage::Utf16ToUtf8(codepage::Utf8ToUtf16(bytes)), bytes) << shipped;
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

  // The header reads as the text it is, and one question added under it in the same
  // encoding, as the desktop's editor saves it, becomes question 171.
  std::string bytes = ReadBytes(ShippedDir() / kTuikaFileName);
  bytes += "猫に小判\nねこにこばん\n";
  LoadTuikaMondaiFromBytes(catalogue, bytes);
  ASSERT_EQ(catalogue.TuikaCount, 1);
  EXPECT_EQ(catalogue.Reading(171), codepage::Utf8ToUtf16("ねこにこばん"));
}

}  // namespace
