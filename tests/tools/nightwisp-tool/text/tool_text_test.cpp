// nightwisp-tool text, end to end: the file it writes is the texture the game's own steps make
// (writer, texture of the text's extent, transparent white ground, DrawText, SaveToStream).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/memory_stream.h"
#include "graphics/device/dg_carad.h"
#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/codepage/codepage.h"
#include "platform/base/owner_window.h"
#include "support/tool_run.h"

namespace {

int RunTool(const std::string& arguments) { return tool_test::RunTool("text " + arguments).Status; }

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The same steps in this process.
std::vector<std::uint8_t> MakeHere(const std::string& utf8, const std::string& face, int height,
                                   gdi::TFontStyles style) {
  TNullWindow window(64, 64);
  TDGCarad carad(&window);
  carad.SetDebugOption({});
  carad.Loaded();
  TSXTextWriter writer(&carad, D3DFMT_A8R8G8B8, 16);
  writer.Font().SetName(codepage::Utf8ToSjis(face));
  writer.Font().SetHeight(height);
  writer.Font().SetStyle(style);
  writer.Font().SetCharset(gdi::SHIFTJIS_CHARSET);
  const std::string text = codepage::Utf8ToSjis(utf8);
  const int extra = (style & gdi::fsItalic) ? writer.TextWidth("a") / 2 : 0;
  TDGTexture texture(&carad, {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 0,
                     D3DPOOL_MANAGED, 0, "");
  texture.SetSize(static_cast<UINT>(writer.TextWidth(text) + extra),
                  static_cast<UINT>(writer.TextHeight(text)));
  texture.FillRect(RECT{0, 0, static_cast<LONG>(texture.TextureWidth()),
                        static_cast<LONG>(texture.TextureHeight())},
                   0x00FFFFFF, false);
  writer.DrawText(0, 0, text, texture);
  TMemoryStream stream;
  texture.SaveToStream(stream);
  std::vector<std::uint8_t> bytes(static_cast<size_t>(stream.Size()));
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

std::int32_t Int32At(const std::vector<std::uint8_t>& b, size_t offset) {
  return static_cast<std::int32_t>(b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 |
                                   static_cast<std::uint32_t>(b[offset + 3]) << 24);
}

class ToolText : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("nightwisp_tool_text_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

}  // namespace

TEST_F(ToolText, WritesTheGamesTextTexture) {
  const auto out = dir_ / "moji.bmp";
  ASSERT_EQ(
      RunTool("'蛍の光 Nightwisp' --face IPAGothic --height -32 --bold -o '" + out.string() + "'"),
      0);
  const std::vector<std::uint8_t> file = ReadFile(out);
  const std::vector<std::uint8_t> here =
      MakeHere("蛍の光 Nightwisp", "IPAGothic", -32, gdi::fsBold);
  ASSERT_GE(file.size(), 54u);
  EXPECT_EQ(file, here);
  // A 32-bit picture whose colour is white wherever there is ink.
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(Int32At(file, 28) & 0xFFFF, 32);
  const std::int32_t width = Int32At(file, 18);
  const std::int32_t height = Int32At(file, 22);
  EXPECT_GT(width, 200);
  EXPECT_GE(height, 32);
  int inked = 0;
  for (size_t p = 54; p + 4 <= file.size(); p += 4) {
    if (file[p + 3] == 0) continue;
    ++inked;
    EXPECT_EQ(file[p] & file[p + 1] & file[p + 2], 0xFF);
  }
  EXPECT_GT(inked, width * height / 20);
}

TEST_F(ToolText, ItalicTextGetsRoomForItsSlant) {
  const auto upright = dir_ / "upright.bmp";
  const auto italic = dir_ / "italic.bmp";
  ASSERT_EQ(RunTool("'ことわざ' --face IPAMincho --height -24 -o '" + upright.string() + "'"), 0);
  ASSERT_EQ(
      RunTool("'ことわざ' --face IPAMincho --height -24 --italic -o '" + italic.string() + "'"), 0);
  const auto a = ReadFile(upright);
  const auto b = ReadFile(italic);
  ASSERT_GE(a.size(), 54u);
  ASSERT_GE(b.size(), 54u);
  EXPECT_GT(Int32At(b, 18), Int32At(a, 18));
  EXPECT_EQ(b, MakeHere("ことわざ", "IPAMincho", -24, gdi::fsItalic));
}

TEST_F(ToolText, RefusesWhatItCannotDo) {
  const auto out = dir_ / "x.bmp";
  EXPECT_EQ(RunTool("'' -o '" + out.string() + "'"), 1);
  EXPECT_EQ(RunTool("abc --height 0 -o '" + out.string() + "'"), 2);
  EXPECT_EQ(RunTool("abc --height huge -o '" + out.string() + "'"), 2);
  EXPECT_EQ(RunTool("abc"), 2);
  EXPECT_EQ(RunTool("abc --wide -o '" + out.string() + "'"), 2);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(RunTool("abc -o '" + (dir_ / "missing" / "x.bmp").string() + "'"), 1);
}
