// The Data folder the build made (tests run in the executable's folder, beside Data/).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "data_set.h"
#include "pictures/image_files.h"
#include "pictures/sprites.h"
#include "platform/base/files.h"
#include "sounds/wav_file.h"

TEST(DataFolder, HoldsEveryFileTheGameLoads) {
  const std::filesystem::path data = files::ExecutableFolder() / "Data";
  ASSERT_TRUE(std::filesystem::is_directory(data)) << std::filesystem::absolute(data);
  const std::set<std::string> expected = {
      "Haikei.jpg",   "Hikari2.bmp", "logo.bmp",          "Sosa1.bmp",     "Sosa2.bmp",
      "wisplore.qda", "seikai.wav",  "renzokuseikai.wav", "fuseikai.wav",  "gameclear.wav",
      "gameover.wav", "bonus.wav",   "stageclear.wav",    "tamsu08-1.mp3", "tam-y02.mp3"};
  const std::vector<std::string> listed = AllFileNames();
  const std::set<std::string> names(listed.begin(), listed.end());
  for (const std::string& name : expected) EXPECT_EQ(names.count(name), 1u) << name;
  for (const std::string& name : listed) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(std::filesystem::is_regular_file(data / name));
    EXPECT_GT(std::filesystem::file_size(data / name), 1000u);
    EXPECT_FALSE(std::filesystem::exists(data / (name + ".part")));
  }
  // Every effect is a WAVE file a reader can walk.
  for (const char* effect : {"seikai.wav", "renzokuseikai.wav", "fuseikai.wav", "gameclear.wav",
                             "gameover.wav", "bonus.wav", "stageclear.wav"}) {
    std::string error;
    const auto info = ParseWav(ReadFileBytes(data / effect), &error);
    ASSERT_TRUE(info) << effect << ": " << error;
    EXPECT_EQ(info->sampleRate, 44100u);
    EXPECT_EQ(info->bitsPerSample, 16);
  }
}

TEST(DataFolder, BuildTimeFilesMatchAFreshRun) {
  // Same program, same fonts and libraries: the same bytes.
  EXPECT_EQ(ReadFileBytes(files::ExecutableFolder() / "Data" / "Hikari2.bmp"),
            EncodeBmp32(DrawHikari()));
  const std::vector<DataFile> sounds = SoundFiles();
  for (const DataFile& file : sounds)
    EXPECT_EQ(ReadFileBytes(files::ExecutableFolder() / "Data" / file.name), file.bytes)
        << file.name;
}
