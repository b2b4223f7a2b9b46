// Start-up, close and destroy: the objects, the labels, the font settings, the files written.
#include <gtest/gtest.h>

#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/codepage/codepage.h"
#include "platform/gdi/gdi.h"
#include "platform/profile/profile.h"
#include "platform/wmp/wmp.h"
#include "rules/zero_pad.h"
#include "support/game_fixture.h"

namespace game::testing {
namespace {

using StartupTest = GameFixture;

TEST_F(StartupTest, FirstRunBuildsTheTitleScreen) {
  StartGame();
  EXPECT_EQ(S().StartupDone, 1);
  EXPECT_EQ(S().ScreenWidth, 688);
  EXPECT_EQ(S().ScreenHeight, 528);
  EXPECT_EQ(S().UserDir, Paths.DocumentsDir / "Amaneya" / "NightwispData");
  EXPECT_FALSE(std::filesystem::exists(S().UserDir)) << "start-up creates no folder";
  EXPECT_EQ(S().SaikoTokuten, 2000);
  EXPECT_EQ(S().TitleMode, 1);
  EXPECT_EQ(S().Saved, 1);
  EXPECT_EQ(S().MojiCount, 7);
  EXPECT_EQ(S().KakushiNo, 7);
  EXPECT_EQ(S().TimeLimit, 60000);
  EXPECT_EQ(S().TitleTime, Clock.Now());
  EXPECT_EQ(S().Message1, codepage::Utf8ToSjis("BGM設定中..."));
  EXPECT_EQ(S().MondaiTable.size() > 170, true);
  // The menus wait for the title prompt.
  for (TMenuItem item :
       {TMenuItem::G1, TMenuItem::S1, TMenuItem::BGM1, TMenuItem::Help1, TMenuItem::Save1}) {
    EXPECT_FALSE(Window.MenuEnabled(item)) << MenuItemInfo(item).Name;
  }
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::Kanji));
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::ON1));
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::S2));
  // Every texture exists; the labels start-up marked have the size of their text once the
  // first frame's refresh has rendered them.
  Game->RefreshScreen();
  TSXTextWriter& label = *O().LabelWriter.get();
  label.Font().SetSize(18);
  const int extra = label.TextWidth("a") / 2;
  const std::string best = ZeroPad(2000) + codepage::Utf8ToSjis("(最高得点)");
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::SaikoTokuten)->Width()),
            label.TextWidth(best) + extra);
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::Hint)->Width()),
            label.TextWidth("HINT:0003") + extra);
  EXPECT_GT(O().HotaruTexture->Width(), 0u);
  EXPECT_GT(O().HaikeiTexture->Width(), 0u);
  EXPECT_GT(O().PictureTexture->Width(), 0u);
  EXPECT_GT(O().LogoTexture->Width(), 0u);
  EXPECT_EQ(O().SosaTexture->Width(), 0u) << "the key guide waits for the title prompt";
  // The answer field got the window font: the icon-title face, bold, Shift-JIS.
  ASSERT_FALSE(Window.AnswerFonts.empty());
  EXPECT_EQ(Window.AnswerFonts.back().Style, 1);
  EXPECT_EQ(Window.AnswerFonts.back().Charset, 128);
  EXPECT_FALSE(Window.AnswerFonts.back().FaceName.empty());
}

TEST_F(StartupTest, FontSettingsAreReadOnlyWithBothFiles) {
  const auto families = gdi::InstalledFontFamilies();
  ASSERT_FALSE(families.empty());
  const std::string face = families.back();
  WriteFile(UserDir() / "Settei.ini", "[Font]\r\nName=" + face + "\r\nCharset=77\r\n");
  WriteFile(UserDir() / "Font.dat", std::string(1, '\x06'));
  StartGame();
  EXPECT_EQ(S().FontStyle, 6);
  EXPECT_EQ(O().MojiWriter->Font().Name(), face);
  EXPECT_EQ(O().MojiWriter->Font().Charset(), 77);
  EXPECT_EQ(O().MojiWriter->Font().Style(), 6);
  ASSERT_FALSE(Window.AnswerFonts.empty());
  EXPECT_EQ(Window.AnswerFonts.back().FaceName, face);
  EXPECT_EQ(Window.AnswerFonts.back().Style, 6);
}

TEST_F(StartupTest, OneSettingsFileAloneOrAnUnknownFaceChangesNothing) {
  const std::string face = gdi::InstalledFontFamilies().back();
  WriteFile(UserDir() / "Settei.ini", "[Font]\r\nName=" + face + "\r\n");
  StartGame();
  EXPECT_NE(O().MojiWriter->Font().Name(), face);
  EXPECT_EQ(O().MojiWriter->Font().Style(), 1) << "bold, as designed";
  EXPECT_EQ(Window.AnswerFonts.size(), 1u);
  Game.reset();

  WriteFile(UserDir() / "Settei.ini", "[Font]\r\nName=NoSuchFaceAnywhere\r\nCharset=3\r\n");
  WriteFile(UserDir() / "Font.dat", std::string(1, '\x02'));
  TFakeWindow other;
  Game = std::make_unique<TGame>(other, Owner, Paths);
  Game->FormCreate();
  EXPECT_EQ(O().MojiWriter->Font().Name(), other.AnswerFonts.front().FaceName);
  EXPECT_EQ(O().MojiWriter->Font().Charset(), 128);
  EXPECT_EQ(other.AnswerFonts.size(), 1u);
}

TEST_F(StartupTest, CloseWritesSettingsAndStyleIntoANewFolder) {
  StartGame();
  S().BgmOn = 1;
  S().MusicName = "/music/曲.mp3";
  S().MusicFolda = "/music";
  S().BgmRandomChecked = 1;
  O().MojiWriter->Font().SetStyle(gdi::fsBold | gdi::fsUnderline);
  Game->FormClose();
  const auto ini = UserDir() / "Settei.ini";
  ASSERT_TRUE(std::filesystem::exists(ini));
  EXPECT_EQ(GetPrivateProfileIntA("Font", "Charset", -1, ini), 128);
  EXPECT_EQ(GetPrivateProfileStringA("Font", "Name", "", ini), O().MojiWriter->Font().Name());
  EXPECT_EQ(GetPrivateProfileStringA("BGM", "Music", "", ini), "1");
  EXPECT_EQ(GetPrivateProfileStringA("BGM", "Random", "", ini), "1");
  EXPECT_EQ(GetPrivateProfileStringA("BGM", "MusicName", "", ini),
            codepage::Utf8ToSjis("/music/曲.mp3"));
  EXPECT_EQ(GetPrivateProfileStringA("BGM", "MusicFolda", "", ini), "/music");
  // The keys in the written order.
  const std::string text = ReadFile(ini);
  EXPECT_LT(text.find("Charset"), text.find("Name="));
  EXPECT_LT(text.find("Music="), text.find("Random"));
  EXPECT_LT(text.find("MusicName"), text.find("MusicFolda"));
  EXPECT_EQ(text.find("UTF8"), std::string::npos) << "paths that fit Shift-JIS are written as ever";
  EXPECT_EQ(ReadFile(UserDir() / "Font.dat"), std::string(1, '\x05'));
  EXPECT_TRUE(Window.Messages.empty());
}

// A chosen file or folder whose path Shift-JIS cannot hold is played again at the next start.
TEST_F(StartupTest, MusicPathsOutsideShiftJisSurviveARestart) {
  const std::filesystem::path file = Root / "música" / "Grüße.wav";
  const std::filesystem::path folder = Root / "Café";
  std::filesystem::create_directories(file.parent_path());
  std::filesystem::create_directories(folder);
  const std::filesystem::path tune = Paths.AppDir / "Data" / "seikai.wav";
  std::filesystem::copy_file(tune, file);
  std::filesystem::copy_file(tune, folder / "a.wav");
  std::filesystem::copy_file(tune, folder / "b.wav");
  for (bool random : {false, true}) {
    SCOPED_TRACE(random ? "folder" : "file");
    StartGame();
    RunFor(300);
    S().MusicName = random ? (folder / "a.wav").string() : file.string();
    S().MusicFolda = folder.string();
    S().BgmRandomChecked = random ? 1 : 0;
    Game->FormClose();
    Game.reset();
    StartGame();
    RunFor(300);
    EXPECT_EQ(S().BgmRandom, random ? 1 : 0);
    EXPECT_EQ(S().MusicFolda, folder.string());
    if (!random) {
      EXPECT_EQ(S().MusicName, file.string());
    }
    EXPECT_EQ(O().WindowsMediaPlayer1->URL(), codepage::Utf8ToUtf16(S().MusicName));
    Game.reset();
  }
}

TEST_F(StartupTest, CloseDuringGameClearStoresThePlayersMusic) {
  StartGame();
  S().GameClear = 1;
  S().MusicName = (Paths.AppDir / "Data" / "tam-y02.mp3").string();
  S().SavedMusicName = "/home/player/mine.mp3";
  Game->FormClose();
  EXPECT_EQ(GetPrivateProfileStringA("BGM", "MusicName", "", UserDir() / "Settei.ini"),
            "/home/player/mine.mp3");
}

TEST_F(StartupTest, CloseReportsEachFileThatCannotBeWrittenInOneBox) {
  StartGame();
  // A file where the folder should be: neither file can be written.
  WriteFile(Paths.DocumentsDir / "Amaneya", "in the way");
  Game->FormClose();
  ASSERT_EQ(Window.Messages.size(), 1u);
  const std::string& box = Window.Messages[0];
  EXPECT_TRUE(box.starts_with("保存できませんでした。\n")) << box;
  EXPECT_NE(box.find((S().UserDir / "Settei.ini").string() + ": "), std::string::npos) << box;
  EXPECT_NE(box.find("Not a directory"), std::string::npos) << box;
  EXPECT_NE(box.find((S().UserDir / "Font.dat").string()), std::string::npos) << box;
}

// A NUL in a value: read as the text before it, written back without it, and no key after it
// goes unwritten.
TEST_F(StartupTest, ANulInAValueReadsAndWritesAsTheTextBeforeIt) {
  const std::filesystem::path ini = Paths.DocumentsDir / "Amaneya" / "NightwispData" / "Settei.ini";
  std::filesystem::create_directories(ini.parent_path());
  const std::string music = (Paths.AppDir / "Data" / "tamsu08-1.mp3").string();
  WriteFile(ini, "[BGM]\r\nMusic=1\r\nRandom=0\r\nMusicName=" + music + std::string("\0tail", 5) +
                     "\r\nMusicFolda=/music\r\n");
  StartGame();
  RunFor(200);
  EXPECT_EQ(S().MusicName, music);
  S().Settings.RomajiHenkan = false;
  Game->FormClose();
  EXPECT_TRUE(Window.Messages.empty()) << Window.Messages.front();
  EXPECT_EQ(GetPrivateProfileStringA("BGM", "MusicName", "", ini), music);
  EXPECT_EQ(GetPrivateProfileStringA("BGM", "MusicFolda", "", ini), "/music");
  EXPECT_EQ(GetPrivateProfileStringA("RomajiHenkan", "Value", "", ini), "0");
}

TEST_F(StartupTest, DestroyFreesEverythingOnceAndRestoresTheTimer) {
  const int periods = clockstandin::OpenPeriodCount();
  StartGame();
  EXPECT_EQ(clockstandin::OpenPeriodCount(), periods + 1);
  Game->FormDestroy();
  EXPECT_EQ(clockstandin::OpenPeriodCount(), periods);
  EXPECT_EQ(O().Scene.get(), nullptr);
  EXPECT_EQ(O().HotaruTexture.get(), nullptr);
  EXPECT_EQ(O().MojiWriter.get(), nullptr);
  EXPECT_EQ(S().StartupDone, 0);
  // The idle handler does nothing after destroy, and a second destroy is harmless.
  EXPECT_EQ(Game->ApplicationEvents1Idle(), 25);
  Game->FormDestroy();
  Game.reset();
  EXPECT_EQ(clockstandin::OpenPeriodCount(), periods);
}

// A missing effect file ends start-up with a message that names the file.
TEST_F(StartupTest, AMissingEffectFileIsNamedWhenTheGameEnds) {
  const std::filesystem::path appDir = Root / "app";
  std::filesystem::create_directories(appDir);
  std::filesystem::copy(AppDirForTests() / "Data", appDir / "Data",
                        std::filesystem::copy_options::recursive);
  std::filesystem::remove(appDir / "Data" / "fuseikai.wav");
  Paths.AppDir = appDir;
  EXPECT_EXIT(StartGame(), ::testing::ExitedWithCode(1),
              "効果音ファイルを読み込めませんでした。\n.*fuseikai\\.wavが、見つかりません");
  // A damaged one: the file and the reason, once.
  std::filesystem::create_directories(appDir / "Data");
  WriteFile(appDir / "Data" / "fuseikai.wav", std::string("RIFF\x04\x00\x00\x00WAVE", 12));
  EXPECT_EXIT(
      StartGame(), ::testing::ExitedWithCode(1),
      "効果音ファイルを読み込めませんでした。\n.*fuseikai\\.wavには、fmtチャンクが有りません");
}

// A damaged entry of the archive ends the start-up naming it, not the first correct answer.
TEST_F(StartupTest, ADamagedArchiveEntryIsFoundAtStartUp) {
  const std::filesystem::path appDir = Root / "app";
  std::filesystem::create_directories(appDir / "Data");
  for (const auto& file : std::filesystem::directory_iterator(AppDirForTests() / "Data")) {
    std::filesystem::create_symlink(file.path(), appDir / "Data" / file.path().filename());
  }
  const std::filesystem::path archive = appDir / "Data" / "wisplore.qda";
  std::string bytes = ReadFile(archive);
  std::filesystem::remove(archive);
  // GameClear.bmp's packed data is said to be 3 bytes: its pair table is cut off.
  bool damaged = false;
  for (std::size_t at = 256; at + 268 <= bytes.size() && !damaged; at += 268) {
    if (std::string_view(bytes).substr(at + 12, 14) != std::string_view("GameClear.bmp\0", 14)) {
      continue;
    }
    bytes.replace(at + 4, 4, std::string("\x03\x00\x00\x00", 4));
    damaged = true;
  }
  ASSERT_TRUE(damaged);
  WriteFile(archive, bytes);
  Paths.AppDir = appDir;
  EXPECT_EXIT(StartGame(), ::testing::ExitedWithCode(1),
              "GameClear\\.bmp ＠ .*wisplore\\.qdaからの、読み込みエラー: .*GameClear");
}

// A question the 688-pixel screen cannot show is left out at start-up, all of them in one
// message saying which and why, instead of running off the screen when it comes up; the
// other questions stay.
TEST_F(StartupTest, QuestionsTheScreenCannotShowAreLeftOutInOneMessage) {
  const std::filesystem::path appDir = Root / "app";
  std::filesystem::create_directories(appDir);
  std::filesystem::create_directory_symlink(AppDirForTests() / "Data", appDir / "Data");
  std::string wideSeikai, wideReading, longReading;
  for (int k = 0; k < 30; ++k) wideSeikai += "長";
  for (int k = 0; k < 30; ++k) wideReading += "な";
  for (int k = 0; k < 40; ++k) longReading += "あ";
  std::string text;
  for (int line = 0; line < 14; ++line) text += "header\n";
  text += wideSeikai + "\nながい\n";          // line 15
  text += "広い読み\n" + wideReading + "\n";  // line 17
  text += "長い読み\n" + longReading + "\n";  // line 19
  text += "普通の答え\nふつう\n";
  WriteFile(appDir / kTuikaFileName, text);
  Paths.AppDir = appDir;
  StartGame();
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_EQ(Window.Messages[0],
            "「追加問題.txt」の次の問題は出題しません。\n"
            "・15行目「長長長長長長長長長長長長長長長長…」: 答えが長すぎて画面に収まりません。\n"
            "・17行目「広い読み」: 読みが長すぎて画面に収まりません。\n"
            "・19行目「長い読み」: 読みが39文字を超えています。");
  EXPECT_EQ(S().TuikaCount, 1);
  ASSERT_EQ(S().TuikaSeikaiList.size(), 1u);
  EXPECT_EQ(S().TuikaSeikaiList[0], u"普通の答え");
  EXPECT_EQ(S().TuikaMondaiList[0], u"ふつう");
  EXPECT_EQ(S().SpeechList.size(), 172u);
  EXPECT_EQ(S().Speech(171), u"ふつう");
}

// Every built-in proverb keeps the design's layout: its written forms and reading fit on one
// line right of the answer field's left edge in the design's character font.
TEST_F(StartupTest, EveryBuiltInProverbFitsTheScreen) {
  StartGame();
  for (std::int32_t n = 1; n <= kBuiltInMondaiCount; ++n) {
    EXPECT_TRUE(Game->TextFits(S().Seikai(n))) << n;
    EXPECT_TRUE(Game->TextFits(S().Seikai2(n))) << n;
    EXPECT_TRUE(Game->TextFits(S().Reading(n))) << n;
  }
}

}  // namespace
}  // namespace game::testing
