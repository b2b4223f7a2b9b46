// The wave loader on arbitrary bytes: whatever the file holds, nothing is read or written out
// of bounds, no buffer is larger than the file, and binding the result to a channel is safe.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "audio/ddsd.h"

namespace {

struct FuzzSetup {
  FuzzSetup() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // Nothing is reported; were anything written, it goes to the working folder, not to a
    // folder of its own left behind in the temporary folder.
    ddsd::SetLogFolder(std::filesystem::current_path());
    component = std::make_unique<TDDSD>();
    component->SetChannelCount(2);
    component->SetDebugOption({});  // report nothing, never halt: failures just return
    component->Loaded();
    if (!component->Initialized()) {
      std::abort();  // the fuzzer needs the dummy audio driver
    }
  }
  std::unique_ptr<TDDSD> component;
};

}  // namespace

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
