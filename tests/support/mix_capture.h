// Listens to what the shared audio device actually mixes (SDL_mixer's post-mix hook), so tests
// can check what was heard: levels, overlaps, restarts, when sound first arrived.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace testwave {

class MixCapture {
 public:
  MixCapture() { Mix_SetPostMix(&MixCapture::Hook, this); }
  ~MixCapture() { Mix_SetPostMix(nullptr, nullptr); }
  MixCapture(const MixCapture&) = delete;
  MixCapture& operator=(const MixCapture&) = delete;

  // Largest absolute sample heard since the last Clear.
  int Peak() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return peak_;
  }
  // Device frames mixed since the last Clear (silent or not).
  std::size_t Frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
  }
  // Frames that held any non-silent sample.
  std::size_t SoundingFrames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return soundingFrames_;
  }
  // Frames at which sound was heard with exactly the given absolute level.
  std::size_t FramesAtLevel(int level) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<std::size_t>(std::count(levels_.begin(), levels_.end(), level));
  }
  // Bytes of each callback (the device buffer).
  int CallbackBytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return callbackBytes_;
  }
  // When the first non-silent callback ran (time_point{} while none has).
  std::chrono::steady_clock::time_point FirstSound() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return firstSound_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    peak_ = 0;
    frames_ = 0;
    soundingFrames_ = 0;
    levels_.clear();
    firstSound_ = {};
  }
  // Waits until the device has mixed at least this many more frames (or the timeout passes).
  bool WaitFrames(std::size_t more, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const std::size_t target = Frames() + more;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Frames() < target) {
      if (std::chrono::steady_clock::now() > deadline) {
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

 private:
  static void Hook(void* self, Uint8* stream, int length) {
    static_cast<MixCapture*>(self)->Take(reinterpret_cast<const std::int16_t*>(stream), length / 2);
  }
  void Take(const std::int16_t* samples, int count) {
    std::lock_guard<std::mutex> lock(mutex_);
    callbackBytes_ = count * 2;
    bool any = false;
    for (int i = 0; i + 1 < count; i += 2) {  // stereo frames
      const int level = std::max(std::abs(samples[i]), std::abs(samples[i + 1]));
      peak_ = std::max(peak_, level);
      ++frames_;
      if (level != 0) {
        ++soundingFrames_;
        levels_.push_back(level);
        any = true;
      }
    }
    if (any && firstSound_ == std::chrono::steady_clock::time_point{}) {
      firstSound_ = std::chrono::steady_clock::now();
    }
  }

  mutable std::mutex mutex_;
  int peak_ = 0;
  std::size_t frames_ = 0;
  std::size_t soundingFrames_ = 0;
  std::vector<int> levels_;
  int callbackBytes_ = 0;
  std::chrono::steady_clock::time_point firstSound_{};
};

}  // namespace testwave
