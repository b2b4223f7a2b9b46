// The wave loader on arbitrary bytes: whatever the file holds, nothing is read or written out
// of bounds, no buffer is larger than the file, and binding the result to a channel is safe.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "audio/ddsd.h"

namespace {

struct FuzzSetup {
  FuzzSetup() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    folder = std::filesystem::temp_directory_path() /
             ("nightwisp-fuzz-wave-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ddsd::SetLogFolder(folder);
    component = std::make_unique<TDDSD>();
    component->SetChannelCount(2);
    component->SetDebugOption({});  // report nothing, never halt: failures just return
    component->Loaded();
    if (!component->Initialized()) {
      std::abort();  // the fuzzer needs the dummy audio driver
    }
  }
  std::filesystem::path folder;
  std::unique_ptr<TDDSD> component;
};

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

Bytes Chunk(const char* id, const Bytes& body) {
  Bytes out(id, id + 4);
  Put32(out, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 == 1) out.push_back(0);
  return out;
}

Bytes Format(std::uint16_t tag, int channels, int rate, int bits, std::size_t length) {
  Bytes out;
  Put16(out, tag);
  Put16(out, static_cast<std::uint32_t>(channels));
  Put32(out, static_cast<std::uint32_t>(rate));
  Put32(out, static_cast<std::uint32_t>(rate * channels * bits / 8));
  Put16(out, static_cast<std::uint32_t>(channels * bits / 8));
  Put16(out, static_cast<std::uint32_t>(bits));
  while (out.size() < length) out.push_back(length >= 40 && out.size() == 24 ? 1 : 0);
  return out;
}

Bytes Wave(const Bytes& fmt, std::size_t dataBytes, bool trailer) {
  Bytes body = {'W', 'A', 'V', 'E'};
  const Bytes fmtChunk = Chunk("fmt ", fmt);
  const Bytes dataChunk = Chunk("data", Bytes(dataBytes, 0x40));
  body.insert(body.end(), fmtChunk.begin(), fmtChunk.end());
  body.insert(body.end(), dataChunk.begin(), dataChunk.end());
  if (trailer) {
    const Bytes list = Chunk("LIST", Bytes{'I', 'N', 'F', 'O'});
    body.insert(body.end(), list.begin(), list.end());
  }
  return Chunk("RIFF", body);
}

// Without a corpus of its own, the run starts from a few well-formed waves written to a
// scratch folder, so the fuzzer begins past the chunk headers.
std::filesystem::path seedFolder;

void RemoveSeeds() {
  std::error_code error;
  std::filesystem::remove_all(seedFolder, error);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  for (int i = 1; i < *argc; ++i) {
    if ((*argv)[i][0] != '-') {
      return 0;  // a corpus was given
    }
  }
  seedFolder = std::filesystem::temp_directory_path() /
               ("nightwisp-fuzz-wave-seeds-" + std::to_string(::getpid()));
  std::filesystem::create_directories(seedFolder);
  std::atexit(RemoveSeeds);
  const Bytes seeds[] = {Wave(Format(1, 1, 8000, 8, 16), 101, true),
                         Wave(Format(1, 2, 44100, 16, 18), 64, false),
                         Wave(Format(0xFFFE, 2, 48000, 16, 40), 32, false),
                         Wave(Format(1, 1, 22050, 16, 16), 0, false)};
  int number = 0;
  for (const Bytes& seed : seeds) {
    std::ofstream out(seedFolder / ("seed" + std::to_string(number++) + ".wav"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(seed.data()),
              static_cast<std::streamsize>(seed.size()));
  }
  static std::vector<char*> arguments;
  static std::string folder = seedFolder.string();
  arguments.assign(*argv, *argv + *argc);
  arguments.push_back(folder.data());
  arguments.push_back(nullptr);
  *argc += 1;
  *argv = arguments.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzSetup setup;
  // The loader reads the image through the multimedia file functions' memory files: the same
  // chunk walk as for a file on disk, without the disk.
  const bool effects = size > 0 && (data[size - 1] & 1) != 0;
  TDDSDMemoryWave wave(setup.component.get(), effects, data, size, "input.wav");
  if (wave.Buffer() != nullptr) {
    if (wave.BufferSize() > size) {
      std::abort();  // a buffer can only hold what the file held
    }
    TDDSDChannel* channel = setup.component->Channel(effects ? 1 : 0);
    channel->SetWaveData(&wave);
    channel->SetWaveData(nullptr);
  }
  return 0;
}
