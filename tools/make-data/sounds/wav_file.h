// RIFF/WAVE files: 16-bit PCM, as the game's sound library loads them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "pictures/image_files.h"
#include "sounds/audio_buffer.h"

// "RIFF" size "WAVE", a 16-byte "fmt " chunk (PCM, 2 channels, 44100 Hz, 16 bits) and a "data"
// chunk. Samples are rounded to the nearest step (with a little deterministic dither) and
// clamped, so nothing wraps around.
Bytes EncodeWav16(const Stereo& audio);

// What a reader finds in a WAVE file's "fmt " and "data" chunks.
struct WavInfo {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t byteRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  Stereo samples;  // decoded 16-bit samples (mono files fill both channels)
};

// Parses a RIFF/WAVE file by walking its chunks; nullopt (with `error` set) when malformed.
std::optional<WavInfo> ParseWav(const Bytes& file, std::string* error = nullptr);
