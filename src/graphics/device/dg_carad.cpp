#include "graphics/device/dg_carad.h"

#include <algorithm>
#include <cfenv>
#include <utility>

using DGCarad9::CheckResult;
using DGCarad9::DebugLog;
using DGCarad9::DetailLog;
using DGCarad9::Format;
using DGCarad9::FormatName;
using DGCarad9::TLogIndent;

namespace {

// Logs the empty line and the banner that open a phase.
void OpenPhase(const char* banner) {
  DetailLog("");
  DetailLog(banner);
}

// Logs the banner and the empty line that close a phase.
void ClosePhase(const char* banner) {
  DetailLog(banner);
  DetailLog("");
}

// Release counts are checked like result codes: a reference left behind is a failure.
void ReleaseChecked(IUnknown* object, const std::string& message) {
  const ULONG remaining = object->Release();
  CheckResult(static_cast<HRESULT>(remaining), message);
}

// Releases what field holds, logging `what` first. The field is cleared before the release, so a
// shutdown run again after a failure only does what is left.
template <class Interface>
void ReleaseField(Interface*& field, const char* what, const std::string& failure) {
  if (field == nullptr) return;
  DetailLog(what);
  ReleaseChecked(std::exchange(field, nullptr), failure);
}

}  // namespace

TDGCarad::TDGCarad(HWND ownerControl) : OwnerControl_(ownerControl) {}

// ShutDown clears each reference before releasing it, so running it again only does what is left.
TDGCarad::~TDGCarad() {
  DGCarad9::FinishWithoutLog([this] { ShutDown(); });
}

void TDGCarad::SetDebugOption(TDGDebugOptions options) {
  DebugOption_ = options;
  DGCarad9::ApplyDebugOption(options);
}

void TDGCarad::Loaded() {
  if (Loaded_) return;
  Loaded_ = true;
  Device_ = nullptr;
  BackBuffers_.clear();
  DepthStencil_ = nullptr;
  BackBufferCount_ = 0;
  DGCarad9::ApplyDebugOption(DebugOption_);

  // Floating-point exceptions masked before Direct3D is touched. On x86-64 the SSE unit does
  // all float arithmetic with exceptions masked by default and rounds to nearest; holding the
  // environment makes that explicit whatever the caller had set.
  std::fenv_t previous;
  std::feholdexcept(&previous);
  std::fesetround(FE_TONEAREST);

  Resources_.clear();
  NextResourceID_ = 0;

  OpenPhase("■■■起動時の初期化をします■■■");
  {
    TLogIndent indent;
    DetailLog("Direct3Dを生成します");
    D3D_ = Direct3DCreate9(kSDKVersion);
    if (D3D_ == nullptr) {
      CheckResult(1, "Direct3Dオプジェクトすら生成できません、論外");
      return;
    }
    DetailLog("ウィンドウのクライアント領域のサイズに合わせて初期化を開始します");
    RECT client{};
    GetClientRect(OwnerControl_, &client);
    ChangeToWindowMode(client.right - client.left, client.bottom - client.top, {}, 0,
                       D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE, 0);
  }
  ClosePhase("■■■DGCarad 起動しました■■■");
}

void TDGCarad::ChangeToWindowMode(std::int32_t width, std::int32_t height,
                                  std::span<const D3DFORMAT> depthFormats,
                                  UINT presentationInterval, D3DSWAPEFFECT swapEffect,
                                  D3DMULTISAMPLE_TYPE multiSampleType, UINT adapter) {
  OpenPhase("■■■Windowモードへ移行します■■■");
  {
    TLogIndent indent;
    ReleaseDevice();
    D3DDISPLAYMODE mode = GetDisplayMode(adapter);
    mode.Width = static_cast<UINT>(std::max(width, 0));
    mode.Height = static_cast<UINT>(std::max(height, 0));
    InitScreenMode(adapter, true, mode, multiSampleType, depthFormats, swapEffect,
                   presentationInterval);

    RECT outer{}, client{};
    if (GetWindowRect(OwnerControl_, &outer) && GetClientRect(OwnerControl_, &client)) {
      const LONG borderX = (outer.right - outer.left) - (client.right - client.left);
      const LONG borderY = (outer.bottom - outer.top) - (client.bottom - client.top);
      SetWindowPos(OwnerControl_, HWND_NOTOPMOST, outer.left, outer.top, width + borderX,
                   height + borderY, SWP_SHOWWINDOW);
    }
  }
  ClosePhase("■■■Windowモードへ移行しました■■■");
}

void TDGCarad::InitScreenMode(UINT adapter, bool windowed, const D3DDISPLAYMODE& mode,
                              D3DMULTISAMPLE_TYPE multiSampleType,
                              std::span<const D3DFORMAT> depthFormats, D3DSWAPEFFECT swapEffect,
                              UINT presentationInterval) {
  OpenPhase("■■■画面モードを初期化します■■■");
  {
    TLogIndent indent;
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = mode.Width;
    params.BackBufferHeight = mode.Height;
    params.BackBufferFormat = mode.Format;
    params.BackBufferCount = 0;
    params.MultiSampleType = multiSampleType;
    params.MultiSampleQuality = 0;
    params.SwapEffect = swapEffect;
    params.Windowed = windowed ? TRUE : FALSE;
    params.PresentationInterval = presentationInterval;
    params.Flags = 0;

    D3DADAPTER_IDENTIFIER9 identifier{};
    if (D3D_ != nullptr) D3D_->GetAdapterIdentifier(adapter, 0, &identifier);
    identifier.Driver[sizeof(identifier.Driver) - 1] = '\0';
    identifier.Description[sizeof(identifier.Description) - 1] = '\0';
    DetailLog(Format("Driver : %s", identifier.Driver));
    DetailLog(Format("Description : %s", identifier.Description));
    DetailLog(Format(
        "VendorID : %.8X, DeviceID : %.8X, SubSysID : %.8X, Revision : %.8X",
        static_cast<unsigned>(identifier.VendorId), static_cast<unsigned>(identifier.DeviceId),
        static_cast<unsigned>(identifier.SubSysId), static_cast<unsigned>(identifier.Revision)));

    if (windowed) {
      DetailLog(Format("ウィンドウモード %dx%dで初期化します", static_cast<int>(mode.Width),
                       static_cast<int>(mode.Height)));
    } else {
      DetailLog(Format("フルスクリーンモード %dx%d %dHz %s で初期化します",
                       static_cast<int>(mode.Width), static_cast<int>(mode.Height),
                       static_cast<int>(mode.RefreshRate), FormatName(mode.Format).c_str()));
      params.FullScreen_RefreshRateInHz = mode.RefreshRate;
    }

    params.hDeviceWindow = OwnerControl_;
    params.EnableAutoDepthStencil = depthFormats.empty() ? FALSE : TRUE;

    D3DCAPS9 caps{};
    const bool halCaps =
        D3D_ != nullptr && D3D_->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &caps) == D3D_OK;
    if (!halCaps || UseREFDevice_) {
      DetailLog("ソフトウェアエミュレーションを利用します");
      params.AutoDepthStencilFormat =
          FindDepthStencilFormat(adapter, D3DDEVTYPE_REF, params, depthFormats);
      DetailLog("デプスステンシルサーフェスのフォーマット..." +
                FormatName(params.AutoDepthStencilFormat));
      CreateDevice(adapter, D3DDEVTYPE_REF, OwnerControl_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                   params);
    } else {
      DetailLog("ハードウェアアクセラレーションを利用します");
      params.AutoDepthStencilFormat =
          FindDepthStencilFormat(adapter, D3DDEVTYPE_HAL, params, depthFormats);
      DetailLog("デプスステンシルサーフェスのフォーマット..." +
                FormatName(params.AutoDepthStencilFormat));
      DWORD behavior = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
      if ((caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0 && !UseSoftwareVertexProcessing_) {
        DetailLog("ハードウェアT&Lを利用します");
        behavior = D3DCREATE_HARDWARE_VERTEXPROCESSING;
      } else {
        DetailLog("ソフトウェアT&Lを利用します");
      }
      CreateDevice(adapter, D3DDEVTYPE_HAL, OwnerControl_, behavior, params);
    }
  }
  ClosePhase("■■■画面モードを初期化しました■■■");
}

D3DFORMAT TDGCarad::FindDepthStencilFormat(UINT adapter, D3DDEVTYPE deviceType,
                                           const D3DPRESENT_PARAMETERS& params,
                                           std::span<const D3DFORMAT> depthFormats) {
  if (params.EnableAutoDepthStencil && D3D_ != nullptr) {
    for (D3DFORMAT candidate : depthFormats) {
      if (D3D_->CheckDepthStencilMatch(adapter, deviceType, params.BackBufferFormat,
                                       params.BackBufferFormat, candidate) == D3D_OK) {
        return candidate;
      }
    }
  }
  DetailLog("希望のデプスステンシルサーフェスのフォーマットが見つかりませんでした");
  return D3DFMT_UNKNOWN;
}

void TDGCarad::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                            DWORD behaviorFlags, D3DPRESENT_PARAMETERS params) {
  if (Device_ != nullptr) {
    DetailLog("新しいデバイスの生成の前に、全ての関連オブジェクトを解放します");
    ReleaseDevice();
  }
  DetailLog("Direct3DDeviceオブジェクトの生成を行います");
  const HRESULT created = D3D_ == nullptr ? D3DERR_INVALIDCALL
                                          : D3D_->CreateDevice(adapter, deviceType, focusWindow,
                                                               behaviorFlags, &params, &Device_);
  CheckResult(created, "Direct3DDeviceオブジェクトの生成に失敗しました");
  if (created != D3D_OK) {
    // Nothing hangs on a device that does not exist: resources stay released until a later
    // device is created and rebuilds them.
    if (Device_ != nullptr) {
      Device_->Release();
      Device_ = nullptr;
    }
    return;
  }

  BackBufferCount_ = static_cast<std::int32_t>(params.BackBufferCount);
  PresentParams_ = params;
  FetchSurfaces();
  Adapter_ = adapter;
  DeviceType_ = deviceType;
  Windowed_ = params.Windowed != FALSE;
  BackBufferWidth_ = params.BackBufferWidth;
  BackBufferHeight_ = params.BackBufferHeight;
  BackBufferFormat_ = params.BackBufferFormat;

  RebuildAllResources();
}

void TDGCarad::FetchSurfaces() {
  BackBuffers_.assign(static_cast<std::size_t>(std::max(BackBufferCount_, 0)), nullptr);
  for (std::size_t i = 0; i < BackBuffers_.size(); ++i) {
    if (Device_->GetBackBuffer(0, static_cast<UINT>(i), D3DBACKBUFFER_TYPE_MONO,
                               &BackBuffers_[i]) != D3D_OK) {
      BackBuffers_[i] = nullptr;
    }
  }
  if (Device_->GetDepthStencilSurface(&DepthStencil_) != D3D_OK) DepthStencil_ = nullptr;
}

void TDGCarad::ReleaseDevice() {
  OpenPhase("■■■Direct3Dデバイスを解放します■■■");
  {
    TLogIndent indent;
    ReleaseAllResources();
    ReleaseField(DepthStencil_, "デプスステンシルサーフェスを解放します",
                 "デプスステンシルサーフェスの解放に失敗しました");
    if (!BackBuffers_.empty()) {
      DetailLog("バックバッファを解放します");
      std::vector<IDirect3DSurface9*> backBuffers;
      backBuffers.swap(BackBuffers_);
      for (std::size_t i = 0; i < backBuffers.size(); ++i) {
        if (backBuffers[i] == nullptr) continue;
        ReleaseChecked(backBuffers[i],
                       "バックバッファ #" + std::to_string(i) + "　の解放に失敗しました");
      }
    }
    ReleaseField(Device_, "Direct3DDeviceオブジェクトの解放を行います",
                 "Direct3DDeviceオブジェクトの解放に失敗しました");
  }
  ClosePhase("■■■Direct3Dデバイスを解放しました■■■");
}

void TDGCarad::ResetDevice() {
  OpenPhase("■■■Direct3DDeviceをリセットします■■■");
  {
    TLogIndent indent;
    if (Device_ == nullptr) {
      CheckResult(D3DERR_INVALIDCALL, "リセットに失敗しました");
    } else {
      CallEach(&TDGResourceDesc::OnBeforeReset);
      for (IDirect3DSurface9*& surface : BackBuffers_) {
        if (surface != nullptr) surface->Release();
        surface = nullptr;
      }
      if (DepthStencil_ != nullptr) DepthStencil_->Release();
      DepthStencil_ = nullptr;
      CheckResult(Device_->Reset(&PresentParams_), "リセットに失敗しました");
      FetchSurfaces();
      CallEach(&TDGResourceDesc::OnAfterReset);
    }
  }
  ClosePhase("■■■Direct3DDeviceをリセットしました■■■");
}

D3DDISPLAYMODE TDGCarad::GetDisplayMode(UINT adapter) {
  D3DDISPLAYMODE mode{};
  if (D3D_ != nullptr && D3D_->GetAdapterDisplayMode(adapter, &mode) != D3D_OK) mode = {};
  return mode;
}

IDirect3DSurface9* TDGCarad::GetBackBuffer(std::int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= BackBuffers_.size()) return nullptr;
  return BackBuffers_[static_cast<std::size_t>(index)];
}

std::int32_t TDGCarad::RegisterResource(TDGResourceOwner* owner, const std::string& name,
                                        TDGResourceEvent onRelease, TDGResourceEvent onRebuild,
                                        TDGResourceEvent onBeforeReset,
                                        TDGResourceEvent onAfterReset) {
  DetailLog(Format("DGCaradリソース(%s)を登録します ID は %d(%s) です",
                   owner != nullptr ? owner->ClassName().c_str() : "", NextResourceID_,
                   name.c_str()));
  auto desc = std::make_unique<TDGResourceDesc>();
  desc->ID = NextResourceID_;
  desc->Name = name;
  desc->Owner = owner;
  desc->OnRelease = std::move(onRelease);
  desc->OnRebuild = std::move(onRebuild);
  desc->OnBeforeReset = std::move(onBeforeReset);
  desc->OnAfterReset = std::move(onAfterReset);
  Resources_.push_back(std::move(desc));
  return NextResourceID_++;
}

void TDGCarad::UnregisterResource(std::int32_t id) {
  auto found = std::find_if(Resources_.begin(), Resources_.end(),
                            [id](const auto& desc) { return desc->ID == id; });
  if (found == Resources_.end()) {
    CheckResult(
        1,
        Format("リストに入ってないDGCaradリソース(ID:%d)が、UnregisterResource手続きに渡されました",
               id));
    return;
  }
  const TDGResourceDesc& desc = **found;
  DetailLog(Format("DGCaradリソース(%s) : ID %d(%s) を登録解除します",
                   desc.Owner != nullptr ? desc.Owner->ClassName().c_str() : "", desc.ID,
                   desc.Name.c_str()));
  Resources_.erase(found);
}

void TDGCarad::CallEach(TDGResourceEvent TDGResourceDesc::*event) {
  std::vector<std::int32_t> ids;
  ids.reserve(Resources_.size());
  for (const auto& desc : Resources_) ids.push_back(desc->ID);
  for (std::int32_t id : ids) {
    auto found = std::find_if(Resources_.begin(), Resources_.end(),
                              [id](const auto& desc) { return desc->ID == id; });
    if (found == Resources_.end()) continue;
    // A copy: the callback may unregister its own descriptor while it runs.
    TDGResourceEvent callback = (**found).*event;
    if (callback) callback();
  }
}

void TDGCarad::ReleaseAllResources() {
  DetailLog("全てのDGCaradリソースを解放します");
  CallEach(&TDGResourceDesc::OnRelease);
}

void TDGCarad::RebuildAllResources() {
  DetailLog("全てのDGCaradリソースを再構築します");
  CallEach(&TDGResourceDesc::OnRebuild);
}

void TDGCarad::ShutDown() {
  OpenPhase("■■■お別れの時がやってまいりました■■■");
  {
    TLogIndent indent;
    while (!Resources_.empty()) {
      const TDGResourceDesc& first = *Resources_.front();
      const std::int32_t id = first.ID;
      DetailLog(Format("ID %d(%s) のDGCaradリソースは、明示的に解放されていません", id,
                       first.Name.c_str()));
      if (first.Owner != nullptr) first.Owner->DestroyedByCarad();
      // An owner that did not unregister must not keep the loop going.
      if (!Resources_.empty() && Resources_.front()->ID == id) Resources_.erase(Resources_.begin());
    }
    DetailLog("DGCaradオブジェクトの解放に伴い、全ての関連オブジェクトを解放します");
    ReleaseDevice();
    ReleaseField(D3D_, "Direct3Dオブジェクトの解放を行います",
                 "Direct3Dオブジェクトの解放に失敗しました");
    Resources_.clear();
  }
  ClosePhase("■■■それではごきげんよう■■■");
}
