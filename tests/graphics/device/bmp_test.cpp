#include "graphics/device/bmp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive/memory_stream.h"
#include "graphics/device/dg_log.h"
#include "graphics/device/pixel_format.h"
#include "platform/codepage/codepage.h"
#include "support/bmp_builder.h"

using namespace DGCarad9;
using bmptest::MakeBMP;
using bmptest::Picture;

namespace {

constexpr std::uint8_t kUntouched = 0xA5;

// A surface in memory, pre-filled with a marker so that every byte the decoder did not write
// can be told apart. Pitch is wider than the row to catch writes beyond a row's pixels.
struct Surface {
  Surface(D3DFORMAT format, int width, int height, int extraPitch = 8)
      : format(format), width(width), height(height) {
    bytes = static_cast<int>(FormatBitCount(format) / 8);
    pitch = width * bytes + extraPitch;
    memory.assign(static_cast<std::size_t>(pitch * height), kUntouched);
  }
  TDGLockedSurface Locked() { return {format, width, height, pitch, memory.data()}; }
  std::uint32_t Pixel(int x, int y) const {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
      v |= std::uint32_t{memory[y * pitch + x * bytes + i]} << (8 * i);
    return v;
  }
  bool Untouched(int x, int y) const {
    for (int i = 0; i < bytes; ++i)
      if (memory[y * pitch + x * bytes + i] != kUntouched) return false;
    return true;
  }
  bool PaddingUntouched() const {
    for (int y = 0; y < height; ++y)
      for (int i = width * bytes; i < pitch; ++i)
        if (memory[y * pitch + i] != kUntouched) return false;
    return true;
  }
  bool AllUntouched() const {
    for (std::uint8_t b : memory)
      if (b != kUntouched) return false;
    return true;
  }

  D3DFORMAT format;
  int width, height, bytes, pitch;
  std::vector<std::uint8_t> memory;
};

std::uint32_t Rgb(int x, int y) {
  return static_cast<std::uint32_t>((x * 37 + 11) & 255) << 16 |
         static_cast<std::uint32_t>((y * 53 + 7) & 255) << 8 |
         static_cast<std::uint32_t>((x * y * 13 + 3) & 255);
}

class BMPDecodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("bmp-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(folder_);
    SetLogFolder(folder_);
    ApplyDebugOption({dgoDebugMessage});
  }
  void TearDown() override {
    ApplyDebugOption({});
    std::filesystem::remove_all(folder_);
  }
  std::string Log() const {
    std::ifstream in(folder_ / kLogFileName, std::ios::binary);
    return codepage::SjisToUtf8(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  }
  void Decode(const std::vector<std::uint8_t>& bmp, Surface& surface) {
    TMemoryStream stream(bmp);
    DecodeBMP(stream, surface.Locked());
  }
  std::filesystem::path folder_;
};

}  // namespace

TEST_F(BMPDecodeTest, TwentyFourBitRowsArePaddedAndStoredBottomUp) {
  const auto bmp = MakeBMP(bmptest::Pic(3, 2, 24, Rgb));
  ASSERT_EQ(bmp.size(), 54u + 2 * 12);  // 9 bytes of pixels padded to 12 per row
  Surface surface(D3DFMT_A8R8G8B8, 3, 2);
  Decode(bmp, surface);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(surface.Pixel(x, y), 0xFF000000u | Rgb(x, y)) << x << y;
  // The second row stored in the file is the picture's top row, and lands in surface row 0.
  EXPECT_EQ(bmp[54 + 12 + 2], (Rgb(0, 0) >> 16) & 255);
  EXPECT_TRUE(surface.PaddingUntouched());
  EXPECT_EQ(Log(), "");
}

TEST_F(BMPDecodeTest, ThirtyTwoBitPixelsKeepTheirFourthByteAsAlpha) {
  auto pixel = [](int x, int y) { return (x == 1 ? 0u : 0x80000000u) | Rgb(x, y); };
  const auto bmp = MakeBMP(bmptest::Pic(4, 3, 32, pixel));
  Surface surface(D3DFMT_A8R8G8B8, 4, 3);
  Decode(bmp, surface);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(surface.Pixel(x, y), pixel(x, y));
  EXPECT_EQ(surface.Pixel(1, 2) >> 24, 0u);  // fully transparent where the fourth byte is 0

  Surface reduced(D3DFMT_A4R4G4B4, 4, 3);
  Decode(bmp, reduced);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(reduced.Pixel(x, y), ColorToPixel(pixel(x, y), D3DFMT_A4R4G4B4));
}

TEST_F(BMPDecodeTest, EightBitPicturesGoThroughThePalette) {
  std::vector<std::uint32_t> palette(256);
  for (int i = 0; i < 256; ++i)
    palette[i] = static_cast<std::uint32_t>(i * 0x010203 + 0x400000) & 0xFFFFFF;
  auto index = [](int x, int y) { return static_cast<std::uint32_t>((x * 7 + y * 31) & 255); };
  const auto bmp = MakeBMP(bmptest::Pic(5, 4, 8, index, palette));
  Surface surface(D3DFMT_A8R8G8B8, 5, 4);
  Decode(bmp, surface);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(surface.Pixel(x, y), 0xFF000000u | palette[index(x, y)]);

  // A P8 surface takes the indices as they are.
  Surface indexed(D3DFMT_P8, 5, 4);
  Decode(bmp, indexed);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(indexed.Pixel(x, y), index(x, y));
  EXPECT_TRUE(indexed.PaddingUntouched());
}

TEST_F(BMPDecodeTest, ShortPaletteAtTheEndOfTheFileStillDecodes) {
  // Two palette entries, a 1 x 1 picture: the 1024 palette bytes run past the file's end.
  const auto bmp = MakeBMP(bmptest::Pic(
      1, 1, 8, [](int, int) { return 1u; }, {0x000000, 0x12AB34}, 2));
  ASSERT_LT(bmp.size(), 54u + 1024u);
  Surface surface(D3DFMT_A8R8G8B8, 1, 1);
  Decode(bmp, surface);
  EXPECT_EQ(surface.Pixel(0, 0), 0xFF12AB34u);
}

TEST_F(BMPDecodeTest, SixteenBitPixelsAreWidenedAndOpaque) {
  auto pixel = [](int x, int y) {
    return static_cast<std::uint32_t>((x * 5 + 1) << 10 | (y * 9 + 2) << 5 | (x + y) |
                                      (x == 0 ? 0x8000 : 0));
  };
  const auto bmp = MakeBMP(bmptest::Pic(3, 3, 16, pixel));
  Surface surface(D3DFMT_A8R8G8B8, 3, 3);
  Decode(bmp, surface);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) {
      const std::uint32_t v = pixel(x, y);
      const std::uint32_t expected = 0xFF000000u | ((v >> 10) & 31) * 255 / 31 << 16 |
                                     ((v >> 5) & 31) * 255 / 31 << 8 | (v & 31) * 255 / 31;
      EXPECT_EQ(surface.Pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(BMPDecodeTest, LargerPicturesAreCutSmallerOnesLeaveTheRestAlone) {
  const auto big = MakeBMP(bmptest::Pic(6, 5, 24, Rgb));
  Surface small(D3DFMT_A8R8G8B8, 4, 3);
  Decode(big, small);
  // The top-left 4 x 3 of the picture: its bottom rows and right-hand columns are lost.
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(small.Pixel(x, y), 0xFF000000u | Rgb(x, y));
  EXPECT_TRUE(small.PaddingUntouched());

  // A 3-pixel-wide picture on a 16-bit surface: its padded row (8 bytes) is wider than its
  // pixels (6 bytes), yet nothing right of the picture changes.
  const auto narrow = MakeBMP(bmptest::Pic(3, 2, 24, Rgb));
  Surface wide(D3DFMT_R5G6B5, 6, 4);
  Decode(narrow, wide);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      if (x < 3 && y < 2)
        EXPECT_EQ(wide.Pixel(x, y), ColorToPixel(0xFF000000u | Rgb(x, y), D3DFMT_R5G6B5));
      else
        EXPECT_TRUE(wide.Untouched(x, y)) << x << "," << y;
    }
  }
}

// What is no picture, or is cut short, is logged as before and then fails the load.
constexpr const char* kFailed = "(Error Code = UNKNOWN ERROR ... $00000001)\r\n";
const std::string kCut = "ビットマップの画素がファイルに収まっていません";

TEST_F(BMPDecodeTest, NotABitmapDecodesNothingAndFails) {
  auto bmp = MakeBMP(bmptest::Pic(2, 2, 24, Rgb));
  bmp[0] = 'P';
  Surface surface(D3DFMT_A8R8G8B8, 2, 2);
  Decode(bmp, surface);
  EXPECT_TRUE(surface.AllUntouched());
  EXPECT_EQ(Log(), "#00001 | 不正なBMPファイルです\r\n#00002 | 不正なBMPファイルです" +
                       std::string(kFailed));

  Surface empty(D3DFMT_A8R8G8B8, 2, 2);
  Decode(std::vector<std::uint8_t>{'B', 'M', 0, 0}, empty);
  EXPECT_TRUE(empty.AllUntouched());
  EXPECT_NE(Log().find("#00003 | ビットマップの読みこみ中に、エラーが発生しました\r\n#00004 | " +
                       kCut + kFailed),
            std::string::npos);
}

TEST_F(BMPDecodeTest, CutInfoHeaderAndCutPixelDataAreReadErrors) {
  auto bmp = MakeBMP(bmptest::Pic(2, 4, 24, Rgb));
  Surface surface(D3DFMT_A8R8G8B8, 2, 4);
  Decode(std::vector<std::uint8_t>(bmp.begin(), bmp.begin() + 30), surface);
  EXPECT_TRUE(surface.AllUntouched());
  EXPECT_EQ(Log(),
            "#00001 | LoadBMP中に、読み込みエラーが発生しました\r\n#00002 | " + kCut + kFailed);

  // Two and a half of four rows: the two bottom rows (stored first) decode, then the read stops.
  bmp.resize(54 + 8 * 2 + 4);
  Decode(bmp, surface);
  for (int x = 0; x < 2; ++x) {
    EXPECT_EQ(surface.Pixel(x, 3), 0xFF000000u | Rgb(x, 3));
    EXPECT_EQ(surface.Pixel(x, 2), 0xFF000000u | Rgb(x, 2));
    EXPECT_TRUE(surface.Untouched(x, 1));
    EXPECT_TRUE(surface.Untouched(x, 0));
  }
  EXPECT_NE(Log().find("#00003 | LoadBMP中に、読み込みエラーが発生しました\r\n#00004 | " + kCut),
            std::string::npos);
}

TEST_F(BMPDecodeTest, UnsupportedPicturesAreReportedThroughCheckResult) {
  for (int bits : {1, 4, 33, 48}) {
    auto bmp = MakeBMP(bmptest::Pic(2, 2, 24, Rgb));
    bmp[28] = static_cast<std::uint8_t>(bits);
    Surface surface(D3DFMT_A8R8G8B8, 2, 2);
    Decode(bmp, surface);
    EXPECT_TRUE(surface.AllUntouched()) << bits;
  }
  EXPECT_NE(
      Log().find(
          "#00004 | 色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください"
          "(Error Code = UNKNOWN ERROR ... $00000001)"),
      std::string::npos);

  // A deep picture cannot go onto a palette surface.
  Surface indexed(D3DFMT_P8, 2, 2);
  Decode(MakeBMP(bmptest::Pic(2, 2, 24, Rgb)), indexed);
  EXPECT_TRUE(indexed.AllUntouched());
  EXPECT_NE(Log().find(
                "8ビットパレット付きテクスチャに対して16ビット以上のBMPをロードする事は出来ません"),
            std::string::npos);
}

TEST_F(BMPDecodeTest, TopDownAndNegativeWidthPicturesAreRejected) {
  auto bmp = MakeBMP(bmptest::Pic(2, 2, 24, Rgb));
  bmptest::Poke32(bmp, 22, static_cast<std::uint32_t>(-2));
  Surface surface(D3DFMT_A8R8G8B8, 2, 2);
  Decode(bmp, surface);
  EXPECT_TRUE(surface.AllUntouched());
  EXPECT_NE(Log().find("高さが負"), std::string::npos);
  EXPECT_NE(Log().find("(Error Code = UNKNOWN ERROR ... $00000001)"), std::string::npos);

  bmptest::Poke32(bmp, 22, 2);
  bmptest::Poke32(bmp, 18, static_cast<std::uint32_t>(-2));
  Decode(bmp, surface);
  EXPECT_TRUE(surface.AllUntouched());
  EXPECT_NE(Log().find("幅が負"), std::string::npos);
}

TEST_F(BMPDecodeTest, DeclaredSizesAndOffsetsBeyondTheDataAreSafe) {
  auto bmp = MakeBMP(bmptest::Pic(2, 2, 32, Rgb));
  Surface surface(D3DFMT_A8R8G8B8, 2, 2);
  // An enormous width: one row would be gigabytes, the stream holds 16 bytes of pixels.
  auto wide = bmp;
  bmptest::Poke32(wide, 18, 0x7FFFFFFF);
  Decode(wide, surface);
  EXPECT_TRUE(surface.AllUntouched());
  // An enormous height: rows beyond the surface would be skipped past the end.
  auto tall = bmp;
  bmptest::Poke32(tall, 22, 0x7FFFFFFF);
  Decode(tall, surface);
  EXPECT_TRUE(surface.AllUntouched());
  // Pixel data said to start far beyond the end.
  auto far = bmp;
  bmptest::Poke32(far, 10, 0xFFFFFFF0u);
  Decode(far, surface);
  EXPECT_TRUE(surface.AllUntouched());
  EXPECT_EQ(Log().size(),
            3 * std::string("#00001 | LoadBMP中に、読み込みエラーが発生しました\r\n#00002 | " +
                            kCut + kFailed)
                    .size());
}

TEST_F(BMPDecodeTest, UnknownSurfaceFormatWritesNothing) {
  const auto bmp = MakeBMP(bmptest::Pic(2, 2, 24, Rgb));
  std::vector<std::uint8_t> memory(16, kUntouched);
  TMemoryStream stream(bmp);
  DecodeBMP(stream, {D3DFMT_DXT1, 2, 2, 8, memory.data()});
  for (std::uint8_t b : memory) EXPECT_EQ(b, kUntouched);
}

// A header of our own, followed by rows padded as it declares, decodes back to the same pixels;
// every width needs a different amount of row padding.
TEST_F(BMPDecodeTest, WrittenHeaderDeclaresItsRowsAndDecodesBack) {
  for (const std::uint16_t bits : {std::uint16_t{24}, std::uint16_t{32}}) {
    for (int width = 1; width <= 5; ++width) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, width " << width);
      const int height = 3;
      const std::size_t rowSize = (static_cast<std::size_t>(width) * bits / 8 + 3) / 4 * 4;
      TMemoryStream stream;
      WriteBMPHeader(stream, static_cast<std::uint32_t>(width), height, bits);
      ASSERT_EQ(stream.ByteSize(), 54u);
      const std::uint8_t* h = stream.Memory();
      const auto le32 = [h](int at) {
        return h[at] | std::uint32_t{h[at + 1]} << 8 | std::uint32_t{h[at + 2]} << 16 |
               std::uint32_t{h[at + 3]} << 24;
      };
      EXPECT_EQ(le32(2), 54u + rowSize * height);  // file size
      EXPECT_EQ(le32(34), rowSize * height);       // image size
      EXPECT_EQ(h[26] | h[27] << 8, 1);            // planes
      for (int y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(rowSize, 0);
        for (int x = 0; x < width; ++x) {
          const std::uint32_t colour = 0xFF000000u | Rgb(x, y);
          for (int i = 0; i < bits / 8; ++i)
            row[static_cast<std::size_t>(x * (bits / 8) + i)] =
                static_cast<std::uint8_t>(colour >> (8 * i));
        }
        stream.WriteBuffer(row.data(), row.size());
      }
      stream.SetPosition(0);
      Surface surface(D3DFMT_A8R8G8B8, width, height);
      DecodeBMP(stream, surface.Locked());
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) EXPECT_EQ(surface.Pixel(x, y), 0xFF000000u | Rgb(x, y));
      EXPECT_TRUE(surface.PaddingUntouched());
    }
  }
}
