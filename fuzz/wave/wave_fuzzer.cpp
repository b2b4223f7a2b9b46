// The wave loader on arbitrary bytes: whatever the file holds, nothing is read or written out
// of bounds, no buffer is larger than the file, and binding the result to a channel is safe.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/ddsd.h"
#include "support/wave_builder.h"

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

using testwave::Bytes;
using testwave::Chunk;

// A wave with `dataBytes` bytes of sound, optionally followed by a LIST chunk.
Bytes Wave(const Bytes& fmt, std::size_t dataBytes, bool trailer) {
  return testwave::Riff(
      "WAVE", testwave::Concat({Chunk("fmt ", fmt), Chunk("data", Bytes(dataBytes, 0x40)),
                                trailer ? Chunk("LIST", Bytes{'I', 'N', 'F', 'O'}) : Bytes{}}));
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
  const Bytes withCbSize = testwave::Concat({testwave::PcmFormat(2, 44100, 16), Bytes{0, 0}});
  const Bytes seeds[] = {Wave(testwave::PcmFormat(1, 8000, 8), 101, true),
                         Wave(withCbSize, 64, false),
                         Wave(testwave::ExtensibleFormat(2, 48000, 16, 1), 32, false),
                         Wave(testwave::PcmFormat(1, 22050, 16), 0, false)};
  int number = 0;
  for (const Bytes& seed : seeds) {
    testwave::WriteFile(seedFolder / ("seed" + std::to_string(number++) + ".wav"), seed);
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
