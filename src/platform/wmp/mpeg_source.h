// MPEG audio files (MP3, the game's own music among them) decoded by libmpg123, which SDL_mixer
// already brings into the process: the game's music plays without FFmpeg's libraries in memory.
// The length is exact: the encoder's delay and padding, which a LAME header announces, are cut.
#pragma once

#include <memory>
#include <string>

#include "platform/wmp/media_source.h"

namespace wmp {

// True when the file starts (after an ID3v2 tag, if any) with an MPEG audio frame header.
bool LooksLikeMpegAudio(const std::string& path);

class TMpegSource : public TMediaSource {
 public:
  // Raises EMediaPlayer when libmpg123 cannot decode the file.
  TMpegSource(const std::string& path, int rate);
  ~TMpegSource() override;

  double Seconds() const override { return seconds_; }
  std::size_t Read(std::int16_t* out, std::size_t frames) override;
  bool Rewind() override;

 private:
  struct Decoder;  // libmpg123's handle and SDL's rate converter, kept out of this header

  // Decoded stereo frames straight into out; 0 at the end.
  std::size_t Decode(std::int16_t* out, std::size_t frames);

  std::unique_ptr<Decoder> decoder_;
  double seconds_ = 0.0;
  bool finished_ = false;
};

}  // namespace wmp
