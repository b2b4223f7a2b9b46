// The menus' actions and the close query.
#include <gtest/gtest.h>

#include "game/music_files.h"
#include "game/save_file.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class MenusTest : public RulesFixture {};

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

TEST_F(MenusTest, ShellItemsReportFailureWithTheirMessages) {
  StartToPrompt();
  Window.ShellOpenResult = false;
  Game->MenuClick(TMenuItem::A1);
  Game->MenuClick(TMenuItem::Help2);
  ASSERT_EQ(Window.Opened.size(), 2u);
  EXPECT_EQ(std::filesystem::path(Window.Opened[0]).filename().string(), "追加問題.txt");
  EXPECT_EQ(std::filesystem::path(Window.Opened[1]).filename().string(), "作品について.txt");
  ASSERT_EQ(Window.Messages.size(), 2u);
  EXPECT_EQ(Window.Messages[0], "「追加問題.txt」を開けませんでした。");
  EXPECT_EQ(Window.Messages[1], "ヘルプの表示に失敗しました。");
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
