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

}  // namespace testwave
