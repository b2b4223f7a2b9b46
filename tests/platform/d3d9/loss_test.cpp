// Device loss and reset: the cooperative-level sequence, what survives, and what a reset needs.
#include <gtest/gtest.h>

#include "support/d3d9_test_util.h"

namespace d3d9test {
namespace {

class LossTest : public TDeviceTest {
 protected:
  std::uint32_t FirstTexel(IDirect3DTexture9* t) {
    D3DLOCKED_RECT locked;
    EXPECT_EQ(D3D_OK, t->LockRect(0, &locked, nullptr, D3DLOCK_READONLY));
    std::uint32_t v;
    std::memcpy(&v, locked.pBits, 4);
    t->UnlockRect(0);
    return v;
  }
};

TEST_F(LossTest, LostThenNotResetThenResetRestoresTheDevice) {
  MakeDevice(16, 16);
  EXPECT_EQ(D3D_OK, Device_->TestCooperativeLevel());
  EXPECT_FALSE(d3d9standin::IsDeviceLost(Device_.get()));
  d3d9standin::LoseDevice(Device_.get(), 2);
  EXPECT_TRUE(d3d9standin::IsDeviceLost(Device_.get()));
  EXPECT_EQ(D3DERR_DEVICELOST, Device_->TestCooperativeLevel());
  EXPECT_EQ(D3DERR_DEVICELOST, Device_->Present(nullptr, nullptr, nullptr, nullptr));
  D3DPRESENT_PARAMETERS p = Windowed(16, 16, D3DFMT_A8R8G8B8);
  EXPECT_EQ(D3DERR_DEVICELOST, Device_->Reset(&p)) << "not yet";
  EXPECT_EQ(D3DERR_DEVICELOST, Device_->TestCooperativeLevel());
  EXPECT_EQ(D3DERR_DEVICENOTRESET, Device_->TestCooperativeLevel());
  EXPECT_EQ(D3DERR_DEVICENOTRESET, Device_->TestCooperativeLevel());
  // Drawing while lost succeeds and does nothing.
  EXPECT_EQ(D3D_OK, Device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1, 0));
  EXPECT_EQ(D3D_OK, Draw(Quad(0, 0, 8, 8, 0xFFFFFFFF)));

  ASSERT_EQ(D3D_OK, Device_->Reset(&p));
  EXPECT_EQ(D3D_OK, Device_->TestCooperativeLevel());
  EXPECT_EQ(D3D_OK, Device_->Present(nullptr, nullptr, nullptr, nullptr));
  for (std::uint32_t px : ReadBackBuffer()) ASSERT_EQ(0u, px) << "the lost draws left nothing";
}

TEST_F(LossTest, ResetNeedsVideoMemoryReleased) {
  MakeDevice(16, 16);
  IDirect3DTexture9* managed =
      MakeTexture(4, 4, D3DFMT_A8R8G8B8, [](UINT, UINT) { return 0x80402010u; });
  IDirect3DTexture9* video = MakeTexture(
      4, 4, D3DFMT_A8R8G8B8, [](UINT, UINT) { return 0x11223344u; }, D3DPOOL_DEFAULT,
      D3DUSAGE_DYNAMIC);
  d3d9standin::LoseDevice(Device_.get(), 0);
  EXPECT_EQ(D3DERR_DEVICENOTRESET, Device_->TestCooperativeLevel());
  EXPECT_EQ(0x80402010u, FirstTexel(managed)) << "managed textures keep their contents";
  EXPECT_EQ(0u, FirstTexel(video)) << "video memory is gone";

  D3DPRESENT_PARAMETERS p = Windowed(16, 16, D3DFMT_A8R8G8B8);
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->Reset(&p)) << "a default-pool texture is alive";
  EXPECT_EQ(D3DERR_DEVICENOTRESET, Device_->TestCooperativeLevel());
  Textures_.pop_back();  // releases the default-pool texture

  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(D3D_OK, Device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->Reset(&p)) << "the back buffer is still held";
  back->Release();

  p.BackBufferWidth = 40;
  ASSERT_EQ(D3D_OK, Device_->Reset(&p));
  EXPECT_EQ(0x80402010u, FirstTexel(managed));
  ASSERT_EQ(D3D_OK, Device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  EXPECT_EQ(40u, desc.Width) << "the new parameters apply";
  back->Release();
}

TEST_F(LossTest, ResetReturnsStatesToTheirDefaults) {
  MakeDevice(16, 16);
  IDirect3DTexture9* t = MakeTexture(2, 2, D3DFMT_A8R8G8B8, [](UINT, UINT) { return 0u; });
  Device_->SetTexture(0, t);
  Device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  D3DVIEWPORT9 vp{2, 2, 4, 4, 0, 1};
  Device_->SetViewport(&vp);
  D3DPRESENT_PARAMETERS p = Windowed(32, 24, D3DFMT_A8R8G8B8);
  ASSERT_EQ(D3D_OK, Device_->Reset(&p)) << "an operational device may be reset too";
  DWORD v = 1;
  Device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &v);
  EXPECT_EQ(0u, v);
  IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(1);
  Device_->GetTexture(0, &bound);
  EXPECT_EQ(nullptr, bound);
  Device_->GetViewport(&vp);
  EXPECT_EQ(0u, vp.X);
  EXPECT_EQ(32u, vp.Width);
  EXPECT_EQ(24u, vp.Height);
}

TEST_F(LossTest, DepthBufferComesBackWithTheReset) {
  MakeDevice(8, 8, D3DFMT_A8R8G8B8, D3DFMT_D24S8);
  IDirect3DSurface9* depth = nullptr;
  ASSERT_EQ(D3D_OK, Device_->GetDepthStencilSurface(&depth));
  D3DSURFACE_DESC desc;
  depth->GetDesc(&desc);
  EXPECT_EQ(D3DFMT_D24S8, desc.Format);
  d3d9standin::LoseDevice(Device_.get(), 0);
  D3DPRESENT_PARAMETERS p = Windowed(8, 8, D3DFMT_A8R8G8B8);
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  EXPECT_EQ(D3DERR_INVALIDCALL, Device_->Reset(&p)) << "depth surface still held";
  depth->Release();
  ASSERT_EQ(D3D_OK, Device_->Reset(&p));
  ASSERT_EQ(D3D_OK, Device_->GetDepthStencilSurface(&depth));
  depth->Release();
  DWORD z = 0;
  Device_->GetRenderState(D3DRS_ZENABLE, &z);
  EXPECT_EQ(DWORD{D3DZB_TRUE}, z);
}

}  // namespace
}  // namespace d3d9test
