// The built tunes play through the game's media player and report their lengths.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/base/files.h"
#include "platform/codepage/codepage.h"
#include "platform/wmp/wmp.h"

namespace {

double PlayedDuration(const std::filesystem::path& file) {
  TWindowsMediaPlayer player;
  player.SetURL(codepage::Utf8ToUtf16(file.string()));
  player.settings.setMode(u"loop", true);
  player.controls.play();
  const double seconds = player.currentMedia.duration();
  EXPECT_TRUE(player.IsPlaying()) << file;
  player.controls.stop();
  EXPECT_FALSE(player.IsPlaying()) << file;
  return seconds;
}

TEST(DataMusic, TheDefaultMusicAndTheGameClearTunePlayWithTheirLengths) {
  const double calm = PlayedDuration(files::ExecutableFolder() / "Data" / "tamsu08-1.mp3");
  EXPECT_GE(calm, 90.0);
  EXPECT_LE(calm, 120.0);
  const double festive = PlayedDuration(files::ExecutableFolder() / "Data" / "tam-y02.mp3");
  EXPECT_GE(festive, 30.0);
  EXPECT_LE(festive, 45.0);
}

}  // namespace
