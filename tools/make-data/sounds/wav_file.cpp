#include "sounds/wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "rng.h"

namespace {

int16_t ToPcm16(float sample, Rng& rng) {
  // Triangular dither of one step keeps quiet decays from turning into grainy distortion.
  const double dither = (rng.Uniform() - rng.Uniform());
  const double scaled = std::round(static_cast<double>(sample) * 32767.0 + dither);
  return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

uint32_t Le32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
         (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

uint16_t Le16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

}  // namespace

Bytes EncodeWav16(const Stereo& audio) {
  const uint32_t dataSize = static_cast<uint32_t>(audio.Frames() * 4);
  Bytes out;
  out.reserve(44 + dataSize);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutLe32(out, 36 + dataSize);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe32(out, 16);
  PutLe16(out, 1);  // PCM
  PutLe16(out, 2);
  PutLe32(out, kSampleRate);
  PutLe32(out, kSampleRate * 4);
  PutLe16(out, 4);
  PutLe16(out, 16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLe32(out, dataSize);
  Rng rng(0x57A7E);
  for (size_t i = 0; i < audio.Frames(); ++i) {
    PutLe16(out, static_cast<uint16_t>(ToPcm16(audio.left[i], rng)));
    PutLe16(out, static_cast<uint16_t>(ToPcm16(audio.right[i], rng)));
  }
  return out;
}

std::optional<WavInfo> ParseWav(const Bytes& file, std::string* error) {
  auto fail = [&](const char* message) -> std::optional<WavInfo> {
    if (error) *error = message;
    return std::nullopt;
  };
  if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
      std::memcmp(file.data() + 8, "WAVE", 4) != 0) {
    return fail("not a RIFF/WAVE file");
  }
  const size_t riffEnd = std::min(file.size(), static_cast<size_t>(Le32(file, 4)) + 8);
  WavInfo info;
  bool haveFormat = false, haveData = false;
  size_t at = 12;
  while (at + 8 <= riffEnd) {
    const uint32_t size = Le32(file, at + 4);
    const size_t body = at + 8;
    if (body + size > riffEnd) return fail("a chunk runs past the end of the file");
    if (std::memcmp(file.data() + at, "fmt ", 4) == 0) {
      if (size < 16) return fail("fmt chunk too short");
      info.formatTag = Le16(file, body);
      info.channels = Le16(file, body + 2);
      info.sampleRate = Le32(file, body + 4);
      info.byteRate = Le32(file, body + 8);
      info.blockAlign = Le16(file, body + 12);
      info.bitsPerSample = Le16(file, body + 14);
      haveFormat = true;
    } else if (std::memcmp(file.data() + at, "data", 4) == 0) {
      if (!haveFormat) return fail("data chunk before fmt chunk");
      if (info.formatTag != 1 || info.bitsPerSample != 16 || info.channels == 0 ||
          info.channels > 2) {
        return fail("only 16-bit PCM mono or stereo is decoded");
      }
      const size_t frames = size / (2u * info.channels);
      info.samples.Resize(frames);
      for (size_t i = 0; i < frames; ++i) {
        const size_t p = body + i * 2u * info.channels;
        const float l = static_cast<int16_t>(Le16(file, p)) / 32768.0f;
        const float r = info.channels == 2 ? static_cast<int16_t>(Le16(file, p + 2)) / 32768.0f : l;
        info.samples.left[i] = l;
        info.samples.right[i] = r;
      }
      haveData = true;
    }
    at = body + size + (size & 1u);  // chunks are padded to even sizes
  }
  if (!haveFormat) return fail("no fmt chunk");
  if (!haveData) return fail("no data chunk");
  return info;
}
