// The general decoder's music read from its process: the header first, then the frames as they
// come. Going back to the start is a new process from the start.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/base/files.h"
#include "platform/wmp/ffmpeg_loader.h"

extern char** environ;

namespace wmp {
namespace {

constexpr const char* kDecoderName = "nightwisp-decode";
// The decoder bounds its own open to a few seconds; this covers starting it as well.
constexpr int kHeaderTimeoutMs = 10000;
constexpr std::size_t kFrameBytes = 2 * sizeof(std::int16_t);
// How often the waiting caller gets the thread back while the decoder opens the file.
constexpr int kWaitSliceMs = 10;

std::string DecoderPath() {
  const std::filesystem::path folder = files::ExecutableFolder();
  for (const std::filesystem::path& path :
       {folder / kDecoderName, folder / ".." / "lib" / "nightwisp" / kDecoderName}) {
    std::error_code missing;
    if (std::filesystem::is_regular_file(path, missing)) return path.string();
  }
  throw EMediaPlayer(std::string(kDecoderName) + " が " + folder.string() + " にありません");
}

// One run of the decoder on one file.
class TDecoderRun {
 public:
  TDecoderRun(const std::string& decoder, const std::string& path, int rate,
              const std::function<void()>& waiting) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw EMediaPlayer("パイプを作れません");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string rateText = std::to_string(rate);
    char* const argv[] = {const_cast<char*>(decoder.c_str()), const_cast<char*>(rateText.c_str()),
                          const_cast<char*>(path.c_str()), nullptr};
    const int spawned = posix_spawn(&pid_, decoder.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    fd_ = fds[0];
    if (spawned != 0) {
      pid_ = -1;
      throw EMediaPlayer(decoder + " を起動できません (" + std::strerror(spawned) + ")");
    }
    ReadHeader(waiting);
  }
  ~TDecoderRun() {
    ::close(fd_);
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  TDecoderRun(const TDecoderRun&) = delete;
  TDecoderRun& operator=(const TDecoderRun&) = delete;

  double Seconds() const { return seconds_; }

  // Up to `bytes`, waiting for the decoder; fewer only at its end.
  std::size_t Read(void* out, std::size_t bytes) {
    auto* at = static_cast<std::uint8_t*>(out);
    std::size_t done = 0;
    while (done < bytes) {
      const ssize_t got = ::read(fd_, at + done, bytes - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

 private:
  void ReadExactly(void* out, std::size_t bytes, const std::chrono::steady_clock::time_point end,
                   const std::function<void()>& waiting) {
    auto* at = static_cast<std::uint8_t*>(out);
    while (bytes > 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0) throw EMediaPlayer("復号の応答がありません");
      pollfd ready{fd_, POLLIN, 0};
      const int slice = waiting ? std::min<int>(kWaitSliceMs, static_cast<int>(left.count()))
                                : static_cast<int>(left.count());
      if (::poll(&ready, 1, slice) == 0) {
        if (waiting) waiting();
        continue;
      }
      const ssize_t got = ::read(fd_, at, bytes);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) throw EMediaPlayer("復号が途中で終わりました");
      at += got;
      bytes -= static_cast<std::size_t>(got);
    }
  }

  void ReadHeader(const std::function<void()>& waiting) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHeaderTimeoutMs);
    std::int32_t status = -1;
    ReadExactly(&status, sizeof status, end, waiting);
    if (status == 0) {
      ReadExactly(&seconds_, sizeof seconds_, end, waiting);
      return;
    }
    std::uint32_t length = 0;
    ReadExactly(&length, sizeof length, end, waiting);
    std::string reason(std::min<std::uint32_t>(length, 4096), '\0');
    ReadExactly(reason.data(), reason.size(), end, waiting);
    throw EMediaPlayer(reason);
  }

  pid_t pid_ = -1;
  int fd_ = -1;
  double seconds_ = 0.0;
};

class TFfmpegProcessSource : public TMediaSource {
 public:
  TFfmpegProcessSource(std::string path, int rate, const std::function<void()>& waiting)
      : decoder_(DecoderPath()), path_(std::move(path)), rate_(rate) {
    run_ = std::make_unique<TDecoderRun>(decoder_, path_, rate_, waiting);
    seconds_ = run_->Seconds();
  }

  double Seconds() const override { return seconds_; }

  std::size_t Read(std::int16_t* out, std::size_t frames) override {
    if (!run_) return 0;
    return run_->Read(out, frames * kFrameBytes) / kFrameBytes;
  }

  bool Rewind() override {
    run_.reset();
    try {
      // On the audio thread: no one to give the thread back to.
      run_ = std::make_unique<TDecoderRun>(decoder_, path_, rate_, std::function<void()>());
      return true;
    } catch (const EMediaPlayer&) {
      return false;
    }
  }

 private:
  std::string decoder_;
  std::string path_;
  int rate_;
  double seconds_ = 0.0;
  std::unique_ptr<TDecoderRun> run_;
};

}  // namespace

std::unique_ptr<TMediaSource> OpenFfmpegSource(const std::string& path, int rate,
                                               const std::function<void()>& waiting) {
  return std::make_unique<TFfmpegProcessSource>(path, rate, waiting);
}

}  // namespace wmp
