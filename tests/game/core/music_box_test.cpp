// What the player is told about the music at start-up: a stored default tune from another
// folder is this installation's, with no box; music that cannot play names the reason in its box.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/profile/profile.h"
#include "support/game_fixture.h"
#include "support/wave_builder.h"

namespace game::testing {
namespace {

class MusicBoxTest : public GameFixture {
 protected:
  std::string DataFile(const char* name) const { return (Paths.AppDir / "Data" / name).string(); }
  // A box runs its own message loop, which keeps the ticks coming (nested boxes a few deep).
  void TicksInsideEachBox(const std::function<void()>& ticks) {
    auto depth = std::make_shared<int>(0);
    Window.OnMessage = [depth, ticks] {
      if ((*depth)++ < 3) ticks();
      --*depth;
    };
  }
};

// A stored default tune from another folder (a build tree that is gone, another installation,
// a Windows folder) is this installation's default: it plays with no box. A file of the player's
// own under the same name, outside a Data folder, is still the player's.
TEST_F(MusicBoxTest, AStoredDefaultTuneFromAnotherFolderIsThisInstallationsDefault) {
  const std::filesystem::path copy = Root / "old" / "Data" / "tamsu08-1.mp3";
  std::filesystem::create_directories(copy.parent_path());
  std::filesystem::copy_file(DataFile("tamsu08-1.mp3"), copy);
  struct Case {
    std::string stored;
    bool defaultTune;
  };
  const std::vector<Case> cases = {
      {"/gone/build/Data/tamsu08-1.mp3", true},
      {copy.string(), true},
      {"C:\\Games\\Nightwisp\\Data\\tamsu08-1.mp3", true},
      {"/home/player/music/tamsu08-1.mp3", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Game.reset();
    Window.Messages.clear();
    const std::filesystem::path ini = UserDir() / "Settei.ini";
    WriteFile(ini, "[BGM]\r\nMusic=1\r\nMusicName=" + c.stored + "\r\n");
    StartGame();
    TicksInsideEachBox([this] { RunTicks(2); });
    RunFor(500);
    EXPECT_EQ(S().MusicName, DataFile("tamsu08-1.mp3"));
    EXPECT_EQ(S().BgmOn, 1);
    EXPECT_EQ(Window.Messages.empty(), c.defaultTune);
    Game->FormClose();
    const std::string kept = TIniFile(ini).ReadString("BGM", "MusicName", "");
    EXPECT_EQ(kept, c.defaultTune ? DataFile("tamsu08-1.mp3") : c.stored);
  }
}

// Music that cannot play says why in the same box, in the player's words.
TEST_F(MusicBoxTest, MusicThatCannotPlayNamesTheReasonInItsBox) {
  testwave::Bytes cut = testwave::Midi(2);
  cut.resize(cut.size() - 3);  // a track cut short
  testwave::Bytes frames = testwave::Midi(2);
  frames[12] = 0xE7;  // timed in 25 frames of 40 ticks a second
  frames[13] = 0x28;
  testwave::Bytes huge = testwave::Midi(2);
  huge.resize(17u << 20);  // bigger than any tune the player reads
  struct Case {
    const char* file;
    testwave::Bytes bytes;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"words.mp3",
       {'n', 'o', 't', ' ', 'm', 'u', 's', 'i', 'c'},
       "音楽のファイルではありません。"},
      {"empty.ogg", {}, "音が入っていません。"},
      {"cut.mid", cut, "ファイルが壊れています。"},
      {"frames.mid", frames, "この形式の音楽には対応していません。"},
      {"huge.mid", huge, "曲が長すぎるか、ファイルが大きすぎます。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string music = (Root / c.file).string();
    testwave::WriteFile(music, c.bytes);
    Game.reset();
    Window.Messages.clear();
    WriteFile(UserDir() / "Settei.ini", "[BGM]\r\nMusic=1\r\nMusicName=" + music + "\r\n");
    StartGame();
    TicksInsideEachBox([this] { RunFor(200); });
    RunFor(500);
    ASSERT_EQ(Window.Messages.size(), 1u);
    EXPECT_EQ(Window.Messages[0], "「" + music + "」を再生できませんでした。\n" + c.reason);
    EXPECT_EQ(S().BgmOn, 0);
  }
}

}  // namespace
}  // namespace game::testing
