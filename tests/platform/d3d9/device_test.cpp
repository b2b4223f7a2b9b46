// The Direct3D object and device: creation, capabilities and their switches, format checks,
// presentation parameters, textures and locks, reference counts and Present.
#include <gtest/gtest.h>

#include "support/d3d9_test_util.h"

namespace d3d9test {
namespace {

using DeviceTest = TDeviceTest;

TEST_F(DeviceTest, CreateAcceptsPublishedSdkVersionsOnly) {
  TRef<IDirect3D9> v31(Direct3DCreate9(31));
  TRef<IDirect3D9> v32(Direct3DCreate9(32));
  EXPECT_NE(v31, nullptr);
  EXPECT_NE(v32, nullptr);
  EXPECT_EQ(Direct3DCreate9(30), nullptr);
  EXPECT_EQ(Direct3DCreate9(9), nullptr);
}

TEST_F(DeviceTest, AdapterDescribesTheDesktop) {
  d3d9standin::GetConfig().DesktopWidth = 1280;
  d3d9standin::GetConfig().DesktopHeight = 1024;
  D3DDISPLAYMODE mode;
  ASSERT_EQ(D3D_OK, D3D()->GetAdapterDisplayMode(0, &mode));
  EXPECT_EQ(1280u, mode.Width);
  EXPECT_EQ(1024u, mode.Height);
  EXPECT_EQ(D3DFMT_X8R8G8B8, mode.Format);
  EXPECT_GT(mode.RefreshRate, 0u);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3D()->GetAdapterDisplayMode(1, &mode));

  D3DADAPTER_IDENTIFIER9 id;
  ASSERT_EQ(D3D_OK, D3D()->GetAdapterIdentifier(0, 0, &id));
  EXPECT_GT(std::strlen(id.Driver), 0u);
  EXPECT_GT(std::strlen(id.Description), 0u);

  const UINT modes = D3D()->GetAdapterModeCount(0, D3DFMT_X8R8G8B8);
  ASSERT_GT(modes, 0u);
  D3DDISPLAYMODE last;
  ASSERT_EQ(D3D_OK, D3D()->EnumAdapterModes(0, D3DFMT_X8R8G8B8, modes - 1, &last));
  EXPECT_LE(last.Width, 1280u);
  EXPECT_LE(last.Height, 1024u);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3D()->EnumAdapterModes(0, D3DFMT_X8R8G8B8, modes, &last));
  EXPECT_EQ(0u, D3D()->GetAdapterModeCount(0, D3DFMT_R5G6B5));
}

// The adapter queries the design specifies and the game never calls answer for the one adapter.
TEST_F(DeviceTest, AdapterQueriesTheGameNeverCallsAnswerForTheOneAdapter) {
  EXPECT_EQ(1u, D3D()->GetAdapterCount());

  struct TypeCase {
    UINT Adapter;
    D3DDEVTYPE Type;
    D3DFORMAT AdapterFormat, BackBufferFormat;
    BOOL Windowed;
    HRESULT Expected;
  };
  for (const TypeCase& c : {
           TypeCase{0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, TRUE, D3D_OK},
           TypeCase{0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_UNKNOWN, TRUE, D3D_OK},
           TypeCase{0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, TRUE, D3DERR_NOTAVAILABLE},
           TypeCase{0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, FALSE, D3DERR_NOTAVAILABLE},
           TypeCase{1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE, D3DERR_INVALIDCALL},
           TypeCase{0, D3DDEVTYPE_SW, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE, D3DERR_INVALIDCALL},
       }) {
    EXPECT_EQ(c.Expected, D3D()->CheckDeviceType(c.Adapter, c.Type, c.AdapterFormat,
                                                 c.BackBufferFormat, c.Windowed))
        << c.Adapter << " " << c.Type << " " << c.AdapterFormat << " " << c.BackBufferFormat;
  }

  // No multisampling: only "none", on back-buffer and depth formats, with one quality level.
  DWORD levels = 0;
  EXPECT_EQ(D3D_OK, D3D()->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                                      D3DMULTISAMPLE_NONE, &levels));
  EXPECT_EQ(1u, levels);
  EXPECT_EQ(D3D_OK, D3D()->CheckDeviceMultiSampleType(0, D3DDEVTYPE_REF, D3DFMT_D24S8, TRUE,
                                                      D3DMULTISAMPLE_NONE, nullptr));
  EXPECT_EQ(D3DERR_NOTAVAILABLE,
            D3D()->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                              D3DMULTISAMPLE_4_SAMPLES, &levels));
  EXPECT_EQ(D3DERR_NOTAVAILABLE,
            D3D()->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_A8, TRUE,
                                              D3DMULTISAMPLE_NONE, nullptr));
  d3d9standin::GetConfig().HalAvailable = false;
  EXPECT_EQ(D3DERR_NOTAVAILABLE,
            D3D()->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                              D3DMULTISAMPLE_NONE, &levels));
}

TEST_F(DeviceTest, CapsFollowTheSwitches) {
  D3DCAPS9 caps;
  ASSERT_EQ(D3D_OK, D3D()->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps));
  EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  EXPECT_TRUE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP);
  EXPECT_FALSE(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY));

  auto& config = d3d9standin::GetConfig();
  config.HardwareTnL = false;
  config.BlendOpSupported = false;
  config.Pow2Textures = true;
  config.SquareOnlyTextures = true;
  config.MaxTextureWidth = 512;
  config.MaxTextureHeight = 256;
  ASSERT_EQ(D3D_OK, D3D()->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps));
  EXPECT_FALSE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  EXPECT_FALSE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP);
  EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_POW2);
  EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY);
  EXPECT_EQ(512u, caps.MaxTextureWidth);
  EXPECT_EQ(256u, caps.MaxTextureHeight);

  config.HalAvailable = false;
  EXPECT_EQ(D3DERR_NOTAVAILABLE, D3D()->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps));
  EXPECT_EQ(D3D_OK, D3D()->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps));
  EXPECT_EQ(D3DDEVTYPE_REF, caps.DeviceType);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3D()->GetDeviceCaps(0, D3DDEVTYPE_SW, &caps));
}

// The rest of the device's report promises exactly what the device accepts: every texture
// operation and filter it reports validates, and every one it leaves out is refused.
TEST_F(DeviceTest, ReportedTextureOperationsAndFiltersAreTheOnesTheDeviceAccepts) {
  MakeDevice(16, 16);
  D3DCAPS9 caps;
  ASSERT_EQ(D3D_OK, Device_->GetDeviceCaps(&caps));
  DWORD passes = 0;
  for (DWORD op = D3DTOP_DISABLE; op <= D3DTOP_LERP; ++op) {
    Device_->SetTextureStageState(0, D3DTSS_COLOROP, op);
    const bool reported = (caps.TextureOpCaps & (1u << (op - 1))) != 0;
    EXPECT_EQ(reported, Device_->ValidateDevice(&passes) == D3D_OK) << "operation " << op;
  }
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  for (DWORD filter = D3DTEXF_POINT; filter <= D3DTEXF_ANISOTROPIC; ++filter) {
    Device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    Device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    const DWORD bits = (D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MAGFPOINT) << (filter - 1);
    EXPECT_EQ((caps.TextureFilterCaps & bits) == bits, Device_->ValidateDevice(&passes) == D3D_OK)
        << "filter " << filter;
  }
}

TEST_F(DeviceTest, FormatChecksFollowTheConfiguredLists) {
  auto check = [&](D3DFORMAT f) {
    return D3D()->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, f);
  };
  EXPECT_EQ(D3D_OK, check(D3DFMT_A8R8G8B8));
  EXPECT_EQ(D3D_OK, check(D3DFMT_A4R4G4B4));
  EXPECT_EQ(D3DERR_NOTAVAILABLE, check(D3DFMT_DXT1));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3D()->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, 0,
                                                         D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8));
  d3d9standin::GetConfig().TextureFormats = {D3DFMT_A1R5G5B5};
  EXPECT_EQ(D3DERR_NOTAVAILABLE, check(D3DFMT_A8R8G8B8));
  EXPECT_EQ(D3DERR_NOTAVAILABLE, check(D3DFMT_A4R4G4B4));
  EXPECT_EQ(D3D_OK, check(D3DFMT_A1R5G5B5));

  auto depth = [&](D3DFORMAT f) {
    return D3D()->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, f);
  };
  EXPECT_EQ(D3D_OK, depth(D3DFMT_D16));
  EXPECT_EQ(D3D_OK, depth(D3DFMT_D24S8));
  EXPECT_EQ(D3DERR_NOTAVAILABLE, depth(D3DFMT_D15S1));
  d3d9standin::GetConfig().DepthFormats = {D3DFMT_D32};
  EXPECT_EQ(D3DERR_NOTAVAILABLE, depth(D3DFMT_D16));
  EXPECT_EQ(D3D_OK, depth(D3DFMT_D32));
  d3d9standin::GetConfig().HalAvailable = false;
  EXPECT_EQ(D3DERR_NOTAVAILABLE, depth(D3DFMT_D32));
  EXPECT_EQ(D3D_OK, D3D()->CheckDepthStencilMatch(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8,
                                                  D3DFMT_X8R8G8B8, D3DFMT_D32));
}

TEST_F(DeviceTest, DeviceTypeAndVertexProcessingChoices) {
  auto create = [&](D3DDEVTYPE type, DWORD flags) {
    D3DPRESENT_PARAMETERS p = Windowed(32, 32);
    IDirect3DDevice9* device = nullptr;
    const HRESULT hr = D3D()->CreateDevice(0, type, &Window_, flags, &p, &device);
    EXPECT_EQ(SUCCEEDED(hr), device != nullptr);
    if (device != nullptr) {
      D3DDEVICE_CREATION_PARAMETERS cp;
      device->GetCreationParameters(&cp);
      EXPECT_EQ(type, cp.DeviceType);
      EXPECT_EQ(flags, cp.BehaviorFlags);
      EXPECT_EQ(0u, device->Release());
    }
    return hr;
  };
  EXPECT_EQ(D3D_OK, create(D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING));
  EXPECT_EQ(D3D_OK, create(D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING));
  EXPECT_EQ(D3D_OK, create(D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING));
  EXPECT_EQ(D3DERR_INVALIDCALL, create(D3DDEVTYPE_HAL, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, create(D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                                           D3DCREATE_SOFTWARE_VERTEXPROCESSING));
  d3d9standin::GetConfig().HardwareTnL = false;
  EXPECT_EQ(D3DERR_INVALIDCALL, create(D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING));
  EXPECT_EQ(D3D_OK, create(D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING));
  d3d9standin::GetConfig().HalAvailable = false;
  EXPECT_EQ(D3DERR_NOTAVAILABLE, create(D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING));
  EXPECT_EQ(D3D_OK, create(D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING));
}

TEST_F(DeviceTest, WindowedParametersAreCompletedAndReturned) {
  TNullWindow window(300, 200);
  D3DPRESENT_PARAMETERS p{};
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.Windowed = TRUE;
  IDirect3DDevice9* device = nullptr;
  ASSERT_EQ(D3D_OK, D3D()->CreateDevice(0, D3DDEVTYPE_HAL, &window,
                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device));
  TRef<IDirect3DDevice9> holder(device);
  EXPECT_EQ(300u, p.BackBufferWidth);
  EXPECT_EQ(200u, p.BackBufferHeight);
  EXPECT_EQ(D3DFMT_X8R8G8B8, p.BackBufferFormat);
  EXPECT_EQ(1u, p.BackBufferCount);

  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  EXPECT_EQ(300u, desc.Width);
  EXPECT_EQ(200u, desc.Height);
  EXPECT_EQ(D3DFMT_X8R8G8B8, desc.Format);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(D3DERR_INVALIDCALL, back->LockRect(&locked, nullptr, 0)) << "not lockable";
  back->Release();
  EXPECT_EQ(D3DERR_INVALIDCALL, device->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &back));
  EXPECT_EQ(nullptr, back);

  IDirect3DSurface9* depth = nullptr;
  EXPECT_EQ(D3DERR_NOTFOUND, device->GetDepthStencilSurface(&depth));
  EXPECT_EQ(nullptr, depth);
}

TEST_F(DeviceTest, BadParametersAreRefused) {
  auto create = [&](const std::function<void(D3DPRESENT_PARAMETERS&)>& change, HWND focus) {
    D3DPRESENT_PARAMETERS p = Windowed(64, 64);
    change(p);
    IDirect3DDevice9* device = nullptr;
    const HRESULT hr = D3D()->CreateDevice(0, D3DDEVTYPE_HAL, focus,
                                           D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device);
    if (device) device->Release();
    return hr;
  };
  EXPECT_EQ(D3D_OK, create([](auto&) {}, &Window_));
  EXPECT_EQ(D3DERR_INVALIDCALL, create([](auto& p) { p.hDeviceWindow = nullptr; }, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, create([](auto& p) { p.SwapEffect = D3DSWAPEFFECT(0); }, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            create([](auto& p) { p.BackBufferFormat = D3DFMT_R5G6B5; }, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, create([](auto& p) { p.BackBufferCount = 4; }, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            create([](auto& p) { p.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES; }, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, create(
                                    [](auto& p) {
                                      p.EnableAutoDepthStencil = TRUE;
                                      p.AutoDepthStencilFormat = D3DFMT_D15S1;
                                    },
                                    nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            create([](auto& p) { p.FullScreen_RefreshRateInHz = 60; }, nullptr));
  // Full screen needs one of the adapter's modes.
  EXPECT_EQ(D3DERR_INVALIDCALL, create([](auto& p) { p.Windowed = FALSE; }, nullptr));
  EXPECT_EQ(D3D_OK, create(
                        [](auto& p) {
                          p.Windowed = FALSE;
                          p.BackBufferWidth = 800;
                          p.BackBufferHeight = 600;
                        },
                        nullptr));
}

TEST_F(DeviceTest, ReferencesHoldTheDeviceAndTheDirect3DObject) {
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS p = Windowed(16, 16);
  IDirect3DDevice9* device = nullptr;
  ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_HAL, &Window_,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device));
  EXPECT_EQ(3u, d3d->AddRef()) << "the device holds the Direct3D object";
  EXPECT_EQ(2u, d3d->Release());

  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(D3D_OK,
            device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr));
  EXPECT_EQ(4u, device->AddRef()) << "back buffer and texture each hold the device";
  EXPECT_EQ(3u, device->Release());

  // A bound texture stays usable after its last release, without a reference of its own (set
  // twice, it is bound once: the one unset below frees it, which the leak checker sees).
  ASSERT_EQ(D3D_OK, device->SetTexture(0, texture));
  ASSERT_EQ(D3D_OK, device->SetTexture(0, texture));
  EXPECT_EQ(0u, texture->Release());
  EXPECT_EQ(0u, back->Release());
  EXPECT_EQ(1u, device->AddRef() - 1);
  device->Release();
  IDirect3DBaseTexture9* bound = nullptr;
  ASSERT_EQ(D3D_OK, device->GetTexture(0, &bound));
  EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(texture), bound);
  EXPECT_EQ(0u, bound->Release());
  EXPECT_EQ(D3D_OK, device->SetTexture(0, nullptr));

  EXPECT_EQ(0u, device->Release());
  EXPECT_EQ(0u, d3d->Release());
}

TEST_F(DeviceTest, TextureCreationFollowsCapsAndPools) {
  MakeDevice(16, 16);
  IDirect3DTexture9* t = nullptr;
  auto create = [&](UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT f, D3DPOOL pool) {
    t = nullptr;
    const HRESULT hr = Device_->CreateTexture(w, h, levels, usage, f, pool, &t, nullptr);
    EXPECT_EQ(SUCCEEDED(hr), t != nullptr);
    if (t != nullptr) {
      Textures_.emplace_back(t);
    }
    return hr;
  };
  EXPECT_EQ(D3D_OK, create(37, 5, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
  EXPECT_EQ(D3D_OK, create(64, 16, 0, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED));
  EXPECT_EQ(7u, t->GetLevelCount()) << "64 x 16 down to 1 x 1";
  D3DSURFACE_DESC desc;
  ASSERT_EQ(D3D_OK, t->GetLevelDesc(6, &desc));
  EXPECT_EQ(1u, desc.Width);
  EXPECT_EQ(1u, desc.Height);
  ASSERT_EQ(D3D_OK, t->GetLevelDesc(2, &desc));
  EXPECT_EQ(16u, desc.Width);
  EXPECT_EQ(4u, desc.Height);
  EXPECT_EQ(D3DFMT_A4R4G4B4, desc.Format);
  EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
  EXPECT_EQ(D3DERR_INVALIDCALL, t->GetLevelDesc(7, &desc));

  EXPECT_EQ(D3DERR_INVALIDCALL, create(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
  EXPECT_EQ(D3DERR_INVALIDCALL, create(8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
  EXPECT_EQ(D3DERR_INVALIDCALL, create(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            create(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            create(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));

  auto& config = d3d9standin::GetConfig();
  config.Pow2Textures = true;
  EXPECT_EQ(D3DERR_INVALIDCALL, create(640, 512, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
  EXPECT_EQ(D3D_OK, create(1024, 512, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
  config.SquareOnlyTextures = true;
  EXPECT_EQ(D3DERR_INVALIDCALL, create(1024, 512, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
  EXPECT_EQ(D3D_OK, create(512, 512, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
  config.MaxTextureWidth = config.MaxTextureHeight = 256;
  EXPECT_EQ(D3DERR_INVALIDCALL, create(512, 512, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
  config.TextureFormats = {D3DFMT_A1R5G5B5};
  EXPECT_EQ(D3DERR_INVALIDCALL, create(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
  EXPECT_EQ(D3D_OK, create(64, 64, 1, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED));
}

TEST_F(DeviceTest, LocksUseTheFormatsLayoutAndPitch) {
  MakeDevice(16, 16);
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3D_OK,
            Device_->CreateTexture(10, 6, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &t, nullptr));
  Textures_.emplace_back(t);
  D3DLOCKED_RECT whole, part;
  ASSERT_EQ(D3D_OK, t->LockRect(0, &whole, nullptr, 0));
  EXPECT_GE(whole.Pitch, 20);
  EXPECT_EQ(D3DERR_INVALIDCALL, t->LockRect(0, &part, nullptr, 0)) << "already locked";
  EXPECT_EQ(D3D_OK, t->UnlockRect(0));
  EXPECT_EQ(D3DERR_INVALIDCALL, t->UnlockRect(0)) << "not locked";

  RECT r{3, 2, 7, 5};
  ASSERT_EQ(D3D_OK, t->LockRect(0, &part, &r, D3DLOCK_READONLY));
  EXPECT_EQ(whole.Pitch, part.Pitch);
  EXPECT_EQ(static_cast<std::uint8_t*>(whole.pBits) + 2 * whole.Pitch + 3 * 2,
            static_cast<std::uint8_t*>(part.pBits));
  t->UnlockRect(0);

  for (RECT bad : {RECT{0, 0, 11, 6}, RECT{0, 0, 10, 7}, RECT{-1, 0, 4, 4}, RECT{4, 4, 4, 5},
                   RECT{5, 1, 4, 2}}) {
    EXPECT_EQ(D3DERR_INVALIDCALL, t->LockRect(0, &part, &bad, 0));
  }
  EXPECT_EQ(D3DERR_INVALIDCALL, t->LockRect(1, &part, nullptr, 0));

  // Video memory can only be locked in a dynamic texture.
  IDirect3DTexture9* d = nullptr;
  ASSERT_EQ(D3D_OK,
            Device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &d, nullptr));
  Textures_.emplace_back(d);
  EXPECT_EQ(D3DERR_INVALIDCALL, d->LockRect(0, &part, nullptr, 0));
  ASSERT_EQ(D3D_OK, Device_->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                                           D3DPOOL_DEFAULT, &d, nullptr));
  Textures_.emplace_back(d);
  EXPECT_EQ(D3D_OK, d->LockRect(0, &part, nullptr, 0));
  EXPECT_EQ(D3D_OK, d->UnlockRect(0));
}

TEST_F(DeviceTest, AvailableTextureMemoryShrinksWithTextures) {
  d3d9standin::GetConfig().TextureMemory = 64ull * 1024 * 1024;
  MakeDevice(16, 16);
  const UINT before = Device_->GetAvailableTextureMem();
  EXPECT_EQ(64u * 1024 * 1024, before);
  MakeTexture(1024, 1024, D3DFMT_A8R8G8B8, [](UINT, UINT) { return 0u; });
  EXPECT_EQ(before - 4u * 1024 * 1024, Device_->GetAvailableTextureMem());
  Textures_.clear();
  EXPECT_EQ(before, Device_->GetAvailableTextureMem());

  // Video memory runs out; the managed pool does not count against creation.
  d3d9standin::GetConfig().TextureMemory = 1024 * 1024;
  IDirect3DTexture9* t = nullptr;
  EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY, Device_->CreateTexture(1024, 1024, 1, 0, D3DFMT_A8R8G8B8,
                                                            D3DPOOL_DEFAULT, &t, nullptr));
  EXPECT_EQ(D3D_OK, Device_->CreateTexture(1024, 1024, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t,
                                           nullptr));
  Textures_.emplace_back(t);
  EXPECT_EQ(0u, Device_->GetAvailableTextureMem());
}

TEST_F(DeviceTest, StatesStartAtTheirDefaultsAndAreChecked) {
  MakeDevice(16, 16);
  DWORD v = 0;
  ASSERT_EQ(D3D_OK, Device_->GetRenderState(D3DRS_CULLMODE, &v));
  EXPECT_EQ(DWORD{D3DCULL_CCW}, v);
  Device_->GetRenderState(D3DRS_ZENABLE, &v);
  EXPECT_EQ(DWORD{D3DZB_FALSE}, v) << "no depth buffer";
  Device_->GetRenderState(D3DRS_SRCBLEND, &v);
  EXPECT_EQ(DWORD{D3DBLEND_ONE}, v);
  Device_->GetTextureStageState(0, D3DTSS_ALPHAOP, &v);
  EXPECT_EQ(DWORD{D3DTOP_SELECTARG1}, v);
  Device_->GetTextureStageState(1, D3DTSS_COLOROP, &v);
  EXPECT_EQ(DWORD{D3DTOP_DISABLE}, v);
  Device_->GetSamplerState(0, D3DSAMP_ADDRESSU, &v);
  EXPECT_EQ(DWORD{D3DTADDRESS_WRAP}, v);
  EXPECT_EQ(D3D_OK, Device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR));
  Device_->GetSamplerState(0, D3DSAMP_MAGFILTER, &v);
  EXPECT_EQ(DWORD{D3DTEXF_LINEAR}, v);
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->SetTextureStageState(8, D3DTSS_COLOROP, 1));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->SetSamplerState(16, D3DSAMP_ADDRESSU, 1));
  // State 0 and states past the last one are refused for stages and samplers alike.
  EXPECT_EQ(D3DERR_INVALIDCALL,
            Device_->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(0), D3DTOP_DISABLE));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->GetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(33), &v));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->SetSamplerState(0, D3DSAMPLERSTATETYPE(14), 1));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->GetSamplerState(16, D3DSAMP_ADDRESSU, &v));
  Device_->GetTextureStageState(0, D3DTSS_COLOROP, &v);
  EXPECT_EQ(DWORD{D3DTOP_MODULATE}, v) << "a refused state leaves the others alone";
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->SetRenderState(D3DRENDERSTATETYPE(300), 1));

  D3DVIEWPORT9 vp;
  ASSERT_EQ(D3D_OK, Device_->GetViewport(&vp));
  EXPECT_EQ(16u, vp.Width);
  EXPECT_EQ(16u, vp.Height);
  D3DVIEWPORT9 tooWide{8, 0, 9, 16, 0, 1};
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->SetViewport(&tooWide));
  D3DVIEWPORT9 badZ{0, 0, 4, 4, 0, 2};
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->SetViewport(&badZ));

  D3DMATRIX m;
  ASSERT_EQ(D3D_OK, Device_->GetTransform(D3DTS_PROJECTION, &m));
  EXPECT_EQ(1.0f, m.m[0][0]);
  EXPECT_EQ(0.0f, m.m[3][0]);
  m.m[3][2] = -0.5f;
  Device_->SetTransform(D3DTS_PROJECTION, &m);
  D3DMATRIX back;
  Device_->GetTransform(D3DTS_PROJECTION, &back);
  EXPECT_EQ(-0.5f, back.m[3][2]);

  // Unsupported stage set-ups are reported with Direct3D's codes, also by draws.
  DWORD passes = 0;
  EXPECT_EQ(D3D_OK, Device_->ValidateDevice(&passes));
  EXPECT_EQ(1u, passes);
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
  EXPECT_EQ(D3DERR_UNSUPPORTEDCOLOROPERATION, Device_->ValidateDevice(&passes));
  EXPECT_EQ(D3DERR_UNSUPPORTEDCOLOROPERATION, Draw(Quad(0, 0, 4, 4, 0xFFFFFFFF)));
  Device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  Device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEMP);
  EXPECT_EQ(D3DERR_UNSUPPORTEDALPHAARG, Device_->ValidateDevice(&passes));
}

TEST_F(DeviceTest, DrawsNeedAScenePreTransformedVerticesAndAnUnlockedTexture) {
  MakeDevice(16, 16);
  const auto quad = Quad(0, 0, 4, 4, 0xFFFFFFFF);
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), 32));
  ASSERT_EQ(D3D_OK, Device_->BeginScene());
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->BeginScene());
  EXPECT_EQ(D3D_OK, Device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), 32));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), 28));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->DrawPrimitiveUP(D3DPT_LINELIST, 1, quad.data(), 32));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 0, quad.data(), 32));
  Device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), 32));
  Device_->SetFVF(kFvf);
  IDirect3DTexture9* t = MakeTexture(4, 4, D3DFMT_A8R8G8B8, [](UINT, UINT) { return 0u; });
  Device_->SetTexture(0, t);
  D3DLOCKED_RECT locked;
  t->LockRect(0, &locked, nullptr, 0);
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), 32));
  t->UnlockRect(0);
  EXPECT_EQ(D3D_OK, Device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), 32));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->Present(nullptr, nullptr, nullptr, nullptr))
      << "inside a scene";
  ASSERT_EQ(D3D_OK, Device_->EndScene());
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->EndScene());
  Device_->SetTexture(0, nullptr);
}

TEST_F(DeviceTest, BackBufferWithoutAlphaStaysOpaqueThroughLocks) {
  MakeDevice(8, 4, D3DFMT_X8R8G8B8);
  IDirect3DSurface9* raw = nullptr;
  ASSERT_EQ(D3D_OK, Device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &raw));
  TRef<IDirect3DSurface9> back(raw);
  const auto pixelAt = [](const D3DLOCKED_RECT& locked, UINT x, UINT y) {
    return reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(locked.pBits) +
                                                  y * locked.Pitch)[x];
  };
  D3DLOCKED_RECT locked;
  ASSERT_EQ(D3D_OK, back->LockRect(&locked, nullptr, 0));
  for (UINT y = 0; y < 4; ++y) {
    for (UINT x = 0; x < 8; ++x) ASSERT_EQ(0xFF000000u, pixelAt(locked, x, y)) << x << "," << y;
  }
  ASSERT_EQ(D3D_OK, back->UnlockRect());

  RECT part{2, 1, 5, 3};
  ASSERT_EQ(D3D_OK, back->LockRect(&locked, &part, 0));
  for (UINT y = 0; y < 2; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                 y * locked.Pitch);
    for (UINT x = 0; x < 3; ++x) row[x] = 0x00112233;
  }
  ASSERT_EQ(D3D_OK, back->UnlockRect());
  ASSERT_EQ(D3D_OK, back->LockRect(&locked, nullptr, 0));
  for (UINT y = 0; y < 4; ++y) {
    for (UINT x = 0; x < 8; ++x) {
      const bool written = x >= 2 && x < 5 && y >= 1 && y < 3;
      EXPECT_EQ(written ? 0xFF112233u : 0xFF000000u, pixelAt(locked, x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(D3D_OK, back->UnlockRect());
}

TEST_F(DeviceTest, PresentHandsTheBackBufferToTheWindowsPresenter) {
  MakeDevice(20, 10, D3DFMT_X8R8G8B8);
  EXPECT_EQ(D3D_OK, Device_->Present(nullptr, nullptr, nullptr, nullptr)) << "no presenter";
  ASSERT_EQ(D3D_OK, Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00123456, 1.0f, 0));
  D3DRECT corner{15, 5, 40, 40};
  ASSERT_EQ(D3D_OK, Device_->Clear(1, &corner, D3DCLEAR_TARGET, 0xFFABCDEF, 1.0f, 0));

  int calls = 0;
  std::vector<std::uint32_t> seen;
  Window_.SetPresenter(
      [&](UINT w, UINT h, INT pitch, const std::uint32_t* pixels, const TFrameChange&) {
        ++calls;
        EXPECT_EQ(20u, w);
        EXPECT_EQ(10u, h);
        EXPECT_GE(pitch, 80);
        for (UINT y = 0; y < h; ++y) {
          const auto* row = reinterpret_cast<const std::uint32_t*>(
              reinterpret_cast<const std::uint8_t*>(pixels) + y * pitch);
          seen.insert(seen.end(), row, row + w);
        }
      });
  ASSERT_EQ(D3D_OK, Device_->Present(nullptr, nullptr, nullptr, nullptr));
  ASSERT_EQ(1, calls);
  ASSERT_EQ(200u, seen.size());
  for (UINT y = 0; y < 10; ++y) {
    for (UINT x = 0; x < 20; ++x) {
      // X8R8G8B8 keeps an opaque top byte.
      const std::uint32_t expected = (x >= 15 && y >= 5) ? 0xFFABCDEF : 0xFF123456;
      ASSERT_EQ(expected, seen[y * 20 + x]) << x << "," << y;
    }
  }

  // An override window gets the frame instead.
  TNullWindow other(5, 5);
  int otherCalls = 0;
  other.SetPresenter(
      [&](UINT, UINT, INT, const std::uint32_t*, const TFrameChange&) { ++otherCalls; });
  ASSERT_EQ(D3D_OK, Device_->Present(nullptr, nullptr, &other, nullptr));
  EXPECT_EQ(1, otherCalls);
  EXPECT_EQ(1, calls);
  RECT r{0, 0, 4, 4};
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->Present(&r, nullptr, nullptr, nullptr))
      << "rectangles need the copy swap effect";
}

TEST_F(DeviceTest, ClearChecksItsArguments) {
  MakeDevice(8, 8);
  D3DRECT r{0, 0, 2, 2};
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->Clear(0, &r, D3DCLEAR_TARGET, 0, 1, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1, 0))
      << "no depth buffer";
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->Clear(0, nullptr, 0, 0, 1, 0));
  EXPECT_EQ(D3D_OK, Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1, 0));
}

}  // namespace
}  // namespace d3d9test
