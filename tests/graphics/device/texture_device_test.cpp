#include "archive/qda_writer.h"
#include "support/texture_fixture.h"

using bmptest::MakeBMP;
using bmptest::Pic;
using texturetest::Pattern;
using texturetest::TextureTest;

namespace {

void RecreateDevice(TDGCarad& carad) {
  carad.ChangeToWindowMode(320, 240, {}, 0, D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE, 0);
}

std::uint32_t Constant(std::uint32_t rgb, int, int) { return rgb; }

}  // namespace

TEST_F(TextureTest, FileTextureIsReloadedFromItsFileOnANewDevice) {
  const auto path = WriteFile("p.bmp", MakeBMP(Pic(3, 2, 24, Pattern)));
  auto texture = MakeTexture();
  texture->LoadFromFile(path.string(), "");
  // The file changes on disk: a reload shows the new contents, a backup would show the old.
  WriteFile("p.bmp", MakeBMP(Pic(3, 2, 24, [](int x, int y) { return Constant(0x0A0B0C, x, y); })));
  RecreateDevice(*carad_);
  ASSERT_NE(texture->Texture(), nullptr);
  EXPECT_EQ(ColourAt(*texture, 2, 1), 0xFF0A0B0Cu);
  EXPECT_EQ(texture->SourceKind(), skFile);
  EXPECT_EQ(texture->BackupStream(), nullptr);
}

TEST_F(TextureTest, ArchiveTextureReloadsTheEntryUnlessDrawnOn) {
  const auto archive = folder_ / "wisplore.qda";
  WriteQDAArchive(
      archive, std::vector<QDASourceEntry>{{"Title.bmp", MakeBMP(Pic(4, 4, 24, Pattern))}}, true);
  auto texture = MakeTexture();
  texture->LoadFromFile("Title.bmp", archive.string());
  WriteQDAArchive(
      archive,
      std::vector<QDASourceEntry>{
          {"Title.bmp",
           MakeBMP(Pic(4, 4, 24, [](int x, int y) { return Constant(0x445566, x, y); }))}},
      true);
  RecreateDevice(*carad_);
  EXPECT_EQ(ColourAt(*texture, 1, 1), 0xFF445566u);
  EXPECT_EQ(texture->SourceKind(), skArchive);

  // Drawing turns it into a drawn texture: the next device gets the drawing back, not the entry.
  PutColour(*texture, 0, 0, 0x80FF0000);
  EXPECT_EQ(texture->SourceKind(), skDrawn);
  RecreateDevice(*carad_);
  EXPECT_EQ(ColourAt(*texture, 0, 0), 0x80FF0000u);
  EXPECT_EQ(ColourAt(*texture, 1, 1), 0xFF445566u);
  EXPECT_EQ(texture->BackupStream(), nullptr);  // freed once restored
}

TEST_F(TextureTest, DrawnTextureIsBackedUpWhileTheDeviceIsGone) {
  auto texture = MakeTexture();
  texture->SetSize(5, 3);
  texture->FillRect(RECT{1, 1, 4, 3}, 0x7F102030, false);
  carad_->ReleaseDevice();
  EXPECT_EQ(texture->Texture(), nullptr);
  ASSERT_NE(texture->BackupStream(), nullptr);
  EXPECT_EQ(texture->BackupStream()->ByteSize(), 54u + 5 * 3 * 4);
  RecreateDevice(*carad_);
  ASSERT_NE(texture->Texture(), nullptr);
  EXPECT_EQ(texture->BackupStream(), nullptr);
  EXPECT_EQ(texture->Width(), 5u);
  EXPECT_EQ(ColourAt(*texture, 2, 2), 0x7F102030u);
  EXPECT_EQ(ColourAt(*texture, 0, 0), 0u);
  EXPECT_EQ(texture->SourceKind(), skDrawn);
}

TEST_F(TextureTest, EmptyAndNeverSizedTexturesOnANewDevice) {
  auto sized = MakeTexture(texturetest::kGameFormats, D3DPOOL_MANAGED);
  sized->SetSize(6, 2);
  auto neverSized = MakeTexture();
  RecreateDevice(*carad_);
  ASSERT_NE(sized->Texture(), nullptr);
  EXPECT_EQ(sized->TextureWidth(), 6u);
  // Nothing to make again for a texture that was never given a size, and nothing reported.
  EXPECT_EQ(neverSized->Texture(), nullptr);
  EXPECT_FALSE(LogHas("Error Code")) << Log();
}

TEST_F(TextureTest, ResetKeepsManagedTexturesAndRecreatesDefaultPoolOnesEmpty) {
  auto managed = MakeTexture();
  managed->SetSize(4, 4);
  managed->FillRect(RECT{0, 0, 4, 4}, 0xFF00FF00, false);
  // Default-pool textures can be locked only when dynamic.
  auto dynamic = std::make_unique<TDGTexture>(carad_.get(), std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8},
                                              D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, 1, "dynamic");
  dynamic->SetSize(4, 4);
  dynamic->FillRect(RECT{0, 0, 4, 4}, 0xFFFF0000, false);
  IDirect3DTexture9* const managedBefore = managed->Texture();

  d3d9standin::LoseDevice(carad_->Device(), 0);
  ASSERT_EQ(carad_->Device()->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  carad_->ResetDevice();
  EXPECT_EQ(carad_->Device()->TestCooperativeLevel(), D3D_OK);
  EXPECT_FALSE(LogHas("Error Code")) << Log();

  EXPECT_EQ(managed->Texture(), managedBefore);
  EXPECT_EQ(ColourAt(*managed, 3, 3), 0xFF00FF00u);
  ASSERT_NE(dynamic->Texture(), nullptr);
  EXPECT_EQ(dynamic->TextureWidth(), 4u);
  for (std::uint32_t c : Colours(*dynamic)) EXPECT_EQ(c, 0u);  // empty, not the fill colour
}

TEST_F(TextureTest, DestroyingTheComponentFirstDetachesTextures) {
  auto texture = MakeTexture();
  texture->SetSize(2, 2);
  DGCarad9::ApplyDebugOption({dgoDebugMessage, dgoDetailedLog});
  carad_->SetDebugOption({dgoDebugMessage, dgoDetailedLog});
  carad_.reset();
  EXPECT_EQ(texture->Texture(), nullptr);
  EXPECT_EQ(texture->Carad(), nullptr);
  EXPECT_TRUE(LogHas("ID 0() のDGCaradリソースは、明示的に解放されていません"));
  EXPECT_TRUE(LogHas("テクスチャオブジェクトを解放します"));
  EXPECT_TRUE(LogHas("DGCaradリソース(TDGTexture) : ID 0() を登録解除します"));
  EXPECT_FALSE(LogHas("Error Code")) << Log();
  texture.reset();  // safe: it no longer refers to the component
}
