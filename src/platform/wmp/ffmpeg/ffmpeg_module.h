// The general decoder lives in a module of its own, loaded only when a file needs it: FFmpeg's
// libraries and everything they bring (some 25 MB of memory) stay out of a game whose music is
// MP3 or MIDI. This is the one function the module exports.
#pragma once

#include <cstddef>

#include "platform/wmp/media_source.h"

// The name the player looks the entry point up by.
#define NIGHTWISP_FFMPEG_ENTRY "NightwispOpenFfmpegSource"

extern "C" {
// Opens path for playing at rate. On failure returns nullptr with the reason (UTF-8, cut to
// reasonSize bytes with a terminating zero) in reason. The caller owns and deletes the source.
using TOpenFfmpegSource = wmp::TMediaSource* (*)(const char* path, int rate, char* reason,
                                                 std::size_t reasonSize);
}
