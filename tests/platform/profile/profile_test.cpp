// The profile functions on real files: defaults, integers, writing whole files safely.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "platform/profile/profile.h"

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("nightwisp-profile-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
    ini = folder / "Settei.ini";
  }
  void TearDown() override {
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    std::filesystem::remove_all(folder);
  }
  void WriteText(const std::string& text) { std::ofstream(ini, std::ios::binary) << text; }
  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                             std::filesystem::directory_iterator()));
  }

  std::filesystem::path folder;
  std::filesystem::path ini;
};

TEST_F(ProfileTest, MissingFilesAndKeysGiveTheDefaults) {
  EXPECT_EQ(GetPrivateProfileStringA("Font", "Name", "default", ini), "default");
  EXPECT_EQ(GetPrivateProfileIntA("Font", "Charset", 128, ini), 128);
  WriteText("[Font]\r\nName=IPAGothic\r\n");
  EXPECT_EQ(GetPrivateProfileStringA("font", "name", "default", ini), "IPAGothic");
  EXPECT_EQ(GetPrivateProfileStringA("Font", "Other", "default", ini), "default");
  EXPECT_EQ(GetPrivateProfileIntA("BGM", "Music", 1, ini), 1);
  // A folder where the file should be reads as a missing file.
  EXPECT_EQ(GetPrivateProfileStringA("Font", "Name", "d", folder), "d");
}

TEST_F(ProfileTest, IntegersAreTheLeadingNumber) {
  WriteText(
      "[N]\r\nplain=42\r\nsigned= -7\r\nplus=+5\r\ntrailing=12abc\r\nword=abc\r\nempty=\r\n"
      "huge=99999999999\r\nnegativeHuge=-99999999999\r\nquoted=\"3\"\r\n");
  EXPECT_EQ(GetPrivateProfileIntA("N", "plain", -1, ini), 42);
  EXPECT_EQ(GetPrivateProfileIntA("N", "signed", -1, ini), -7);
  EXPECT_EQ(GetPrivateProfileIntA("N", "plus", -1, ini), 5);
  EXPECT_EQ(GetPrivateProfileIntA("N", "trailing", -1, ini), 12);
  EXPECT_EQ(GetPrivateProfileIntA("N", "word", -1, ini), 0);
  EXPECT_EQ(GetPrivateProfileIntA("N", "empty", -1, ini), -1);
  EXPECT_EQ(GetPrivateProfileIntA("N", "huge", -1, ini), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(GetPrivateProfileIntA("N", "negativeHuge", -1, ini),
            std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(GetPrivateProfileIntA("N", "quoted", -1, ini), 3);
}

TEST_F(ProfileTest, WritingCreatesTheFileAndReadsBack) {
  const std::string sjisPath = "C:\\\x8b\xc8\\a.mp3";  // a Shift-JIS path
  EXPECT_TRUE(WritePrivateProfileStringA("BGM", "MusicName", sjisPath, ini));
  EXPECT_TRUE(WritePrivateProfileStringA("BGM", "Music", "1", ini));
  EXPECT_EQ(ReadBytes(ini), "[BGM]\r\nMusicName=" + sjisPath + "\r\nMusic=1\r\n");
  EXPECT_EQ(GetPrivateProfileStringA("BGM", "MusicName", "", ini), sjisPath);
  EXPECT_EQ(FilesInFolder(), 1u);  // no temporary file left behind
}

TEST_F(ProfileTest, WritingKeepsEveryOtherLine) {
  const std::string before = "# mine\n[BGM]\nMusic=1\nMusicFolda=/music\n\n[Font]\nName=x\n";
  WriteText(before);
  EXPECT_TRUE(WritePrivateProfileStringA("BGM", "Music", "0", ini));
  std::string expected = before;
  expected.replace(expected.find("Music=1"), 7, "Music=0");
  EXPECT_EQ(ReadBytes(ini), expected);
}

TEST_F(ProfileTest, TheOldFileIsReplacedNotTruncated) {
  WriteText("[BGM]\r\nMusic=1\r\n");
  // A second name for the old file keeps seeing the old contents: the new text went into a
  // new file that was renamed over the name.
  const std::filesystem::path oldName = folder / "old.ini";
  std::filesystem::create_hard_link(ini, oldName);
  std::filesystem::permissions(ini, std::filesystem::perms(0640));
  EXPECT_TRUE(WritePrivateProfileStringA("BGM", "Music", "0", ini));
  EXPECT_EQ(ReadBytes(oldName), "[BGM]\r\nMusic=1\r\n");
  EXPECT_EQ(ReadBytes(ini), "[BGM]\r\nMusic=0\r\n");
  EXPECT_EQ(std::filesystem::status(ini).permissions() & std::filesystem::perms::mask,
            std::filesystem::perms(0640));
}

TEST_F(ProfileTest, AKilledWritersTemporaryGoesAtTheNextWrite) {
  std::ofstream(folder / ".Settei.ini.Ab12Cd", std::ios::binary) << "[BGM]\r\n";
  EXPECT_TRUE(WritePrivateProfileStringA("BGM", "Music", "1", ini));
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(ProfileTest, FailuresWriteNothing) {
  const std::filesystem::path missingFolder = folder / "Amaneya" / "NightwispData" / "Settei.ini";
  EXPECT_FALSE(WritePrivateProfileStringA("BGM", "Music", "1", missingFolder));
  EXPECT_FALSE(std::filesystem::exists(folder / "Amaneya"));

  WriteText("[BGM]\r\nMusic=1\r\n");
  EXPECT_FALSE(WritePrivateProfileStringA("BGM", "Music", "two\r\nlines", ini));
  EXPECT_FALSE(WritePrivateProfileStringA("B]GM", "Music", "1", ini));
  EXPECT_FALSE(WritePrivateProfileStringA("BGM", "Mu=sic", "1", ini));
  EXPECT_EQ(ReadBytes(ini), "[BGM]\r\nMusic=1\r\n");

  // Something that is not a file where the file should be is left alone.
  EXPECT_FALSE(WritePrivateProfileStringA("BGM", "Music", "1", folder));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(ProfileTest, AFolderThatCannotBeWrittenIsReported) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes anywhere";
  WriteText("[BGM]\r\nMusic=1\r\n");
  std::filesystem::permissions(folder, std::filesystem::perms(0500));
  EXPECT_FALSE(WritePrivateProfileStringA("BGM", "Music", "0", ini));
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadBytes(ini), "[BGM]\r\nMusic=1\r\n");
}

TEST_F(ProfileTest, IniFileObjectReadsAndWritesTypedValues) {
  TIniFile file(ini);
  EXPECT_TRUE(file.ReadBool("BGM", "Music", true));
  EXPECT_FALSE(file.ReadBool("BGM", "Random", false));
  EXPECT_TRUE(file.WriteBool("BGM", "Music", false));
  EXPECT_TRUE(file.WriteBool("BGM", "Random", true));
  EXPECT_TRUE(file.WriteInteger("Font", "Charset", 128));
  EXPECT_TRUE(file.WriteString("BGM", "MusicFolda", ""));
  EXPECT_FALSE(file.ReadBool("BGM", "Music", true));
  EXPECT_TRUE(file.ReadBool("BGM", "Random", false));
  EXPECT_EQ(file.ReadInteger("Font", "Charset", 0), 128);
  EXPECT_EQ(file.ReadString("BGM", "MusicFolda", "default"), "");
  EXPECT_EQ(ReadBytes(ini),
            "[BGM]\r\nMusic=0\r\nRandom=1\r\nMusicFolda=\r\n[Font]\r\nCharset=128\r\n");
}

// The in-memory object: its keys reach the file only at UpdateFile, all in one replacement; a
// key that cannot be stored keeps none of the others out; an unchanged copy leaves the file be.
TEST_F(ProfileTest, MemIniFileWritesItsKeysOnceAtUpdate) {
  WriteText("; mine\r\n[BGM]\r\nMusic=1\r\n");
  TMemIniFile file(ini);
  EXPECT_TRUE(file.WriteBool("BGM", "Music", false));
  EXPECT_FALSE(file.WriteString("BGM", "MusicName", std::string("a\0b", 3)));
  EXPECT_TRUE(file.WriteInteger("Font", "Charset", 128));
  EXPECT_FALSE(file.ReadBool("BGM", "Music", true)) << "reads see the copy";
  EXPECT_EQ(ReadBytes(ini), "; mine\r\n[BGM]\r\nMusic=1\r\n") << "written before UpdateFile";
  EXPECT_TRUE(file.UpdateFile());
  EXPECT_EQ(ReadBytes(ini), "; mine\r\n[BGM]\r\nMusic=0\r\n[Font]\r\nCharset=128\r\n");
  EXPECT_NE(file.LastError().find("MusicName"), std::string::npos) << file.LastError();

  const auto written = std::filesystem::last_write_time(ini);
  std::filesystem::last_write_time(ini, written - std::chrono::hours(1));
  TMemIniFile same(ini);
  EXPECT_TRUE(same.WriteBool("BGM", "Music", false));
  EXPECT_TRUE(same.UpdateFile());
  EXPECT_EQ(std::filesystem::last_write_time(ini), written - std::chrono::hours(1));
}

// What was not read cannot be kept: the object made while a folder stood at the name (read as
// nothing) does not replace the file that stands there by the time it updates.
TEST_F(ProfileTest, MemIniFileNeverReplacesAFileItCouldNotRead) {
  std::filesystem::create_directory(ini);
  TMemIniFile file(ini);
  EXPECT_TRUE(file.WriteBool("BGM", "Music", false));
  std::filesystem::remove(ini);
  WriteText("[BGM]\r\nMusic=1\r\nRandom=1\r\n");
  EXPECT_FALSE(file.UpdateFile());
  EXPECT_NE(file.LastError().find("cannot read"), std::string::npos) << file.LastError();
  EXPECT_EQ(ReadBytes(ini), "[BGM]\r\nMusic=1\r\nRandom=1\r\n");
}

}  // namespace
