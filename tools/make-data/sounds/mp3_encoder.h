// MP3 encoding through LAME.
#pragma once

#include "pictures/image_files.h"
#include "sounds/audio_buffer.h"

// Joint-stereo constant bit rate MPEG-1 Layer III at kSampleRate, without tags, so the same
// samples always give the same bytes. Throws std::runtime_error when LAME refuses.
Bytes EncodeMp3(const Stereo& audio, int kilobitsPerSecond);
