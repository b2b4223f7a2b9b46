// nightwisp-tool text TEXT [--face NAME] [--height PX] [--bold] [--italic] -o OUT.bmp
// Writes TEXT the way the game makes its text textures: converted to Shift-JIS, written by a
// text writer (A8R8G8B8 glyphs) into a texture of the text's width and height (plus half an
// "a" for the slant of an italic font) on transparent white, and saved as a 32-bit BMP. The
// face defaults to the icon-title face, the height to -32 (GDI's convention: negative is the
// character height, positive the cell height).
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "archive/file_stream.h"
#include "commands.h"
#include "graphics/device/dg_carad.h"
#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/codepage/codepage.h"
#include "platform/base/owner_window.h"
#include "platform/gdi/gdi.h"

namespace tool {
namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: nightwisp-tool text TEXT [--face NAME] [--height PX] [--bold] [--italic] "
               "-o OUT.bmp\n");
  return 2;
}

std::optional<int> ParseHeight(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value == 0 || value < -1000 || value > 1000) return std::nullopt;
  return static_cast<int>(value);
}

std::string IconTitleFace() {
  gdi::LOGFONTA log;
  if (gdi::SystemParametersInfoA(gdi::SPI_GETICONTITLELOGFONT, sizeof(log), &log, 0) == 0) {
    return {};
  }
  return gdi::FaceName(log);
}

}  // namespace

int RunText(const std::vector<std::string>& args) {
  std::optional<std::string> text;
  std::optional<std::string> face;
  std::optional<std::string> output;
  int height = -32;
  gdi::TFontStyles style = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--face" && hasValue && !face) {
      face = args[++i];
    } else if (arg == "--height" && hasValue) {
      const auto parsed = ParseHeight(args[++i]);
      if (!parsed) {
        std::fprintf(stderr,
                     "nightwisp-tool text: --height wants a non-zero whole number of "
                     "pixels between -1000 and 1000\n");
        return 2;
      }
      height = *parsed;
    } else if (arg == "--bold") {
      style |= gdi::fsBold;
    } else if (arg == "--italic") {
      style |= gdi::fsItalic;
    } else if (arg == "-o" && hasValue && !output) {
      output = args[++i];
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return Usage();
    } else if (!text) {
      text = arg;
    } else {
      return Usage();
    }
  }
  if (!text || !output) return Usage();
  const std::string sjis = codepage::Utf8ToSjis(*text);
  if (sjis.empty()) {
    std::fprintf(stderr, "nightwisp-tool text: the text is empty; there is nothing to write\n");
    return 1;
  }

  TNullWindow window(640, 480);
  TDGCarad carad(&window);
  carad.SetDebugOption({dgoHaltOnError});
  carad.Loaded();

  TSXTextWriter writer(&carad, D3DFMT_A8R8G8B8, 16);
  gdi::TFont& font = writer.Font();
  font.SetName(face ? codepage::Utf8ToSjis(*face) : IconTitleFace());
  font.SetHeight(height);
  font.SetStyle(style);
  font.SetCharset(gdi::SHIFTJIS_CHARSET);

  const int extra = (style & gdi::fsItalic) ? writer.TextWidth("a") / 2 : 0;
  const int width = writer.TextWidth(sjis) + extra;
  const int textHeight = writer.TextHeight(sjis);
  if (width <= 0 || textHeight <= 0) {
    std::fprintf(stderr, "nightwisp-tool text: the font cannot be used at height %d\n", height);
    return 1;
  }

  TDGTexture texture(&carad, {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 0,
                     D3DPOOL_MANAGED, 0, "");
  texture.SetSize(static_cast<UINT>(width), static_cast<UINT>(textHeight));
  texture.FillRect(RECT{0, 0, static_cast<LONG>(texture.TextureWidth()),
                        static_cast<LONG>(texture.TextureHeight())},
                   0x00FFFFFF, false);
  writer.DrawText(0, 0, sjis, texture);

  TFileStream stream(*output, TFileStream::TFileMode::fmCreate);
  texture.SaveToStream(stream);
  stream.Close();

  char realised[gdi::LF_FACESIZE * 2] = {};
  gdi::GetTextFaceA(writer.DeviceContext(), sizeof(realised), realised);
  std::printf("%s: %d x %d, face %s\n", output->c_str(), width, textHeight,
              codepage::SjisToUtf8(realised).c_str());
  return 0;
}

}  // namespace tool
