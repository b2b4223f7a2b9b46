// The one audio output of the process. Music, the sound-effect buffers and speech all mix into
// the same SDL_mixer device: it opens with the first Session and closes with the last.
// When no output device can be opened, the device opens on SDL's dummy driver instead
// (kSilent): music still loads, decodes and reports its length, nothing is heard.
// Nothing here is thread-safe; like the rest of the game it is used from one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mixer {

enum class Output {
  kNone,    // no device at all (not even the dummy driver)
  kSilent,  // the requested driver failed; running on the dummy driver as a fallback
  kDevice,  // the driver SDL was asked for (SDL_AUDIODRIVER, or its default) is open
};

// Sample rate, channels and callback size the device is opened with.
constexpr int kDeviceRate = 44100;
constexpr int kDeviceChannels = 2;
constexpr int kBufferFrames = 1024;

// Holds the shared device open for its lifetime.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Output Kind() const;
};

// What the open device is (kNone when no session is alive).
Output CurrentOutput();
// Name of the SDL driver in use ("" when closed).
std::string DriverName();
// Rate and channels the device actually runs at (0 when closed).
int DeviceRateInUse();

// Sample layout of a block of PCM: 8-bit unsigned or 16-bit signed little-endian samples,
// channels interleaved.
struct PcmFormat {
  int rate = 0;
  int bits = 0;
  int channels = 0;

  int BlockAlign() const { return bits / 8 * channels; }
  bool Valid() const;
};

// A sound converted once to the device's layout, ready for any Voice. Freeing a clip that is
// still sounding halts the voices playing it first.
class Clip {
 public:
  // nullptr when the device is closed, the format is not PCM 8/16-bit mono/stereo or the
  // conversion fails. A trailing partial frame is dropped.
  static std::unique_ptr<Clip> FromPcm(const void* data, std::size_t bytes,
                                       const PcmFormat& format);
  ~Clip();
  Clip(const Clip&) = delete;
  Clip& operator=(const Clip&) = delete;

  std::size_t DeviceBytes() const { return samples_.size(); }
  // Bytes of one device frame (all channels); 0 while the device is closed.
  static std::size_t DeviceFrameBytes();
  double Seconds() const;

 private:
  Clip() = default;
  friend class Voice;
  std::vector<std::uint8_t> samples_;
  void* chunk_ = nullptr;  // Mix_Chunk over samples_
};

// One mixer channel kept for its owner alone. Play starts the clip (from its first byte, or
// from startByte, a position in the device layout), cutting off whatever the voice was
// playing; different voices mix freely. A looped clip always loops whole. The clip must stay
// alive while the voice plays it.
class Voice {
 public:
  Voice();
  ~Voice();
  Voice(const Voice&) = delete;
  Voice& operator=(const Voice&) = delete;

  bool Valid() const { return channel_ >= 0; }
  bool Play(const Clip& clip, std::size_t startByte = 0, bool loop = false);
  void Stop();
  bool IsPlaying() const;
  // Gains from 0 (silent) to 1 (unchanged), kept across plays.
  void SetGain(double volume, double left, double right);
  int Channel() const { return channel_; }

 private:
  void FreePartial();
  void ApplyPanning();

  Session session_;
  int channel_ = -1;
  void* partial_ = nullptr;  // Mix_Chunk over the tail of a clip, for a start past byte 0
  std::uint8_t left_ = 255;
  std::uint8_t right_ = 255;
};

}  // namespace mixer
