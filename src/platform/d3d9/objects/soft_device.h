// The software device: its swap chain, depth buffer, state, textures and the lost-device
// protocol. Drawing goes to the rasteriser (raster.h).
#pragma once

#include <array>
#include <map>
#include <memory>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/objects/soft_objects.h"
#include "platform/d3d9/raster/raster.h"

namespace d3d9soft {

class TSoftDevice final : public IDirect3DDevice9 {
 public:
  // Validates and completes the parameters (as CreateDevice returns them) and builds the device.
  static HRESULT Create(TSoftDirect3D* direct3D, D3DDEVTYPE type, HWND focusWindow,
                        DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                        IDirect3DDevice9** device);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT GetDirect3D(IDirect3D9** direct3D) override;
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
  HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* presentationParameters) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                  const RGNDATA* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface9** surface) override;
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                DWORD stencil) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT ValidateDevice(DWORD* numPasses) override;
  HRESULT SetFVF(DWORD fvf) override;
  HRESULT GetFVF(DWORD* fvf) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                          const void* vertexData, UINT vertexStride) override;

  // Stand-in controls.
  void Lose(int lostChecks);
  bool IsLost() const { return Lost_ != TLost::kNo; }

  // Texture bookkeeping (called by TSoftTexture).
  void TextureAlive(TSoftTexture* texture);
  void TextureGone(TSoftTexture* texture);
  // Writes the draws the back buffer has put off (before texels they read change).
  void SettleDraws();

  static constexpr DWORD kStages = 8;
  static constexpr DWORD kSamplers = 16;
  static constexpr DWORD kStageStates = 33;
  static constexpr DWORD kSamplerStates = 14;

 private:
  TSoftDevice(TSoftDirect3D* direct3D, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags);
  ~TSoftDevice() override;

  enum class TLost { kNo, kLost, kNotReset };

  static HRESULT CompleteParameters(D3DPRESENT_PARAMETERS& p, HWND focusWindow);
  void BuildSwapChain();
  void ResetState();
  void UnbindAll();
  HRESULT CheckStages() const;
  bool ViewportIsWholeTarget() const;
  // The back buffer and depth buffer to draw into; passPendingFill hands a clear not yet written
  // over to the rasteriser, which writes it (or draws over all of it).
  TRasterTarget MakeTarget(bool passPendingFill);
  TRasterState MakeRasterState() const;
  HWND PresentationWindow(HWND overrideWindow) const;

  TSoftDirect3D* Direct3D_;
  ULONG Refs_ = 1;
  D3DDEVTYPE Type_;
  HWND FocusWindow_;
  DWORD BehaviorFlags_;
  D3DPRESENT_PARAMETERS Params_{};
  std::vector<std::unique_ptr<TSoftSurface>> BackBuffers_;
  std::unique_ptr<TSoftSurface> DepthStencil_;

  std::array<DWORD, 256> RenderStates_{};
  std::array<std::array<DWORD, kStageStates>, kStages> StageStates_{};
  std::array<std::array<DWORD, kSamplerStates>, kSamplers> SamplerStates_{};
  std::array<TSoftTexture*, kSamplers> Textures_{};
  std::map<DWORD, D3DMATRIX> Transforms_;
  D3DVIEWPORT9 Viewport_{};
  DWORD Fvf_ = 0;
  bool InScene_ = false;

  TLost Lost_ = TLost::kNo;
  int LostChecks_ = 0;
  std::vector<TSoftTexture*> LiveTextures_;
  HWND LastPresented_ = nullptr;         // the window the last frame went to
  std::vector<TRasterVertex> Vertices_;  // reused by every draw
};

}  // namespace d3d9soft
