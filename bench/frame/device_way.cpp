#include "device_way.h"

#include <cstring>

namespace benchframe {

namespace {

struct TVertex {
  float X, Y, Z, Rhw;
  DWORD Diffuse, Specular;
  float U, V;
};

}  // namespace

TDeviceWay::TDeviceWay(const TFrameContent& content) : Content_(content) {
  D3D_ = Direct3DCreate9(D3D_SDK_VERSION);
  if (D3D_ == nullptr) return;
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferWidth = kScreenWidth;
  p.BackBufferHeight = kScreenHeight;
  p.BackBufferFormat = D3DFMT_X8R8G8B8;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.hDeviceWindow = &Window_;
  p.Windowed = TRUE;
  if (FAILED(D3D_->CreateDevice(0, D3DDEVTYPE_HAL, &Window_, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &p, &Device_))) {
    Device_ = nullptr;
    return;
  }
  for (const TPicture& pic : content.Pictures) {
    IDirect3DTexture9* t = nullptr;
    Device_->CreateTexture(pic.Width, pic.Height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t,
                           nullptr);
    D3DLOCKED_RECT locked;
    t->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < pic.Height; ++y) {
      std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch,
                  &pic.Pixels[static_cast<std::size_t>(y) * pic.Width], pic.Width * 4);
    }
    t->UnlockRect(0);
    Textures_.push_back(t);
  }
}

TDeviceWay::~TDeviceWay() {
  for (IDirect3DTexture9* t : Textures_) t->Release();
  if (Device_ != nullptr) Device_->Release();
  if (D3D_ != nullptr) D3D_->Release();
}

void TDeviceWay::DrawFrame() {
  IDirect3DDevice9* d = Device_;
  d->BeginScene();
  // A clear colour one step apart from the last frame's: the device draws the whole frame again,
  // as the peers do, instead of only where it changed.
  d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | (Frames_++ & 1), 1.0f, 0);
  // The states the scene sets for its alpha-blended overlay sprites.
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  d->SetRenderState(D3DRS_ZENABLE, FALSE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1);
  for (const TSprite& s : Content_.Sprites) {
    d->SetTexture(0, Textures_[s.Picture]);
    const float x = static_cast<float>(s.X), y = static_cast<float>(s.Y);
    const float w = static_cast<float>(s.W), h = static_cast<float>(s.H);
    const TVertex v[4] = {{x, y, 0, 0.5f, s.Colour, 0, 0, 0},
                          {x + w, y, 0, 0.5f, s.Colour, 0, 1, 0},
                          {x, y + h, 0, 0.5f, s.Colour, 0, 0, 1},
                          {x + w, y + h, 0, 0.5f, s.Colour, 0, 1, 1}};
    d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TVertex));
  }
  d->SetTexture(0, nullptr);
  d->EndScene();
  d->Present(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace benchframe
