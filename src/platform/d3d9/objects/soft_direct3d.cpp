// The Direct3D object: one adapter with the desktop's mode, the capabilities and formats the
// stand-in's Config describes, and device creation.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/d3d9/objects/soft_device.h"
#include "platform/d3d9/objects/soft_objects.h"
#include "platform/d3d9/raster/formats.h"
#include "platform/d3d9/standin.h"

namespace d3d9soft {

namespace {

// The only display format the adapter runs in.
bool IsDisplayFormat(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8; }

}  // namespace

D3DCAPS9 BuildCaps(D3DDEVTYPE type) {
  const d3d9standin::Config& config = d3d9standin::GetConfig();
  D3DCAPS9 caps;
  caps.DeviceType = type;
  caps.AdapterOrdinal = 0;
  caps.Caps2 = D3DCAPS2_CANMANAGERESOURCE | D3DCAPS2_DYNAMICTEXTURES;
  caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
  caps.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                 D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX |
                 D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 |
                 D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWRASTERIZATION;
  // The reference device emulates everything, transform and lighting included.
  if (config.HardwareTnL || type == D3DDEVTYPE_REF) {
    caps.DevCaps |= D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
  }
  caps.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                           D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE;
  if (config.BlendOpSupported) caps.PrimitiveMiscCaps |= D3DPMISCCAPS_BLENDOP;
  caps.RasterCaps = D3DPRASTERCAPS_ZTEST;
  const DWORD allCompares = 0xFF;
  caps.ZCmpCaps = allCompares;
  caps.AlphaCmpCaps = allCompares;
  const DWORD blends = D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCCOLOR |
                       D3DPBLENDCAPS_INVSRCCOLOR | D3DPBLENDCAPS_SRCALPHA |
                       D3DPBLENDCAPS_INVSRCALPHA | D3DPBLENDCAPS_DESTALPHA |
                       D3DPBLENDCAPS_INVDESTALPHA | D3DPBLENDCAPS_DESTCOLOR |
                       D3DPBLENDCAPS_INVDESTCOLOR | D3DPBLENDCAPS_SRCALPHASAT;
  caps.SrcBlendCaps = blends;
  caps.DestBlendCaps = blends;
  caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                   D3DPSHADECAPS_ALPHAGOURAUDBLEND;
  caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
  if (config.Pow2Textures) caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
  if (config.SquareOnlyTextures) caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
  caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                           D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MAGFPOINT |
                           D3DPTFILTERCAPS_MAGFLINEAR;
  caps.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR |
                            D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_BORDER |
                            D3DPTADDRESSCAPS_INDEPENDENTUV | D3DPTADDRESSCAPS_MIRRORONCE;
  caps.MaxTextureWidth = config.MaxTextureWidth;
  caps.MaxTextureHeight = config.MaxTextureHeight;
  caps.MaxTextureRepeat = 8192;
  caps.MaxTextureAspectRatio = std::max(config.MaxTextureWidth, config.MaxTextureHeight);
  caps.MaxAnisotropy = 1;
  caps.MaxVertexW = 1e10f;
  caps.GuardBandLeft = -1048576.0f;
  caps.GuardBandTop = -1048576.0f;
  caps.GuardBandRight = 1048576.0f;
  caps.GuardBandBottom = 1048576.0f;
  caps.FVFCaps = 1;  // one set of texture coordinates
  caps.TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                       D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X |
                       D3DTEXOPCAPS_ADD | D3DTEXOPCAPS_SUBTRACT;
  caps.MaxTextureBlendStages = 1;
  caps.MaxSimultaneousTextures = 1;
  caps.MaxPointSize = 1.0f;
  caps.MaxPrimitiveCount = kMaxPrimitiveCount;
  caps.MaxVertexIndex = 0xFFFFF;
  caps.MaxStreams = 1;
  caps.MaxStreamStride = 255;
  caps.MasterAdapterOrdinal = 0;
  caps.AdapterOrdinalInGroup = 0;
  caps.NumberOfAdaptersInGroup = 1;
  caps.NumSimultaneousRTs = 1;
  return caps;
}

ULONG TSoftDirect3D::AddRef() { return ++Refs_; }

ULONG TSoftDirect3D::Release() {
  const ULONG refs = --Refs_;
  if (refs == 0) delete this;
  return refs;
}

HRESULT TSoftDirect3D::CheckAdapter(UINT adapter, D3DDEVTYPE deviceType) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (deviceType == D3DDEVTYPE_REF) return D3D_OK;
  if (deviceType == D3DDEVTYPE_HAL) {
    return d3d9standin::GetConfig().HalAvailable ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  return D3DERR_INVALIDCALL;
}

UINT TSoftDirect3D::GetAdapterCount() { return 1; }

HRESULT TSoftDirect3D::GetAdapterIdentifier(UINT adapter, DWORD /*flags*/,
                                            D3DADAPTER_IDENTIFIER9* identifier) {
  if (adapter != 0 || identifier == nullptr) return D3DERR_INVALIDCALL;
  *identifier = D3DADAPTER_IDENTIFIER9{};
  std::snprintf(identifier->Driver, sizeof identifier->Driver, "%s", "nightwisp_soft9");
  std::snprintf(identifier->Description, sizeof identifier->Description, "%s",
                "Nightwisp software rasteriser");
  std::snprintf(identifier->DeviceName, sizeof identifier->DeviceName, "%s", "\\\\.\\DISPLAY1");
  identifier->DriverVersion.QuadPart = (std::int64_t{9} << 48) | (std::int64_t{1} << 32);
  identifier->VendorId = 0x0000;
  identifier->DeviceId = 0x0001;
  identifier->SubSysId = 0x00000000;
  identifier->Revision = 0x00000001;
  identifier->DeviceIdentifier.Data1 = 0x4E575350;  // "NWSP"
  identifier->WHQLLevel = 0;
  return D3D_OK;
}

std::vector<D3DDISPLAYMODE> TSoftDirect3D::Modes(D3DFORMAT format) {
  const d3d9standin::Config& config = d3d9standin::GetConfig();
  std::vector<D3DDISPLAYMODE> modes;
  if (!IsDisplayFormat(format)) return modes;
  static constexpr UINT kSizes[][2] = {{640, 480},   {800, 600},   {1024, 768},
                                       {1280, 720},  {1280, 1024}, {1600, 900},
                                       {1920, 1080}, {2560, 1440}, {3840, 2160}};
  for (const auto& size : kSizes) {
    if (size[0] <= config.DesktopWidth && size[1] <= config.DesktopHeight) {
      modes.push_back(D3DDISPLAYMODE{size[0], size[1], config.DesktopRefreshRate, format});
    }
  }
  const bool desktopListed = std::any_of(modes.begin(), modes.end(), [&](const D3DDISPLAYMODE& m) {
    return m.Width == config.DesktopWidth && m.Height == config.DesktopHeight;
  });
  if (!desktopListed) {
    modes.push_back(D3DDISPLAYMODE{config.DesktopWidth, config.DesktopHeight,
                                   config.DesktopRefreshRate, format});
  }
  return modes;
}

UINT TSoftDirect3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
  if (adapter != 0) return 0;
  return static_cast<UINT>(Modes(format).size());
}

HRESULT TSoftDirect3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                        D3DDISPLAYMODE* displayMode) {
  if (adapter != 0 || displayMode == nullptr) return D3DERR_INVALIDCALL;
  const std::vector<D3DDISPLAYMODE> modes = Modes(format);
  if (modes.empty()) return D3DERR_NOTAVAILABLE;
  if (mode >= modes.size()) return D3DERR_INVALIDCALL;
  *displayMode = modes[mode];
  return D3D_OK;
}

HRESULT TSoftDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  if (adapter != 0 || mode == nullptr) return D3DERR_INVALIDCALL;
  const d3d9standin::Config& config = d3d9standin::GetConfig();
  *mode = D3DDISPLAYMODE{config.DesktopWidth, config.DesktopHeight, config.DesktopRefreshRate,
                         config.DesktopFormat};
  return D3D_OK;
}

HRESULT TSoftDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                       D3DFORMAT backBufferFormat, BOOL windowed) {
  if (const HRESULT hr = CheckAdapter(adapter, deviceType); FAILED(hr)) return hr;
  if (!IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  if (windowed && adapterFormat != d3d9standin::GetConfig().DesktopFormat) {
    return D3DERR_NOTAVAILABLE;
  }
  if (backBufferFormat == D3DFMT_UNKNOWN && windowed) return D3D_OK;
  return IsBackBufferFormat(backBufferFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT TSoftDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType,
                                         D3DFORMAT adapterFormat, DWORD usage,
                                         D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
  if (const HRESULT hr = CheckAdapter(adapter, deviceType); FAILED(hr)) return hr;
  if (!IsDisplayFormat(adapterFormat)) return D3DERR_INVALIDCALL;
  const d3d9standin::Config& config = d3d9standin::GetConfig();
  if (usage & D3DUSAGE_DEPTHSTENCIL) {
    return (resourceType == D3DRTYPE_SURFACE && config.OffersDepth(checkFormat))
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
  }
  if (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_AUTOGENMIPMAP)) return D3DERR_NOTAVAILABLE;
  if (resourceType != D3DRTYPE_TEXTURE && resourceType != D3DRTYPE_SURFACE) {
    return D3DERR_NOTAVAILABLE;
  }
  return config.OffersTexture(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT TSoftDirect3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                                  D3DFORMAT surfaceFormat, BOOL /*windowed*/,
                                                  D3DMULTISAMPLE_TYPE multiSampleType,
                                                  DWORD* qualityLevels) {
  if (const HRESULT hr = CheckAdapter(adapter, deviceType); FAILED(hr)) return hr;
  if (multiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  if (!IsBackBufferFormat(surfaceFormat) && !IsDepthFormat(surfaceFormat)) {
    return D3DERR_NOTAVAILABLE;
  }
  if (qualityLevels != nullptr) *qualityLevels = 1;
  return D3D_OK;
}

HRESULT TSoftDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType,
                                              D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                              D3DFORMAT depthStencilFormat) {
  if (const HRESULT hr = CheckAdapter(adapter, deviceType); FAILED(hr)) return hr;
  if (!IsDisplayFormat(adapterFormat)) return D3DERR_INVALIDCALL;
  if (!IsBackBufferFormat(renderTargetFormat)) return D3DERR_NOTAVAILABLE;
  return d3d9standin::GetConfig().OffersDepth(depthStencilFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT TSoftDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) {
  if (caps == nullptr) return D3DERR_INVALIDCALL;
  if (const HRESULT hr = CheckAdapter(adapter, deviceType); FAILED(hr)) return hr;
  *caps = BuildCaps(deviceType);
  return D3D_OK;
}

HRESULT TSoftDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                    DWORD behaviorFlags,
                                    D3DPRESENT_PARAMETERS* presentationParameters,
                                    IDirect3DDevice9** returnedDevice) {
  if (returnedDevice == nullptr) return D3DERR_INVALIDCALL;
  *returnedDevice = nullptr;
  if (const HRESULT hr = CheckAdapter(adapter, deviceType); FAILED(hr)) return hr;
  return TSoftDevice::Create(this, deviceType, focusWindow, behaviorFlags, presentationParameters,
                             returnedDevice);
}

}  // namespace d3d9soft

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  // The debug bit of the version is allowed; 31 and 32 are the published Direct3D 9 versions.
  const UINT version = sdkVersion & 0x7FFFFFFF;
  if (version != 31 && version != D3D_SDK_VERSION) return nullptr;
  return new d3d9soft::TSoftDirect3D();
}
