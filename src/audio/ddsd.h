// The sound-effects library (unit ddsd): the component TDDSD owns the DirectSound device and a
// fixed number of playback channels; TDDSDWaveData loads a whole RIFF/WAVE file into a static
// sound buffer; a channel holds a duplicate of one wave's buffer and restarts it on Play.
// Optional 3D positioning: a listener and per-channel 3D parameters (the game leaves it off).
//
// Failures are reported through ddsd::Report and ddsd::Check (ddsd_report.h), governed by the
// component's DebugOption. Without a sound device the component stays uninitialised and every
// wave, channel and play call quietly does nothing.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/ddsd_report.h"
#include "platform/dsound/dsound.h"
#include "platform/mmio/mmio.h"

class TDDSD;
class TDDSDChannel;

// ---- Specified by the design, not used by the game: 3D parameters -------------------------------
// They take effect only with Use3D, which the game leaves off.

// A DS3DBUFFER with the library's defaults: cones of 360 degrees facing +z, outside volume 0,
// distances 5 to 100, normal mode.
class TDDSDParams3D {
 public:
  TDDSDParams3D();
  dsound::DS3DBUFFER Data;
};

// The listener's DS3DLISTENER, applied to the device's listener when created.
class TDDSDListener {
 public:
  // Applies the default record ("Listenerに指定されたパラメータが不適切です" on failure).
  explicit TDDSDListener(dsound::IDirectSound3DListener* listener);
  // Applies Data again after a change.
  void Apply();
  dsound::DS3DLISTENER Data;

 private:
  dsound::IDirectSound3DListener* listener_;  // not owned: the component holds the interface
};

// ---- The sounds and the component ---------------------------------------------------------------

// A loaded sound: the buffer, its format record and size.
class TDDSDGenWave {
 public:
  TDDSDGenWave(TDDSD* owner, bool effects);
  virtual ~TDDSDGenWave();
  TDDSDGenWave(const TDDSDGenWave&) = delete;
  TDDSDGenWave& operator=(const TDDSDGenWave&) = delete;

  TDDSD* Owner() const { return owner_; }
  // nullptr when nothing was loaded (no device, or the file failed).
  dsound::IDirectSoundBuffer8* Buffer() const { return buffer_; }
  // The file's "fmt " chunk (its first 20 bytes; the sample rate is the buffer frequency).
  const dsound::WAVEFORMATEX& Format() const { return format_; }
  // Bytes of sound (the "data" chunk's size).
  DWORD BufferSize() const { return bufferSize_; }
  bool Effects() const { return effects_; }
  bool Is3D() const { return is3D_; }
  // The last channel that took a reference to this (effects) wave's own buffer.
  TDDSDChannel* LastChannel() const { return lastChannel_; }
  // Why the file gave no sound, naming it ("….wavは、WAVEファイルではありません"); empty when it
  // loaded or failed in the sound device instead.
  const std::string& LoadError() const { return loadError_; }

 protected:
  // Reads a RIFF/WAVE image from an open multimedia file into a new buffer; name is the one
  // the reports carry. Only while the component is initialised.
  void LoadFromHandle(mmio::HMMIO handle, const std::string& name);
  // Reports a file that cannot be loaded and keeps the reason.
  void Refuse(const std::string& reason);

  TDDSD* owner_;
  dsound::IDirectSoundBuffer8* buffer_ = nullptr;
  dsound::WAVEFORMATEX format_{};
  DWORD bufferSize_ = 0;
  bool effects_;
  bool is3D_ = false;
  TDDSDChannel* lastChannel_ = nullptr;
  std::string loadError_;
  friend class TDDSDChannel;
};

// A wave loaded from a RIFF/WAVE file when it is created (only while the component is
// initialised). Every file or chunk error is reported and leaves the wave without a buffer.
class TDDSDWaveData : public TDDSDGenWave {
 public:
  TDDSDWaveData(TDDSD* owner, bool effects, const std::filesystem::path& fileName);
};

// A wave loaded from a RIFF/WAVE image in memory (the data is copied into the buffer; it need
// not outlive the constructor). Reports name the image by the given name.
class TDDSDMemoryWave : public TDDSDGenWave {
 public:
  TDDSDMemoryWave(TDDSD* owner, bool effects, const void* data, std::size_t size,
                  const std::string& name);
};

// One playback channel: a duplicate of the bound wave's buffer (or, for an effects wave, the
// wave's own buffer).
class TDDSDChannel {
 public:
  explicit TDDSDChannel(TDDSD* owner);
  ~TDDSDChannel();
  TDDSDChannel(const TDDSDChannel&) = delete;
  TDDSDChannel& operator=(const TDDSDChannel&) = delete;

  // Binds a wave (nullptr unbinds). Does nothing while the component is uninitialised.
  void SetWaveData(TDDSDGenWave* wave);
  TDDSDGenWave* WaveData() const { return wave_; }
  // From the start, once; a channel still sounding starts again from its beginning.
  void Play();
  void Stop();

  dsound::IDirectSoundBuffer8* Buffer() const { return buffer_; }
  dsound::IDirectSound3DBuffer* Buffer3D() const { return buffer3D_; }
  bool Is3D() const { return is3D_; }
  DWORD Frequency() const { return frequency_; }
  TDDSDParams3D& Params3D() { return params3D_; }

 private:
  void ReleaseBuffers();

  TDDSD* owner_;
  dsound::IDirectSoundBuffer8* buffer_ = nullptr;
  dsound::IDirectSound3DBuffer* buffer3D_ = nullptr;
  bool is3D_ = false;
  DWORD frequency_ = 0;
  TDDSDGenWave* wave_ = nullptr;
  TDDSDParams3D params3D_;
};

// The component. One per window: a second one for the same window raises
// "DDSDコンポーネントを、同一フォームに2つ以上貼る事はできません".
class TDDSD {
 public:
  // ownerWindow: the window DirectSound cooperates with (may be nullptr in tools and tests).
  explicit TDDSD(HWND ownerWindow = nullptr);
  ~TDDSD();
  TDDSD(const TDDSD&) = delete;
  TDDSD& operator=(const TDDSD&) = delete;

  // Published properties, set before Loaded like the form's stored values.
  TDDSDDebugOptions DebugOption() const { return debugOption_; }
  void SetDebugOption(TDDSDDebugOptions options);  // takes effect at once, library-wide
  bool Use3D() const { return use3D_; }
  void SetUse3D(bool use3D) { use3D_ = use3D; }
  int ChannelCount() const { return channelCount_; }
  void SetChannelCount(int count) { channelCount_ = count; }  // read at initialisation
  bool StickyFocus() const { return stickyFocus_; }
  void SetStickyFocus(bool sticky) { stickyFocus_ = sticky; }

  // The component is loaded: applies DebugOption, then initialises.
  void Loaded();
  // Frees the channels, makes ChannelCount new ones and opens DirectSound when it can.
  void Initialize();
  bool Initialized() const { return initialized_; }

  // Channel 0 to ChannelCount - 1. Any other index is reported (and ends the process with
  // dsoHaltOnError); the result is then nullptr.
  TDDSDChannel* Channel(int index);
  int ChannelsMade() const { return static_cast<int>(channels_.size()); }

  dsound::IDirectSound8* DirectSound() const { return directSound_; }
  dsound::IDirectSoundBuffer* PrimaryBuffer() const { return primary_; }
  TDDSDListener* Listener() const { return listener_.get(); }

 private:
  void Shutdown();

  HWND ownerWindow_;
  TDDSDDebugOptions debugOption_{dsoHaltOnError};
  bool use3D_ = false;
  int channelCount_ = 8;
  bool stickyFocus_ = true;

  dsound::IDirectSound8* directSound_ = nullptr;
  dsound::IDirectSoundBuffer* primary_ = nullptr;
  dsound::IDirectSound3DListener* listener3D_ = nullptr;
  std::unique_ptr<TDDSDListener> listener_;
  std::vector<std::unique_ptr<TDDSDChannel>> channels_;
  bool initialized_ = false;
};
