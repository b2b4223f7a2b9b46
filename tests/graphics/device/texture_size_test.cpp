#include "support/texture_fixture.h"

using texturetest::TextureTest;

TEST_F(TextureTest, CreationRegistersWithoutAllocating) {
  auto texture = MakeTexture();
  EXPECT_EQ(texture->Texture(), nullptr);
  EXPECT_EQ(texture->Format(), D3DFMT_UNKNOWN);
  EXPECT_EQ(texture->SourceKind(), skNothing);
  EXPECT_EQ(texture->FillColor(), 0u);
  EXPECT_TRUE(texture->KeepContents());
  ASSERT_EQ(carad_->Resources().size(), 1u);
  EXPECT_EQ(carad_->Resources()[0]->ID, texture->ID());
  EXPECT_EQ(carad_->Resources()[0]->Owner, texture.get());
  EXPECT_FALSE(MakeTexture(texturetest::kGameFormats, D3DPOOL_DEFAULT)->KeepContents());
  texture.reset();
  EXPECT_TRUE(carad_->Resources().empty());
}

TEST_F(TextureTest, SizeIsKeptWithoutDeviceRules) {
  auto texture = MakeTexture();
  texture->SetSize(100, 30);
  ASSERT_NE(texture->Texture(), nullptr);
  EXPECT_EQ(texture->TextureWidth(), 100u);
  EXPECT_EQ(texture->TextureHeight(), 30u);
  EXPECT_FLOAT_EQ(texture->ScaleU(), 1.0f);
  EXPECT_FLOAT_EQ(texture->ScaleV(), 1.0f);
  EXPECT_EQ(texture->Format(), D3DFMT_A8R8G8B8);
  EXPECT_EQ(texture->BytesPerPixel(), 4);
  EXPECT_EQ(texture->SourceKind(), skDrawn);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->Texture()->GetLevelDesc(0, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 100u);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
}

TEST_F(TextureTest, PowerOfTwoAndSquareOnlyDevices) {
  d3d9standin::GetConfig().Pow2Textures = true;
  StartDevice();
  auto texture = MakeTexture();
  texture->SetSize(640, 480);
  EXPECT_EQ(texture->Width(), 640u);
  EXPECT_EQ(texture->TextureWidth(), 1024u);
  EXPECT_EQ(texture->TextureHeight(), 512u);
  EXPECT_FLOAT_EQ(texture->ScaleU(), 0.625f);
  EXPECT_FLOAT_EQ(texture->ScaleV(), 0.9375f);
  texture->SetSize(0, 0);
  EXPECT_EQ(texture->TextureWidth(), 1u);
  EXPECT_EQ(texture->TextureHeight(), 1u);
  EXPECT_NE(texture->Texture(), nullptr);
  texture->SetSize(64, 64);  // already a power of two
  EXPECT_EQ(texture->TextureWidth(), 64u);

  d3d9standin::GetConfig().SquareOnlyTextures = true;
  texture->SetSize(640, 480);
  EXPECT_EQ(texture->TextureWidth(), 1024u);
  EXPECT_EQ(texture->TextureHeight(), 1024u);
  EXPECT_FLOAT_EQ(texture->ScaleV(), 480.0f / 1024.0f);

  d3d9standin::GetConfig().Pow2Textures = false;
  texture->SetSize(30, 70);
  EXPECT_EQ(texture->TextureWidth(), 70u);
  EXPECT_EQ(texture->TextureHeight(), 70u);
}

TEST_F(TextureTest, TooLargeIsLoggedAndTheCreationFails) {
  d3d9standin::GetConfig().MaxTextureWidth = 256;
  d3d9standin::GetConfig().MaxTextureHeight = 128;
  StartDevice({dgoDebugMessage, dgoDetailedLog});
  auto texture = MakeTexture();
  texture->SetSize(300, 100);
  EXPECT_TRUE(LogHas("要求されたテクスチャのサイズは大きすぎます。256 x 128 以内にして下さい"));
  EXPECT_EQ(texture->Texture(), nullptr);
  EXPECT_TRUE(LogHas("テクスチャの生成に失敗しました(Error Code = "));
  // Locking the missing texture is refused, not attempted.
  INT pitch = 7;
  void* bits = &pitch;
  EXPECT_NE(texture->LockRect(0, RECT{0, 0, 1, 1}, pitch, bits, 0), D3D_OK);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(pitch, 0);
  EXPECT_FALSE(texture->Locked());
  EXPECT_TRUE(LogHas(
      "テクスチャが確保されていません。LockRectの前にSetSizeするか、BMPを読み込んでください"));
}

TEST_F(TextureTest, FormatIsTheFirstCandidateTheDeviceAccepts) {
  d3d9standin::GetConfig().TextureFormats = {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8};
  StartDevice({dgoDebugMessage, dgoDetailedLog});
  auto texture = MakeTexture();
  texture->SetSize(4, 4);
  EXPECT_EQ(texture->Format(), D3DFMT_A4R4G4B4);
  EXPECT_EQ(texture->BytesPerPixel(), 2);
  EXPECT_TRUE(LogHas("使用されるフォーマットは A4R4G4B4 です"));
  EXPECT_TRUE(LogHas("残りテクスチャ容量は、約"));

  // None accepted: the back buffer's format.
  auto fallback = MakeTexture({D3DFMT_A8, D3DFMT_R5G6B5});
  fallback->SetSize(4, 4);
  EXPECT_EQ(fallback->Format(), carad_->BackBufferFormat());
}
