// Texts in the Shift-JIS Settei.ini: exact when Shift-JIS holds them, kept in an extra UTF-8
// key when it cannot, and never overriding a value an older reader has changed since.
#include "rules/ini_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/codepage/codepage.h"

namespace game {
namespace {

class IniTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::filesystem::temp_directory_path() /
            ("nightwisp-initext-" + std::to_string(::getpid()) + ".ini");
    std::filesystem::remove(file_);
  }
  void TearDown() override { std::filesystem::remove(file_); }
  std::string Bytes() const {
    std::ifstream in(file_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::filesystem::path file_;
};

TEST_F(IniTextTest, TextsComeBackExactlyAndFittingOnesAreWrittenAsBefore) {
  TIniFile ini(file_);
  EXPECT_EQ(ReadIniText(ini, "BGM", "MusicName", "default"), "default");
  for (const char* text : {"/home/player/曲/a.mp3", "/home/player/música/Grüße.mp3",
                           "/home/player/Café/", "猿も木から落ちる", "/home/player/曲/b.mp3"}) {
    SCOPED_TRACE(text);
    ASSERT_TRUE(WriteIniText(ini, "BGM", "MusicName", text));
    EXPECT_EQ(ReadIniText(ini, "BGM", "MusicName", ""), text);
    // The Shift-JIS key always holds what older readers can use.
    EXPECT_EQ(ini.ReadString("BGM", "MusicName", ""), codepage::Utf8ToSjis(text));
  }
  // The last text fits Shift-JIS: the file holds only its Shift-JIS key, with no UTF-8 copy
  // left that could be mistaken for it.
  EXPECT_EQ(ini.ReadString("BGM", "MusicNameUTF8", ""), "");
  std::filesystem::remove(file_);
  ASSERT_TRUE(WriteIniText(ini, "BGM", "MusicName", "/home/player/曲/b.mp3"));
  EXPECT_EQ(Bytes(),
            "[BGM]\r\nMusicName=" + codepage::Utf8ToSjis("/home/player/曲/b.mp3") + "\r\n");
}

TEST_F(IniTextTest, AValueChangedByAnOlderReaderWinsOverAStaleUtf8Copy) {
  TIniFile ini(file_);
  ASSERT_TRUE(WriteIniText(ini, "BGM", "MusicFolda", "/home/player/Café"));
  // An older version writes only the Shift-JIS key.
  ASSERT_TRUE(ini.WriteString("BGM", "MusicFolda", "/home/player/other"));
  EXPECT_EQ(ReadIniText(ini, "BGM", "MusicFolda", ""), "/home/player/other");
}

// A path typed by hand into the file in a UTF-8 editor is read as UTF-8; a Shift-JIS one as
// before.
TEST_F(IniTextTest, AUtf8ValueTypedByHandIsReadAsUtf8) {
  TIniFile ini(file_);
  const struct {
    std::string Stored;
    std::string Read;
  } cases[] = {
      {"/home/player/음악/봄.mp3", "/home/player/음악/봄.mp3"},
      {"/home/player/曲/a.mp3", "/home/player/曲/a.mp3"},
      {codepage::Utf8ToSjis("/home/player/曲/漢字.mp3"), "/home/player/曲/漢字.mp3"},
      {codepage::Utf8ToSjis("猿も木から落ちる"), "猿も木から落ちる"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Read);
    ASSERT_TRUE(ini.WriteString("BGM", "MusicName", c.Stored));
    EXPECT_EQ(ReadIniText(ini, "BGM", "MusicName", ""), c.Read);
  }
}

}  // namespace
}  // namespace game
