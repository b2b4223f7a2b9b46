// Opens a file with the general decoder, loading its module (nightwisp_ffmpeg.so, beside the
// program or in the installed module folder) the first time a file needs it.
#pragma once

#include <memory>
#include <string>

#include "platform/wmp/media_source.h"

namespace wmp {

// Raises EMediaPlayer with the reason when the module cannot be loaded or the file not decoded.
std::unique_ptr<TMediaSource> OpenFfmpegSource(const std::string& path, int rate);

}  // namespace wmp
