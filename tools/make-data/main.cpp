#include <filesystem>
#include <iostream>

#include "background.h"
#include "effects.h"
#include "image_files.h"
#include "sprites.h"
#include "wav_file.h"

int main(int argc, char** argv) {
  std::filesystem::path out = argc > 1 ? argv[1] : ".";
  std::filesystem::create_directories(out);
  for (const SoundEffect& effect : MakeAllEffects()) {
    WriteFileBytes(out / effect.fileName, EncodeWav16(effect.audio));
  }
  return 0;
}
