#include "data_set.h"

#include <algorithm>
#include <stdexcept>

#include "archive/qda_writer.h"
#include "pictures/background.h"
#include "pictures/banners.h"
#include "pictures/key_guide.h"
#include "pictures/sprites.h"
#include "pictures/title.h"
#include "sounds/effects.h"
#include "sounds/mp3_encoder.h"
#include "sounds/music.h"
#include "sounds/wav_file.h"

namespace {

constexpr int kJpegQuality = 90;
constexpr int kMusicKilobits = 128;

}  // namespace

PictureSet DrawPictures() {
  PictureSet set;
  set.background = DrawBackground();
  set.hikari = DrawHikari();
  set.hotaru = DrawHotaru();
  set.logo = DrawLogo();
  set.keyGuide = DrawKeyGuide(false);
  set.keyGuideWithHint = DrawKeyGuide(true);
  set.title = DrawTitle();
  for (Banner& banner : DrawBanners())
    set.banners.emplace_back(banner.entryName, std::move(banner.picture));
  return set;
}

std::vector<std::string> ArchiveEntryNames() {
  return {"Title.bmp",   "Hotaru.bmp",  "seikai.bmp", "renzokuseikai.bmp", "fuseikai.bmp",
          "10toppa.bmp", "20toppa.bmp", "Bonus.bmp",  "GameOver.bmp",      "GameClear.bmp"};
}

std::vector<DataFile> PictureFiles(const PictureSet& pictures) {
  std::vector<DataFile> files;
  files.push_back({"Haikei.jpg", EncodeJpeg(pictures.background, kJpegQuality)});
  files.push_back({"Hikari2.bmp", EncodeBmp32(pictures.hikari)});
  files.push_back({"logo.bmp", EncodeBmp32(pictures.logo)});
  files.push_back({"Sosa1.bmp", EncodeBmp32(pictures.keyGuide)});
  files.push_back({"Sosa2.bmp", EncodeBmp32(pictures.keyGuideWithHint)});

  std::vector<QDASourceEntry> entries;
  entries.push_back({"Title.bmp", EncodeBmp32(pictures.title)});
  entries.push_back({"Hotaru.bmp", EncodeBmp32(pictures.hotaru)});
  for (const auto& [name, picture] : pictures.banners)
    entries.push_back({name, EncodeBmp32(picture)});
  const std::vector<std::string> names = ArchiveEntryNames();
  if (!std::equal(
          entries.begin(), entries.end(), names.begin(), names.end(),
          [](const QDASourceEntry& entry, const std::string& name) { return entry.Id == name; }))
    throw std::logic_error("archive entry list out of step");
  files.push_back({"wisplore.qda", BuildQDAArchive(entries, true)});

  files.push_back({"nightwisp-64.png", EncodePng(DrawIcon(64))});
  files.push_back({"nightwisp-256.png", EncodePng(DrawIcon(256))});
  return files;
}

std::vector<DataFile> IconFiles() {
  std::vector<DataFile> files;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    files.push_back({"nightwisp-" + std::to_string(size) + ".png", EncodePng(DrawIcon(size))});
  return files;
}

std::vector<DataFile> SoundFiles() {
  std::vector<DataFile> files;
  for (const SoundEffect& effect : MakeAllEffects())
    files.push_back({effect.fileName, EncodeWav16(effect.audio)});
  return files;
}

std::vector<DataFile> MusicFiles() {
  return {{"tamsu08-1.mp3", EncodeMp3(MakeNightMusic(), kMusicKilobits)},
          {"tam-y02.mp3", EncodeMp3(MakeFestivalMusic(), kMusicKilobits)}};
}

std::vector<std::string> AllFileNames() {
  return {"Haikei.jpg",   "Hikari2.bmp",       "logo.bmp",         "Sosa1.bmp",
          "Sosa2.bmp",    "wisplore.qda",      "nightwisp-64.png", "nightwisp-256.png",
          "seikai.wav",   "renzokuseikai.wav", "fuseikai.wav",     "gameclear.wav",
          "gameover.wav", "bonus.wav",         "stageclear.wav",   "tamsu08-1.mp3",
          "tam-y02.mp3"};
}

void WriteDataFiles(const std::filesystem::path& folder, const std::vector<DataFile>& files) {
  std::filesystem::create_directories(folder);
  for (const DataFile& file : files) {
    const std::filesystem::path target = folder / file.name;
    std::filesystem::path temporary = target;
    temporary += ".part";
    WriteFileBytes(temporary, file.bytes);
    std::filesystem::rename(temporary, target);
  }
}
