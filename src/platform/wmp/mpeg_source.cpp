#include "platform/wmp/mpeg_source.h"

#include <SDL.h>
#include <mpg123.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>

namespace wmp {
namespace {

constexpr int kChannels = 2;
constexpr std::size_t kFrameBytes = kChannels * sizeof(std::int16_t);

// Layer, version, bit rate and sample rate all hold allowed values: the first frame of an
// MPEG audio stream (AAC's ADTS header has the same sync bits but layer 0).
bool IsFrameHeader(const std::array<unsigned char, 4>& h) {
  return h[0] == 0xFF && (h[1] & 0xE0) == 0xE0 && ((h[1] >> 3) & 3) != 1 &&
         ((h[1] >> 1) & 3) != 0 && (h[2] >> 4) != 0xF && ((h[2] >> 2) & 3) != 3;
}

}  // namespace

bool LooksLikeMpegAudio(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::streamoff start = 0;
  // ID3v2 tags (a file may carry more than one) come first. A tag's size is four 7-bit bytes,
  // not counting its header or its footer.
  constexpr int kMostTags = 4;
  for (int tags = 0;; ++tags) {
    std::array<unsigned char, 10> tag{};
    in.seekg(start);
    if (!in.read(reinterpret_cast<char*>(tag.data()), tag.size())) return false;
    if (tag[0] != 'I' || tag[1] != 'D' || tag[2] != '3') {
      return IsFrameHeader({tag[0], tag[1], tag[2], tag[3]});
    }
    if (tags == kMostTags) return false;
    start +=
        10 + ((tag[5] & 0x10) != 0 ? 10 : 0) +
        ((tag[6] & 0x7F) << 21 | (tag[7] & 0x7F) << 14 | (tag[8] & 0x7F) << 7 | (tag[9] & 0x7F));
  }
}

struct TMpegSource::Decoder {
  mpg123_handle* handle = nullptr;
  SDL_AudioStream* converter = nullptr;  // only when the file's rate is not the device's
  long fileRate = 0;
  std::size_t totalFrames = 0;  // the length at the device's rate
  std::size_t converted = 0;    // frames handed out by the converter since the start

  ~Decoder() {
    if (converter != nullptr) SDL_FreeAudioStream(converter);
    if (handle != nullptr) mpg123_delete(handle);
  }
};

TMpegSource::TMpegSource(const std::string& path, int rate)
    : decoder_(std::make_unique<Decoder>()) {
  Decoder& d = *decoder_;
  int error = MPG123_OK;
  d.handle = mpg123_new(nullptr, &error);
  if (d.handle == nullptr) throw EMediaPlayer("MP3 の復号器を作れません");
  mpg123_param(d.handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
  // Stereo 16-bit at the file's own rate, whatever the file holds.
  if (mpg123_open_fixed(d.handle, path.c_str(), MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) {
    throw EMediaPlayer(std::string("開けません (") + mpg123_strerror(d.handle) + ")");
  }
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(d.handle, &d.fileRate, &channels, &encoding) != MPG123_OK ||
      d.fileRate <= 0) {
    throw EMediaPlayer(std::string("形式がわかりません (") + mpg123_strerror(d.handle) + ")");
  }
  // Reading every frame header once gives the exact sample count (and rewinds by itself).
  if (mpg123_scan(d.handle) != MPG123_OK) {
    throw EMediaPlayer(std::string("読めません (") + mpg123_strerror(d.handle) + ")");
  }
  const off_t samples = mpg123_length(d.handle);
  if (samples < 0) throw EMediaPlayer("長さがわかりません");
  seconds_ = static_cast<double>(samples) / static_cast<double>(d.fileRate);
  d.totalFrames = static_cast<std::size_t>(
      std::llround(static_cast<double>(samples) * rate / static_cast<double>(d.fileRate)));
  if (d.fileRate != rate) {
    d.converter = SDL_NewAudioStream(AUDIO_S16SYS, kChannels, static_cast<int>(d.fileRate),
                                     AUDIO_S16SYS, kChannels, rate);
    if (d.converter == nullptr) throw EMediaPlayer("サンプリング周波数を変換できません");
  }
}

TMpegSource::~TMpegSource() = default;

bool TMpegSource::Rewind() {
  finished_ = mpg123_seek(decoder_->handle, 0, SEEK_SET) < 0;
  if (decoder_->converter != nullptr) SDL_AudioStreamClear(decoder_->converter);
  decoder_->converted = 0;
  return !finished_;
}

std::size_t TMpegSource::Decode(std::int16_t* out, std::size_t frames) {
  std::size_t done = 0;
  while (done < frames && !finished_) {
    std::size_t bytes = 0;
    const int result =
        mpg123_read(decoder_->handle, reinterpret_cast<unsigned char*>(out + done * kChannels),
                    (frames - done) * kFrameBytes, &bytes);
    done += bytes / kFrameBytes;
    // The end, or damage the decoder cannot get past. A change of sample rate midway is taken as
    // the end too: the format stays what it was when the file was opened.
    if (result != MPG123_OK) finished_ = true;
  }
  return done;
}

std::size_t TMpegSource::Read(std::int16_t* out, std::size_t frames) {
  Decoder& d = *decoder_;
  if (d.converter == nullptr) return Decode(out, frames);
  // Converted music ends exactly at its length: the converter's tail is pushed out with
  // silence after the last frame, and whatever comes beyond the length is dropped.
  frames = std::min(frames, d.totalFrames - std::min(d.totalFrames, d.converted));
  std::size_t done = 0;
  std::array<std::int16_t, 4096 * kChannels> block{};
  while (done < frames) {
    const int got = SDL_AudioStreamGet(d.converter, out + done * kChannels,
                                       static_cast<int>((frames - done) * kFrameBytes));
    if (got > 0) {
      done += static_cast<std::size_t>(got) / kFrameBytes;
      continue;
    }
    if (got < 0 || (finished_ && SDL_AudioStreamAvailable(d.converter) == 0)) {
      // Whatever the converter kept back is silence by now.
      std::fill(out + done * kChannels, out + frames * kChannels, std::int16_t{0});
      done = frames;
      break;
    }
    const bool wasFinished = finished_;
    std::size_t decoded = Decode(block.data(), block.size() / kChannels);
    if (finished_ && !wasFinished) {
      std::fill(block.begin() + static_cast<std::ptrdiff_t>(decoded * kChannels), block.end(), 0);
      decoded = block.size() / kChannels;
    }
    if (decoded > 0) {
      SDL_AudioStreamPut(d.converter, block.data(), static_cast<int>(decoded * kFrameBytes));
    }
    if (finished_) SDL_AudioStreamFlush(d.converter);
  }
  d.converted += done;
  return done;
}

}  // namespace wmp
