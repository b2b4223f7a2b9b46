// make-data: draws, synthesises and packs every file of the game's Data folder.
//   make-data --out <folder> [--contact-sheet <file.png>] [--previews <folder>]
//   make-data --icons <folder>
// The output depends only on this program, the installed fonts and the libraries: no clock,
// no randomness that is not seeded.
#include <exception>
#include <filesystem>
#include <future>
#include <iostream>
#include <string>
#include <vector>

#include "data_set.h"
#include "pictures/contact_sheet.h"
#include "pictures/image_files.h"

namespace {

void Usage() {
  std::cerr
      << "usage: make-data --out <folder> [--contact-sheet <file.png>] [--previews <folder>]\n"
         "       make-data --icons <folder>\n"
         "       make-data --list\n";
}

// PNG copies of every picture, keyed colours left as they are, for looking at.
void WritePreviews(const std::filesystem::path& folder, const PictureSet& pictures) {
  std::vector<DataFile> files = {{"Haikei.png", EncodePng(pictures.background, false)},
                                 {"Hikari2.png", EncodePng(pictures.hikari)},
                                 {"Hotaru.png", EncodePng(pictures.hotaru)},
                                 {"logo.png", EncodePng(pictures.logo)},
                                 {"Sosa1.png", EncodePng(pictures.keyGuide)},
                                 {"Sosa2.png", EncodePng(pictures.keyGuideWithHint)},
                                 {"Title.png", EncodePng(pictures.title)}};
  for (const auto& [name, picture] : pictures.banners) {
    files.push_back(
        {std::filesystem::path(name).replace_extension(".png").string(), EncodePng(picture)});
  }
  WriteDataFiles(folder, files);
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path out, contactSheet, previews, icons;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--list") {
      for (const std::string& name : AllFileNames()) std::cout << name << '\n';
      return 0;
    }
    if (i + 1 >= argc) {
      Usage();
      return 2;
    }
    if (arg == "--out") {
      out = argv[++i];
    } else if (arg == "--contact-sheet") {
      contactSheet = argv[++i];
    } else if (arg == "--previews") {
      previews = argv[++i];
    } else if (arg == "--icons") {
      icons = argv[++i];
    } else {
      Usage();
      return 2;
    }
  }
  if (out.empty() && contactSheet.empty() && previews.empty() && icons.empty()) {
    Usage();
    return 2;
  }
  try {
    if (!icons.empty()) WriteDataFiles(icons, IconFiles());
    if (out.empty() && contactSheet.empty() && previews.empty()) return 0;
    // The tunes take longest: they are made on a second thread while the pictures are drawn.
    std::future<std::vector<DataFile>> music;
    if (!out.empty()) music = std::async(std::launch::async, MusicFiles);
    const PictureSet pictures = DrawPictures();
    if (!out.empty()) {
      WriteDataFiles(out, PictureFiles(pictures));
      WriteDataFiles(out, SoundFiles());
      WriteDataFiles(out, music.get());
    }
    if (!contactSheet.empty()) {
      if (contactSheet.has_parent_path())
        std::filesystem::create_directories(contactSheet.parent_path());
      WriteFileBytes(contactSheet, EncodePng(MakeContactSheet(pictures), false));
    }
    if (!previews.empty()) WritePreviews(previews, pictures);
  } catch (const std::exception& error) {
    std::cerr << "make-data: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
