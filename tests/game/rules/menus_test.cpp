// The menus' actions and the close query.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <set>

#include "platform/profile/profile.h"
#include "rules/music_files.h"
#include "rules/save_file.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class MenusTest : public RulesFixture {};

// Alt and one letter choose an item: no two items of one menu, nor two menus of the bar, share
// their letter.
TEST(MenuItemsTest, EveryItemOfAMenuHasItsOwnAccessKey) {
  std::set<int> menus;
  std::set<int> items;
  for (const TMenuItemInfo& info : kMenuItems) {
    const char* mark = std::strchr(info.Caption, '&');
    ASSERT_NE(mark, nullptr) << info.Name;
    const int key = std::toupper(static_cast<unsigned char>(mark[1]));
    if (info.TopLevel) items.clear();
    EXPECT_TRUE((info.TopLevel ? menus : items).insert(key).second) << info.Name;
  }
}

TEST_F(MenusTest, AnswerModeItemsActOnlyWhenNotAlreadyChecked) {
  StartToPrompt();
  Window.AnswerRed = 9;
  Game->MenuClick(TMenuItem::Kanji);  // already checked: nothing
  EXPECT_EQ(Window.AnswerRed, 9);
  Game->MenuClick(TMenuItem::Hira);
  EXPECT_EQ(S().KaitoMode, 1);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::Hira));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::Kanji));
  EXPECT_EQ(Window.AnswerRed, 255);
  EXPECT_EQ(Window.AnswerGreen, 251);
  Game->MenuClick(TMenuItem::Kanji);
  EXPECT_EQ(S().KaitoMode, 0);
  EXPECT_EQ(Window.AnswerGreen, 128);
  // Not written anywhere until a save.
  EXPECT_FALSE(std::filesystem::exists(UserDir() / "Settei.ini"));
}

// The next start begins in the answer mode the player last chose; a file without its key
// begins as before, in kanji-mixed answers.
TEST_F(MenusTest, TheChosenAnswerModeIsWhereTheNextStartBegins) {
  WriteFile(UserDir() / "Settei.ini", "[KaitoMode]\r\nValue=1\r\n");
  StartToPrompt();
  EXPECT_EQ(S().KaitoMode, 0);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::Kanji));
  Game->MenuClick(TMenuItem::Hira);
  Game->FormClose();
  EXPECT_EQ(TIniFile(UserDir() / "Settei.ini").ReadInteger("KaitoMode", "Chosen", -1), 1);
  EXPECT_EQ(TIniFile(UserDir() / "Settei.ini").ReadInteger("KaitoMode", "Value", -1), 1);
  Game.reset();
  Window.SetAnswerColor(0, 128, 0);
  StartGame();
  EXPECT_EQ(S().KaitoMode, 1);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::Hira));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::Kanji));
  EXPECT_EQ(Window.AnswerRed, 255);  // the field's colour of hiragana answers
}

TEST_F(MenusTest, MusicOnOffAndAChosenFile) {
  StartToPrompt();
  ASSERT_EQ(S().BgmOn, 1);
  const DWORD started = S().MusicStartTime;
  Clock.Advance(1000);
  Game->MenuClick(TMenuItem::ON1);  // already on: the music is not restarted
  EXPECT_EQ(S().MusicStartTime, started);
  Game->MenuClick(TMenuItem::OFF1);
  EXPECT_EQ(S().BgmOn, 0);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::OFF1));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::ON1));
  Game->MenuClick(TMenuItem::ON1);
  EXPECT_EQ(S().BgmOn, 1);
  EXPECT_EQ(S().MusicStartTime, Clock.Now());

  // The file dialog: cancelled, then a file.
  Game->MenuClick(TMenuItem::S2);
  ASSERT_EQ(Window.MusicFileTitles.size(), 1u);
  EXPECT_EQ(Window.MusicFileTitles[0], "BGMの指定");
  EXPECT_EQ(Window.MusicFileFilters[0], MusicFileFilter());
  const std::string tune = (Root / "music" / "tune.mp3").string();
  Game->MenuClick(TMenuItem::OFF1);
  Window.MusicFileChoice = tune;
  Game->MenuClick(TMenuItem::S2);
  EXPECT_EQ(S().MusicName, tune);
  EXPECT_EQ(S().BgmOn, 1);
  EXPECT_EQ(S().BgmRandom, 0);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::S2));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::R1));
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::ON1));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::OFF1));
}

TEST_F(MenusTest, RandomMusicFromAFolder) {
  StartToPrompt();
  const std::string before = S().MusicName;
  // Cancelled: the message line is cleared again.
  Game->MenuClick(TMenuItem::R1);
  EXPECT_EQ(Window.FolderPrompts.back(),
            "オーディオファイルが存在するフォルダかドライブを選んでください。");
  EXPECT_TRUE(S().Message2.empty());
  // A folder without audio files: a message, the music stays.
  const auto empty = Root / "empty";
  std::filesystem::create_directories(empty);
  WriteFile(empty / "notes.txt", "x");
  Window.FolderChoice = empty.string();
  Game->MenuClick(TMenuItem::R1);
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_EQ(Window.Messages[0],
            "選択したフォルダにはオーディオファイルがありません。\n他のフォルダを選んでください。");
  EXPECT_EQ(S().MusicName, before);
  EXPECT_TRUE(S().MusicFolda.empty());
  // One file: it loops, and random is checked.
  const auto one = Root / "one";
  std::filesystem::create_directories(one);
  WriteFile(one / "a.wav", "RIFF");
  Window.FolderChoice = one.string();
  Game->MenuClick(TMenuItem::R1);
  EXPECT_EQ(S().MusicName, (one / "a.wav").string());
  EXPECT_EQ(S().MusicFolda, one.string());
  EXPECT_EQ(S().BgmRandom, 0);
  EXPECT_EQ(S().RandomPlayedCount, 1);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::R1));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::S2));
  EXPECT_TRUE(S().AudioList.empty());
  EXPECT_TRUE(S().Message2.empty());
}

// A failed open names what the player can act on: install xdg-utils (or open the file by
// hand, at the path given), or reinstall a file that is gone.
TEST_F(MenusTest, ShellItemsReportFailureWithAnActionableCause) {
  StartToPrompt();
  std::ofstream(S().AppDir / "追加問題.txt") << "shipped\n";
  Window.ShellOpenResult = false;
  WriteFile(Paths.AppDir / kTuikaFileName, "x");
  Game->MenuClick(TMenuItem::A1);
  Game->MenuClick(TMenuItem::Help2);  // not beside the game
  ASSERT_EQ(Window.Opened.size(), 2u);
  // The additional questions open as the player's own copy, made in the per-user folder.
  EXPECT_EQ(Window.Opened[0], (UserDir() / "追加問題.txt").string());
  EXPECT_TRUE(std::filesystem::is_regular_file(UserDir() / "追加問題.txt"));
  EXPECT_EQ(std::filesystem::path(Window.Opened[1]).filename().string(), "作品について.txt");
  ASSERT_EQ(Window.Messages.size(), 2u);
  const std::string& tuika = Window.Messages[0];
  EXPECT_EQ(tuika.rfind("「追加問題.txt」を開けませんでした。\n", 0), 0u) << tuika;
  EXPECT_NE(tuika.find("xdg-utils"), std::string::npos) << tuika;
  EXPECT_NE(tuika.find((UserDir() / kTuikaFileName).string()), std::string::npos) << tuika;
  const std::string& help = Window.Messages[1];
  EXPECT_EQ(help.rfind("ヘルプの表示に失敗しました。\n", 0), 0u) << help;
  EXPECT_NE(help.find("見つかりません。Nightwisp を入れ直してください"), std::string::npos) << help;
  EXPECT_EQ(help.find("xdg-utils"), std::string::npos) << help;
  Window.ShellOpenResult = true;
  Game->MenuClick(TMenuItem::A1);
  EXPECT_EQ(Window.Messages.size(), 2u);
  Game->MenuClick(TMenuItem::About1);
  Game->MenuClick(TMenuItem::Exit1);
  EXPECT_EQ(Window.AboutBoxCount, 1);
  EXPECT_EQ(Window.CloseRequests, 1);
}

TEST_F(MenusTest, TheFontDialogPresetsTheFontAndSetsItOnTheCharactersAndTheField) {
  StartToPrompt();
  Ctrl();
  const TFontChoice old = Game->Font;
  Game->MenuClick(TMenuItem::Font1);  // cancelled
  ASSERT_EQ(Window.FontPresets.size(), 1u);
  EXPECT_EQ(Window.FontPresets[0].FaceName, old.FaceName);
  EXPECT_EQ(Window.FontPresets[0].Style, old.Style);
  Game->TakeMarks();
  const std::size_t fieldFonts = Window.AnswerFonts.size();
  Window.FontChoice = TFontChoice{"IPAMincho", 128, 2};
  Game->MenuClick(TMenuItem::Font1);
  EXPECT_EQ(Game->Font.FaceName, "IPAMincho");
  EXPECT_EQ(Game->Font.Style, 2);
  // The field takes the font as the screen set it.
  ASSERT_EQ(Window.AnswerFonts.size(), fieldFonts + 1);
  EXPECT_EQ(Window.AnswerFonts.back().FaceName, "IPAMincho");
  EXPECT_EQ(Window.AnswerFonts.back().Style, 2);
  // Every character of the question is rendered anew in it.
  for (std::int32_t k = 0; k < kMojiSlots; ++k) {
    EXPECT_EQ(S().Marks.MojiChanged[k], k < S().MojiCount) << k;
  }
}

TEST_F(MenusTest, TheCloseQueryAsksOnlyWhenSomethingNeedsSaving) {
  StartToPrompt();
  EXPECT_TRUE(Game->FormCloseQuery());  // the title: nothing asked
  EXPECT_TRUE(Window.Confirmations.empty());
  Ctrl();
  Window.ConfirmAnswers.push_back(TConfirmAnswer::Cancel);
  EXPECT_FALSE(Game->FormCloseQuery());
  ASSERT_EQ(Window.Confirmations.size(), 1u);
  EXPECT_TRUE(Window.ConfirmHadCancel[0]);
  EXPECT_EQ(S().Paused, 1);
  Window.ConfirmAnswers.push_back(TConfirmAnswer::No);
  EXPECT_TRUE(Game->FormCloseQuery());
  EXPECT_FALSE(std::filesystem::exists(UserDir() / kSaveFileName));
  Window.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
  EXPECT_TRUE(Game->FormCloseQuery());
  EXPECT_TRUE(std::filesystem::exists(UserDir() / kSaveFileName));

  // After a game over nothing is asked and the old file stays.
  const std::string saved = ReadFile(UserDir() / kSaveFileName);
  Key(VK_F2);
  S().FuseikaiCount = 4;
  AnswerWrong();
  ASSERT_EQ(S().GameOver, 1);
  Window.Confirmations.clear();
  EXPECT_TRUE(Game->FormCloseQuery());
  EXPECT_TRUE(Window.Confirmations.empty());
  EXPECT_EQ(ReadFile(UserDir() / kSaveFileName), saved);
}

}  // namespace
}  // namespace game::testing
