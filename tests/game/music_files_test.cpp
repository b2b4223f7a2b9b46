// The one table of music formats: the folder scan's test, the dialog's filter and the decoder's
// containers made from it, and the tests' ways to make a file of each.
#include "rules/music_files.h"

#include <gtest/gtest.h>

#include <set>

#include "support/media_files.h"

namespace game {
namespace {

TEST(MusicFiles, EveryListedExtensionAndNoOtherIsMusicInAnyCase) {
  for (const TMusicFormat& format : kMusicFormats) {
    const std::string ext = format.Extension;
    std::string upper = ext;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(IsMusicFile("/music/tune" + ext)) << ext;
    EXPECT_TRUE(IsMusicFile("/music/Tune" + upper)) << upper;
    EXPECT_FALSE(IsMusicFile("/music" + ext + "/cover.jpg")) << "a folder's name is not the file's";
  }
  for (const char* other : {"/music/notes.txt", "/music/mp3", "/music/tune.mp3.part", "/music/"}) {
    EXPECT_FALSE(IsMusicFile(other)) << other;
  }
}

TEST(MusicFiles, TheFilterNamesEachKindOnceAndEveryExtension) {
  EXPECT_EQ(
      MusicFileFilter(),
      "mp3ファイル;midiファイル;wmaファイル;wavファイル;aifファイル;oggファイル;opusファイル;"
      "flacファイル;m4aファイル;aacファイル|*.mp3;*.mid;*.wma;*.wav;*.aif;*.aifc;*.aiff;*.ogg;"
      "*.oga;*.opus;*.flac;*.m4a;*.aac|すべてのファイル|*.*");
}

// A new row names the containers FFmpeg may open it as (only MIDI never goes to FFmpeg), and
// the decoder allows exactly the table's containers, each once.
TEST(MusicFiles, TheDecoderOpensTheContainersOfTheTableAndNoOther) {
  for (const TMusicFormat& format : kMusicFormats) {
    EXPECT_EQ(std::string(format.Containers).empty(), std::string(format.Extension) == ".mid")
        << format.Extension;
  }
  EXPECT_EQ(wmp::MusicContainers(), "mp3,asf,wav,w64,aiff,ogg,flac,mov,aac");
}

// The format tests play one file of every extension: each but MIDI (made by the wave builder)
// needs its encoder.
TEST(MusicFiles, TheTestsCanMakeAFileOfEveryFormat) {
  std::set<std::string> encoded;
  for (const testwave::MediaKind& kind : testwave::EncodedKinds()) encoded.insert(kind.extension);
  for (const TMusicFormat& format : kMusicFormats) {
    if (std::string(format.Extension) == ".mid") continue;
    EXPECT_EQ(encoded.count(format.Extension), 1u) << format.Extension << " has no test encoder";
  }
  EXPECT_EQ(encoded.size() + 1, kMusicFormats.size()) << "an encoder for an unlisted extension";
}

}  // namespace
}  // namespace game
