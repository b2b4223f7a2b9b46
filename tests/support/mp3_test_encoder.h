// Encodes PCM to an MP3 file with LAME, for the music tests.
#pragma once

#include <lame/lame.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "support/wave_builder.h"

namespace testwave {

// A mono MP3 of a sine tone; true on success.
inline bool WriteMp3(const std::filesystem::path& path, double seconds, int rate = 44100,
                     double hz = 440.0) {
  lame_global_flags* lame = lame_init();
  if (lame == nullptr) {
    return false;
  }
  lame_set_num_channels(lame, 1);
  lame_set_in_samplerate(lame, rate);
  lame_set_out_samplerate(lame, rate);
  lame_set_mode(lame, MONO);
  lame_set_brate(lame, 64);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return false;
  }
  const Bytes pcmBytes = Sine16(1, rate, seconds, hz);
  std::vector<short> pcm(pcmBytes.size() / 2);
  for (std::size_t i = 0; i < pcm.size(); ++i) {
    pcm[i] = static_cast<short>(pcmBytes[2 * i] | pcmBytes[2 * i + 1] << 8);
  }
  std::vector<unsigned char> out(pcm.size() * 5 / 4 + 7200 + 7200);
  const int body = lame_encode_buffer(lame, pcm.data(), pcm.data(), static_cast<int>(pcm.size()),
                                      out.data(), static_cast<int>(out.size()));
  if (body < 0) {
    lame_close(lame);
    return false;
  }
  const int tail = lame_encode_flush(lame, out.data() + body, static_cast<int>(out.size()) - body);
  lame_close(lame);
  if (tail < 0) {
    return false;
  }
  out.resize(static_cast<std::size_t>(body + tail));
  WriteFile(path, Bytes(out.begin(), out.end()));
  return true;
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

}  // namespace testwave
