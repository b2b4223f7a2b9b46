// The music containers FFmpeg demultiplexes and decodes for the game (MP3, WMA, WAV, AIFF/AIFC,
// Ogg Vorbis, Opus, FLAC, AAC in MP4 or ADTS) and nothing else, resampled to 16-bit stereo at
// the device's rate. Opening a file reads only that file, within a bound on bytes and time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/wmp/media_source.h"

namespace wmp {

class TFfmpegSource : public TMediaSource {
 public:
  // Raises EMediaPlayer when the file holds no audio FFmpeg can decode.
  TFfmpegSource(const std::string& path, int rate);
  ~TFfmpegSource() override;

  double Seconds() const override { return seconds_; }
  std::size_t Read(std::int16_t* out, std::size_t frames) override;
  bool Rewind() override;

 private:
  struct Codec;  // FFmpeg's contexts, kept out of this header

  // Decodes until pending_ holds samples again; false once the stream is exhausted.
  bool DecodeMore();
  bool OpenDecoder();
  bool Convert(bool flush);
  double MeasureSeconds();
  // Raises EMediaPlayer when opening read more than its budget or ran past its deadline.
  void CheckOpenBounds() const;

  std::unique_ptr<Codec> codec_;
  int rate_;
  double seconds_ = 0.0;
  std::vector<std::int16_t> pending_;
  std::size_t pendingPos_ = 0;  // samples of pending_ already handed out
  bool draining_ = false;       // the demuxer is done; the decoder gives what it still holds
  bool finished_ = false;
};

}  // namespace wmp
