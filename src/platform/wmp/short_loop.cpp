#include "platform/wmp/short_loop.h"

#include <algorithm>

namespace wmp {

constexpr std::size_t kChannels = 2;

TShortLoopSource::TShortLoopSource(std::unique_ptr<TMediaSource> inner, int rate)
    : inner_(std::move(inner)),
      seconds_(inner_->Seconds()),
      mostFrames_(static_cast<std::size_t>(std::max(rate, 1))) {
  // Reserved now: Read runs on the audio thread, which should not wait for the allocator.
  kept_.reserve(mostFrames_ * kChannels);
}

std::size_t TShortLoopSource::Read(std::int16_t* out, std::size_t frames) {
  if (!inner_) {
    const std::size_t count = std::min(frames, kept_.size() / kChannels - at_);
    std::copy_n(kept_.begin() + static_cast<std::ptrdiff_t>(at_ * kChannels), count * kChannels,
                out);
    at_ += count;
    return count;
  }
  const std::size_t got = inner_->Read(out, frames);
  if (got == 0) passEnded_ = true;
  if (keeping_) {
    if (kept_.size() / kChannels + got <= mostFrames_) {
      kept_.insert(kept_.end(), out, out + got * kChannels);
    } else {
      keeping_ = false;  // a second or more: the loop restarts the source as any other
      kept_.clear();
    }
  }
  return got;
}

bool TShortLoopSource::Rewind() {
  if (!inner_) {
    at_ = 0;
    return true;
  }
  if (keeping_ && passEnded_ && !kept_.empty()) {
    inner_.reset();
    at_ = 0;
    return true;
  }
  kept_.clear();
  keeping_ = true;
  passEnded_ = false;
  return inner_->Rewind();
}

}  // namespace wmp
