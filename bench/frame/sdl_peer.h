// The peer: SDL2's software renderer drawing a frame's sprites into a surface, each sprite a
// texture with colour and alpha modulation and alpha blending.
#pragma once

#include <SDL.h>

#include <vector>

#include "frame_content.h"

namespace benchframe {

class TSdlPeer {
 public:
  explicit TSdlPeer(const TFrameContent& content);
  ~TSdlPeer();
  TSdlPeer(const TSdlPeer&) = delete;
  TSdlPeer& operator=(const TSdlPeer&) = delete;

  bool Ok() const { return Renderer_ != nullptr; }
  // Clears to opaque black and draws every sprite; returns once the pixels are written.
  void DrawFrame();
  // A pixel of the result, so that nothing can be skipped.
  std::uint32_t Pixel(int x, int y) const;

 private:
  const TFrameContent& Content_;
  SDL_Surface* Surface_ = nullptr;
  SDL_Renderer* Renderer_ = nullptr;
  std::vector<SDL_Texture*> Textures_;
};

}  // namespace benchframe
