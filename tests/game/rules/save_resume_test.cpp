// Saving and resuming whole games: mid-question with the clock continuing, between questions,
// a vanished additional question, the answer mode, and damaged record1.dat files.
#include <gtest/gtest.h>

#include "platform/profile/profile.h"
#include "rules/save_file.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class SaveResumeTest : public RulesFixture {
 protected:
  std::filesystem::path SaveFile() const { return UserDir() / kSaveFileName; }

  void WriteSave(const TSaveData& d) { WriteFile(SaveFile(), EncodeSaveData(d)); }
  void WriteIni(const char* section, const char* key, const std::string& value) {
    std::filesystem::create_directories(UserDir());
    ASSERT_TRUE(WritePrivateProfileStringA(section, key, value, UserDir() / "Settei.ini"));
  }
};

TEST_F(SaveResumeTest, AGameSavedMidQuestionResumesWithTheClockContinuing) {
  StartToPrompt();
  Ctrl();
  TickAt(10000);
  const std::int32_t question = S().MondaiNo;
  const std::int32_t left = S().TimeLeft;
  const MojiRecord third = S().Moji[2];
  const std::vector<std::int32_t> akarusa = S().Akarusa;
  Game->TopMenuClick();
  Clock.Advance(5000);
  Window.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
  Game->MenuClick(TMenuItem::Save1);
  EXPECT_EQ(Window.Confirmations.back(), "ゲームを保存しますか?\n以前のデータは破棄されます");
  EXPECT_FALSE(Window.ConfirmHadCancel.back());
  EXPECT_EQ(S().Saved, 1);
  EXPECT_FALSE(Window.MenuEnabled(TMenuItem::Save1));
  ASSERT_TRUE(std::filesystem::exists(SaveFile()));
  EXPECT_FALSE(std::filesystem::exists(UserDir() / "record1.dat.tmp"));
  TSaveData saved;
  std::uintmax_t size = 0;
  std::string error;
  ASSERT_TRUE(ReadSaveFile(SaveFile(), saved, size, error));
  EXPECT_EQ(saved.MondaiNo, question);
  EXPECT_EQ(saved.TimeLeft, left);
  EXPECT_EQ(saved.PauseTotal, 5000);
  EXPECT_EQ(saved.Playing, 1);
  EXPECT_EQ(TIniFile(UserDir() / "Settei.ini").ReadInteger("KaitoMode", "Value", -1), 0);

  // The pause before the save is counted once when play goes on.
  Clock.Advance(3000);
  Key(VK_F2);
  EXPECT_EQ(S().PauseTotal, 8000);

  // Next start: the resume question, then the same question with the same time left.
  Game.reset();
  Window.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
  Window.Confirmations.clear();
  StartGame();
  RunToPrompt();
  ASSERT_EQ(Window.Confirmations.size(), 1u);
  const TGameState& s = S();
  EXPECT_EQ(s.TitleMode, 0);
  EXPECT_EQ(s.MondaiNo, question);
  EXPECT_EQ(s.MondaiText, s.Reading(question));
  EXPECT_EQ(s.Playing, 1);
  EXPECT_EQ(s.Saved, 0);
  EXPECT_EQ(s.Moji[2].X, third.X);
  EXPECT_EQ(s.Moji[2].Y, third.Y);
  EXPECT_EQ(s.Moji[2].Char, s.MondaiText.substr(2, 1));
  EXPECT_EQ(s.Shutsudai[question - 1], 1);
  EXPECT_EQ(s.ShutsudaiCount, 1);
  ASSERT_EQ(s.Akarusa.size(), akarusa.size());
  // The clock runs on from the saved time left.
  const DWORD resumedAt = Clock.Now();
  Jump(1000);
  Jump(1000);
  EXPECT_NEAR(s.TimeLeft, left - static_cast<std::int32_t>(Clock.Now() - resumedAt), 100);
  AnswerRight();
  EXPECT_EQ(s.SeikaiCount, 1);
}

TEST_F(SaveResumeTest, AGameSavedBetweenQuestionsResumesThere) {
  TSaveData d = SavedQuestionOne();
  WriteSave(d);
  WriteIni("KaitoMode", "Value", "1");
  WriteIni("KaitoMode", "Chosen", "0");  // the saved game's mode wins over the last chosen
  Window.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
  StartGame();
  EXPECT_EQ(S().SaikoTokuten, 2500);
  RunToPrompt();
  EXPECT_EQ(Window.Confirmations.size(), 1u);
  EXPECT_EQ(S().Playing, 0);
  EXPECT_EQ(S().TitleMode, 0);
  EXPECT_EQ(S().SeikaiCount, 3);
  EXPECT_EQ(S().Tokuten, 120);
  EXPECT_EQ(S().KaitoMode, 1);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::Hira));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::Kanji));
  EXPECT_EQ(Window.AnswerRed, 255);
  EXPECT_EQ(S().Message2, Sjis("Ctrlキーを押すとゲームが始まります。"));
  Jump(25);
  EXPECT_EQ(Game->Picture, "");  // the title's picture is gone
  Ctrl();
  EXPECT_EQ(S().Playing, 1);
  EXPECT_NE(S().MondaiNo, 1);  // question 1 was asked in this cycle
}

TEST_F(SaveResumeTest, ADeclinedResumeIsAskedOnceAndLeavesTheTitle) {
  WriteSave(SavedQuestionOne());
  Window.ConfirmAnswers.push_back(TConfirmAnswer::No);
  StartGame();
  RunToPrompt();
  Jump(2000);
  EXPECT_EQ(Window.Confirmations.size(), 1u);
  EXPECT_EQ(S().TitleMode, 1);
  EXPECT_EQ(S().SeikaiCount, 0);
}

TEST_F(SaveResumeTest, AVanishedAdditionalQuestionIsAppendedOnResume) {
  TSaveData d = SavedQuestionOne();
  const std::u16string reading = u"のこらずきえたもんだい";
  d.MondaiNo = 250;
  d.MojiCount = static_cast<std::int32_t>(reading.size());
  d.Playing = 1;
  d.TimeLeft = 20000;
  WriteSave(d);
  WriteIni("TuikaMondai", "Mondai", codepage::Utf16ToSjis(reading));
  WriteIni("TuikaMondai", "Seikai", codepage::Utf8ToSjis("残らず消えた問題"));
  Window.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
  StartGame();
  const std::int32_t tuikaBefore = S().TuikaCount;
  RunToPrompt();
  const TGameState& s = S();
  ASSERT_EQ(s.TuikaCount, tuikaBefore + 1);
  EXPECT_EQ(s.MondaiNo, 170 + s.TuikaCount);
  EXPECT_EQ(s.MondaiText, reading);
  EXPECT_EQ(s.TuikaMondaiList.back(), reading);
  EXPECT_EQ(s.TuikaSeikaiList.back(), u"残らず消えた問題");
  EXPECT_EQ(s.SpeechList.size(), static_cast<std::size_t>(171 + s.TuikaCount));
  EXPECT_EQ(s.SpeechList.back(), reading);
  EXPECT_EQ(s.TuikaShutsudai.back(), 1);
  EXPECT_EQ(s.TuikaShutsudaiCount, 1);
  EXPECT_EQ(s.Playing, 1);
  AnswerRight();
  EXPECT_EQ(s.SeikaiCount, 4);

  // Saved again, the additional question's texts go to Settei.ini.
  Ctrl();
  S().MondaiNo = 170 + S().TuikaCount;
  S().MondaiText = reading;
  Game->SaveGame();
  TIniFile ini(UserDir() / "Settei.ini");
  EXPECT_EQ(ini.ReadString("TuikaMondai", "Seikai", ""), codepage::Utf8ToSjis("残らず消えた問題"));
}

// Two additional questions share a reading: the one saved is the one resumed, and saved again.
TEST_F(SaveResumeTest, OfTwoQuestionsWithOneReadingTheSavedOneResumes) {
  std::string tuika;
  for (int i = 1; i <= 14; ++i) tuika += "header\r\n";
  for (const char* line : {"猫", "ねこ", "寝子", "ねこ"})
    tuika += codepage::Utf8ToSjis(line) + "\r\n";
  WriteFile(Paths.AppDir / "追加問題.txt", tuika);
  StartToPrompt();
  Ctrl();
  const std::int32_t neko = 170 + 2;
  ASSERT_EQ(S().Seikai(neko), u"寝子");
  S().MondaiNo = neko;
  S().MondaiText = u"ねこ";
  S().MojiCount = 2;
  Game->SaveGame();
  ASSERT_TRUE(Window.Messages.empty());
  const std::int32_t tuikaCount = S().TuikaCount;
  Game.reset();

  Window.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
  StartGame();
  RunToPrompt();
  EXPECT_EQ(S().TuikaCount, tuikaCount) << "found, not appended";
  EXPECT_EQ(S().MondaiNo, neko);
  EXPECT_EQ(S().Seikai(S().MondaiNo), u"寝子");
  Game->SaveGame();
  EXPECT_EQ(TIniFile(UserDir() / "Settei.ini").ReadString("TuikaMondai", "Seikai", ""),
            codepage::Utf8ToSjis("寝子"));
}

TEST_F(SaveResumeTest, TheRecordAndItsSettingsAreSavedTogetherOrNotAtAll) {
  StartToPrompt();
  Ctrl();
  S().MondaiNo = AppendTuikaMondai(S(), u"こたえ", u"答え");
  S().MondaiText = u"こたえ";
  Game->SaveGame();
  ASSERT_TRUE(Window.Messages.empty());
  const std::filesystem::path settingsFile = UserDir() / "Settei.ini";
  const std::string record = ReadFile(SaveFile());
  const std::string settings = ReadFile(settingsFile);
  const auto nothingStaged = [this] {
    for (const auto& entry : std::filesystem::directory_iterator(UserDir())) {
      EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
  };

  // An answer Settei.ini cannot hold (a NUL): neither file changes.
  S().TuikaSeikaiList.back() = std::u16string(u"答え\0です", 5);
  S().SeikaiCount = 7;
  Game->SaveGame();
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_TRUE(Window.Messages.back().starts_with("保存できませんでした。\n"));
  EXPECT_NE(Window.Messages.back().find("Settei.ini"), std::string::npos);
  EXPECT_EQ(ReadFile(SaveFile()), record);
  EXPECT_EQ(ReadFile(settingsFile), settings);
  nothingStaged();

  // record1.dat cannot be replaced (a folder in its place): the answer mode is not written.
  S().TuikaSeikaiList.back() = u"答え";
  S().KaitoMode = 1;
  std::filesystem::remove(SaveFile());
  std::filesystem::create_directories(SaveFile());
  Game->SaveGame();
  ASSERT_EQ(Window.Messages.size(), 2u);
  EXPECT_TRUE(Window.Messages.back().starts_with("ゲームを保存できませんでした。\n"));
  EXPECT_NE(Window.Messages.back().find("record1.dat"), std::string::npos);
  EXPECT_EQ(ReadFile(settingsFile), settings);
  nothingStaged();
}

TEST_F(SaveResumeTest, DamagedFilesAreNotOfferedAndCrashNothing) {
  struct Case {
    const char* name;
    void (*damage)(TSaveData&);
    std::int32_t best;  // the best score shown afterwards
  };
  const Case cases[] = {
      {"MojiCount 40", [](TSaveData& d) { d.MojiCount = 40; }, 2500},
      {"MojiCount negative", [](TSaveData& d) { d.MojiCount = -7; }, 2500},
      {"MondaiNo 0", [](TSaveData& d) { d.MondaiNo = 0; }, 2500},
      {"MondaiNo negative", [](TSaveData& d) { d.MondaiNo = -1000; }, 2500},
      {"KakushiNo", [](TSaveData& d) { d.KakushiNo = 1 << 30; }, 2500},
      {"FuseikaiCount", [](TSaveData& d) { d.FuseikaiCount = 9; }, 2500},
      {"HintCount", [](TSaveData& d) { d.HintCount = 12; }, 2500},
      {"four hints in a running question",
       [](TSaveData& d) {
         d.SeikaiCount = 12;
         d.Playing = 1;
         d.HintMoji = 4;
         d.HintCount = 1;
       },
       2500},
      {"score no game reaches", [](TSaveData& d) { d.Tokuten = 2147483600; }, 2500},
      {"best score no game reaches", [](TSaveData& d) { d.SaikoTokuten = 2147483600; }, 2000},
      {"DX", [](TSaveData& d) { d.DX[0] = INT32_MAX; }, 2500},
      {"finished", [](TSaveData& d) { d.SeikaiCount = 30; }, 2500},
      {"negative best", [](TSaveData& d) { d.SaikoTokuten = -5; }, 2000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSaveData d = SavedQuestionOne();
    c.damage(d);
    WriteSave(d);
    StartGame();
    EXPECT_FALSE(Game->SavedGameResumable());
    EXPECT_EQ(S().SaikoTokuten, c.best);
    Game.reset();
  }
  // At the title prompt nothing is asked, and a new game plays normally.
  TSaveData d = SavedQuestionOne();
  d.MojiCount = 99;
  WriteSave(d);
  Window.ConfirmAnswers.assign(1, TConfirmAnswer::Yes);
  StartToPrompt();
  EXPECT_TRUE(Window.Confirmations.empty());
  EXPECT_EQ(S().TitleMode, 1);
  Ctrl();
  EXPECT_EQ(S().Playing, 1);
  // The valid file is offered.
  Game.reset();
  WriteSave(SavedQuestionOne());
  StartGame();
  EXPECT_TRUE(Game->SavedGameResumable());
}

TEST_F(SaveResumeTest, OnlyAFileOfExactlyOneRecordIsOffered) {
  // Longer files are not what the game writes, though their best score is read.
  const std::string record = EncodeSaveData(SavedQuestionOne());
  for (const std::size_t extra : {std::size_t{1}, std::size_t{10} << 20}) {
    SCOPED_TRACE(extra);
    WriteFile(SaveFile(), record + std::string(extra, '\0'));
    StartGame();
    EXPECT_FALSE(Game->SavedGameResumable());
    EXPECT_EQ(S().SaikoTokuten, 2500);
    Game.reset();
  }
  WriteFile(SaveFile(), record.substr(0, kSaveDataSize - 1));
  StartGame();
  EXPECT_FALSE(Game->SavedGameResumable());
  Game.reset();
  WriteFile(SaveFile(), record);
  StartGame();
  EXPECT_TRUE(Game->SavedGameResumable());
}

TEST_F(SaveResumeTest, ShortOrUnreadableFilesGiveNoResume) {
  // Ten bytes: only the question number; the rest stays zero.
  WriteFile(SaveFile(), std::string("\x05\x00\x00\x00\x01\x00\x00\x00\x00\x00", 10));
  StartGame();
  RunToPrompt();
  EXPECT_TRUE(Window.Confirmations.empty());
  EXPECT_EQ(S().SaikoTokuten, 0);
  Game.reset();

  std::filesystem::remove(SaveFile());
  std::filesystem::create_directories(SaveFile());  // a folder in its place
  StartGame();
  RunToPrompt();
  EXPECT_TRUE(Window.Confirmations.empty());
  EXPECT_EQ(S().SaikoTokuten, 2000);
  // Saving cannot replace a folder: the player is told, the game goes on.
  Ctrl();
  Game->SaveGame();
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_EQ(Window.Messages.back(), "ゲームを保存できませんでした。\ncannot replace " +
                                        SaveFile().string() + ": Is a directory");
  EXPECT_EQ(S().Playing, 1);
}

// The key guide of a resumed stage-2 question says what the next F1 does: a hint (Sosa2) or
// giving the question up (Sosa1), also after the question's own three hints.
TEST_F(SaveResumeTest, AResumedStageTwoQuestionShowsTheGuideOfTheNextF1) {
  const struct {
    std::int32_t hintCount, hintMoji;
    bool hintLeft;
  } cases[] = {{0, 0, true}, {2, 0, true},  {3, 0, false}, {1, 1, true},
               {3, 2, true}, {1, 3, false}, {3, 3, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "HintCount " << c.hintCount << ", HintMoji " << c.hintMoji);
    TSaveData d = SavedQuestionOne();
    ASSERT_GE(d.MojiCount, 4);
    d.SeikaiCount = 12;
    d.Playing = 1;
    d.HintCount = c.hintCount;
    d.HintMoji = c.hintMoji;
    WriteSave(d);
    Window.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
    StartGame();
    RunToPrompt();
    ASSERT_EQ(S().Playing, 1);
    EXPECT_EQ(Game->Sosa, c.hintLeft ? "Sosa2.bmp" : "Sosa1.bmp");
    Key(VK_F1);
    EXPECT_EQ(S().Playing == 1, c.hintLeft) << "the next F1 did not do what the guide said";
    Game.reset();
  }
}

TEST_F(SaveResumeTest, AnUnknownAnswerModeResumesAsKanjiMixed) {
  WriteSave(SavedQuestionOne());
  WriteIni("KaitoMode", "Value", "7");
  Window.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
  StartGame();
  RunToPrompt();
  EXPECT_EQ(S().KaitoMode, 0);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::Kanji));
}

}  // namespace
}  // namespace game::testing
