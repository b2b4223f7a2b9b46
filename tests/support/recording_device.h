// A device wrapper for the scene tests: forwards every call to a real device and records the
// calls that change or read drawing state, so tests can see exactly what the scene asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/scene/sx_vertex.h"
#include "platform/d3d9/d3d9.h"

struct TRecordedCall {
  std::string Method;  // "SetRenderState", "SetSamplerState", "SetTexture", "DrawPrimitiveUP", ...
  uint32_t A = 0;      // state / stage / sampler / primitive type / FVF
  uint32_t B = 0;      // value / type / primitive count
  uint32_t C = 0;      // sampler value / stride
  const void* Pointer = nullptr;          // SetTexture's texture
  std::vector<TSXDeviceVertex> Vertices;  // DrawPrimitiveUP's vertices
};

class TRecordingDevice : public IDirect3DDevice9 {
 public:
  explicit TRecordingDevice(IDirect3DDevice9* inner) : Inner_(inner) {}

  std::vector<TRecordedCall> Calls;

  // Calls of one method; for SetRenderState optionally of one state only.
  std::vector<TRecordedCall> Of(const std::string& method) const;
  std::vector<TRecordedCall> RenderStates(D3DRENDERSTATETYPE state) const;
  std::vector<TRecordedCall> Draws() const { return Of("DrawPrimitiveUP"); }
  size_t Count(const std::string& method) const { return Of(method).size(); }

  // The wrapper lives on the stack of a test: references are not counted.
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }

  HRESULT TestCooperativeLevel() override { return Inner_->TestCooperativeLevel(); }
  UINT GetAvailableTextureMem() override { return Inner_->GetAvailableTextureMem(); }
  HRESULT GetDirect3D(IDirect3D9** direct3D) override { return Inner_->GetDirect3D(direct3D); }
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override { return Inner_->GetDeviceCaps(caps); }
  HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override {
    return Inner_->GetDisplayMode(swapChain, mode);
  }
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override {
    return Inner_->GetCreationParameters(parameters);
  }
  HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override { return Inner_->Reset(parameters); }
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND window,
                  const RGNDATA* dirtyRegion) override {
    return Inner_->Present(sourceRect, destRect, window, dirtyRegion);
  }
  HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface9** surface) override {
    return Inner_->GetBackBuffer(swapChain, backBuffer, type, surface);
  }
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) override {
    return Inner_->CreateTexture(width, height, levels, usage, format, pool, texture, shared);
  }
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override {
    return Inner_->GetDepthStencilSurface(surface);
  }
  HRESULT BeginScene() override { return Inner_->BeginScene(); }
  HRESULT EndScene() override { return Inner_->EndScene(); }
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                DWORD stencil) override {
    Record("Clear", flags, color, stencil);
    return Inner_->Clear(count, rects, flags, color, z, stencil);
  }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override {
    Record("SetTransform", state);
    return Inner_->SetTransform(state, matrix);
  }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override {
    Record("GetTransform", state);
    return Inner_->GetTransform(state, matrix);
  }
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override {
    Record("SetViewport", viewport->Width, viewport->Height);
    return Inner_->SetViewport(viewport);
  }
  HRESULT GetViewport(D3DVIEWPORT9* viewport) override { return Inner_->GetViewport(viewport); }
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
    Record("SetRenderState", state, value);
    return Inner_->SetRenderState(state, value);
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override {
    return Inner_->GetRenderState(state, value);
  }
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override {
    return Inner_->GetTexture(stage, texture);
  }
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override {
    TRecordedCall& call = Record("SetTexture", stage);
    call.Pointer = texture;
    return Inner_->SetTexture(stage, texture);
  }
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override {
    return Inner_->GetTextureStageState(stage, type, value);
  }
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
    Record("SetTextureStageState", stage, type, value);
    return Inner_->SetTextureStageState(stage, type, value);
  }
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override {
    Record("GetSamplerState", sampler, type);
    return Inner_->GetSamplerState(sampler, type, value);
  }
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override {
    Record("SetSamplerState", sampler, type, value);
    return Inner_->SetSamplerState(sampler, type, value);
  }
  HRESULT ValidateDevice(DWORD* numPasses) override { return Inner_->ValidateDevice(numPasses); }
  HRESULT SetFVF(DWORD fvf) override {
    Record("SetFVF", fvf);
    return Inner_->SetFVF(fvf);
  }
  HRESULT GetFVF(DWORD* fvf) override { return Inner_->GetFVF(fvf); }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data,
                          UINT stride) override;

 private:
  TRecordedCall& Record(const char* method, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0);

  IDirect3DDevice9* Inner_;
};
