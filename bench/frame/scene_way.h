// The frame as the game draws it: every sprite queued with TSXScene::DrawPolygon (overlay, blend
// mode 2, point sampling, clamped) on textures of a TDGCarad, then drawn by one Render.
#pragma once

#include <memory>
#include <vector>

#include "frame_content.h"
#include "graphics/device/dg_carad.h"
#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_scene.h"

namespace benchframe {

class TSceneWay {
 public:
  explicit TSceneWay(const TFrameContent& content);
  ~TSceneWay();
  TSceneWay(const TSceneWay&) = delete;
  TSceneWay& operator=(const TSceneWay&) = delete;

  bool Ok() const { return Scene_ != nullptr; }
  void DrawFrame();

 private:
  const TFrameContent& Content_;
  TNullWindow Window_{kScreenWidth, kScreenHeight};
  std::unique_ptr<TDGCarad> Carad_;
  std::vector<std::unique_ptr<TDGTexture>> Textures_;
  unsigned Frames_ = 0;
  std::unique_ptr<TSXScene> Scene_;
};

}  // namespace benchframe
