#include <filesystem>
#include <iostream>

#include "background.h"
#include "image_files.h"

int main(int argc, char** argv) {
  std::filesystem::path out = argc > 1 ? argv[1] : ".";
  std::filesystem::create_directories(out);
  const Canvas background = DrawBackground();
  WriteFileBytes(out / "Haikei.jpg", EncodeJpeg(background, 90));
  WriteFileBytes(out / "Haikei.png", EncodePng(background, false));
  return 0;
}
