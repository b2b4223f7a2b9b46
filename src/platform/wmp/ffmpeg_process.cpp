// The general decoder's music read from its process: the header first, then the frames as they
// come. At the music's end the same process plays it again (a loop); going back to the start
// from the middle is a new process.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
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
       {folder / kDecoderName, files::InstalledHelperFolder() / kDecoderName}) {
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
    // The music comes through a pipe; the request to play it again goes through a socket, which
    // a decoder that has died cannot turn into SIGPIPE for the game.
    int fds[2];
    int control[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw EMediaPlayer("パイプを作れません");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, control) != 0) {
      ::close(fds[0]);
      ::close(fds[1]);
      throw EMediaPlayer("パイプを作れません");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, control[1], STDIN_FILENO);
    const std::string rateText = std::to_string(rate);
    char* const argv[] = {const_cast<char*>(decoder.c_str()), const_cast<char*>(rateText.c_str()),
                          const_cast<char*>(path.c_str()), nullptr};
    const int spawned = posix_spawn(&pid_, decoder.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    ::close(control[1]);
    fd_ = fds[0];
    control_ = control[0];
    if (spawned != 0) {
      pid_ = -1;
      throw EMediaPlayer(decoder + " を起動できません (" + std::strerror(spawned) + ")");
    }
    ReadHeader(waiting);
  }
  ~TDecoderRun() {
    ::close(fd_);
    ::close(control_);
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  TDecoderRun(const TDecoderRun&) = delete;
  TDecoderRun& operator=(const TDecoderRun&) = delete;

  double Seconds() const { return seconds_; }

  // Up to `frames` frames, waiting for the decoder; fewer only at the music's end.
  std::size_t Read(std::int16_t* out, std::size_t frames) {
    std::size_t done = 0;
    while (done < frames && !atEnd_) {
      if (blockLeft_ == 0) {
        std::uint32_t count = 0;
        if (ReadBytes(&count, sizeof count) != sizeof count) {
          atEnd_ = dead_ = true;  // the decoder ended without the end mark
          break;
        }
        atEnd_ = count == 0;
        blockLeft_ = count;
        continue;
      }
      const std::size_t want = std::min<std::size_t>(frames - done, blockLeft_);
      const std::size_t got = ReadBytes(out + 2 * done, want * kFrameBytes) / kFrameBytes;
      done += got;
      blockLeft_ -= got;
      if (got < want) atEnd_ = dead_ = true;
    }
    return done;
  }

  // Plays the music again from its start in the same process: true when it was at its end and
  // the decoder took the request.
  bool Again() {
    if (!atEnd_ || dead_) return false;
    const char again = 'r';
    if (::send(control_, &again, 1, MSG_NOSIGNAL) != 1) return false;
    atEnd_ = false;
    return true;
  }

 private:
  // Up to `bytes`; fewer only when the decoder ended.
  std::size_t ReadBytes(void* out, std::size_t bytes) {
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
    // The refusal's status is 1 plus its TMediaFault.
    const bool known = status >= 1 && status <= 1 + static_cast<std::int32_t>(TMediaFault::Empty);
    throw EMediaPlayer(reason, known ? static_cast<TMediaFault>(status - 1) : TMediaFault::Other);
  }

  pid_t pid_ = -1;
  int fd_ = -1;
  int control_ = -1;
  double seconds_ = 0.0;
  std::size_t blockLeft_ = 0;  // frames of the current block still to read
  bool atEnd_ = false;         // the end mark came, or the decoder ended
  bool dead_ = false;          // the decoder ended: it cannot play again
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
    return run_->Read(out, frames);
  }

  bool Rewind() override {
    if (run_ && run_->Again()) return true;  // a loop: the decoder seeks back itself
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
