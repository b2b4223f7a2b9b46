// Music shorter than a second, looped from memory. A loop starts the music over at its end;
// for a clip of a few frames (or a file whose header claims hours its data does not hold) that
// is hundreds of restarts a second, each a request to the decoder process, and a core kept
// busy for as long as it plays. The first pass is kept while it is shorter than a second; when
// it ends there, every later pass plays from the copy and the decoder is let go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/wmp/media_source.h"

namespace wmp {

class TShortLoopSource : public TMediaSource {
 public:
  TShortLoopSource(std::unique_ptr<TMediaSource> inner, int rate);

  double Seconds() const override { return seconds_; }
  std::size_t Read(std::int16_t* out, std::size_t frames) override;
  bool Rewind() override;

  // Whether the passes now come from the copy in memory.
  bool FromMemory() const { return !inner_; }

 private:
  std::unique_ptr<TMediaSource> inner_;  // released once the copy plays
  double seconds_;
  std::size_t mostFrames_;          // a second's frames
  std::vector<std::int16_t> kept_;  // the first pass, interleaved stereo, while short enough
  bool keeping_ = true;             // the pass so far fits in kept_
  bool passEnded_ = false;          // the inner source reached its end
  std::size_t at_ = 0;              // frames of kept_ played in this pass
};

}  // namespace wmp
