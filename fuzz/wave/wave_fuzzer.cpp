// The wave loader on arbitrary bytes: whatever the file holds, nothing is read or written out
// of bounds, no buffer is larger than the file, and binding the result to a channel is safe.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzSetup setup;
  const std::filesystem::path file = setup.folder / "input.wav";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const bool effects = size > 0 && (data[size - 1] & 1) != 0;
  TDDSDWaveData wave(setup.component.get(), effects, file);
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
