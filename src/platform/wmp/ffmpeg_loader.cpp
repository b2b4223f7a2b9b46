#include "platform/wmp/ffmpeg_loader.h"

#include <dlfcn.h>

#include <array>
#include <filesystem>

#include "platform/base/files.h"
#include "platform/wmp/ffmpeg/ffmpeg_module.h"

namespace wmp {
namespace {

constexpr const char* kModuleName = "nightwisp_ffmpeg.so";

// The module stays loaded for the rest of the process once it is in: FFmpeg's libraries are
// not made to be unloaded.
struct TModule {
  TOpenFfmpegSource Open = nullptr;
  std::string Error;

  TModule() {
    const std::filesystem::path folder = files::ExecutableFolder();
    for (const std::filesystem::path& path :
         {folder / kModuleName, files::InstalledModuleFolder() / kModuleName}) {
      std::error_code missing;
      if (!std::filesystem::is_regular_file(path, missing)) continue;
      void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle == nullptr) {
        Error = dlerror();
        return;
      }
      Open = reinterpret_cast<TOpenFfmpegSource>(dlsym(handle, NIGHTWISP_FFMPEG_ENTRY));
      if (Open == nullptr) Error = path.string() + " に " NIGHTWISP_FFMPEG_ENTRY " がありません";
      return;
    }
    Error = std::string(kModuleName) + " が " + folder.string() + " にありません";
  }
};

}  // namespace

std::unique_ptr<TMediaSource> OpenFfmpegSource(const std::string& path, int rate) {
  static const TModule module;
  if (module.Open == nullptr) {
    throw EMediaPlayer("FFmpeg の復号モジュールを読み込めません (" + module.Error + ")");
  }
  std::array<char, 512> reason{};
  TMediaSource* source = module.Open(path.c_str(), rate, reason.data(), reason.size());
  if (source == nullptr) throw EMediaPlayer(reason.data());
  return std::unique_ptr<TMediaSource>(source);
}

}  // namespace wmp
