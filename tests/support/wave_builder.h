// Builds RIFF/WAVE files byte by byte, so tests can make well-formed and broken waves alike.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace testwave {

using Bytes = std::vector<std::uint8_t>;

inline void PutU16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void PutU32(Bytes& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

inline void PutId(Bytes& out, const char* id) { out.insert(out.end(), id, id + 4); }

// A chunk: id, size (the real length unless sizeOverride is given), data, pad byte when odd.
inline Bytes Chunk(const char* id, const Bytes& data, std::int64_t sizeOverride = -1) {
  Bytes out;
  PutId(out, id);
  PutU32(out, sizeOverride >= 0 ? static_cast<std::uint32_t>(sizeOverride)
                                : static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2 == 1) {
    out.push_back(0);
  }
  return out;
}

// The 16-byte PCM format record (append two bytes of cbSize for the 18-byte form).
inline Bytes PcmFormat(int channels, int rate, int bits, int formatTag = 1) {
  Bytes out;
  const int block = channels * bits / 8;
  PutU16(out, static_cast<std::uint32_t>(formatTag));
  PutU16(out, static_cast<std::uint32_t>(channels));
  PutU32(out, static_cast<std::uint32_t>(rate));
  PutU32(out, static_cast<std::uint32_t>(rate * block));
  PutU16(out, static_cast<std::uint32_t>(block));
  PutU16(out, static_cast<std::uint32_t>(bits));
  return out;
}

// A 40-byte extensible format whose sub-format GUID starts with subFormat (1 = PCM).
inline Bytes ExtensibleFormat(int channels, int rate, int bits, std::uint16_t subFormat) {
  Bytes out = PcmFormat(channels, rate, bits, 0xFFFE);
  PutU16(out, 22);                                // cbSize
  PutU16(out, static_cast<std::uint32_t>(bits));  // valid bits
  PutU32(out, channels == 2 ? 3u : 4u);           // channel mask
  PutU16(out, subFormat);
  const std::uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  out.insert(out.end(), tail, tail + 14);
  return out;
}

// RIFF form around the given chunks (size = real length unless overridden).
inline Bytes Riff(const char* form, const Bytes& body, std::int64_t sizeOverride = -1) {
  Bytes inner;
  PutId(inner, form);
  inner.insert(inner.end(), body.begin(), body.end());
  return Chunk("RIFF", inner, sizeOverride);
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& part : parts) {
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

// 16-bit samples of a sine tone (all channels the same), little-endian.
inline Bytes Sine16(int channels, int rate, double seconds, double hz, double amplitude = 0.5) {
  Bytes out;
  const int frames = static_cast<int>(rate * seconds);
  for (int i = 0; i < frames; ++i) {
    const double v = std::sin(2.0 * 3.14159265358979 * hz * i / rate) * amplitude;
    const auto s = static_cast<std::int16_t>(std::lround(v * 32767.0));
    for (int c = 0; c < channels; ++c) {
      PutU16(out, static_cast<std::uint16_t>(s));
    }
  }
  return out;
}

// A complete, well-formed 16-bit PCM wave file.
inline Bytes Wave16(int channels, int rate, const Bytes& samples) {
  return Riff("WAVE",
              Concat({Chunk("fmt ", PcmFormat(channels, rate, 16)), Chunk("data", samples)}));
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// A format-0 MIDI file with one note lasting `beats` beats at 120 beats per minute.
inline Bytes Midi(int beats) {
  Bytes track = {0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x64};
  // Delta time as a variable-length quantity.
  const std::uint32_t ticks = static_cast<std::uint32_t>(96 * beats);
  if (ticks >= 0x80) {
    track.push_back(static_cast<std::uint8_t>(0x80 | (ticks >> 7)));
  }
  track.push_back(static_cast<std::uint8_t>(ticks & 0x7F));
  const std::uint8_t end[] = {0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
  track.insert(track.end(), end, end + sizeof end);
  Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
  out.push_back(0);
  out.push_back(0);
  out.push_back(static_cast<std::uint8_t>(track.size() >> 8));
  out.push_back(static_cast<std::uint8_t>(track.size()));
  out.insert(out.end(), track.begin(), track.end());
  return out;
}

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("nightwisp-audio-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace testwave
