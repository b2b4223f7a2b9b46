// Reading back what a frame queued: the overlay queue's sprites with their place, size, colour
// and texture, in drawing order.
#pragma once

#include <cstdint>
#include <vector>

#include "game/game.h"
#include "game/game_owned.h"
#include "graphics/scene/sx_scene.h"

namespace game::testing {

struct TSprite {
  TDGTexture* Texture;
  int X, Y, W, H;
  std::uint32_t Colour;
};

inline std::vector<TSprite> QueuedSprites(TSXScene& scene) {
  std::vector<TSprite> sprites;
  TSXRenderingQueue& queue = scene.OverlayQueue();
  for (int i = 0; i < queue.PolygonCount(); ++i) {
    const TSXPolygonItem& item = queue.Polygon(i);
    sprites.push_back(TSprite{item.Texture, static_cast<int>(item.X), static_cast<int>(item.Y),
                              static_cast<int>(item.Vertices[3].X),
                              static_cast<int>(item.Vertices[3].Y), item.Vertices[0].Diffuse});
  }
  return sprites;
}

// Runs one frame's refresh of the marked textures, animation step and DrawGameScreen, as the
// frame driver does without the device, and returns the frame's sprites (the queue is emptied
// first).
inline std::vector<TSprite> DrawOnce(TGame& game) {
  game.Objects().Scene->OverlayQueue().ResetQueue();
  game.RefreshScreen();
  game.AnimateFireflies();
  game.DrawGameScreen();
  return QueuedSprites(*game.Objects().Scene.get());
}

inline const TSprite* Find(const std::vector<TSprite>& sprites, const TDGTexture* texture) {
  for (const TSprite& s : sprites) {
    if (s.Texture == texture) return &s;
  }
  return nullptr;
}

}  // namespace game::testing
