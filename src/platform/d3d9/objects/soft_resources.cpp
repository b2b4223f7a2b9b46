// Textures and surfaces of the software device: pixel memory in each format's own layout, locks,
// and reference counting (every outside reference holds the device).
#include <algorithm>
#include <atomic>

#include "platform/d3d9/objects/soft_device.h"
#include "platform/d3d9/objects/soft_objects.h"
#include "platform/d3d9/raster/formats.h"

namespace d3d9soft {

namespace {

// Rows start on 64-byte boundaries, as graphics memory often has them: callers must use Pitch.
constexpr UINT kPitchAlignment = 64;

// D3D_OK and the locked span when rect (nullptr: everything) lies inside the buffer.
HRESULT LockBuffer(TPixelBuffer& buffer, const RECT* rect, D3DLOCKED_RECT* locked,
                   RECT& lockedRect) {
  RECT r{0, 0, static_cast<LONG>(buffer.Width), static_cast<LONG>(buffer.Height)};
  if (rect != nullptr) {
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        rect->right > static_cast<LONG>(buffer.Width) ||
        rect->bottom > static_cast<LONG>(buffer.Height)) {
      return D3DERR_INVALIDCALL;
    }
    r = *rect;
  }
  const UINT bpp = BytesPerPixel(buffer.Format);
  locked->Pitch = buffer.Pitch;
  locked->pBits = buffer.Row(static_cast<UINT>(r.top)) + static_cast<std::size_t>(r.left) * bpp;
  lockedRect = r;
  return D3D_OK;
}

// A target without alpha keeps 0xFF in the top byte of every pixel of r.
void MakeOpaque(TPixelBuffer& buffer, const RECT& r) {
  for (LONG y = r.top; y < r.bottom; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(buffer.Row(static_cast<UINT>(y)));
    for (LONG x = r.left; x < r.right; ++x) row[x] |= 0xFF000000u;
  }
}

INT AlignedPitch(UINT width, D3DFORMAT format) {
  const UINT rowBytes = width * BytesPerPixel(format);
  return static_cast<INT>((rowBytes + kPitchAlignment - 1) / kPitchAlignment * kPitchAlignment);
}

// Generations of texture contents: one counter for every texture, so that a texture made where
// another one was freed never shows that one's generation.
std::uint64_t NextGeneration() {
  static std::atomic<std::uint64_t> next{1};
  return next++;
}

}  // namespace

std::size_t LevelBytes(UINT width, UINT height, D3DFORMAT format) {
  return static_cast<std::size_t>(AlignedPitch(width, format)) * height;
}

void TPixelBuffer::Allocate(UINT width, UINT height, D3DFORMAT format) {
  Width = width;
  Height = height;
  Format = format;
  Pitch = AlignedPitch(width, format);
  Bits.assign(static_cast<std::size_t>(Pitch) * height, 0);
}

UINT FullMipChain(UINT width, UINT height) {
  UINT levels = 1;
  while (width > 1 || height > 1) {
    width = std::max(1u, width / 2);
    height = std::max(1u, height / 2);
    ++levels;
  }
  return levels;
}

// ---- Surfaces -----------------------------------------------------------------------------------

TSoftSurface::TSoftSurface(TSoftDevice* device, UINT width, UINT height, D3DFORMAT format,
                           DWORD usage, bool lockable)
    : Device_(device), Format_(format), Usage_(usage), Lockable_(lockable) {
  Buffer_.Allocate(width, height, IsDepthFormat(format) ? D3DFMT_D32 : format);
  if (Buffer_.Format == D3DFMT_X8R8G8B8) {
    MakeOpaque(Buffer_, RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)});
  }
  Changed_.Reset(width, height);
  Changed_.AddAll();
}

TPixelBuffer& TSoftSurface::Buffer() {
  TPixelBuffer& buffer = DrawBuffer();
  TouchAll();
  return buffer;
}

TPixelBuffer& TSoftSurface::DrawBuffer() {
  Settle();
  if (PendingFill_) {
    for (UINT y = 0; y < Buffer_.Height; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(Buffer_.Row(y));
      std::fill(row, row + Buffer_.Width, *PendingFill_);
    }
    PendingFill_.reset();
    TouchAll();
  }
  return Buffer_;
}

void TSoftSurface::Touch(LONG left, LONG top, LONG right, LONG bottom) {
  Replay_.Forget();
  Changed_.Add(left, top, right, bottom);
}

void TSoftSurface::TouchAll() {
  Replay_.Forget();
  Changed_.AddAll();
}

TFrameChange TSoftSurface::TakeChange() {
  TFrameChange change;
  change.Whole = Changed_.All();
  if (!change.Whole) change.Rects = Changed_.Rects();
  Changed_.Clear();
  return change;
}

void TSoftSurface::Discard() {
  PendingFill_.reset();
  Replay_.Drop();
  TouchAll();
  std::fill(Buffer_.Bits.begin(), Buffer_.Bits.end(), std::uint8_t{0});
}

ULONG TSoftSurface::AddRef() {
  if (Refs_++ == 0) Device_->AddRef();
  return Refs_;
}

ULONG TSoftSurface::Release() {
  if (Refs_ == 0) return 0;
  const ULONG refs = --Refs_;
  // The surface belongs to the device, which may go with this last reference.
  if (refs == 0) Device_->Release();
  return refs;
}

HRESULT TSoftSurface::GetDevice(IDirect3DDevice9** device) { return HandOut(Device_, device); }

HRESULT TSoftSurface::GetDesc(D3DSURFACE_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = D3DSURFACE_DESC{Format_,         D3DRTYPE_SURFACE,    Usage_,
                          D3DPOOL_DEFAULT, D3DMULTISAMPLE_NONE, 0,
                          Buffer_.Width,   Buffer_.Height};
  return D3D_OK;
}

HRESULT TSoftSurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD /*flags*/) {
  if (lockedRect == nullptr || !Lockable_ || Locked_) return D3DERR_INVALIDCALL;
  const HRESULT hr = LockBuffer(Buffer(), rect, lockedRect, LockedRect_);
  if (SUCCEEDED(hr)) Locked_ = true;
  return hr;
}

HRESULT TSoftSurface::UnlockRect() {
  if (!Locked_) return D3DERR_INVALIDCALL;
  Locked_ = false;
  if (Buffer_.Format == D3DFMT_X8R8G8B8) MakeOpaque(Buffer_, LockedRect_);
  return D3D_OK;
}

// ---- Textures -----------------------------------------------------------------------------------

TSoftTexture::TSoftTexture(TSoftDevice* device, UINT width, UINT height, UINT levels, DWORD usage,
                           D3DFORMAT format, D3DPOOL pool)
    : Device_(device), Usage_(usage), Pool_(pool), Generation_(NextGeneration()) {
  Levels_.resize(levels);
  for (UINT i = 0; i < levels; ++i) {
    Levels_[i].Allocate(width, height, format);
    width = std::max(1u, width / 2);
    height = std::max(1u, height / 2);
  }
  Locked_.assign(levels, false);
  device->AddRef();
  device->TextureAlive(this);
}

ULONG TSoftTexture::AddRef() {
  if (Refs_++ == 0) {
    // Back from a stage binding that kept it alive.
    Device_->AddRef();
    Device_->TextureAlive(this);
  }
  return Refs_;
}

ULONG TSoftTexture::Release() {
  if (Refs_ == 0) return 0;
  const ULONG refs = --Refs_;
  if (refs == 0) {
    TSoftDevice* device = Device_;
    device->TextureGone(this);
    if (Binds_ == 0) {
      device->SettleDraws();  // draws still to be written read its texels
      delete this;
    }
    device->Release();
  }
  return refs;
}

void TSoftTexture::Unbind() {
  if (Binds_ > 0 && --Binds_ == 0 && Refs_ == 0) {
    Device_->SettleDraws();  // draws still to be written read its texels
    delete this;
  }
}

HRESULT TSoftTexture::GetDevice(IDirect3DDevice9** device) { return HandOut(Device_, device); }

HRESULT TSoftTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (desc == nullptr || level >= Levels_.size()) return D3DERR_INVALIDCALL;
  const TPixelBuffer& l = Levels_[level];
  *desc = D3DSURFACE_DESC{l.Format, D3DRTYPE_SURFACE, Usage_,  Pool_, D3DMULTISAMPLE_NONE,
                          0,        l.Width,          l.Height};
  return D3D_OK;
}

HRESULT TSoftTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                               DWORD /*flags*/) {
  if (lockedRect == nullptr || level >= Levels_.size() || Locked_[level]) {
    return D3DERR_INVALIDCALL;
  }
  // Video memory is only reachable for textures made to be rewritten often.
  if (Pool_ == D3DPOOL_DEFAULT && (Usage_ & D3DUSAGE_DYNAMIC) == 0) return D3DERR_INVALIDCALL;
  // Draws still to be written read these texels as they are now.
  Device_->SettleDraws();
  RECT lockedArea;
  const HRESULT hr = LockBuffer(Levels_[level], rect, lockedRect, lockedArea);
  if (SUCCEEDED(hr)) {
    Locked_[level] = true;
    Generation_ = NextGeneration();
  }
  return hr;
}

HRESULT TSoftTexture::UnlockRect(UINT level) {
  if (level >= Levels_.size() || !Locked_[level]) return D3DERR_INVALIDCALL;
  Locked_[level] = false;
  return D3D_OK;
}

bool TSoftTexture::AnyLevelLocked() const {
  return std::find(Locked_.begin(), Locked_.end(), true) != Locked_.end();
}

std::size_t TSoftTexture::MemoryBytes() const {
  std::size_t bytes = 0;
  for (const TPixelBuffer& l : Levels_) bytes += l.Bytes();
  return bytes;
}

void TSoftTexture::Discard() {
  for (TPixelBuffer& l : Levels_) std::fill(l.Bits.begin(), l.Bits.end(), std::uint8_t{0});
  Generation_ = NextGeneration();
}

}  // namespace d3d9soft
