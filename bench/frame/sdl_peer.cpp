#include "sdl_peer.h"

namespace benchframe {

TSdlPeer::TSdlPeer(const TFrameContent& content) : Content_(content) {
  Surface_ =
      SDL_CreateRGBSurfaceWithFormat(0, kScreenWidth, kScreenHeight, 32, SDL_PIXELFORMAT_ARGB8888);
  if (Surface_ == nullptr) return;
  Renderer_ = SDL_CreateSoftwareRenderer(Surface_);
  if (Renderer_ == nullptr) return;
  for (const TPicture& p : content.Pictures) {
    SDL_Texture* t = SDL_CreateTexture(Renderer_, SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_STATIC, p.Width, p.Height);
    SDL_UpdateTexture(t, nullptr, p.Pixels.data(), p.Width * 4);
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(t, SDL_ScaleModeNearest);
    Textures_.push_back(t);
  }
}

TSdlPeer::~TSdlPeer() {
  for (SDL_Texture* t : Textures_) SDL_DestroyTexture(t);
  if (Renderer_ != nullptr) SDL_DestroyRenderer(Renderer_);
  if (Surface_ != nullptr) SDL_FreeSurface(Surface_);
}

void TSdlPeer::DrawFrame() {
  SDL_SetRenderDrawColor(Renderer_, 0, 0, 0, 255);
  SDL_RenderClear(Renderer_);
  for (const TSprite& s : Content_.Sprites) {
    SDL_Texture* t = Textures_[s.Picture];
    SDL_SetTextureColorMod(t, (s.Colour >> 16) & 0xFF, (s.Colour >> 8) & 0xFF, s.Colour & 0xFF);
    SDL_SetTextureAlphaMod(t, s.Colour >> 24);
    const SDL_Rect dst{s.X, s.Y, s.W, s.H};
    SDL_RenderCopy(Renderer_, t, nullptr, &dst);
  }
  SDL_RenderFlush(Renderer_);
}

std::uint32_t TSdlPeer::Pixel(int x, int y) const {
  return static_cast<const std::uint32_t*>(Surface_->pixels)[y * (Surface_->pitch / 4) + x];
}

}  // namespace benchframe
