// Opens a file with the general decoder, which runs in a process of its own (nightwisp-decode,
// beside the program or in ../lib/nightwisp when installed): see ffmpeg/decode_main.cpp.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/wmp/media_source.h"

namespace wmp {

// Raises EMediaPlayer with the reason when the decoder cannot be started or the file not decoded.
// While the decoder opens the file, `waiting` (if any) is called every few milliseconds.
std::unique_ptr<TMediaSource> OpenFfmpegSource(const std::string& path, int rate,
                                               const std::function<void()>& waiting = {});

}  // namespace wmp
