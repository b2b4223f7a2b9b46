// TDGCarad (unit DGCarad9): the graphics device component of the game window. It owns the
// Direct3D 9 object and device, sizes the back buffer to the window's client area, chooses
// between hardware and software processing, and keeps the registry of device resources
// (textures, the scene) that are released and rebuilt when the device is re-created or reset.
// It neither draws nor presents: the game's frame does that through Device().
//
//   TDGCarad DG(window);            // construction: defaults, remembers the owner
//   DG.SetDebugOption({dgoHaltOnError});
//   DG.Loaded();                    // start-up: Direct3D and a windowed device of the client size
//   ... DG.Device()->BeginScene() ...
//   if (DG.Device()->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) DG.ResetDevice();
//
// Every failure goes through DGCarad9::CheckResult, governed by DebugOption.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "graphics/device/dg_log.h"
#include "platform/d3d9/d3d9.h"

// Anything that registers a device resource: textures, the scene, text writers.
class TDGResourceOwner {
 public:
  virtual ~TDGResourceOwner() = default;
  // The class name shown in the registry's log lines ("TDGTexture").
  virtual std::string ClassName() const = 0;
  // The component is being destroyed while this object is still registered: do to the device
  // what destroying the object would (release its device objects, UnregisterResource) and never
  // use the component again. The object's memory stays with whoever owns it.
  virtual void DestroyedByCarad() = 0;
};

using TDGResourceEvent = std::function<void()>;

// One registered resource. Each callback is optional.
struct TDGResourceDesc {
  std::int32_t ID = 0;
  std::string Name;
  TDGResourceOwner* Owner = nullptr;
  TDGResourceEvent OnRelease;      // the device is going: drop device objects
  TDGResourceEvent OnRebuild;      // a new device exists: create them again
  TDGResourceEvent OnBeforeReset;  // the device is about to be reset
  TDGResourceEvent OnAfterReset;   // the reset is done
};

class TDGCarad {
 public:
  // The SDK version the component asks Direct3DCreate9 for.
  static constexpr UINT kSDKVersion = 31;

  explicit TDGCarad(HWND ownerControl);
  // Shut-down: destroys what is still registered, releases the device and Direct3D.
  ~TDGCarad();
  TDGCarad(const TDGCarad&) = delete;
  TDGCarad& operator=(const TDGCarad&) = delete;

  // Start-up, once the published properties are set: Direct3D, then a windowed device with a
  // back buffer of the owner's client size.
  void Loaded();

  // Published properties.
  TDGDebugOptions DebugOption() const { return DebugOption_; }
  void SetDebugOption(TDGDebugOptions options);  // also copies the unit-wide flags
  bool UseREFDevice() const { return UseREFDevice_; }
  void SetUseREFDevice(bool value) { UseREFDevice_ = value; }
  bool UseSoftwareVertexProcessing() const { return UseSoftwareVertexProcessing_; }
  void SetUseSoftwareVertexProcessing(bool value) { UseSoftwareVertexProcessing_ = value; }

  // Re-creates the device windowed with a Width x Height back buffer and sizes the owner window
  // so that its client area is exactly that.
  void ChangeToWindowMode(std::int32_t width, std::int32_t height,
                          std::span<const D3DFORMAT> depthFormats, UINT presentationInterval,
                          D3DSWAPEFFECT swapEffect, D3DMULTISAMPLE_TYPE multiSampleType,
                          UINT adapter);
  // Resets the device with PresentParams(), around the resources' before/after-reset callbacks.
  void ResetDevice();
  // Builds the present parameters from a display mode and creates the device.
  void InitScreenMode(UINT adapter, bool windowed, const D3DDISPLAYMODE& mode,
                      D3DMULTISAMPLE_TYPE multiSampleType, std::span<const D3DFORMAT> depthFormats,
                      D3DSWAPEFFECT swapEffect, UINT presentationInterval);
  // The first of depthFormats the adapter matches with the back-buffer format, when the
  // parameters ask for an automatic depth-stencil surface; otherwise D3DFMT_UNKNOWN (logged).
  D3DFORMAT FindDepthStencilFormat(UINT adapter, D3DDEVTYPE deviceType,
                                   const D3DPRESENT_PARAMETERS& params,
                                   std::span<const D3DFORMAT> depthFormats);
  // Creates the device (releasing an existing one first), fetches its back buffers and
  // depth-stencil surface, and rebuilds every registered resource.
  void CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                    D3DPRESENT_PARAMETERS params);
  // Releases every resource, the surfaces and the device.
  void ReleaseDevice();
  // The adapter's current desktop mode (zeros when Direct3D is missing or the query fails).
  D3DDISPLAYMODE GetDisplayMode(UINT adapter);
  // The stored back-buffer reference (no reference added); nullptr for an index out of range.
  IDirect3DSurface9* GetBackBuffer(std::int32_t index) const;

  // The resource registry. IDs are handed out in order and never reused.
  std::int32_t RegisterResource(TDGResourceOwner* owner, const std::string& name,
                                TDGResourceEvent onRelease, TDGResourceEvent onRebuild,
                                TDGResourceEvent onBeforeReset, TDGResourceEvent onAfterReset);
  void UnregisterResource(std::int32_t id);
  void ReleaseAllResources();
  void RebuildAllResources();

  // Read access.
  IDirect3D9* D3D() const { return D3D_; }
  IDirect3DDevice9* Device() const { return Device_; }
  IDirect3DSurface9* DepthStencil() const { return DepthStencil_; }
  std::int32_t BackBufferCount() const { return BackBufferCount_; }
  UINT Adapter() const { return Adapter_; }
  D3DDEVTYPE DeviceType() const { return DeviceType_; }
  D3DFORMAT BackBufferFormat() const { return BackBufferFormat_; }
  UINT BackBufferWidth() const { return BackBufferWidth_; }
  UINT BackBufferHeight() const { return BackBufferHeight_; }
  bool Windowed() const { return Windowed_; }
  HWND OwnerControl() const { return OwnerControl_; }
  const D3DPRESENT_PARAMETERS& PresentParams() const { return PresentParams_; }
  std::int32_t NextResourceID() const { return NextResourceID_; }
  const std::vector<std::unique_ptr<TDGResourceDesc>>& Resources() const { return Resources_; }

 private:
  // Calls one callback of every registered resource, in registration order. A callback may
  // register or unregister resources: only those present when the pass began and still present
  // when their turn comes are called.
  void CallEach(TDGResourceEvent TDGResourceDesc::*event);
  void FetchSurfaces();
  void ShutDown();

  IDirect3D9* D3D_ = nullptr;
  IDirect3DDevice9* Device_ = nullptr;
  std::vector<IDirect3DSurface9*> BackBuffers_;
  IDirect3DSurface9* DepthStencil_ = nullptr;
  std::int32_t BackBufferCount_ = 0;
  TDGDebugOptions DebugOption_{dgoHaltOnError, dgoDebugMessage, dgoDetailedLog};
  bool UseREFDevice_ = false;
  bool UseSoftwareVertexProcessing_ = false;
  bool Windowed_ = false;
  D3DFORMAT BackBufferFormat_ = D3DFMT_UNKNOWN;
  UINT BackBufferWidth_ = 0;
  UINT BackBufferHeight_ = 0;
  HWND OwnerControl_ = nullptr;
  D3DPRESENT_PARAMETERS PresentParams_{};
  UINT Adapter_ = 0;
  D3DDEVTYPE DeviceType_ = D3DDEVTYPE_HAL;
  std::int32_t NextResourceID_ = 0;
  std::vector<std::unique_ptr<TDGResourceDesc>> Resources_;
  bool Loaded_ = false;
};
