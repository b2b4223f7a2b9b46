// The module's entry point: no exception leaves the module, the reason travels as text.
#include "platform/wmp/ffmpeg/ffmpeg_module.h"

#include <cstring>
#include <exception>

#include "platform/wmp/ffmpeg/ffmpeg_source.h"

extern "C" __attribute__((visibility("default"))) wmp::TMediaSource* NightwispOpenFfmpegSource(
    const char* path, int rate, char* reason, std::size_t reasonSize) {
  auto fail = [&](const char* text) -> wmp::TMediaSource* {
    if (reasonSize > 0) {
      std::strncpy(reason, text, reasonSize - 1);
      reason[reasonSize - 1] = '\0';
    }
    return nullptr;
  };
  try {
    return new wmp::TFfmpegSource(path, rate);
  } catch (const std::exception& error) {
    return fail(error.what());
  } catch (...) {
    return fail("不明なエラー");
  }
}
