// The rule book in whole games: questions and their layouts, correct and wrong answers, the
// run reward, hints, bonus questions, stage clears, game over and game clear.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "platform/profile/profile.h"
#include "rules/random.h"
#include "rules/save_file.h"
#include "support/rules_fixture.h"

namespace game::testing {
namespace {

class RulesTest : public RulesFixture {};

TEST_F(RulesTest, CtrlOnTheTitlePromptSetsAStageOneQuestionInRows) {
  StartToPrompt();
  EXPECT_EQ(S().MojiCount, 7);
  Ctrl();
  const TGameState& s = S();
  EXPECT_EQ(s.TitleMode, 0);
  EXPECT_EQ(s.Playing, 1);
  EXPECT_EQ(s.StartTime, Clock.Now());
  EXPECT_EQ(s.Saved, 0);
  ASSERT_GE(s.MondaiNo, 1);
  ASSERT_LE(s.MondaiNo, s.MondaiCount());
  EXPECT_EQ(s.MondaiText, s.Reading(s.MondaiNo));
  EXPECT_EQ(s.MojiCount, static_cast<std::int32_t>(s.MondaiText.size()));
  EXPECT_EQ(s.ShutsudaiCount + s.TuikaShutsudaiCount, 1);
  EXPECT_TRUE(s.Message1.empty());
  EXPECT_TRUE(s.Message2.empty());
  EXPECT_FALSE(Window.MenuEnabled(TMenuItem::Kanji));
  EXPECT_FALSE(Window.MenuEnabled(TMenuItem::Hira));
  EXPECT_TRUE(Window.MenuEnabled(TMenuItem::Save1));
  EXPECT_FALSE(Window.AnswerReadOnly);
  EXPECT_EQ(Window.AnswerGreen, 128);
  EXPECT_EQ(Window.AnswerRed, 0);

  // Rows of 13, each centred, its first character 10 px right; the next row a firefly
  // height plus 50 lower.
  const std::int32_t fw = S().Pictures.HotaruW;
  const std::int32_t fh = S().Pictures.HotaruH;
  for (std::int32_t k = 0; k < s.MojiCount; ++k) {
    const std::int32_t row = k / 13;
    const std::int32_t inRow = std::min(13, s.MojiCount - row * 13);
    EXPECT_EQ(s.Moji[k].X, (s.ScreenWidth - inRow * fw) / 2 + 10 + (k % 13) * fw) << k;
    EXPECT_EQ(s.Moji[k].Y, row * (fh + 50) + 140) << k;
    EXPECT_EQ(s.Moji[k].DX, 0);
    EXPECT_EQ(s.Moji[k].Char, s.MondaiText.substr(k, 1));
  }
  ASSERT_GE(s.KakushiNo, 0);
  ASSERT_LT(s.KakushiNo, s.MojiCount);
  EXPECT_EQ(s.Akarusa[s.KakushiNo], 0);
  EXPECT_EQ(s.Akarumu[s.KakushiNo], 0);
  for (std::int32_t i = 0; i < s.MojiCount; ++i) {
    if (i == s.KakushiNo) continue;
    EXPECT_EQ(s.Akarumu[i], 1);
    EXPECT_EQ(s.Akarusa[i] < 128, i % 2 == 0) << i;
  }
}

TEST_F(RulesTest, ACorrectAnswerScoresTenAndTheWholeSecondsLeft) {
  StartToPrompt();
  Ctrl();
  TickAt(17500);  // 42 500 ms left
  EXPECT_EQ(S().TimeLeft, 42500);
  AnswerRight();
  EXPECT_EQ(S().Playing, 0);
  EXPECT_TRUE(Window.AnswerReadOnly);
  EXPECT_EQ(S().SeikaiCount, 1);
  EXPECT_EQ(S().RenzokuCount, 1);
  EXPECT_EQ(S().Tokuten, 52);
  EXPECT_EQ(S().ShowReading, 1);
  EXPECT_EQ(S().ShowSpelling, 0);
  EXPECT_TRUE(Window.MenuEnabled(TMenuItem::Kanji));
  EXPECT_TRUE(Window.MenuEnabled(TMenuItem::Hira));
  // Enter between questions does nothing.
  Answer(u"");
  EXPECT_EQ(S().SeikaiCount, 1);
  EXPECT_EQ(S().FuseikaiCount, 0);
}

TEST_F(RulesTest, JudgementComparesTheWholeTextInTheAnswerMode) {
  StartToPrompt();
  Ctrl();
  // Proverb 4 has a second written form.
  S().MondaiNo = 4;
  Answer(u"玉に瑕");
  EXPECT_EQ(S().SeikaiCount, 1);
  Ctrl();
  S().MondaiNo = 4;
  Answer(u"玉にきず ");  // a trailing blank is not trimmed
  EXPECT_EQ(S().FuseikaiCount, 1);
  Ctrl();
  S().MondaiNo = 1;
  Answer(u"");
  EXPECT_EQ(S().FuseikaiCount, 2);

  // Hiragana mode: the reading only.
  Game->MenuClick(TMenuItem::Hira);
  EXPECT_EQ(S().KaitoMode, 1);
  Ctrl();
  EXPECT_EQ(Window.AnswerRed, 255);
  EXPECT_EQ(Window.AnswerBlue, 240);
  S().MondaiNo = 1;
  Answer(u"鬼に金棒");
  EXPECT_EQ(S().FuseikaiCount, 3);
  Ctrl();
  S().MondaiNo = 1;
  Answer(u"おににかなぼう");
  EXPECT_EQ(S().SeikaiCount, 2);
  // In hiragana mode the written form is shown after a correct answer.
  EXPECT_EQ(S().ShowSpelling, 1);
  EXPECT_EQ(S().ShowReading, 0);
}

TEST_F(RulesTest, AWrongAnswerCostsTenPointsButNeverBelowZero) {
  StartToPrompt();
  Ctrl();
  S().Tokuten = 15;
  S().RenzokuCount = 2;
  AnswerWrong();
  EXPECT_EQ(S().FuseikaiCount, 1);
  EXPECT_EQ(S().Tokuten, 5);
  EXPECT_EQ(S().RenzokuCount, 0);
  EXPECT_EQ(S().ShowSpelling, 1);
  EXPECT_EQ(S().ShowReading, 1);
  Ctrl();
  AnswerWrong();
  EXPECT_EQ(S().Tokuten, 0);
}

TEST_F(RulesTest, TheThirdCorrectAnswerInARowAddsAHundredAndForgivesOneMiss) {
  StartToPrompt();
  Ctrl();
  S().RenzokuCount = 2;
  S().FuseikaiCount = 1;
  S().Tokuten = 0;
  TickAt(17500);
  AnswerRight();
  EXPECT_EQ(S().Tokuten, 152);
  EXPECT_EQ(S().FuseikaiCount, 0);
  EXPECT_EQ(S().RenzokuCount, 3);
  // Never below zero.
  Ctrl();
  AnswerRight();
  EXPECT_EQ(S().FuseikaiCount, 0);
}

TEST_F(RulesTest, TimeOutGivesTheQuestionUp) {
  StartToPrompt();
  Ctrl();
  Jump(59000);
  EXPECT_EQ(S().Playing, 1);
  Jump(1100);
  EXPECT_EQ(S().Playing, 0);
  EXPECT_EQ(S().FuseikaiCount, 1);
  EXPECT_TRUE(Window.AnswerReadOnly);
  // A time-out does not enable the answer-mode items again.
  EXPECT_FALSE(Window.MenuEnabled(TMenuItem::Kanji));
}

TEST_F(RulesTest, CtrlDuringAQuestionKeepsTheClockAndBreaksTheRun) {
  StartToPrompt();
  Ctrl();
  const DWORD started = S().StartTime;
  const std::int32_t first = S().MondaiNo;
  S().RenzokuCount = 2;
  Jump(5000);
  Ctrl();
  EXPECT_EQ(S().StartTime, started);
  EXPECT_EQ(S().RenzokuCount, 0);
  EXPECT_NE(S().MondaiNo, first);
  EXPECT_EQ(S().ShutsudaiCount + S().TuikaShutsudaiCount, 2);
}

TEST_F(RulesTest, EveryQuestionIsAskedOncePerCycle) {
  StartToPrompt();
  Ctrl();
  TGameState& s = S();
  const std::int32_t total = s.MondaiCount();
  std::set<std::int32_t> asked{s.MondaiNo};
  for (std::int32_t i = 1; i < total; ++i) {
    Game->NewQuestion();
    EXPECT_TRUE(asked.insert(s.MondaiNo).second) << "asked twice: " << s.MondaiNo;
  }
  EXPECT_EQ(static_cast<std::int32_t>(asked.size()), total);
  // The cycle was reset right after the last one was drawn.
  EXPECT_EQ(s.ShutsudaiCount, 0);
  EXPECT_EQ(s.TuikaShutsudaiCount, 0);
  for (std::uint8_t mark : s.Shutsudai) EXPECT_EQ(mark, 0);
  Game->NewQuestion();
  EXPECT_EQ(s.ShutsudaiCount + s.TuikaShutsudaiCount, 1);
}

TEST_F(RulesTest, MarksThatDisagreeWithTheirCountsDoNotHangTheDraw) {
  StartToPrompt();
  Ctrl();
  S().Shutsudai.fill(1);
  std::fill(S().TuikaShutsudai.begin(), S().TuikaShutsudai.end(), 1);
  S().ShutsudaiCount = 3;
  S().TuikaShutsudaiCount = 0;
  Game->NewQuestion();
  EXPECT_EQ(S().ShutsudaiCount + S().TuikaShutsudaiCount, 1);
}

TEST_F(RulesTest, StageTwoScattersAndStageThreeFlies) {
  StartToPrompt();
  Ctrl();
  S().SeikaiCount = 10;
  Ctrl();
  TGameState& s = S();
  const TRect e = Window.Bounds;
  const std::int32_t fw = S().Pictures.HotaruW;
  const std::int32_t fh = S().Pictures.HotaruH;
  const std::int32_t gh = S().Pictures.HikariH;
  const std::int32_t top = Window.OuterH - Window.ClientH;
  for (std::int32_t k = 0; k < s.MojiCount; ++k) {
    EXPECT_GE(s.Moji[k].X, 0);
    EXPECT_LT(s.Moji[k].X, s.ScreenWidth - fw);
    EXPECT_GE(s.Moji[k].Y, top);
    EXPECT_LT(s.Moji[k].Y, e.Top - fh - gh + top);
    EXPECT_EQ(s.Moji[k].DX, 0);
    EXPECT_EQ(s.Moji[k].DY, 0);
    EXPECT_EQ(s.Akarumu[k], 1);  // nothing stays dark from stage 2
  }
  s.SeikaiCount = 20;
  Ctrl();
  Game->TakeMarks();  // the characters rendered: their drawn sizes follow the scale
  ASSERT_EQ(s.Fukuramu.size(), static_cast<std::size_t>(s.MojiCount));
  for (std::int32_t k = 0; k < s.MojiCount; ++k) {
    EXPECT_NE(s.Moji[k].DX, 0);
    EXPECT_GE(s.Moji[k].DX, -2);
    EXPECT_LE(s.Moji[k].DX, 2);
    EXPECT_GE(s.Moji[k].DY, -2);
    EXPECT_LE(s.Moji[k].DY, 2);
    const float scale = s.HotaruSizeW[k] / static_cast<float>(fw);
    EXPECT_GE(scale, 0.49f);
    EXPECT_LE(scale, 1.01f);
    EXPECT_NEAR(s.MojiSizeW[k], static_cast<float>(TRulesGame::kMojiSize) * scale, 0.01f);
  }
}

TEST_F(RulesTest, HintsFlyFromStageTwoAndF1GivesUpInStageOne) {
  StartToPrompt();
  Ctrl();
  Key(VK_F1);  // stage 1: gives up
  EXPECT_EQ(S().Playing, 0);
  EXPECT_EQ(S().FuseikaiCount, 1);
  EXPECT_EQ(S().HintCount, 0);

  S().SeikaiCount = 10;
  S().Tokuten = 100;
  Ctrl();
  while (S().MojiCount < 4) Ctrl();  // room for three hints
  TGameState& s = S();
  const TRect e = Window.Bounds;
  const std::int32_t gw = S().Pictures.HikariW;
  const std::int32_t gh = S().Pictures.HikariH;
  const MojiRecord before = s.Moji[0];
  Key(VK_F1);
  EXPECT_EQ(s.HintCount, 1);
  EXPECT_EQ(s.HintMoji, 1);
  EXPECT_EQ(s.HintFlight, 1);
  EXPECT_EQ(s.Tokuten, 95);
  EXPECT_EQ(s.Moji[0].DX, static_cast<std::int32_t>(std::nearbyint((e.Left - before.X) / 80.0)));
  EXPECT_EQ(s.Moji[0].DY,
            static_cast<std::int32_t>(std::nearbyint((e.Top - gh - before.Y) / 80.0)));
  Key(VK_F1);  // still flying: nothing
  EXPECT_EQ(s.HintMoji, 1);
  RunTicks(85);
  EXPECT_EQ(s.HintFlight, 0);
  EXPECT_EQ(s.Moji[0].X, e.Left);
  EXPECT_EQ(s.Moji[0].Y, e.Top - gh);
  EXPECT_EQ(s.Moji[0].DX, 0);

  Key(VK_F1);
  RunTicks(85);
  EXPECT_EQ(s.Moji[1].X, e.Left + gw);
  Key(VK_F1);
  RunTicks(85);
  EXPECT_EQ(s.HintMoji, 3);
  EXPECT_EQ(s.HintCount, 1);  // one question with hints
  EXPECT_EQ(s.Tokuten, 85);
  Key(VK_F1);  // the fourth gives the question up
  EXPECT_EQ(s.Playing, 0);
  EXPECT_EQ(s.FuseikaiCount, 2);
  EXPECT_EQ(s.Tokuten, 75);

  // A hinted correct answer breaks the run.
  s.RenzokuCount = 2;
  Ctrl();
  Key(VK_F1);
  AnswerRight();
  EXPECT_EQ(s.RenzokuCount, 0);
}

TEST_F(RulesTest, HintSpeedsRoundHalvesToEven) {
  StartToPrompt();
  Ctrl();
  S().SeikaiCount = 10;
  Ctrl();
  const TRect e = Window.Bounds;
  const std::int32_t gh = S().Pictures.HikariH;
  S().Moji[0].X = e.Left - 200;  // the target lies 200 px to its right
  S().Moji[0].Y = e.Top - gh;
  Key(VK_F1);
  EXPECT_EQ(S().Moji[0].DX, 2);  // 2.5
  EXPECT_EQ(S().Moji[0].DY, 0);
  Ctrl();
  S().Moji[0].X = e.Left - 120;
  S().Moji[0].Y = e.Top - gh + 200;
  Key(VK_F1);
  EXPECT_EQ(S().Moji[0].DX, 2);   // 1.5
  EXPECT_EQ(S().Moji[0].DY, -2);  // -2.5
}

TEST_F(RulesTest, TheFourthQuestionWithHintsInAStageIsGivenUp) {
  StartToPrompt();
  Ctrl();
  S().SeikaiCount = 10;
  S().HintCount = 3;
  Ctrl();
  Key(VK_F1);
  EXPECT_EQ(S().HintCount, 4);
  EXPECT_EQ(S().Playing, 0);
  EXPECT_EQ(S().FuseikaiCount, 1);
}

TEST_F(RulesTest, HintsPastTheLimitOrTheLastCharacterWriteNoCharacter) {
  StartToPrompt();
  Ctrl();
  S().SeikaiCount = 10;
  Ctrl();
  TGameState& s = S();
  // A question somehow holding four hints (an old save) gives up at the next F1.
  s.HintMoji = 4;
  s.HintCount = 1;
  const MojiRecord untouched = s.Moji[4];
  Key(VK_F1);
  EXPECT_EQ(s.Playing, 0);
  EXPECT_EQ(s.HintFlight, 0);
  EXPECT_EQ(s.Moji[4].DX, untouched.DX);
  EXPECT_EQ(s.Moji[4].X, untouched.X);

  // A two-character question: the third hint has no character to send.
  Ctrl();
  s.MojiCount = 2;
  const MojiRecord third = s.Moji[2];
  for (int hint = 0; hint < 3; ++hint) {
    Key(VK_F1);
    RunTicks(85);
  }
  EXPECT_EQ(s.HintMoji, 3);
  EXPECT_EQ(s.Playing, 1);
  EXPECT_EQ(s.Moji[2].X, third.X);
  EXPECT_EQ(s.Moji[2].Y, third.Y);
}

TEST_F(RulesTest, ScoreAndPauseTotalStopAtTheirLimits) {
  StartToPrompt();
  Ctrl();
  const std::int32_t top = std::numeric_limits<std::int32_t>::max();
  S().PauseTotal = top - 10;
  Key(VK_F2);
  Clock.Advance(1000);
  Key(VK_F2);
  EXPECT_EQ(S().PauseTotal, top);
  S().RenzokuCount = 2;  // the third in a row adds 100 as well
  S().Tokuten = top - 50;
  AnswerRight();
  EXPECT_EQ(S().Tokuten, top);
}

TEST_F(RulesTest, BonusQuestionsComeOnlyAfterTwoMissesAndForgiveThem) {
  StartToPrompt();
  Ctrl();
  for (int i = 0; i < 100; ++i) {
    Ctrl();
    ASSERT_EQ(S().BonusMode, 0) << "a bonus question with fewer than two misses";
  }
  S().FuseikaiCount = 2;
  int tries = 0;
  while (S().BonusMode == 0 && tries < 2000) {
    Ctrl();
    ++tries;
  }
  ASSERT_EQ(S().BonusMode, 1);
  EXPECT_EQ(S().BonusTime, Clock.Now());
  EXPECT_EQ(Window.AnswerRed, 255);
  EXPECT_EQ(Window.AnswerGreen, 255);
  EXPECT_EQ(Window.AnswerBlue, 0);
  AnswerRight();
  EXPECT_EQ(S().FuseikaiCount, 0);
  // Roughly one in twenty: far from every question.
  EXPECT_GT(tries, 0);
}

TEST_F(RulesTest, TheTenthCorrectAnswerClearsTheStage) {
  StartToPrompt();
  Ctrl();
  S().SeikaiCount = 9;
  S().FuseikaiCount = 3;
  S().RenzokuCount = 4;
  S().HintCount = 2;
  AnswerRight();
  EXPECT_EQ(S().SeikaiCount, 10);
  EXPECT_EQ(S().FuseikaiCount, 0);
  EXPECT_EQ(S().RenzokuCount, 0);
  EXPECT_EQ(S().HintCount, 0);
  EXPECT_EQ(S().BlinkOn, 0);
  EXPECT_EQ(S().GameClear, 0);
  Ctrl();
  EXPECT_EQ(S().Moji[0].DX, 0);  // stage 2 layout
}

TEST_F(RulesTest, TheFifthMissEndsTheGameAndCtrlStartsANewOne) {
  StartToPrompt();
  Ctrl();
  S().FuseikaiCount = 4;
  S().SeikaiCount = 5;
  S().Tokuten = 3000;
  AnswerWrong();
  EXPECT_EQ(S().GameOver, 1);
  EXPECT_EQ(S().Message1, Sjis("お疲れさまでした。"));
  EXPECT_EQ(S().Message2, Sjis("Ctrlキーを押すとゲームを再開します。"));
  EXPECT_FALSE(Window.MenuEnabled(TMenuItem::Save1));
  EXPECT_EQ(S().SaikoTokuten, 2000);
  EXPECT_FALSE(std::filesystem::exists(UserDir() / kSaveFileName));
  Ctrl();
  EXPECT_EQ(S().GameOver, 0);
  EXPECT_EQ(S().SeikaiCount, 0);
  EXPECT_EQ(S().FuseikaiCount, 0);
  EXPECT_EQ(S().Tokuten, 0);
  EXPECT_EQ(S().Playing, 1);
  EXPECT_TRUE(S().Message2.empty());
}

TEST_F(RulesTest, AWholeGameOfThirtyAnswersClearsItWithTheBestScoreAndASave) {
  StartToPrompt();
  for (int i = 0; i < 30; ++i) {
    Ctrl();
    ASSERT_EQ(S().Playing, 1) << i;
    RunTicks(4);
    AnswerRight();
    ASSERT_EQ(S().SeikaiCount, i + 1);
  }
  const TGameState& s = S();
  EXPECT_EQ(s.GameClear, 1);
  EXPECT_GT(s.Tokuten, 2000);  // 30 answers with nearly a minute left, and run rewards
  EXPECT_EQ(s.SaikoTokuten, s.Tokuten);
  // The best-score label beside the record message says the same score.
  Game->TakeMarks();
  EXPECT_EQ(Game->Labels[static_cast<std::size_t>(TLabel::SaikoTokuten)],
            ZeroPad(s.Tokuten) + "(最高得点)");
  EXPECT_EQ(s.Message1,
            Sjis("記録更新!! (") + std::to_string(s.Tokuten) + Sjis("点) おめでとうございます!! "));
  EXPECT_EQ(s.Message2, Sjis(" Ctrlキーを押すと最初からゲームが始まります。"));
  EXPECT_EQ(std::filesystem::path(s.MusicName).filename(), "tam-y02.mp3");
  EXPECT_EQ(s.BgmRandom, 0);
  for (TMenuItem item : {TMenuItem::ON1, TMenuItem::OFF1, TMenuItem::Save1, TMenuItem::BGM1}) {
    EXPECT_FALSE(Window.MenuEnabled(item)) << MenuItemInfo(item).Name;
  }
  // The automatic save holds the finished game and its best score.
  TSaveData saved;
  std::uintmax_t size = 0;
  std::string error;
  ASSERT_TRUE(ReadSaveFile(UserDir() / kSaveFileName, saved, size, error)) << error;
  EXPECT_EQ(size, kSaveDataSize);
  EXPECT_EQ(saved.SeikaiCount, 30);
  EXPECT_EQ(saved.SaikoTokuten, s.Tokuten);
  const std::int32_t best = s.Tokuten;

  // The next start offers nothing and shows the best score.
  Game.reset();
  Window.Confirmations.clear();
  StartToPrompt();
  RunTicks(5);
  EXPECT_TRUE(Window.Confirmations.empty());
  EXPECT_EQ(S().SaikoTokuten, best);
}

TEST_F(RulesTest, GameClearBelowTheBestScoreKeepsItAndCtrlRestartsTheMusic) {
  StartToPrompt();
  RunTicks(2);
  Ctrl();
  const std::string userMusic = S().MusicName;
  S().SeikaiCount = 29;
  S().Tokuten = 10;
  AnswerRight();
  EXPECT_EQ(S().GameClear, 1);
  EXPECT_EQ(S().SaikoTokuten, 2000);
  EXPECT_EQ(S().Message1, Sjis("おめでとうございます!!"));
  EXPECT_EQ(S().SavedMusicName, userMusic);
  Ctrl();
  EXPECT_EQ(S().GameClear, 0);
  EXPECT_EQ(S().MusicName, userMusic);
  EXPECT_TRUE(Window.MenuEnabled(TMenuItem::ON1));
  EXPECT_TRUE(Window.MenuEnabled(TMenuItem::BGM1));
  EXPECT_EQ(S().SeikaiCount, 0);
}

// The player's own music survives a game clear, on or off, whether the window closes on the
// game-clear screen or after Ctrl has started a new game: the tune is never stored.
TEST_F(RulesTest, TheGameClearTuneNeverReplacesThePlayersMusicInTheSettings) {
  const std::string userMusic = (Root / "music" / "mine.wav").string();
  const std::filesystem::path ini = UserDir() / "Settei.ini";
  for (int bgmOn : {1, 0}) {
    for (bool newGameFirst : {false, true}) {
      SCOPED_TRACE(std::to_string(bgmOn) + (newGameFirst ? " after Ctrl" : " at game clear"));
      Game.reset();
      std::filesystem::remove(ini);
      StartToPrompt();
      S().MusicName = userMusic;
      if (bgmOn == 0) Game->MenuClick(TMenuItem::OFF1);
      Ctrl();
      S().SeikaiCount = 29;
      AnswerRight();
      ASSERT_EQ(S().GameClear, 1);
      if (newGameFirst) Ctrl();
      Game->FormClose();
      EXPECT_EQ(GetPrivateProfileStringA("BGM", "MusicName", "", ini),
                codepage::Utf8ToSjis(userMusic));
      EXPECT_EQ(GetPrivateProfileStringA("BGM", "Music", "", ini), bgmOn ? "1" : "0");
    }
  }
}

}  // namespace
}  // namespace game::testing
