// nightwisp-tool picture FILE [--archive QDA] [--format 21|25|26] [--colorkey black|white]
//                     -o OUT.bmp
// Loads a picture into a texture exactly as the game does (a BMP file, or with --archive the
// entry FILE of a QDA archive), with the game's candidate formats and the chosen one first,
// applies the colour key over the whole picture when asked, and writes the texture as a 32-bit
// BMP. A picture that cannot be read ends with the texture loader's message and status 1.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "archive/file_stream.h"
#include "commands.h"
#include "graphics/device/dg_carad.h"
#include "graphics/device/dg_texture.h"
#include "platform/base/owner_window.h"

namespace tool {
namespace {

int Usage(const char* message) {
  std::fprintf(stderr,
               "picture: %s\nusage: nightwisp-tool picture FILE [--archive QDA] "
               "[--format 21|25|26] [--colorkey black|white] -o OUT.bmp\n",
               message);
  return 2;
}

std::optional<D3DFORMAT> ParseFormat(const std::string& text) {
  if (text == "21") return D3DFMT_A8R8G8B8;
  if (text == "25") return D3DFMT_A1R5G5B5;
  if (text == "26") return D3DFMT_A4R4G4B4;
  return std::nullopt;
}

}  // namespace

int RunPicture(const std::vector<std::string>& args) {
  std::optional<std::string> file, archive, output;
  std::optional<D3DFORMAT> format;
  std::optional<std::uint32_t> colorKey;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--archive" && hasValue && !archive) {
      archive = args[++i];
    } else if (arg == "--format" && hasValue && !format) {
      format = ParseFormat(args[++i]);
      if (!format) return Usage("--format takes 21 (A8R8G8B8), 25 (A1R5G5B5) or 26 (A4R4G4B4)");
    } else if (arg == "--colorkey" && hasValue && !colorKey) {
      const std::string& key = args[++i];
      if (key == "black") {
        colorKey = 0x00000000u;
      } else if (key == "white") {
        colorKey = 0xFFFFFFFFu;
      } else {
        return Usage("--colorkey takes black or white");
      }
    } else if (arg == "-o" && hasValue && !output) {
      output = args[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage(("unknown or repeated option " + arg).c_str());
    } else if (!file) {
      file = arg;
    } else {
      return Usage("one FILE only");
    }
  }
  if (!file || file->empty()) return Usage("FILE is missing");
  if (!output) return Usage("-o OUT.bmp is missing");
  if (archive && archive->empty()) return Usage("--archive needs a file name");

  // The game's candidates, the chosen format moved to the front.
  std::vector<D3DFORMAT> formats = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};
  if (format) {
    formats.erase(std::remove(formats.begin(), formats.end(), *format), formats.end());
    formats.insert(formats.begin(), *format);
  }

  // A small device on a window that exists only in memory; failures end the process with
  // their message, as in the game.
  TNullWindow window(16, 16);
  TDGCarad carad(&window);
  carad.SetDebugOption({dgoHaltOnError});
  carad.Loaded();
  TDGTexture texture(&carad, formats, 0, D3DPOOL_MANAGED, 0, "");
  texture.LoadFromFile(*file, archive.value_or(""));
  if (texture.Texture() == nullptr) {
    std::fprintf(stderr, "picture: %s: nothing could be loaded\n", file->c_str());
    return 1;
  }
  if (colorKey) {
    texture.SetColorKey(
        RECT{0, 0, static_cast<LONG>(texture.Width()), static_cast<LONG>(texture.Height())},
        *colorKey);
  }
  TFileStream out(*output, TFileStream::TFileMode::fmCreate);
  texture.SaveToStream(out);
  out.Close();
  return 0;
}

}  // namespace tool
