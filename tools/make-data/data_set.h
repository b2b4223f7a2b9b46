// Everything make-data produces, as named files in memory, and writing them out.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "pictures/canvas.h"
#include "pictures/image_files.h"

struct DataFile {
  std::string name;  // file name under Data/
  Bytes bytes;
};

// The pictures the game and the about box load, drawn once and shared by the file writers and
// the contact sheet.
struct PictureSet {
  Canvas background;  // Haikei
  Canvas hikari, hotaru, logo, keyGuide, keyGuideWithHint, title;
  std::vector<std::pair<std::string, Canvas>> banners;  // archive entry name, picture
};

PictureSet DrawPictures();

// The names of the ten archive entries, in directory order.
std::vector<std::string> ArchiveEntryNames();

// Haikei.jpg, Hikari2.bmp, logo.bmp, Sosa1.bmp, Sosa2.bmp, wisplore.qda and the icons.
std::vector<DataFile> PictureFiles(const PictureSet& pictures);

// The desktop's icon at every size icon themes look for, as nightwisp-<size>.png (the package
// installs them into the hicolor theme).
std::vector<DataFile> IconFiles();
// The seven effects (WAVE) and the two tunes (MP3).
std::vector<DataFile> SoundFiles();
std::vector<DataFile> MusicFiles();

// Every file name the tool writes, for the build system's list of outputs.
std::vector<std::string> AllFileNames();

// Writes each file through a temporary name and a rename, so that an interrupted run never
// leaves a half-written file under its real name.
void WriteDataFiles(const std::filesystem::path& folder, const std::vector<DataFile>& files);
