// The second peer: pixman drawing a frame's sprites into an X8R8G8B8 image, each sprite a
// premultiplied picture composited OVER the frame through a solid mask that carries the sprite's
// colour and alpha.
//
// pixman weighs the destination by one alpha only when the mask is a plain alpha; a mask with
// colour ("component alpha") also weighs each destination channel by that colour channel. So white
// sprites come out as ours do (up to rounding), and tinted sprites cost the same work but differ
// in how much of the destination shows through.
#pragma once

#include <pixman.h>

#include <cstdint>
#include <vector>

#include "frame_content.h"

namespace benchframe {

class TPixmanPeer {
 public:
  explicit TPixmanPeer(const TFrameContent& content);
  ~TPixmanPeer();
  TPixmanPeer(const TPixmanPeer&) = delete;
  TPixmanPeer& operator=(const TPixmanPeer&) = delete;

  bool Ok() const { return Target_ != nullptr; }
  // Clears to opaque black and draws every sprite.
  void DrawFrame();
  // A pixel of the result, so that nothing can be skipped.
  std::uint32_t Pixel(int x, int y) const { return Frame_[y * kScreenWidth + x]; }

 private:
  const TFrameContent& Content_;
  std::vector<std::uint32_t> Frame_;
  pixman_image_t* Target_ = nullptr;
  std::vector<std::vector<std::uint32_t>> Premultiplied_;
  std::vector<pixman_image_t*> Pictures_;
  std::vector<pixman_image_t*> Masks_;  // per sprite; nullptr for opaque white
};

}  // namespace benchframe
