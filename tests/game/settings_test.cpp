// Settei.ini and Font.dat as one record: the defaults of missing files, the bytes a new file
// receives (what older versions of the game wrote and read), and every field kept through a
// write and a read.
#include "rules/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace game {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("nightwisp-settings-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Bytes(const char* name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::filesystem::path dir_;
};

TEST_F(SettingsTest, MissingFilesReadAsTheDefaults) {
  const TSettings read = TSettingsFiles(dir_).Read();
  const TSettings defaults;
  EXPECT_FALSE(read.FontSaved);
  EXPECT_FALSE(read.FontStyle.has_value());
  EXPECT_EQ(read.FontName, codepage::Utf8ToSjis("ＭＳ 明朝"));
  EXPECT_EQ(read.FontCharset, 128);
  EXPECT_TRUE(read.Music);
  EXPECT_FALSE(read.Random);
  EXPECT_TRUE(read.RomajiHenkan) << "files from before the option mean on";
  EXPECT_TRUE(read.ImiHyoji) << "files from before the option mean on";
  EXPECT_TRUE(read.Furigana) << "files from before the option mean on";
  EXPECT_EQ(read.TuikaMondai, u"ないとうぃすぷ");
  EXPECT_EQ(read.TuikaSeikai, u"Nightwisp");
  EXPECT_EQ(read.KaitoMode, 0);
  EXPECT_EQ(read.ChosenKaitoMode, -1) << "no mode chosen yet: a start begins as it always did";
  EXPECT_EQ(read.MusicName, defaults.MusicName);
  EXPECT_EQ(read.WindowSize, 1) << "1×, windowed, whole multiples";
  EXPECT_FALSE(read.FullScreen);
  EXPECT_FALSE(read.FitToWindow);
}

TEST_F(SettingsTest, ANewFileReceivesEachGroupInTheKnownLayout) {
  TSettings s;
  s.FontName = codepage::Utf8ToSjis("游明朝");
  s.MusicName = "/music/曲.mp3";
  s.MusicFolda = "/music";
  s.Random = true;
  s.RomajiHenkan = false;
  s.ImiHyoji = false;
  s.Furigana = false;
  s.TuikaMondai = u"こたえ";
  s.TuikaSeikai = u"答え";
  s.KaitoMode = 1;
  s.ChosenKaitoMode = 1;
  const TSettingsFiles files(dir_);
  ASSERT_TRUE(files.Write(s, TSettingsGroup::AtClose));
  EXPECT_EQ(Bytes("Settei.ini"), "[Font]\r\nCharset=128\r\nName=" + codepage::Utf8ToSjis("游明朝") +
                                     "\r\n[BGM]\r\nMusic=1\r\nRandom=1\r\nMusicName=" +
                                     codepage::Utf8ToSjis("/music/曲.mp3") +
                                     "\r\nMusicFolda=/music\r\n[RomajiHenkan]\r\nValue=0\r\n"
                                     "[KaitoMode]\r\nChosen=1\r\n"
                                     "[Hyoji]\r\nBairitsu=1\r\nZenGamen=0\r\nKakudai=0\r\n"
                                     "[ImiHyoji]\r\nValue=0\r\n[Furigana]\r\nValue=0\r\n");

  std::filesystem::remove(dir_ / "Settei.ini");
  ASSERT_TRUE(files.Write(s, TSettingsGroup::WithSavedTuika));
  ASSERT_TRUE(files.Write(s, TSettingsGroup::WithSave));
  EXPECT_EQ(Bytes("Settei.ini"), "[TuikaMondai]\r\nMondai=" + codepage::Utf8ToSjis("こたえ") +
                                     "\r\nSeikai=" + codepage::Utf8ToSjis("答え") +
                                     "\r\n[KaitoMode]\r\nValue=1\r\n");
}

TEST_F(SettingsTest, EveryFieldSurvivesAWriteAndARead) {
  TSettings s;
  s.FontName = std::string("\x81\x40odd\xfc", 6);  // bytes kept as they are
  s.FontCharset = 0x86;
  s.Music = false;
  s.Random = true;
  s.MusicName = "/música/Grüße.mp3";  // beyond Shift-JIS: the UTF-8 copy brings it back
  s.MusicFolda = "/música";
  s.RomajiHenkan = false;
  s.ImiHyoji = false;
  s.Furigana = false;
  s.TuikaMondai = u"ぐりゅーせ";
  s.TuikaSeikai = u"Grüße";
  s.KaitoMode = 1;
  s.ChosenKaitoMode = 0;
  s.WindowSize = 3;
  s.FullScreen = true;
  s.FitToWindow = true;
  const TSettingsFiles files(dir_);
  for (TSettingsGroup group :
       {TSettingsGroup::AtClose, TSettingsGroup::WithSave, TSettingsGroup::WithSavedTuika}) {
    ASSERT_TRUE(files.Write(s, group));
  }
  ASSERT_TRUE(files.WriteFontStyle(0xFF));
  const TSettings read = files.Read();
  EXPECT_TRUE(read.FontSaved);
  EXPECT_EQ(read.FontStyle, 0x0F) << "style bits only";
  EXPECT_EQ(read.FontName, s.FontName);
  EXPECT_EQ(read.FontCharset, s.FontCharset);
  EXPECT_EQ(read.Music, s.Music);
  EXPECT_EQ(read.Random, s.Random);
  EXPECT_EQ(read.MusicName, s.MusicName);
  EXPECT_EQ(read.MusicFolda, s.MusicFolda);
  EXPECT_EQ(read.RomajiHenkan, s.RomajiHenkan);
  EXPECT_EQ(read.ChosenKaitoMode, s.ChosenKaitoMode);
  EXPECT_EQ(read.ImiHyoji, s.ImiHyoji);
  EXPECT_EQ(read.Furigana, s.Furigana);
  EXPECT_EQ(read.TuikaMondai, s.TuikaMondai);
  EXPECT_EQ(read.TuikaSeikai, s.TuikaSeikai);
  EXPECT_EQ(read.KaitoMode, s.KaitoMode);
  EXPECT_EQ(read.WindowSize, s.WindowSize);
  EXPECT_EQ(read.FullScreen, s.FullScreen);
  EXPECT_EQ(read.FitToWindow, s.FitToWindow);
}

// A key holds what its row allows: a value that is not a whole number, or a number outside the
// key's range, keeps the default, as a missing key does; a boolean is on for any other number.
TEST_F(SettingsTest, AValueItsKeyDoesNotAllowKeepsTheDefault) {
  using Field = std::int64_t (*)(const TSettings&);
  const Field imi = [](const TSettings& s) -> std::int64_t { return s.ImiHyoji; };
  const Field music = [](const TSettings& s) -> std::int64_t { return s.Music; };
  const Field romaji = [](const TSettings& s) -> std::int64_t { return s.RomajiHenkan; };
  const Field size = [](const TSettings& s) -> std::int64_t { return s.WindowSize; };
  const Field charset = [](const TSettings& s) -> std::int64_t { return s.FontCharset; };
  const Field chosen = [](const TSettings& s) -> std::int64_t { return s.ChosenKaitoMode; };
  const Field mode = [](const TSettings& s) -> std::int64_t { return s.KaitoMode; };
  const struct {
    const char* file;
    Field field;
    std::int64_t read;
  } cases[] = {
      {"[ImiHyoji]\r\nValue=banana\r\n", imi, 1},
      {"[ImiHyoji]\r\nValue=0\r\n", imi, 0},
      {"[BGM]\r\nMusic=0x\r\n", music, 1},
      {"[BGM]\r\nMusic=\r\n", music, 1},
      {"[RomajiHenkan]\r\nValue=2\r\n", romaji, 1},
      {"[Hyoji]\r\nBairitsu=999\r\n", size, 1},
      {"[Hyoji]\r\nBairitsu=0\r\n", size, 1},
      {"[Hyoji]\r\nBairitsu=-2\r\n", size, 1},
      {"[Hyoji]\r\nBairitsu=4\r\n", size, 4},
      {"[Font]\r\nCharset=256\r\n", charset, 128},
      {"[Font]\r\nCharset=0\r\n", charset, 0},
      {"[KaitoMode]\r\nChosen=2\r\n", chosen, -1},
      {"[KaitoMode]\r\nChosen=1\r\n", chosen, 1},
      {"[KaitoMode]\r\nValue=-1\r\n", mode, 0},
      {"[KaitoMode]\r\nValue=99999999999\r\n", mode, 0},
  };
  for (const auto& c : cases) {
    std::ofstream(dir_ / "Settei.ini", std::ios::binary) << c.file;
    EXPECT_EQ(c.field(TSettingsFiles(dir_).Read()), c.read) << c.file;
  }
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenIsReported) {
  std::filesystem::create_directories(dir_ / "Settei.ini");  // a folder in its place
  const TSettingsFiles files(dir_);
  EXPECT_FALSE(files.Write(TSettings{}, TSettingsGroup::AtClose));
  EXPECT_FALSE(files.Write(TSettings{}, TSettingsGroup::WithSave));
}

}  // namespace
}  // namespace game
