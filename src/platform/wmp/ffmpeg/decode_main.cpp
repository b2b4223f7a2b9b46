// nightwisp-decode RATE PATH: the general decoder in a process of its own. FFmpeg and the
// hundred-odd libraries it brings (some 25 MB) stay out of the game's memory, a file that makes
// FFmpeg take memory without bound meets this process's limit, and a decoder that crashes ends
// only this process.
//
// On standard output: the header (int32 0 and the length as a double, or a refusal: int32 1
// plus the reason's TMediaFault, a uint32 length and the reason in UTF-8), then the music in
// blocks, each a uint32 count of frames and that many interleaved 16-bit stereo frames at RATE; a
// count of 0 ends the music. The player reads as fast as it plays; the pipe holds back the rest. At
// the end, a byte on standard input plays the music again from its start (a loop) and standard
// input closing ends the process.
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/sanitizer.h"
#include "platform/wmp/ffmpeg/ffmpeg_source.h"

namespace {

// Address space for FFmpeg's libraries and one music file's decoding, far from the machine's.
[[maybe_unused]] constexpr rlim_t kAddressSpaceBytes = 1024ull << 20;
constexpr std::size_t kBlockFrames = 4096;

bool WriteAll(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t wrote = ::write(STDOUT_FILENO, bytes, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    bytes += wrote;
    size -= static_cast<std::size_t>(wrote);
  }
  return true;
}

int Refuse(const std::string& reason, TMediaFault fault = TMediaFault::Other) {
  const std::int32_t status = 1 + static_cast<std::int32_t>(fault);
  const auto length = static_cast<std::uint32_t>(reason.size());
  return WriteAll(&status, sizeof status) && WriteAll(&length, sizeof length) &&
                 WriteAll(reason.data(), reason.size())
             ? 0
             : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  // The player closing the pipe ends the decoding quietly.
  std::signal(SIGPIPE, SIG_DFL);
  // AddressSanitizer reserves terabytes of address space for its shadow: a sanitizer build
  // cannot run under the limit, and its allocator bounds what one allocation may take instead.
#if !defined(NIGHTWISP_UNDER_ASAN)
  const rlimit limit{kAddressSpaceBytes, kAddressSpaceBytes};
  setrlimit(RLIMIT_AS, &limit);
#endif
  const int rate = std::atoi(argv[1]);
  try {
    wmp::TFfmpegSource source(argv[2], rate);
    const std::int32_t status = 0;
    const double seconds = source.Seconds();
    if (!WriteAll(&status, sizeof status) || !WriteAll(&seconds, sizeof seconds)) return 1;
    std::vector<std::int16_t> block(2 * kBlockFrames);
    for (;;) {
      while (const std::size_t got = source.Read(block.data(), kBlockFrames)) {
        const auto count = static_cast<std::uint32_t>(got);
        if (!WriteAll(&count, sizeof count) ||
            !WriteAll(block.data(), got * 2 * sizeof(std::int16_t))) {
          return 1;
        }
      }
      const std::uint32_t end = 0;
      if (!WriteAll(&end, sizeof end)) return 1;
      char again = 0;
      ssize_t got = 0;
      do {
        got = ::read(STDIN_FILENO, &again, 1);
      } while (got < 0 && errno == EINTR);
      if (got != 1 || !source.Rewind()) return 0;
    }
  } catch (const EMediaPlayer& error) {
    return Refuse(error.what(), error.Fault());
  } catch (const std::bad_alloc&) {
    return Refuse("メモリが足りません");
  }
}
