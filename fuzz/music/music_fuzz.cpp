// The general decoder's opening path on arbitrary bytes, as a music file a player was handed:
// it must refuse or open without crashing, within its bounds, and an opened file must decode
// (its first second here) and rewind. Run under a malloc limit (see CMakeLists.txt), so a file
// that makes FFmpeg take memory without bound fails the run.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/wmp/ffmpeg/ffmpeg_source.h"

namespace {

constexpr int kRate = 44100;
constexpr std::size_t kFramesTried = kRate;

// One in-memory file for the whole run, named through /proc like any path.
struct TMemoryFile {
  int Fd = memfd_create("music", MFD_CLOEXEC);
  std::string Path = "/proc/self/fd/" + std::to_string(Fd);
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const TMemoryFile file;
  if (file.Fd < 0) std::abort();
  if (ftruncate(file.Fd, 0) != 0 || pwrite(file.Fd, data, size, 0) != static_cast<ssize_t>(size)) {
    std::abort();
  }
  try {
    wmp::TFfmpegSource source(file.Path, kRate);
    if (!(source.Seconds() >= 0)) std::abort();
    std::vector<std::int16_t> block(2 * 4096);
    std::size_t frames = 0;
    while (frames < kFramesTried) {
      const std::size_t got = source.Read(block.data(), 4096);
      if (got == 0) break;
      frames += got;
    }
    source.Rewind();
    source.Read(block.data(), 4096);
  } catch (const EMediaPlayer&) {
    // A refusal is what most bytes get.
  }
  return 0;
}
