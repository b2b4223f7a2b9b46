// nightwisp-tool picture: the texture loader, colour key and BMP writer from the shell.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/qda_writer.h"
#include "support/bmp_builder.h"

namespace {

struct Result {
  int status = -1;
  std::string errors;
};

class PictureToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("tool-picture-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  Result Run(const std::string& arguments) {
    const auto errors = folder_ / "stderr.txt";
    const std::string command = std::string("'") + NIGHTWISP_TOOL_PATH + "' picture " + arguments +
                                " 2>'" + errors.string() + "' >/dev/null";
    const int raw = std::system(command.c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.errors = Read(errors);
    return result;
  }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const auto path = folder_ / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return "'" + path.string() + "'";
  }
  // The 32-bit pixels of a written BMP, top row first.
  std::vector<std::uint32_t> Pixels(const std::string& name, int& width, int& height) {
    const std::string bmp = Read(folder_ / name);
    auto u32 = [&bmp](std::size_t at) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(bmp.at(at))) |
             static_cast<std::uint32_t>(static_cast<unsigned char>(bmp.at(at + 1))) << 8 |
             static_cast<std::uint32_t>(static_cast<unsigned char>(bmp.at(at + 2))) << 16 |
             static_cast<std::uint32_t>(static_cast<unsigned char>(bmp.at(at + 3))) << 24;
    };
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(u32(28) & 0xFFFF, 32u);
    width = static_cast<int>(u32(18));
    height = static_cast<int>(u32(22));
    EXPECT_EQ(bmp.size(), 54u + static_cast<std::size_t>(width) * height * 4);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        pixels[static_cast<std::size_t>(y) * width + x] =
            u32(54 + (static_cast<std::size_t>(height - 1 - y) * width + x) * 4);
    return pixels;
  }
  std::string Out(const std::string& name) const { return "'" + (folder_ / name).string() + "'"; }

  std::filesystem::path folder_;
};

std::uint32_t Picture(int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0x123456u + x * 0x10; }

}  // namespace

TEST_F(PictureToolTest, FileWithWhiteKey) {
  const std::string in = Write("in.bmp", bmptest::MakeBMP(bmptest::Pic(3, 2, 24, Picture)));
  const Result result = Run(in + " --colorkey white -o " + Out("out.bmp"));
  ASSERT_EQ(result.status, 0) << result.errors;
  int width = 0, height = 0;
  const auto pixels = Pixels("out.bmp", width, height);
  ASSERT_EQ(width, 3);
  ASSERT_EQ(height, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      const std::uint32_t rgb = Picture(x, y);
      EXPECT_EQ(pixels[y * 3 + x], (rgb == 0xFFFFFF ? 0u : 0xFF000000u) | rgb) << x << "," << y;
    }
  }
}

TEST_F(PictureToolTest, ArchiveEntryInA4R4G4B4WithoutKey) {
  WriteQDAArchive(folder_ / "w.qda",
                  std::vector<QDASourceEntry>{
                      {"Hotaru.bmp", bmptest::MakeBMP(bmptest::Pic(
                                         2, 2, 24, [](int, int) { return 0x123456u; }))}},
                  true);
  const Result result =
      Run("Hotaru.bmp --archive " + Out("w.qda") + " --format 26 -o " + Out("o.bmp"));
  ASSERT_EQ(result.status, 0) << result.errors;
  int width = 0, height = 0;
  for (std::uint32_t p : Pixels("o.bmp", width, height)) EXPECT_EQ(p, 0xFF113355u);
}

TEST_F(PictureToolTest, UnreadablePictureGivesTheLoaderMessage) {
  Result result = Run(Out("missing.bmp") + " -o " + Out("o.bmp"));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.errors.find("missing.bmpからの、読み込みエラー"), std::string::npos)
      << result.errors;

  WriteQDAArchive(folder_ / "w.qda", std::vector<QDASourceEntry>{{"a.bmp", {1}}}, false);
  result = Run("Title.bmp --archive " + Out("w.qda") + " -o " + Out("o.bmp"));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.errors.find("Title.bmp ＠ "), std::string::npos) << result.errors;
  EXPECT_FALSE(std::filesystem::exists(folder_ / "o.bmp"));
}

TEST_F(PictureToolTest, UsageErrors) {
  EXPECT_EQ(Run("").status, 2);
  EXPECT_EQ(Run(Out("a.bmp")).status, 2);  // no -o
  EXPECT_EQ(Run(Out("a.bmp") + " --format 22 -o " + Out("o.bmp")).status, 2);
  EXPECT_EQ(Run(Out("a.bmp") + " --colorkey red -o " + Out("o.bmp")).status, 2);
}
