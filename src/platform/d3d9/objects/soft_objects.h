// Our software implementation of the Direct3D 9 interfaces: the Direct3D object, the device, its
// textures and its surfaces (back buffers, depth buffer). Internal to the stand-in.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/objects/frame_replay.h"

namespace d3d9soft {

class TSoftDevice;

// Pixels of one surface or texture level in the format's own layout; rows Pitch bytes apart.
struct TPixelBuffer {
  UINT Width = 0;
  UINT Height = 0;
  D3DFORMAT Format = D3DFMT_UNKNOWN;
  INT Pitch = 0;
  std::vector<std::uint8_t> Bits;

  void Allocate(UINT width, UINT height, D3DFORMAT format);
  std::uint8_t* Row(UINT y) { return Bits.data() + static_cast<std::size_t>(y) * Pitch; }
  std::size_t Bytes() const { return Bits.size(); }
};

// Most primitives one draw call takes (D3DCAPS9::MaxPrimitiveCount).
inline constexpr UINT kMaxPrimitiveCount = 0xFFFFF;

// The capabilities the adapter reports for a device type (from the stand-in's Config).
D3DCAPS9 BuildCaps(D3DDEVTYPE type);

// COM's getter convention: the caller receives a new reference to object through out.
template <class Interface, class Object>
HRESULT HandOut(Object* object, Interface** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  object->AddRef();
  *out = object;
  return D3D_OK;
}

class TSoftDirect3D final : public IDirect3D9 {
 public:
  ULONG AddRef() override;
  ULONG Release() override;
  UINT GetAdapterCount() override;
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                               D3DADAPTER_IDENTIFIER9* identifier) override;
  UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
  HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                           D3DDISPLAYMODE* displayMode) override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
  HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                          D3DFORMAT backBufferFormat, BOOL windowed) override;
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                            DWORD usage, D3DRESOURCETYPE resourceType,
                            D3DFORMAT checkFormat) override;
  HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat,
                                     BOOL windowed, D3DMULTISAMPLE_TYPE multiSampleType,
                                     DWORD* qualityLevels) override;
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                 D3DFORMAT renderTargetFormat,
                                 D3DFORMAT depthStencilFormat) override;
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* presentationParameters,
                       IDirect3DDevice9** returnedDevice) override;

  // The display modes of a format, smallest first.
  static std::vector<D3DDISPLAYMODE> Modes(D3DFORMAT format);
  // D3D_OK when the device type exists on adapter 0.
  static HRESULT CheckAdapter(UINT adapter, D3DDEVTYPE deviceType);

 private:
  ~TSoftDirect3D() override = default;
  ULONG Refs_ = 1;
};

class TSoftSurface final : public IDirect3DSurface9 {
 public:
  TSoftSurface(TSoftDevice* device, UINT width, UINT height, D3DFORMAT format, DWORD usage,
               bool lockable);
  ~TSoftSurface() override = default;

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice9** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  ULONG Refs() const { return Refs_; }
  // The pixels, with everything put off written first, for a caller that may change them any way.
  TPixelBuffer& Buffer();
  // The same for the device's own draws and clears, which say what they change (Touch).
  TPixelBuffer& DrawBuffer();
  // The pixels to be read.
  const TPixelBuffer& View() { return DrawBuffer(); }
  // The device changed [left, right) x [top, bottom) of DrawBuffer().
  void Touch(LONG left, LONG top, LONG right, LONG bottom);
  void TouchAll();
  void Discard();
  // Every pixel takes this 32-bit value, written only when someone looks (Buffer) or left unwritten
  // when a draw covers them all (TakePendingFill).
  void FillLater(std::uint32_t pixel) {
    Replay_.Drop();
    PendingFill_ = pixel;
  }
  const std::optional<std::uint32_t>& PendingFill() const { return PendingFill_; }
  // The pixels as they are in memory; the caller takes over writing the pending fill.
  TPixelBuffer& TakePendingFill() {
    PendingFill_.reset();
    TouchAll();
    return Buffer_;
  }
  // Draws put off until someone looks: a frame starts on the pending fill, or goes on.
  TFrameReplay& Replay() { return Replay_; }
  void StartReplay() {
    Replay_.Start(*PendingFill_);
    PendingFill_.reset();
  }
  // Writes the recorded draws now.
  void Settle() { Replay_.Settle(Buffer_, Changed_); }
  // Where the pixels may have changed since the last call.
  TFrameChange TakeChange();

 private:
  TSoftDevice* Device_;
  ULONG Refs_ = 0;    // outside references; each one holds the device
  D3DFORMAT Format_;  // as reported; depth buffers store 32-bit values whatever it is
  TPixelBuffer Buffer_;
  std::optional<std::uint32_t> PendingFill_;
  TFrameReplay Replay_;
  TChangedArea Changed_;
  DWORD Usage_;
  bool Lockable_;
  bool Locked_ = false;
  RECT LockedRect_{};
};

class TSoftTexture final : public IDirect3DTexture9 {
 public:
  TSoftTexture(TSoftDevice* device, UINT width, UINT height, UINT levels, DWORD usage,
               D3DFORMAT format, D3DPOOL pool);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice9** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return static_cast<DWORD>(Levels_.size()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;

  // A stage binding keeps the object alive without counting as a reference.
  void Bind() { ++Binds_; }
  void Unbind();
  TSoftDevice* Device() const { return Device_; }
  D3DPOOL Pool() const { return Pool_; }
  bool AnyLevelLocked() const;
  const TPixelBuffer& Level(UINT level) const { return Levels_[level]; }
  // Changes with every lock (and differs between textures): see TTextureLevelView::Generation.
  std::uint64_t Generation() const { return Generation_; }
  std::size_t MemoryBytes() const;
  void Discard();

 private:
  ~TSoftTexture() override = default;

  TSoftDevice* Device_;
  ULONG Refs_ = 1;
  ULONG Binds_ = 0;
  DWORD Usage_;
  D3DPOOL Pool_;
  std::vector<TPixelBuffer> Levels_;
  std::uint64_t Generation_;
  std::vector<bool> Locked_;
};

// Bytes a level of that size takes, rows aligned as TPixelBuffer aligns them.
std::size_t LevelBytes(UINT width, UINT height, D3DFORMAT format);

// Number of mip levels of a full chain down to 1 x 1.
UINT FullMipChain(UINT width, UINT height);

}  // namespace d3d9soft
