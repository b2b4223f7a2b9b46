// Our way: the frame drawn straight through the software Direct3D 9 device, each sprite one
// SetTexture and one DrawPrimitiveUP of a four-vertex strip, as the scene sends it.
#pragma once

#include <vector>

#include "frame_content.h"
#include "platform/d3d9/d3d9.h"

namespace benchframe {

class TDeviceWay {
 public:
  explicit TDeviceWay(const TFrameContent& content);
  ~TDeviceWay();
  TDeviceWay(const TDeviceWay&) = delete;
  TDeviceWay& operator=(const TDeviceWay&) = delete;

  bool Ok() const { return Device_ != nullptr; }
  IDirect3DDevice9* Device() const { return Device_; }
  const std::vector<IDirect3DTexture9*>& Textures() const { return Textures_; }
  void DrawFrame();

 private:
  const TFrameContent& Content_;
  TNullWindow Window_{kScreenWidth, kScreenHeight};
  IDirect3D9* D3D_ = nullptr;
  IDirect3DDevice9* Device_ = nullptr;
  std::vector<IDirect3DTexture9*> Textures_;
  unsigned Frames_ = 0;
};

}  // namespace benchframe
