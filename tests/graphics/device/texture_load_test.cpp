#include <gmock/gmock.h>

#include "archive/qda_writer.h"
#include "graphics/device/dg_bitmap.h"
#include "support/texture_fixture.h"

using bmptest::MakeBMP;
using bmptest::Pic;
using texturetest::Pattern;
using texturetest::TextureTest;

namespace {

std::vector<std::uint32_t> Expected(int width, int height) {
  std::vector<std::uint32_t> out;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) out.push_back(0xFF000000u | Pattern(x, y));
  return out;
}

}  // namespace

TEST_F(TextureTest, LoadFromFileReadsTheBmpAndRemembersIt) {
  const auto path = WriteFile("picture.bmp", MakeBMP(Pic(7, 5, 24, Pattern)));
  DGCarad9::ApplyDebugOption({dgoDebugMessage, dgoDetailedLog});
  auto texture = MakeTexture();
  texture->LoadFromFile(path.string(), "");
  EXPECT_EQ(texture->Width(), 7u);
  EXPECT_EQ(texture->Height(), 5u);
  EXPECT_EQ(Colours(*texture), Expected(7, 5));
  EXPECT_EQ(texture->SourceKind(), skFile);
  EXPECT_EQ(texture->SourceFile(), path.string());
  EXPECT_TRUE(LogHas("ID " + std::to_string(texture->ID()) + "() のテクスチャに、" + path.string() +
                     " を読み込みます"));
}

TEST_F(TextureTest, LoadFromArchiveEntry) {
  const std::vector<QDASourceEntry> entries = {
      {"other.bmp", MakeBMP(Pic(2, 2, 24, [](int, int) { return 0x123456u; }))},
      {"Title.bmp", MakeBMP(Pic(6, 3, 24, Pattern))}};
  const auto archive = folder_ / "wisplore.qda";
  WriteQDAArchive(archive, entries, /*packed=*/true);
  auto texture = MakeTexture();
  texture->LoadFromFile("title.BMP", archive.string());  // IDs ignore letter case
  EXPECT_EQ(Colours(*texture), Expected(6, 3));
  EXPECT_EQ(texture->SourceKind(), skArchive);
  EXPECT_EQ(texture->SourceEntry(), "title.BMP");
  EXPECT_EQ(texture->SourceArchive(), archive.string());
}

TEST_F(TextureTest, LoadFailuresAreReportedAndTheSourceIsStillKept) {
  auto texture = MakeTexture();
  const std::string missing = (folder_ / "missing.bmp").string();
  texture->LoadFromFile(missing, "");
  // Every failure names the file and says why.
  EXPECT_TRUE(
      LogHas(missing + "からの、読み込みエラー: ファイル \"" + missing + "\" を開けません"));
  EXPECT_EQ(texture->SourceKind(), skFile);
  EXPECT_EQ(texture->SourceFile(), missing);

  const auto archive = folder_ / "a.qda";
  WriteQDAArchive(archive, std::vector<QDASourceEntry>{{"x.bmp", {1, 2, 3}}}, false);
  texture->LoadFromFile("Title.bmp", archive.string());
  EXPECT_TRUE(LogHas("Title.bmp ＠ " + archive.string() +
                     "からの、読み込みエラー: アーカイブ内には指定されたID 'Title.bmp' "
                     "を持つデータが見つかりません"));
  EXPECT_EQ(texture->SourceKind(), skArchive);

  // A file too short for its info header.
  const auto cut = WriteFile("cut.bmp", {'B', 'M', 1, 2, 3});
  texture->LoadFromFile(cut.string(), "");
  EXPECT_TRUE(LogHas(cut.string() + "からの、読み込みエラー"));
}

// A picture cut short, or with its pixels said to lie far beyond the end, is a failed load that
// names the file, not a partly blank picture.
TEST_F(TextureTest, PicturesWhosePixelsAreNotAllInTheFileFailNamingIt) {
  auto bmp = MakeBMP(Pic(6, 6, 24, Pattern));
  auto far = bmp;
  bmptest::Poke32(far, 10, 0x7FFFFFF0u);
  bmp.resize(54 + (bmp.size() - 54) / 2);
  for (const auto& [name, bytes] : {std::pair{"half.bmp", bmp}, std::pair{"far.bmp", far}}) {
    const auto path = WriteFile(name, bytes);
    EXPECT_EXIT(
        {
          StartDevice({dgoHaltOnError});
          MakeTexture()->LoadFromFile(path.string(), "");
        },
        ::testing::ExitedWithCode(1),
        path.string() + ": ビットマップの画素がファイルに収まっていません");
  }
}

// A few kilobytes claiming a huge picture: refused, naming the file, before any texture of that
// size is made; so is a picture wider than any texture, whatever its file holds.
TEST_F(TextureTest, HugeClaimsAreRefusedBeforeATextureIsMade) {
  const auto small = MakeBMP(Pic(48, 48, 24, Pattern));
  struct Case {
    const char* name;
    std::uint32_t width, height;
    const char* reason;
  };
  for (const Case& c :
       {Case{"claim.bmp", 8192, 8192, "ビットマップの画素がファイルに収まっていません"},
        Case{"wide.bmp", 100000, 2, "ビットマップが大きすぎます"}}) {
    auto bmp = small;
    bmptest::Poke32(bmp, 18, c.width);
    bmptest::Poke32(bmp, 22, c.height);
    const auto path = WriteFile(c.name, bmp);
    auto texture = MakeTexture();
    texture->LoadFromFile(path.string(), "");
    EXPECT_EQ(texture->Texture(), nullptr) << c.name;
    EXPECT_EQ(texture->Width(), 0u) << c.name;
    EXPECT_TRUE(LogHas(path.string() + ": " + c.reason)) << c.name;
  }
}

TEST_F(TextureTest, MissingPictureEndsTheGameWithHaltOnError) {
  EXPECT_EXIT(
      {
        StartDevice({dgoHaltOnError});
        auto texture = MakeTexture();
        texture->LoadFromFile("Data/no-such-picture.bmp", "");
      },
      ::testing::ExitedWithCode(1), "Data/no-such-picture.bmpからの、読み込みエラー");
}

TEST_F(TextureTest, TopDownBmpIsRejectedWithoutSizing) {
  auto bmp = MakeBMP(Pic(4, 4, 24, Pattern));
  bmptest::Poke32(bmp, 22, static_cast<std::uint32_t>(-4));
  const auto path = WriteFile("topdown.bmp", bmp);
  auto texture = MakeTexture();
  texture->LoadFromFile(path.string(), "");
  EXPECT_EQ(texture->Texture(), nullptr);
  EXPECT_EQ(texture->Width(), 0u);
  EXPECT_TRUE(LogHas("高さが負"));
}

TEST_F(TextureTest, LoadFromBitmapAndStream) {
  TDGBitmap bitmap(5, 4);
  for (int y = 0; y < 4; ++y) {
    std::uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < 5; ++x) {
      row[x * 3 + 0] = static_cast<std::uint8_t>(Pattern(x, y));
      row[x * 3 + 1] = static_cast<std::uint8_t>(Pattern(x, y) >> 8);
      row[x * 3 + 2] = static_cast<std::uint8_t>(Pattern(x, y) >> 16);
    }
  }
  EXPECT_EQ(bitmap.Pixel(3, 2), Pattern(3, 2));
  auto texture = MakeTexture();
  texture->LoadFromBitmap(bitmap);
  EXPECT_EQ(Colours(*texture), Expected(5, 4));
  EXPECT_EQ(texture->SourceKind(), skDrawn);

  TMemoryStream stream(
      MakeBMP(Pic(3, 3, 32, [](int x, int y) { return 0x80000000u | Pattern(x, y); })));
  auto other = MakeTexture();
  other->LoadFromStream(stream);
  EXPECT_EQ(ColourAt(*other, 2, 1), 0x80000000u | Pattern(2, 1));
  EXPECT_EQ(other->SourceKind(), skDrawn);

  TMemoryStream garbage(std::vector<std::uint8_t>{'B', 'M'});
  other->LoadFromStream(garbage);
  EXPECT_TRUE(LogHas("ストリームからの、読み込みエラー: "));
}

TEST_F(TextureTest, SaveToStreamWritesA32BitBmpThatLoadsBack) {
  auto texture = MakeTexture();
  TMemoryStream source(MakeBMP(Pic(5, 3, 32, [](int x, int y) {
    return (x == 2 ? 0x00000000u : 0xC0000000u) | Pattern(x, y);
  })));
  texture->LoadFromStream(source);
  TMemoryStream saved;
  texture->SaveToStream(saved);
  ASSERT_EQ(saved.ByteSize(), 54u + 5 * 3 * 4);
  const std::uint8_t* b = saved.Memory();
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(b[2] | b[3] << 8, 54 + 60);
  EXPECT_EQ(b[10], 54);
  EXPECT_EQ(b[14], 40);
  EXPECT_EQ(b[18], 5);
  EXPECT_EQ(b[22], 3);   // positive height: bottom-up
  EXPECT_EQ(b[28], 32);  // bits per pixel
  // The first stored row is the picture's bottom row.
  const std::uint32_t firstStored = b[54] | b[55] << 8 | b[56] << 16 | std::uint32_t{b[57]} << 24;
  EXPECT_EQ(firstStored, 0xC0000000u | Pattern(0, 2));

  saved.SetPosition(0);
  auto copy = MakeTexture();
  copy->LoadFromStream(saved);
  EXPECT_EQ(Colours(*copy), Colours(*texture));
}

TEST_F(TextureTest, ReadOnlyLocksKeepTheSourceWritingLocksMakeItDrawn) {
  const auto path = WriteFile("p.bmp", MakeBMP(Pic(3, 3, 24, Pattern)));
  auto texture = MakeTexture();
  texture->LoadFromFile(path.string(), "");
  TMemoryStream saved;
  texture->SaveToStream(saved);
  EXPECT_EQ(texture->SourceKind(), skFile);
  EXPECT_EQ(Colours(*texture).size(), 9u);
  EXPECT_EQ(texture->SourceKind(), skFile);
  INT pitch = 0;
  void* bits = nullptr;
  ASSERT_EQ(texture->LockRect(0, RECT{0, 0, 1, 1}, pitch, bits, 0), D3D_OK);
  EXPECT_TRUE(texture->Locked());
  EXPECT_GE(pitch, 12);
  texture->UnlockRect();
  EXPECT_FALSE(texture->Locked());
  EXPECT_EQ(texture->SourceKind(), skDrawn);

  // A rectangle beyond the texture is refused instead of handing out memory past it.
  EXPECT_NE(texture->LockRect(0, RECT{0, 0, 4, 1}, pitch, bits, 0), D3D_OK);
  EXPECT_EQ(bits, nullptr);
  EXPECT_TRUE(LogHas("LockRectに失敗しました"));
}
