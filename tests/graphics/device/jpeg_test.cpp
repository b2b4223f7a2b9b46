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
                                 const std::vector<std::uint8_t>& pixels) {
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
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
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
