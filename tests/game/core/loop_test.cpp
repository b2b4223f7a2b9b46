// The main loop: the tick, the music start, the title prompt and the resume question, the
// question clock, the blink, the random music's track end, the frame driver and the pause.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <utility>

#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/codepage/codepage.h"
#include "platform/profile/profile.h"
#include "platform/wmp/wmp.h"
#include "rules/music_files.h"
#include "rules/save_file.h"
#include "support/game_fixture.h"
#include "support/media_files.h"
#include "support/screen_util.h"
#include "support/wave_builder.h"

namespace game::testing {
namespace {

class LoopTest : public GameFixture {
 protected:
  int LabelWidth(const std::string& sjis) {
    TSXTextWriter& w = *O().LabelWriter.get();
    w.Font().SetSize(18);
    return w.TextWidth(sjis) + w.TextWidth("a") / 2;
  }
  std::string DataFile(const char* name) const { return (Paths.AppDir / "Data" / name).string(); }
  // A saved question in progress with `seikai` correct answers.
  void WriteSavedGame(std::int32_t seikai) {
    TCatalogue catalogue;
    BuildMondaiTable(catalogue);
    TSaveData d;
    d.MondaiNo = 1;
    d.MojiCount = static_cast<std::int32_t>(catalogue.Reading(1).size());
    for (std::int32_t i = 0; i < d.MojiCount; ++i) {
      d.X[i] = 50 + 30 * i;
      d.Y[i] = 300;
      d.Akarusa[i] = 100;
    }
    d.SeikaiCount = seikai;
    d.TimeLeft = 30000;
    d.Playing = 1;
    d.Tokuten = 10;
    d.SaikoTokuten = 2500;
    std::filesystem::create_directories(UserDir());
    std::string error;
    ASSERT_TRUE(WriteSaveFile(UserDir() / "record1.dat", d, error)) << error;
  }
};

TEST_F(LoopTest, TicksAreTwentyFiveMillisecondsApart) {
  StartGame();
  EXPECT_EQ(Game->ApplicationEvents1Idle(), 25);
  const DWORD first = S().TickTime;
  Clock.Advance(10);
  EXPECT_EQ(Game->ApplicationEvents1Idle(), 15) << "not due: the rest of the wait";
  EXPECT_EQ(S().TickTime, first);
  Clock.Advance(15);
  Game->ApplicationEvents1Idle();
  EXPECT_EQ(S().TickTime, first + 25);
  // A late tick runs at once and the next one counts from it.
  Clock.Advance(70);
  EXPECT_EQ(Game->ApplicationEvents1Idle(), 25);
  EXPECT_EQ(S().TickTime, first + 95);
}

TEST_F(LoopTest, MusicStartsOnceAfterOneHundredMilliseconds) {
  StartGame();
  RunTicks(3);  // 0, 25, 50 ms
  Clock.Advance(24);
  RunTicks(1);  // 99 ms
  EXPECT_EQ(S().BgmStarted, 0);
  EXPECT_FALSE(S().Message1.empty());
  Clock.Advance(1);
  RunTicks(1);
  EXPECT_EQ(S().BgmStarted, 1);
  EXPECT_EQ(S().BgmOn, 1);
  EXPECT_EQ(S().BgmRandom, 0);
  EXPECT_EQ(S().MusicName, DataFile("tamsu08-1.mp3"));
  EXPECT_EQ(O().WindowsMediaPlayer1->URL(), codepage::Utf8ToUtf16(S().MusicName));
  EXPECT_TRUE(O().WindowsMediaPlayer1->settings.getMode(u"loop"));
  EXPECT_TRUE(S().Message1.empty());
  EXPECT_GT(O().Label(TLabel::MusicTitle)->Width(), 0u);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::ON1));
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::S2));
  EXPECT_GE(Window.ProcessMessagesCount, 2);
  EXPECT_TRUE(Window.Messages.empty());
}

// A box runs its own message loop, which keeps the ticks coming (nested boxes a few deep).
void TicksInsideEachBox(TFakeWindow& window, const std::function<void()>& ticks) {
  auto depth = std::make_shared<int>(0);
  window.OnMessage = [depth, ticks] {
    if ((*depth)++ < 3) ticks();
    --*depth;
  };
}

// Music that is not there today (a drive not mounted) gives way to the default for this
// session, with one box saying so; the player's setting is written back unchanged at close.
TEST_F(LoopTest, MusicSettingsFallBackWhenTheirFilesAreGoneAndAreKept) {
  const std::filesystem::path ini = UserDir() / "Settei.ini";
  WriteFile(ini, "[BGM]\r\nMusic=1\r\nRandom=0\r\nMusicName=/no/such/file.mp3\r\n");
  StartGame();
  TicksInsideEachBox(Window, [this] { RunTicks(2); });
  RunFor(150);
  EXPECT_EQ(S().MusicName, DataFile("tamsu08-1.mp3"));
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_EQ(Window.Messages[0],
            "BGMのファイル「/no/such/file.mp3」が見つかりません。\n"
            "今回は標準の曲を流します。設定はそのまま残します。");
  RunFor(1000);
  EXPECT_EQ(Window.Messages.size(), 1u);
  Game->FormClose();
  EXPECT_EQ(TIniFile(ini).ReadString("BGM", "MusicName", ""), "/no/such/file.mp3");
  Game.reset();

  WriteFile(ini, "[BGM]\r\nMusic=1\r\nRandom=1\r\nMusicFolda=/no/such\r\n");
  TFakeWindow second;
  Game = std::make_unique<TGame>(second, Owner, Paths);
  Game->FormCreate();
  TicksInsideEachBox(second, [this] { RunTicks(2); });
  RunFor(150);
  EXPECT_EQ(S().BgmRandom, 0);
  EXPECT_EQ(S().MusicName, DataFile("tamsu08-1.mp3"));
  EXPECT_TRUE(second.MenuChecked(TMenuItem::S2));
  EXPECT_FALSE(second.MenuChecked(TMenuItem::R1));
  ASSERT_EQ(second.Messages.size(), 1u);
  EXPECT_EQ(second.Messages[0].rfind("BGMのフォルダ「/no/such」が見つかりません。", 0), 0u);
  Game->FormClose();
  EXPECT_TRUE(TIniFile(ini).ReadBool("BGM", "Random", false));
  EXPECT_EQ(TIniFile(ini).ReadString("BGM", "MusicFolda", ""), "/no/such");
  Game.reset();

  // A path typed by hand in UTF-8 is found.
  const std::filesystem::path own = Root / u8"음악" / u8"봄.wav";
  std::filesystem::create_directories(own.parent_path());
  std::filesystem::copy_file(DataFile("seikai.wav"), own);
  WriteFile(ini, "[BGM]\r\nMusic=1\r\nMusicName=" + own.string() + "\r\n");
  TFakeWindow fourth;
  Game = std::make_unique<TGame>(fourth, Owner, Paths);
  Game->FormCreate();
  RunFor(150);
  EXPECT_EQ(S().MusicName, own.string());
  EXPECT_TRUE(fourth.Messages.empty());
  Game.reset();

  WriteFile(UserDir() / "Settei.ini", "[BGM]\r\nMusic=0\r\n");
  TFakeWindow third;
  Game = std::make_unique<TGame>(third, Owner, Paths);
  Game->FormCreate();
  RunFor(150);
  EXPECT_EQ(S().BgmOn, 0);
  EXPECT_FALSE(third.MenuChecked(TMenuItem::ON1));
  EXPECT_TRUE(third.MenuChecked(TMenuItem::OFF1));
  EXPECT_TRUE(O().WindowsMediaPlayer1->URL().empty());
}

TEST_F(LoopTest, RandomFolderPicksOneOfItsFiles) {
  const auto folder = Root / "music";
  std::filesystem::create_directories(folder / "sub");
  std::filesystem::copy_file(DataFile("seikai.wav"), folder / "a.wav");
  std::filesystem::copy_file(DataFile("fuseikai.wav"), folder / "sub" / "b.WAV");
  WriteFile(UserDir() / "Settei.ini",
            "[BGM]\r\nMusic=1\r\nRandom=1\r\nMusicFolda=" + folder.string() + "\r\n");
  StartGame();
  RunFor(150);
  EXPECT_EQ(S().BgmRandom, 1);
  EXPECT_EQ(S().RandomFileCount, 2);
  EXPECT_EQ(S().RandomPlayedCount, 1);
  EXPECT_TRUE(S().MusicName == S().RandomFiles[0] || S().MusicName == S().RandomFiles[1]);
  EXPECT_TRUE(S().AudioList.empty());
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::R1));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::S2));
  EXPECT_FALSE(O().WindowsMediaPlayer1->settings.getMode(u"loop"));
}

TEST_F(LoopTest, TitlePromptAfterSevenSecondsWithoutASavedGame) {
  StartGame();
  RunFor(6975);
  EXPECT_EQ(S().Ready, 0);
  EXPECT_FALSE(Window.MenuEnabled(TMenuItem::G1));
  RunFor(50);
  EXPECT_EQ(S().Ready, 1);
  EXPECT_EQ(S().Message1,
            codepage::Utf8ToSjis("解答モードの変更は「ゲーム」から設定してください。"));
  EXPECT_EQ(S().Message2, codepage::Utf8ToSjis("Ctrlキーを押すとゲームが始まります。"));
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::Message2)->Width()), LabelWidth(S().Message2));
  EXPECT_GT(O().SosaTexture->Width(), 0u);
  EXPECT_EQ(O().SosaTexture->SourceFile(), DataFile("Sosa1.bmp"));
  for (TMenuItem item : {TMenuItem::G1, TMenuItem::S1, TMenuItem::BGM1, TMenuItem::Help1})
    EXPECT_TRUE(Window.MenuEnabled(item));
  EXPECT_TRUE(Window.Confirmations.empty());
  // Overwritten messages come back on the next tick of the title.
  S().Message1 = "x";
  RunTicks(1);
  EXPECT_EQ(S().Message1,
            codepage::Utf8ToSjis("解答モードの変更は「ゲーム」から設定してください。"));
}

TEST_F(LoopTest, ResumeQuestionOnceForAGameInProgress) {
  WriteSavedGame(29);
  StartGame();
  EXPECT_EQ(S().SaikoTokuten, 2500);
  Window.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
  RunFor(7100);
  ASSERT_EQ(Window.Confirmations.size(), 1u);
  EXPECT_EQ(Window.Confirmations[0], "前回の続きからゲームを始めますか？");
  EXPECT_FALSE(Window.ConfirmHadCancel[0]);
  EXPECT_EQ(S().TitleMode, 0);
  EXPECT_EQ(S().Playing, 1);
  EXPECT_EQ(S().Saved, 0);
  EXPECT_FALSE(Window.AnswerReadOnly);
  EXPECT_GE(Window.FocusCount, 1);
  EXPECT_TRUE(S().Message1.empty());
  // 29 correct answers, no hints used: the guide with the hint key.
  EXPECT_EQ(O().SosaTexture->SourceFile(), DataFile("Sosa2.bmp"));
  RunFor(1000);
  EXPECT_EQ(Window.Confirmations.size(), 1u);
}

TEST_F(LoopTest, FinishedGameIsNotOfferedAndNoKeepsTheTitle) {
  WriteSavedGame(30);
  StartGame();
  RunFor(7100);
  EXPECT_TRUE(Window.Confirmations.empty());
  Game.reset();

  WriteSavedGame(5);
  TFakeWindow second;
  second.ConfirmAnswers.push_back(TConfirmAnswer::No);
  Game = std::make_unique<TGame>(second, Owner, Paths);
  Game->FormCreate();
  RunFor(7100);
  EXPECT_EQ(second.Confirmations.size(), 1u);
  EXPECT_EQ(S().TitleMode, 1);
  EXPECT_EQ(S().Ready, 1);
  EXPECT_EQ(O().SosaTexture->SourceFile(), DataFile("Sosa1.bmp"));
}

TEST_F(LoopTest, QuestionClockShowsWholeSecondsAndTimesOut) {
  StartGame();
  RunFor(200);
  S().TitleMode = 0;
  S().Playing = 1;
  S().StartTime = Clock.Now();
  S().PauseTotal = 0;
  RunTicks(1);
  EXPECT_EQ(S().TimeLeft, 60000);
  RunTicks(1);
  EXPECT_EQ(S().TimeLeft, 59975);
  EXPECT_EQ(static_cast<int>(O().Label(TLabel::Time)->Width()), LabelWidth("TIME:0059"));
  // Paused, the clock stands still.
  S().Paused = 1;
  RunTicks(4);
  EXPECT_EQ(S().TimeLeft, 59975);
  S().Paused = 0;
  // The last millisecond still runs; below 1 ms the question is given up as a miss.
  S().StartTime = Clock.Now() - 59999;
  RunTicks(1);
  EXPECT_EQ(S().TimeLeft, 1);
  EXPECT_EQ(S().Playing, 1);
  EXPECT_EQ(S().FuseikaiCount, 0);
  RunTicks(1);
  EXPECT_EQ(S().TimeLeft, 0);
  EXPECT_EQ(S().Playing, 0);
  EXPECT_EQ(S().FuseikaiCount, 1);
  EXPECT_TRUE(Window.AnswerReadOnly);
}

TEST_F(LoopTest, WrongCounterBlinksFasterWithEachMiss) {
  StartGame();
  RunFor(200);
  for (const auto& [misses, period] : {std::pair{2, 500u}, {3, 250u}, {4, 125u}, {5, 125u}}) {
    S().FuseikaiCount = misses;
    S().BlinkOn = 0;
    S().BlinkTime = Clock.Now();
    std::vector<DWORD> toggles;
    std::uint8_t last = 0;
    for (int i = 0; i < 100; ++i) {
      RunTicks(1);
      if (S().BlinkOn != last) {
        toggles.push_back(S().TickTime);
        last = S().BlinkOn;
      }
    }
    ASSERT_GE(toggles.size(), 3u) << misses;
    for (std::size_t i = 1; i < toggles.size(); ++i) {
      EXPECT_EQ(toggles[i] - toggles[i - 1], period) << misses;
    }
  }
  // No blinking below two misses or once the game is cleared.
  S().BlinkOn = 1;
  S().FuseikaiCount = 1;
  RunTicks(1);
  EXPECT_EQ(S().BlinkOn, 0);
  S().FuseikaiCount = 4;
  S().GameClear = 1;
  RunTicks(40);
  EXPECT_EQ(S().BlinkOn, 0);
}

TEST_F(LoopTest, RandomMusicPlaysEveryFileOncePerCycle) {
  StartGame();
  RunFor(200);
  S().RandomFiles = {DataFile("seikai.wav"), DataFile("fuseikai.wav"), DataFile("bonus.wav")};
  S().RandomFileCount = 3;
  S().RandomPlayed = {1, 0, 0};
  S().RandomPlayedCount = 1;
  S().BgmRandom = 1;
  S().MusicName = S().RandomFiles[0];
  Game->PlayMusic();
  ASSERT_GT(O().WindowsMediaPlayer1->currentMedia.duration(), 0.0);
  std::vector<std::string> played{S().MusicName};
  for (int i = 0; i < 5; ++i) {
    // The track has run past its length.
    S().MusicStartTime = Clock.Now() - 600000;
    RunTicks(1);
    played.push_back(S().MusicName);
    EXPECT_EQ(S().MusicStartTime, S().TickTime) << "the next track started";
  }
  const std::set<std::string> cycle1(played.begin(), played.begin() + 3);
  const std::set<std::string> cycle2(played.begin() + 3, played.end());
  EXPECT_EQ(cycle1.size(), 3u);
  EXPECT_EQ(cycle2.size(), 3u);
  // A track still within its length is left alone.
  const std::string current = S().MusicName;
  RunTicks(3);
  EXPECT_EQ(S().MusicName, current);
}

TEST_F(LoopTest, ShuffleFolderPlaysEveryFormatInTurnForItsLength) {
  const auto folder = Root / "every format";
  std::filesystem::create_directories(folder);
  std::map<std::string, double> lengths;  // by extension; each file lasts a different time
  double seconds = 0.5;
  for (const testwave::MediaKind& kind : testwave::EncodedKinds()) {
    const auto path = folder / (std::string("tune") + kind.extension);
    ASSERT_TRUE(testwave::WriteEncoded(path, kind.encoder, seconds)) << path;
    lengths[kind.extension] = seconds;
    seconds += 0.05;
  }
  testwave::WriteFile(folder / "tune.mid", testwave::Midi(3));  // 120 bpm
  lengths[".mid"] = 1.5;
  WriteFile(UserDir() / "Settei.ini",
            "[BGM]\r\nMusic=1\r\nRandom=1\r\nMusicFolda=" + folder.string() + "\r\n");
  StartGame();
  RunFor(150);
  ASSERT_EQ(S().RandomFileCount, static_cast<std::int32_t>(kMusicFormats.size()));
  const TWindowsMediaPlayer& player = *O().WindowsMediaPlayer1;
  auto runUntil = [&](DWORD sinceStart) {
    const DWORD target = S().MusicStartTime + sinceStart;
    if (static_cast<std::int32_t>(target - Clock.Now()) > 0) Clock.Advance(target - Clock.Now());
    RunTicks(1);
  };

  std::set<std::string> played;
  for (std::size_t track = 0; track < kMusicFormats.size(); ++track) {
    const std::string name = S().MusicName;
    SCOPED_TRACE(name);
    EXPECT_TRUE(played.insert(name).second) << "a file came twice in one cycle";
    EXPECT_TRUE(player.IsPlaying());
    // Known at once, within one codec frame of what was encoded.
    const double duration = player.currentMedia.duration();
    EXPECT_NEAR(duration, lengths[std::filesystem::path(name).extension().string()], 0.047);
    const auto length = static_cast<DWORD>(duration * 1000);
    runUntil(length - 30);
    EXPECT_EQ(S().MusicName, name) << "moved on before the end";
    runUntil(length + 1);
    EXPECT_EQ(S().MusicStartTime, S().TickTime) << "the next track started at the end";
  }
  EXPECT_EQ(played.size(), kMusicFormats.size());
  EXPECT_TRUE(Window.Messages.empty()) << Window.Messages.front();
}

TEST_F(LoopTest, LostDeviceSkipsFramesUntilItIsReset) {
  int presented = 0;
  Owner.SetPresenter(
      [&](UINT, UINT, INT, const std::uint32_t*, const TFrameChange&) { ++presented; });
  StartGame();
  RunTicks(1);
  EXPECT_EQ(presented, 1);
  d3d9standin::LoseDevice(O().DG->Device(), 2);
  RunTicks(2);  // lost twice
  EXPECT_EQ(presented, 1);
  EXPECT_TRUE(d3d9standin::IsDeviceLost(O().DG->Device()));
  RunTicks(1);  // not reset: the component resets it, no frame yet
  EXPECT_EQ(presented, 1);
  EXPECT_FALSE(d3d9standin::IsDeviceLost(O().DG->Device()));
  RunTicks(1);
  EXPECT_EQ(presented, 2);
}

TEST_F(LoopTest, PauseStopsTheQuestionAndShowsItsMessageAtOnce) {
  int presented = 0;
  Owner.SetPresenter(
      [&](UINT, UINT, INT, const std::uint32_t*, const TFrameChange&) { ++presented; });
  StartGame();
  Game->Pause();
  EXPECT_EQ(S().Paused, 0) << "no question, no pause";
  EXPECT_EQ(presented, 0);
  S().TitleMode = 0;
  S().Playing = 1;
  Window.AnswerReadOnly = false;
  Game->Pause();
  EXPECT_EQ(S().Paused, 1);
  EXPECT_EQ(S().PauseStart, Clock.Now());
  EXPECT_EQ(S().Message1, codepage::Utf8ToSjis("一時停止中...F2キーで再開します。"));
  EXPECT_EQ(presented, 1);
  EXPECT_TRUE(Window.AnswerReadOnly);
  Clock.Advance(500);
  Game->Pause();
  EXPECT_EQ(S().PauseStart, Clock.Now() - 500) << "a second pause changes nothing";
}

TEST_F(LoopTest, MediaPlayerErrorIsReportedOnceAndTheGameGoesOn) {
  const std::string broken = (Root / "broken.mp3").string();
  WriteFile(broken, "this is not music");
  WriteFile(UserDir() / "Settei.ini", "[BGM]\r\nMusic=1\r\nMusicName=" + broken + "\r\n");
  StartGame();
  TicksInsideEachBox(Window, [this] { RunFor(500); });
  RunFor(1000);
  // One box naming the file once and why; the library's details go to standard error.
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_EQ(Window.Messages[0],
            "「" + broken + "」を再生できませんでした。\n音楽のファイルではありません。");
  EXPECT_EQ(S().BgmStarted, 1);
  // Nothing plays, and the menu and the screen say so: BGM is off, its title not drawn.
  EXPECT_EQ(S().BgmOn, 0);
  EXPECT_TRUE(Window.MenuChecked(TMenuItem::OFF1));
  EXPECT_FALSE(Window.MenuChecked(TMenuItem::ON1));
  EXPECT_EQ(Find(DrawOnce(*Game), O().Label(TLabel::MusicTitle).get()), nullptr);
  RunFor(7000);
  EXPECT_EQ(S().Ready, 1);
  EXPECT_EQ(Window.Messages.size(), 1u);
  // The player's setting stays for the next start.
  Game->FormClose();
  const TIniFile ini(UserDir() / "Settei.ini");
  EXPECT_TRUE(ini.ReadBool("BGM", "Music", false));
  EXPECT_EQ(ini.ReadString("BGM", "MusicName", ""), broken);
}

// The shuffle skips a track it cannot play without a box; a list where nothing plays gives
// one box and then silence, never a retry on every tick.
TEST_F(LoopTest, TheShuffleSkipsTracksThatCannotPlayAndGivesUpOnceWhenNoneCan) {
  const std::filesystem::path good = Root / "good";
  std::filesystem::create_directories(good);
  std::filesystem::copy_file(DataFile("seikai.wav"), good / "a.wav");
  WriteFile(good / "b.wma", "not music");
  const std::filesystem::path bad = Root / "bad";
  WriteFile(bad / "c.wma", "not music");
  WriteFile(bad / "d.mp3", "not music either");

  for (const auto& [folder, boxes] : {std::pair{good, 0u}, std::pair{bad, 1u}}) {
    SCOPED_TRACE(folder.filename().string());
    Game.reset();
    Window.Messages.clear();
    WriteFile(UserDir() / "Settei.ini",
              "[BGM]\r\nMusic=1\r\nRandom=1\r\nMusicFolda=" + folder.string() + "\r\n");
    StartGame();
    TicksInsideEachBox(Window, [this] { RunTicks(8); });
    RunFor(300);
    EXPECT_EQ(Window.Messages.size(), boxes);
    for (int track = 0; track < 4; ++track) {
      S().MusicStartTime = Clock.Now() - 600000;  // the track has run past its length
      RunTicks(2);
    }
    EXPECT_EQ(Window.Messages.size(), boxes);
    if (boxes == 0) {
      EXPECT_EQ(S().MusicName, (good / "a.wav").string());
      EXPECT_EQ(O().WindowsMediaPlayer1->URL(), codepage::Utf8ToUtf16(S().MusicName));
      EXPECT_GT(O().WindowsMediaPlayer1->currentMedia.duration(), 0.0);
    } else {
      EXPECT_EQ(Window.Messages[0], "「" + bad.string() + "」の曲はどれも再生できませんでした。");
    }
  }
}

// A FLAC file whose header claims 33,762 s and which holds no audio frame at all.
void WriteLyingFlac(const std::filesystem::path& path) {
  ASSERT_TRUE(testwave::WriteEncoded(path, "-c:a flac", 0.2));
  std::ifstream in(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  ASSERT_EQ(bytes.substr(0, 4), "fLaC");
  bytes.resize(8 + 34);                            // the stream information block only
  bytes[4] = static_cast<char>(0x80);              // and it is the last metadata block
  const std::uint64_t samples = 33762ull * 44100;  // 36 bits from the low half of byte 21
  bytes[21] = static_cast<char>((bytes[21] & 0xF0) | ((samples >> 32) & 0x0F));
  for (int i = 0; i < 4; ++i) bytes[22 + i] = static_cast<char>(samples >> (24 - 8 * i));
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A track that ends long before the length it claims: the shuffle moves on when it runs out,
// not hours later; as the single music file it is reported once.
TEST_F(LoopTest, MusicThatRunsOutBeforeItsClaimedLengthMovesOnOrIsReported) {
  const std::filesystem::path folder = Root / "lying";
  std::filesystem::create_directories(folder);
  const std::string lying = (folder / "lying.flac").string();
  WriteLyingFlac(lying);
  std::filesystem::copy_file(DataFile("seikai.wav"), folder / "real.wav");
  WriteFile(UserDir() / "Settei.ini",
            "[BGM]\r\nMusic=1\r\nRandom=1\r\nMusicFolda=" + folder.string() + "\r\n");
  StartGame();
  RunFor(150);
  ASSERT_EQ(S().RandomFileCount, 2);
  // The game's clock stands still: only running out moves the music on.
  int ticksOnLying = 0;
  int longestOnLying = 0;
  bool lyingPlayed = false;
  for (int tick = 0; tick < 80 && !(lyingPlayed && S().MusicName != lying); ++tick) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    RunTicks(1);
    ticksOnLying = S().MusicName == lying ? ticksOnLying + 1 : 0;
    lyingPlayed = lyingPlayed || S().MusicName == lying;
    longestOnLying = std::max(longestOnLying, ticksOnLying);
  }
  EXPECT_TRUE(lyingPlayed);
  EXPECT_NE(S().MusicName, lying) << "still on the file that holds nothing";
  EXPECT_LE(longestOnLying, 10);
  EXPECT_TRUE(Window.Messages.empty()) << Window.Messages.front();

  Game.reset();
  WriteFile(UserDir() / "Settei.ini", "[BGM]\r\nMusic=1\r\nMusicName=" + lying + "\r\n");
  StartGame();
  RunFor(150);
  for (int tick = 0; tick < 20; ++tick) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    RunTicks(1);
  }
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_EQ(Window.Messages[0], "「" + lying + "」を再生できませんでした。\n音が入っていません。");
}

// A box shown while a question runs holds the question clock, as a pause does.
TEST_F(LoopTest, TheQuestionClockStandsStillBehindABox) {
  const std::filesystem::path folder = Root / "music";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(DataFile("seikai.wav"), folder / "a.wav");
  std::filesystem::copy_file(DataFile("seikai.wav"), folder / "b.wav");
  WriteFile(UserDir() / "Settei.ini",
            "[BGM]\r\nMusic=1\r\nRandom=1\r\nMusicFolda=" + folder.string() + "\r\n");
  StartGame();
  RunFor(7200);
  Game->FormKeyDown(VK_CONTROL);
  ASSERT_EQ(S().Playing, 1);
  RunFor(3000);
  const std::int32_t before = S().TimeLeft;
  // The music is gone: the next track end finds nothing to play and says so in a box, which
  // stays open for eight seconds with its own ticks running.
  std::filesystem::remove_all(folder);
  TicksInsideEachBox(Window, [this] { RunFor(8000); });
  S().MusicStartTime = Clock.Now() - 600000;
  RunTicks(1);
  ASSERT_EQ(Window.Messages.size(), 1u);
  EXPECT_EQ(S().Playing, 1);
  RunTicks(1);
  EXPECT_GE(S().TimeLeft, before - 200) << "the clock ran behind the box";
}

}  // namespace
}  // namespace game::testing
