#include "sounds/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

}  // namespace

Bytes EncodeMp3(const Stereo& audio, int kilobitsPerSecond) {
  std::unique_ptr<lame_global_flags, LameCloser> flags(lame_init());
  if (!flags) throw std::runtime_error("LAME could not be initialised");
  lame_set_num_channels(flags.get(), 2);
  lame_set_in_samplerate(flags.get(), kSampleRate);
  lame_set_out_samplerate(flags.get(), kSampleRate);
  lame_set_brate(flags.get(), kilobitsPerSecond);
  lame_set_mode(flags.get(), JOINT_STEREO);
  lame_set_quality(flags.get(), 5);
  lame_set_bWriteVbrTag(flags.get(), 0);
  lame_set_write_id3tag_automatic(flags.get(), 0);
  if (lame_init_params(flags.get()) < 0) throw std::runtime_error("LAME rejected the MP3 settings");

  Bytes out;
  const size_t chunk = 8192;
  std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
  for (size_t start = 0; start < audio.Frames(); start += chunk) {
    const size_t count = std::min(chunk, audio.Frames() - start);
    const int written = lame_encode_buffer_ieee_float(
        flags.get(), audio.left.data() + start, audio.right.data() + start, static_cast<int>(count),
        buffer.data(), static_cast<int>(buffer.size()));
    if (written < 0) throw std::runtime_error("LAME failed while encoding");
    out.insert(out.end(), buffer.begin(), buffer.begin() + written);
  }
  const int flushed =
      lame_encode_flush(flags.get(), buffer.data(), static_cast<int>(buffer.size()));
  if (flushed < 0) throw std::runtime_error("LAME failed while finishing");
  out.insert(out.end(), buffer.begin(), buffer.begin() + flushed);
  return out;
}
