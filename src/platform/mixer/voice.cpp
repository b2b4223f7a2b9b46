// Clips converted to the device's layout, and the voices that play them.
#include <SDL.h>
#include <SDL_mixer.h>

#include <memory>

#include "platform/mixer/mixer.h"
#include "platform/mixer/pool.h"

namespace mixer {

bool PcmFormat::Valid() const {
  return (bits == 8 || bits == 16) && (channels == 1 || channels == 2) && rate > 0;
}

std::unique_ptr<Clip> Clip::FromPcm(const void* data, std::size_t bytes, const PcmFormat& format) {
  if (CurrentOutput() == Output::kNone || !format.Valid() || data == nullptr) {
    return nullptr;
  }
  int deviceRate = 0;
  Uint16 deviceFormat = 0;
  int deviceChannels = 0;
  if (Mix_QuerySpec(&deviceRate, &deviceFormat, &deviceChannels) == 0) {
    return nullptr;
  }
  const std::size_t whole = bytes - bytes % static_cast<std::size_t>(format.BlockAlign());
  if (whole > static_cast<std::size_t>(SDL_MAX_SINT32)) {
    return nullptr;
  }
  SDL_AudioStream* stream = SDL_NewAudioStream(
      format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB, static_cast<Uint8>(format.channels), format.rate,
      deviceFormat, static_cast<Uint8>(deviceChannels), deviceRate);
  if (stream == nullptr) {
    return nullptr;
  }
  std::unique_ptr<Clip> clip(new Clip());
  bool ok = whole == 0 || SDL_AudioStreamPut(stream, data, static_cast<int>(whole)) == 0;
  ok = ok && SDL_AudioStreamFlush(stream) == 0;
  if (ok) {
    const int available = SDL_AudioStreamAvailable(stream);
    clip->samples_.resize(static_cast<std::size_t>(available));
    if (available > 0 &&
        SDL_AudioStreamGet(stream, clip->samples_.data(), available) != available) {
      ok = false;
    }
  }
  SDL_FreeAudioStream(stream);
  if (!ok) {
    return nullptr;
  }
  // An empty clip still gets a chunk of one silent frame, so playing it is a valid no-op.
  if (clip->samples_.empty()) {
    clip->samples_.assign(DeviceFrameBytes(), 0);
  }
  clip->chunk_ =
      Mix_QuickLoad_RAW(clip->samples_.data(), static_cast<Uint32>(clip->samples_.size()));
  if (clip->chunk_ == nullptr) {
    return nullptr;
  }
  return clip;
}

Clip::~Clip() {
  if (chunk_ != nullptr) {
    Mix_FreeChunk(static_cast<Mix_Chunk*>(chunk_));  // halts any channel still playing it
  }
}

std::size_t Clip::DeviceFrameBytes() {
  int deviceRate = 0;
  Uint16 deviceFormat = 0;
  int deviceChannels = 0;
  if (CurrentOutput() == Output::kNone ||
      Mix_QuerySpec(&deviceRate, &deviceFormat, &deviceChannels) == 0) {
    return 0;
  }
  return static_cast<std::size_t>(SDL_AUDIO_BITSIZE(deviceFormat) / 8 * deviceChannels);
}

double Clip::Seconds() const {
  int deviceRate = 0;
  Uint16 deviceFormat = 0;
  int deviceChannels = 0;
  if (Mix_QuerySpec(&deviceRate, &deviceFormat, &deviceChannels) == 0) {
    return 0.0;
  }
  const double frameBytes = SDL_AUDIO_BITSIZE(deviceFormat) / 8.0 * deviceChannels;
  return static_cast<double>(samples_.size()) / frameBytes / deviceRate;
}

Voice::Voice() : channel_(pool::Take()) {}

Voice::~Voice() {
  Stop();
  pool::Give(channel_);
}

void Voice::FreePartial() {
  if (partial_ != nullptr) {
    Mix_FreeChunk(static_cast<Mix_Chunk*>(partial_));
    partial_ = nullptr;
  }
}

bool Voice::Play(const Clip& clip, std::size_t startByte, bool loop) {
  if (channel_ < 0 || clip.chunk_ == nullptr) {
    return false;
  }
  Stop();
  Mix_Chunk* chunk = static_cast<Mix_Chunk*>(clip.chunk_);
  const std::size_t frame = Clip::DeviceFrameBytes();
  if (!loop && startByte > 0 && frame > 0) {
    startByte -= startByte % frame;
    if (startByte >= clip.samples_.size()) {
      return true;  // nothing left to sound
    }
    auto* tail = const_cast<Uint8*>(clip.samples_.data()) + startByte;
    partial_ = Mix_QuickLoad_RAW(tail, static_cast<Uint32>(clip.samples_.size() - startByte));
    if (partial_ == nullptr) {
      return false;
    }
    chunk = static_cast<Mix_Chunk*>(partial_);
  }
  // The mixer drops a channel's panning when the channel stops, so it goes on before each play.
  ApplyPanning();
  return Mix_PlayChannel(channel_, chunk, loop ? -1 : 0) == channel_;
}

void Voice::Stop() {
  if (channel_ >= 0) {
    Mix_HaltChannel(channel_);
  }
  FreePartial();
}

void Voice::SetGain(double volume, double left, double right) {
  auto clamp = [](double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); };
  left_ = static_cast<std::uint8_t>(clamp(left) * 255.0 + 0.5);
  right_ = static_cast<std::uint8_t>(clamp(right) * 255.0 + 0.5);
  if (channel_ < 0) {
    return;
  }
  Mix_Volume(channel_, static_cast<int>(clamp(volume) * MIX_MAX_VOLUME + 0.5));
  ApplyPanning();
}

void Voice::ApplyPanning() {
  if (channel_ >= 0 && (left_ != 255 || right_ != 255 || IsPlaying())) {
    Mix_SetPanning(channel_, left_, right_);
  }
}

bool Voice::IsPlaying() const { return channel_ >= 0 && Mix_Playing(channel_) != 0; }

}  // namespace mixer
