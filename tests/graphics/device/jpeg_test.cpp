#include "graphics/device/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "archive/memory_stream.h"
#include "support/bounded_child.h"

namespace {

// Encodes a picture with libjpeg: quality 100 and no chroma subsampling, so that the decoded
// picture is within a few levels of the original.
std::vector<std::uint8_t> Encode(int width, int height, int components,
                                 const std::vector<std::uint8_t>& pixels, bool arithmetic = false) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  info.arith_code = arithmetic ? TRUE : FALSE;
  for (int c = 0; c < info.num_components; ++c) {
    info.comp_info[c].h_samp_factor = 1;
    info.comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(
        pixels.data() + static_cast<std::size_t>(info.next_scanline) * width * components);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

std::vector<std::uint8_t> Gradient(int width, int height) {
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      rgb.push_back(static_cast<std::uint8_t>(40 + x * 8));
      rgb.push_back(static_cast<std::uint8_t>(200 - y * 10));
      rgb.push_back(static_cast<std::uint8_t>(90 + (x + y) * 3));
    }
  }
  return rgb;
}

}  // namespace

TEST(JPEGDecoder, DecodesFullSizeRgbIntoBlueGreenRedRows) {
  const int width = 20, height = 12;
  const auto rgb = Gradient(width, height);
  const auto bitmap = DecodeJPEG(Encode(width, height, 3, rgb));
  ASSERT_EQ(bitmap->Width(), width);
  ASSERT_EQ(bitmap->Height(), height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* expected = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      const std::uint32_t got = bitmap->Pixel(x, y);
      EXPECT_NEAR(static_cast<int>(got >> 16), expected[0], 4) << x << "," << y;
      EXPECT_NEAR(static_cast<int>((got >> 8) & 255), expected[1], 4) << x << "," << y;
      EXPECT_NEAR(static_cast<int>(got & 255), expected[2], 4) << x << "," << y;
      EXPECT_EQ(bitmap->ScanLine(y)[x * 3 + 2], got >> 16);  // stored blue, green, red
    }
  }
}

TEST(JPEGDecoder, GreyPicturesComeOutGrey) {
  std::vector<std::uint8_t> grey;
  for (int i = 0; i < 16 * 8; ++i) grey.push_back(static_cast<std::uint8_t>(i * 2));
  const auto bitmap = DecodeJPEG(Encode(16, 8, 1, grey));
  ASSERT_EQ(bitmap->Width(), 16);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::uint32_t p = bitmap->Pixel(x, y);
      EXPECT_EQ(p >> 16, p & 255);
      EXPECT_EQ((p >> 8) & 255, p & 255);
      EXPECT_NEAR(static_cast<int>(p & 255), grey[y * 16 + x], 3);
    }
  }
}

// The message of the EJPEGError that loading `bytes` as a file raises; empty when none.
std::string LoadFailure(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                        std::int32_t maxSide = kJPEGMaxSide) {
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  try {
    LoadJPEGFile(path, maxSide, maxSide);
    return {};
  } catch (const EJPEGError& e) {
    return e.what();
  }
}

// The encoded picture with the frame header's size changed to width x height.
std::vector<std::uint8_t> ClaimSize(std::vector<std::uint8_t> jpeg, int width, int height) {
  for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2 || jpeg[i + 1] == 0xC9)) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width);
      break;
    }
  }
  return jpeg;
}

TEST(JPEGDecoder, BadDataRaises) {
  EXPECT_THROW(DecodeJPEG(std::vector<std::uint8_t>{}), EJPEGError);
  EXPECT_THROW(DecodeJPEG(std::vector<std::uint8_t>{'B', 'M', 0, 0, 0}), EJPEGError);
  auto jpeg = Encode(32, 32, 3, Gradient(32, 32));
  std::vector<std::uint8_t> head(jpeg.begin(), jpeg.begin() + 20);  // not even a whole header
  EXPECT_THROW(DecodeJPEG(head), EJPEGError);
  EXPECT_THROW(LoadJPEGFile("/nonexistent/Haikei.jpg"), EJPEGError);
}

// A picture cut short, one larger than a texture holds, and one whose header claims a size its
// few bytes cannot code: each refused naming the file, the last two before their size is
// allocated (checked in a child under an address-space limit).
TEST(JPEGDecoder, CutOversizedAndOverclaimingPicturesAreRefusedNamingTheFile) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("nightwisp-jpeg-" + std::to_string(getpid()) + "-Haikei.jpg");
  const auto jpeg = Encode(64, 64, 3, Gradient(64, 64));
  auto cut = jpeg;
  cut.resize(cut.size() / 3);
  const std::string cutFailure = LoadFailure(path, cut);
  EXPECT_NE(cutFailure.find(path.string()), std::string::npos) << cutFailure;
  EXPECT_NE(cutFailure.find("途中で切れています"), std::string::npos) << cutFailure;

  struct Case {
    int side;
    std::int32_t maxSide;
    const char* reason;
  };
  for (const Case& c : {Case{8192, 8192, "足りません"}, Case{16384, 16384, "足りません"},
                        Case{640, 512, "大きすぎます"}}) {
    const auto claiming = ClaimSize(jpeg, c.side, c.side);
    const testbound::Result result = testbound::RunBounded(
        512u << 20, [] {},
        [&] {
          const std::string failure = LoadFailure(path, claiming, c.maxSide);
          return failure.find(path.string()) != std::string::npos &&
                         failure.find(c.reason) != std::string::npos
                     ? 0
                     : 1;
        });
    EXPECT_EQ(result.ExitCode, 0) << c.side;
    EXPECT_LT(result.PeakGrowthKb, 16 * 1024) << c.side;
  }
  std::filesystem::remove(path);
}

// The picture with its coded data after the scan header replaced by `junkBytes` random bytes
// (no 0xFF, so no marker), ending with a proper end marker.
std::vector<std::uint8_t> WithJunkData(const std::vector<std::uint8_t>& jpeg,
                                       std::size_t junkBytes) {
  std::size_t scan = 0;
  while (scan + 3 < jpeg.size() && !(jpeg[scan] == 0xFF && jpeg[scan + 1] == 0xDA)) ++scan;
  const std::size_t data = scan + 2 + (std::size_t{jpeg[scan + 2]} << 8 | jpeg[scan + 3]);
  std::vector<std::uint8_t> junk(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(data));
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < junkBytes; ++i) {
    state = state * 1103515245u + 12345u;
    junk.push_back(static_cast<std::uint8_t>((state >> 16) % 0xFF));
  }
  junk.push_back(0xFF);
  junk.push_back(0xD9);
  return junk;
}

// Lying pictures: an arithmetic-coded one of a few hundred bytes claiming 8192 x 8192 (no
// least-bytes rule holds for arithmetic coding) is refused before its size is allocated; a
// Huffman-coded one of junk data with a proper end is refused as damaged, naming the file,
// instead of coming out grey. Each in a child under an address-space limit.
TEST(JPEGDecoder, LyingPicturesAreRefusedWithinBoundedMemory) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("nightwisp-jpeg-lying-" + std::to_string(getpid()) + "-Haikei.jpg");
  const auto arithmetic = Encode(16, 16, 3, Gradient(16, 16), true);
  const auto huffman = Encode(64, 64, 3, Gradient(64, 64));
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* reason;
    long peakKb;
  };
  const Case cases[] = {
      {"arithmetic 8192", ClaimSize(arithmetic, 8192, 8192), "大きすぎます", 16 * 1024},
      {"huffman junk 2048", WithJunkData(ClaimSize(huffman, 2048, 2048), 430'000), "壊れています",
       64 * 1024},
      {"huffman junk 64", WithJunkData(huffman, 2000), "壊れています", 16 * 1024},
  };
  ASSERT_LT(arithmetic.size(), 1000u);
  for (const Case& c : cases) {
    const testbound::Result result = testbound::RunBounded(
        512u << 20, [] {},
        [&] {
          const std::string failure = LoadFailure(path, c.bytes, 8192);
          return failure.find(path.string()) != std::string::npos &&
                         failure.find(c.reason) != std::string::npos
                     ? 0
                     : 1;
        });
    EXPECT_EQ(result.ExitCode, 0) << c.name;
    EXPECT_LT(result.PeakGrowthKb, c.peakKb) << c.name;
  }
  // The arithmetic-coded picture itself decodes.
  EXPECT_EQ(DecodeJPEG(arithmetic)->Width(), 16);
  std::filesystem::remove(path);
}

TEST(JPEGDecoder, FileAndBitmapBmpForm) {
  const auto path = std::filesystem::temp_directory_path() / "nightwisp-jpeg-test.jpg";
  {
    const auto bytes = Encode(5, 3, 3, Gradient(5, 3));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  const auto bitmap = LoadJPEGFile(path);
  std::filesystem::remove(path);
  ASSERT_EQ(bitmap->Width(), 5);
  // Its BMP form: 24 bits, bottom-up, rows padded from 15 to 16 bytes.
  TMemoryStream bmp;
  bitmap->SaveToStream(bmp);
  ASSERT_EQ(bmp.ByteSize(), 54u + 3 * 16);
  const std::uint8_t* b = bmp.Memory();
  EXPECT_EQ(b[28], 24);
  EXPECT_EQ(b[22], 3);
  const std::uint8_t* bottomLeft = b + 54;
  EXPECT_EQ(bottomLeft[0], bitmap->ScanLine(2)[0]);
  EXPECT_EQ(bottomLeft[2], bitmap->ScanLine(2)[2]);
  const std::uint8_t* topRight = b + 54 + 2 * 16 + 4 * 3;
  EXPECT_EQ(topRight[1], bitmap->ScanLine(0)[4 * 3 + 1]);
}
