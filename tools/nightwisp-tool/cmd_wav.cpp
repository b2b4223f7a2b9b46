// nightwisp-tool wav FILE: loads a wave as the game's sound library does and prints its format,
// or the library's report for the failure.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/ddsd.h"
#include "commands.h"
#include "platform/codepage/codepage.h"

namespace tool {
namespace {

// The library's reports go to a log in a folder of our own, read back and removed.
class ScratchFolder {
 public:
  ScratchFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("nightwisp-wav-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::vector<std::string> ReportLines() {
  std::vector<std::string> lines;
  std::ifstream log(ddsd::LogFilePath(), std::ios::binary);
  std::string line;
  while (std::getline(log, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(codepage::SjisToUtf8(line));
  }
  return lines;
}

}  // namespace

int RunWav(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: nightwisp-tool wav FILE\n");
    return 2;
  }
  // Loading needs an initialised component, not a loudspeaker: the dummy driver will do.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ScratchFolder scratch;
  ddsd::SetLogFolder(scratch.Path());
  TDDSD component;
  component.SetDebugOption({dsoDebugMessage});
  component.Loaded();
  if (!component.Initialized()) {
    std::fprintf(stderr, "nightwisp-tool wav: the sound library could not be initialised\n");
    return 1;
  }
  const std::filesystem::path file = args[0];
  TDDSDWaveData wave(&component, false, file);
  if (wave.Buffer() == nullptr) {
    for (const std::string& line : ReportLines()) {
      std::fprintf(stderr, "%s\n", line.c_str());
    }
    return 1;
  }
  const dsound::WAVEFORMATEX& format = wave.Format();
  const double seconds =
      format.nBlockAlign > 0 && format.nSamplesPerSec > 0
          ? static_cast<double>(wave.BufferSize() / format.nBlockAlign) / format.nSamplesPerSec
          : 0.0;
  std::printf("%s\n", file.string().c_str());
  std::printf("channels: %u\n", format.nChannels);
  std::printf("bits: %u\n", format.wBitsPerSample);
  std::printf("rate: %u Hz\n", format.nSamplesPerSec);
  std::printf("data bytes: %u\n", wave.BufferSize());
  std::printf("duration: %.3f s\n", seconds);
  return 0;
}

}  // namespace tool
