// The software device's life: creation with its presentation parameters, the swap chain and depth
// buffer, references, textures, presentation and the lost-device protocol.
#include "platform/d3d9/objects/soft_device.h"

#include <algorithm>

#include "platform/d3d9/raster/formats.h"
#include "platform/d3d9/standin.h"

namespace d3d9soft {

namespace {

constexpr UINT kMaxBackBufferSide = 16384;

bool IsPowerOfTwo(UINT v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

TSoftDevice::TSoftDevice(TSoftDirect3D* direct3D, D3DDEVTYPE type, HWND focusWindow,
                         DWORD behaviorFlags)
    : Direct3D_(direct3D), Type_(type), FocusWindow_(focusWindow), BehaviorFlags_(behaviorFlags) {
  Direct3D_->AddRef();
}

TSoftDevice::~TSoftDevice() {
  for (auto& b : BackBuffers_) b->Replay().Drop();  // nobody will see them
  UnbindAll();
  Direct3D_->Release();
}

HRESULT TSoftDevice::Create(TSoftDirect3D* direct3D, D3DDEVTYPE type, HWND focusWindow,
                            DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                            IDirect3DDevice9** device) {
  if (parameters == nullptr || device == nullptr) return D3DERR_INVALIDCALL;
  const DWORD processing =
      behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                       D3DCREATE_MIXED_VERTEXPROCESSING);
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  // Hardware vertex processing needs hardware transform and lighting.
  const D3DCAPS9 caps = BuildCaps(type);
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
      (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) == 0) {
    return D3DERR_INVALIDCALL;
  }
  if ((behaviorFlags & D3DCREATE_PUREDEVICE) && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  D3DPRESENT_PARAMETERS p = *parameters;
  if (const HRESULT hr = CompleteParameters(p, focusWindow); FAILED(hr)) return hr;
  auto* created = new TSoftDevice(direct3D, type, focusWindow, behaviorFlags);
  created->Params_ = p;
  created->BuildSwapChain();
  created->ResetState();
  *parameters = p;  // the caller sees the parameters as completed
  *device = created;
  return D3D_OK;
}

HRESULT TSoftDevice::CompleteParameters(D3DPRESENT_PARAMETERS& p, HWND focusWindow) {
  const d3d9standin::Config& config = d3d9standin::GetConfig();
  const HWND window = p.hDeviceWindow != nullptr ? p.hDeviceWindow : focusWindow;
  if (window == nullptr) return D3DERR_INVALIDCALL;
  if (p.SwapEffect < D3DSWAPEFFECT_DISCARD || p.SwapEffect > D3DSWAPEFFECT_COPY) {
    return D3DERR_INVALIDCALL;
  }
  if (p.BackBufferCount == 0) p.BackBufferCount = 1;
  if (p.BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) return D3DERR_INVALIDCALL;
  if (p.SwapEffect == D3DSWAPEFFECT_COPY && p.BackBufferCount != 1) return D3DERR_INVALIDCALL;
  if (p.MultiSampleType != D3DMULTISAMPLE_NONE || p.MultiSampleQuality != 0) {
    return D3DERR_INVALIDCALL;
  }
  if (p.Windowed) {
    const RECT client = window->ClientRect();
    if (p.BackBufferWidth == 0) p.BackBufferWidth = std::max<LONG>(1, client.right - client.left);
    if (p.BackBufferHeight == 0) {
      p.BackBufferHeight = std::max<LONG>(1, client.bottom - client.top);
    }
    if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = config.DesktopFormat;
    if (p.FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
  } else {
    const std::vector<D3DDISPLAYMODE> modes = TSoftDirect3D::Modes(D3DFMT_X8R8G8B8);
    const bool listed = std::any_of(modes.begin(), modes.end(), [&](const D3DDISPLAYMODE& m) {
      return m.Width == p.BackBufferWidth && m.Height == p.BackBufferHeight &&
             (p.FullScreen_RefreshRateInHz == 0 || p.FullScreen_RefreshRateInHz == m.RefreshRate);
    });
    if (!listed) return D3DERR_INVALIDCALL;
  }
  if (!IsBackBufferFormat(p.BackBufferFormat)) return D3DERR_INVALIDCALL;
  if (p.BackBufferWidth > kMaxBackBufferSide || p.BackBufferHeight > kMaxBackBufferSide) {
    return D3DERR_INVALIDCALL;
  }
  const UINT interval = p.PresentationInterval;
  if (interval != D3DPRESENT_INTERVAL_DEFAULT && interval != D3DPRESENT_INTERVAL_ONE &&
      interval != D3DPRESENT_INTERVAL_IMMEDIATE) {
    return D3DERR_INVALIDCALL;
  }
  if (p.EnableAutoDepthStencil && !config.OffersDepth(p.AutoDepthStencilFormat)) {
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

void TSoftDevice::BuildSwapChain() {
  BackBuffers_.clear();
  const bool lockable = (Params_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
  for (UINT i = 0; i < Params_.BackBufferCount; ++i) {
    BackBuffers_.push_back(
        std::make_unique<TSoftSurface>(this, Params_.BackBufferWidth, Params_.BackBufferHeight,
                                       Params_.BackBufferFormat, D3DUSAGE_RENDERTARGET, lockable));
  }
  DepthStencil_.reset();
  if (Params_.EnableAutoDepthStencil) {
    DepthStencil_ = std::make_unique<TSoftSurface>(
        this, Params_.BackBufferWidth, Params_.BackBufferHeight, Params_.AutoDepthStencilFormat,
        D3DUSAGE_DEPTHSTENCIL, false);
  }
}

ULONG TSoftDevice::AddRef() { return ++Refs_; }

ULONG TSoftDevice::Release() {
  if (Refs_ == 0) return 0;
  const ULONG refs = --Refs_;
  if (refs == 0) delete this;
  return refs;
}

HRESULT TSoftDevice::TestCooperativeLevel() {
  switch (Lost_) {
    case TLost::kNo:
      return D3D_OK;
    case TLost::kLost:
      if (LostChecks_ > 0) {
        --LostChecks_;
        return D3DERR_DEVICELOST;
      }
      Lost_ = TLost::kNotReset;
      return D3DERR_DEVICENOTRESET;
    case TLost::kNotReset:
    default:
      return D3DERR_DEVICENOTRESET;
  }
}

void TSoftDevice::Lose(int lostChecks) {
  Lost_ = lostChecks > 0 ? TLost::kLost : TLost::kNotReset;
  LostChecks_ = std::max(0, lostChecks);
  for (auto& b : BackBuffers_) b->Discard();
  if (DepthStencil_) DepthStencil_->Discard();
  for (TSoftTexture* t : LiveTextures_) {
    if (t->Pool() == D3DPOOL_DEFAULT) t->Discard();
  }
}

UINT TSoftDevice::GetAvailableTextureMem() {
  const UINT64 total = d3d9standin::GetConfig().TextureMemory;
  UINT64 used = 0;
  for (const TSoftTexture* t : LiveTextures_) used += t->MemoryBytes();
  const UINT64 free = used >= total ? 0 : total - used;
  // Reported in whole megabytes, at most what 32 bits hold.
  const UINT64 rounded = free / (1024 * 1024) * (1024 * 1024);
  return static_cast<UINT>(std::min<UINT64>(rounded, 0xFFF00000ull));
}

HRESULT TSoftDevice::GetDirect3D(IDirect3D9** direct3D) { return HandOut(Direct3D_, direct3D); }

HRESULT TSoftDevice::GetDeviceCaps(D3DCAPS9* caps) {
  if (caps == nullptr) return D3DERR_INVALIDCALL;
  *caps = BuildCaps(Type_);
  return D3D_OK;
}

HRESULT TSoftDevice::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
  if (swapChain != 0 || mode == nullptr) return D3DERR_INVALIDCALL;
  return Direct3D_->GetAdapterDisplayMode(0, mode);
}

HRESULT TSoftDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
  if (parameters == nullptr) return D3DERR_INVALIDCALL;
  *parameters = D3DDEVICE_CREATION_PARAMETERS{0, Type_, FocusWindow_, BehaviorFlags_};
  return D3D_OK;
}

HRESULT TSoftDevice::Reset(D3DPRESENT_PARAMETERS* presentationParameters) {
  if (presentationParameters == nullptr) return D3DERR_INVALIDCALL;
  if (Lost_ == TLost::kLost) return D3DERR_DEVICELOST;
  // Everything in video memory must be released first: default-pool textures and any reference
  // to the swap chain's surfaces. A failed reset leaves the device waiting for a good one.
  const bool defaultPoolAlive =
      std::any_of(LiveTextures_.begin(), LiveTextures_.end(),
                  [](const TSoftTexture* t) { return t->Pool() == D3DPOOL_DEFAULT; });
  const bool surfaceHeld =
      std::any_of(BackBuffers_.begin(), BackBuffers_.end(),
                  [](const std::unique_ptr<TSoftSurface>& s) { return s->Refs() > 0; }) ||
      (DepthStencil_ && DepthStencil_->Refs() > 0);
  D3DPRESENT_PARAMETERS p = *presentationParameters;
  HRESULT hr = (defaultPoolAlive || surfaceHeld) ? D3DERR_INVALIDCALL : D3D_OK;
  if (SUCCEEDED(hr)) hr = CompleteParameters(p, FocusWindow_);
  if (FAILED(hr)) {
    Lost_ = TLost::kNotReset;
    return hr;
  }
  Params_ = p;
  BuildSwapChain();
  ResetState();
  Lost_ = TLost::kNo;
  LostChecks_ = 0;
  *presentationParameters = p;
  return D3D_OK;
}

HWND TSoftDevice::PresentationWindow(HWND overrideWindow) const {
  if (overrideWindow != nullptr) return overrideWindow;
  return Params_.hDeviceWindow != nullptr ? Params_.hDeviceWindow : FocusWindow_;
}

HRESULT TSoftDevice::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                             const RGNDATA* /*dirtyRegion*/) {
  if (Lost_ != TLost::kNo) return D3DERR_DEVICELOST;
  if (InScene_) return D3DERR_INVALIDCALL;
  // Only the copy swap effect takes rectangles; the whole back buffer is shown either way.
  if ((sourceRect != nullptr || destRect != nullptr) && Params_.SwapEffect != D3DSWAPEFFECT_COPY) {
    return D3DERR_INVALIDCALL;
  }
  const HWND window = PresentationWindow(destWindowOverride);
  if (window == nullptr || window == HWND_NOTOPMOST) return D3DERR_INVALIDCALL;
  TSoftSurface& surface = *BackBuffers_.front();
  const TPixelBuffer& buffer = surface.View();
  TFrameChange change = surface.TakeChange();
  // What changed is known for the window that showed the last frame.
  if (window != LastPresented_) change = TFrameChange{};
  LastPresented_ = window;
  if (const TPresenter& presenter = window->Presenter()) {
    presenter(buffer.Width, buffer.Height, buffer.Pitch,
              reinterpret_cast<const std::uint32_t*>(buffer.Bits.data()), change);
  }
  return D3D_OK;
}

HRESULT TSoftDevice::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                   IDirect3DSurface9** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (swapChain != 0 || backBuffer >= BackBuffers_.size() || type > D3DBACKBUFFER_TYPE_RIGHT) {
    return D3DERR_INVALIDCALL;
  }
  BackBuffers_[backBuffer]->AddRef();
  *surface = BackBuffers_[backBuffer].get();
  return D3D_OK;
}

HRESULT TSoftDevice::GetDepthStencilSurface(IDirect3DSurface9** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (!DepthStencil_) return D3DERR_NOTFOUND;
  DepthStencil_->AddRef();
  *surface = DepthStencil_.get();
  return D3D_OK;
}

HRESULT TSoftDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                   D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                   HANDLE* sharedHandle) {
  if (texture == nullptr) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (sharedHandle != nullptr || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  if (pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
  if (usage & ~(D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY)) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  const d3d9standin::Config& config = d3d9standin::GetConfig();
  if (!config.OffersTexture(format)) {
    return D3DERR_INVALIDCALL;
  }
  if (pool != D3DPOOL_SCRATCH) {
    const D3DCAPS9 caps = BuildCaps(Type_);
    if (width > caps.MaxTextureWidth || height > caps.MaxTextureHeight) return D3DERR_INVALIDCALL;
    if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) &&
        (!IsPowerOfTwo(width) || !IsPowerOfTwo(height))) {
      return D3DERR_INVALIDCALL;
    }
    if ((caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && width != height) {
      return D3DERR_INVALIDCALL;
    }
  } else if (width > kMaxBackBufferSide || height > kMaxBackBufferSide) {
    return D3DERR_INVALIDCALL;
  }
  const UINT chain = FullMipChain(width, height);
  if (levels == 0) levels = chain;
  if (levels > chain) return D3DERR_INVALIDCALL;
  if (pool == D3DPOOL_DEFAULT) {
    UINT64 bytes = 0;
    for (UINT i = 0, w = width, h = height; i < levels; ++i) {
      bytes += LevelBytes(w, h, format);
      w = std::max(1u, w / 2);
      h = std::max(1u, h / 2);
    }
    UINT64 used = 0;
    for (const TSoftTexture* t : LiveTextures_) used += t->MemoryBytes();
    if (used + bytes > config.TextureMemory) return D3DERR_OUTOFVIDEOMEMORY;
  }
  *texture = new TSoftTexture(this, width, height, levels, usage, format, pool);
  return D3D_OK;
}

void TSoftDevice::TextureAlive(TSoftTexture* texture) { LiveTextures_.push_back(texture); }

void TSoftDevice::SettleDraws() {
  if (!BackBuffers_.empty()) BackBuffers_.front()->Settle();
}

void TSoftDevice::TextureGone(TSoftTexture* texture) {
  LiveTextures_.erase(std::remove(LiveTextures_.begin(), LiveTextures_.end(), texture),
                      LiveTextures_.end());
}

HRESULT TSoftDevice::BeginScene() {
  if (InScene_) return D3DERR_INVALIDCALL;
  InScene_ = true;
  return D3D_OK;
}

HRESULT TSoftDevice::EndScene() {
  if (!InScene_) return D3DERR_INVALIDCALL;
  InScene_ = false;
  return D3D_OK;
}

}  // namespace d3d9soft
