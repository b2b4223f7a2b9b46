#include "scene_way.h"

#include <cstring>

namespace benchframe {

TSceneWay::TSceneWay(const TFrameContent& content) : Content_(content) {
  Carad_ = std::make_unique<TDGCarad>(&Window_);
  Carad_->SetDebugOption({});
  Carad_->Loaded();
  if (Carad_->Device() == nullptr) return;
  for (const TPicture& pic : content.Pictures) {
    auto texture = std::make_unique<TDGTexture>(
        Carad_.get(), std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 0,
        D3DPOOL_MANAGED, 0, "");
    texture->SetSize(pic.Width, pic.Height);
    INT pitch = 0;
    void* bits = nullptr;
    if (texture->LockRect(0, RECT{0, 0, pic.Width, pic.Height}, pitch, bits, 0) == D3D_OK) {
      for (int y = 0; y < pic.Height; ++y) {
        std::memcpy(static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pitch,
                    &pic.Pixels[static_cast<std::size_t>(y) * pic.Width], pic.Width * 4);
      }
      texture->UnlockRect();
    }
    Textures_.push_back(std::move(texture));
  }
  Scene_ = std::make_unique<TSXScene>(Carad_.get(), "");
}

TSceneWay::~TSceneWay() {
  Scene_.reset();
  Textures_.clear();
  Carad_.reset();
}

void TSceneWay::DrawFrame() {
  IDirect3DDevice9* device = Carad_->Device();
  device->BeginScene();
  // A clear colour one step apart from the last frame's: the device draws the whole frame again,
  // as the peers do, instead of only where it changed.
  Scene_->Clear(D3DCLEAR_TARGET, 0xFF000000 | (Frames_++ & 1), 1.0f, 0);
  for (const TSprite& s : Content_.Sprites) {
    const TDGTexture& t = *Textures_[s.Picture];
    const float w = static_cast<float>(s.W), h = static_cast<float>(s.H);
    const TSXVertex v[4] = {MakeVertex(s.Colour, 0, 0, 0, 0, 0),
                            MakeVertex(s.Colour, 0, w, 0, t.ScaleU(), 0),
                            MakeVertex(s.Colour, 0, 0, h, 0, t.ScaleV()),
                            MakeVertex(s.Colour, 0, w, h, t.ScaleU(), t.ScaleV())};
    Scene_->DrawPolygon(MakeVec2(static_cast<float>(s.X), static_cast<float>(s.Y)), v,
                        Textures_[s.Picture].get(), sxbAlphaBlend, false, true, 0.0f,
                        D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP);
  }
  Scene_->Render(nullptr, true);
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace benchframe
