#include <chrono>
#include <filesystem>
#include <iostream>

#include "mp3_encoder.h"
#include "music.h"
#include "wav_file.h"

int main(int argc, char** argv) {
  std::filesystem::path out = argc > 1 ? argv[1] : ".";
  std::filesystem::create_directories(out);
  auto t0 = std::chrono::steady_clock::now();
  Stereo night = MakeNightMusic();
  auto t1 = std::chrono::steady_clock::now();
  WriteFileBytes(out / "tamsu08-1.mp3", EncodeMp3(night, 128));
  auto t2 = std::chrono::steady_clock::now();
  WriteFileBytes(out / "night.wav", EncodeWav16(night));
  Stereo fest = MakeFestivalMusic();
  WriteFileBytes(out / "tam-y02.mp3", EncodeMp3(fest, 128));
  WriteFileBytes(out / "fest.wav", EncodeWav16(fest));
  auto t3 = std::chrono::steady_clock::now();
  std::cout << std::chrono::duration<double>(t1 - t0).count() << " render, "
            << std::chrono::duration<double>(t2 - t1).count() << " encode, "
            << std::chrono::duration<double>(t3 - t2).count() << " festival\n";
  return 0;
}
