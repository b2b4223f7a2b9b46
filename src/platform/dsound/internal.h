// The objects behind the DirectSound interfaces (internal to the stand-in).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/mixer/mixer.h"

namespace dsound::detail {

class PrimaryBuffer;
class SoundBuffer;

// What the device and all its buffers share; lives as long as any of them.
struct DeviceCore {
  mixer::Session session;
  DWORD cooperativeLevel = 0;           // 0 until SetCooperativeLevel
  PrimaryBuffer* primary = nullptr;     // the one primary buffer while it exists
  std::vector<SoundBuffer*> buffers3D;  // buffers whose deferred 3D settings a commit applies
};

// The sound data of a secondary buffer, shared by its duplicates.
struct SharedPcm {
  std::vector<std::uint8_t> bytes;
  WAVEFORMATEX format{};
  std::uint64_t version = 0;  // changes with every Unlock
};

// Reference count helper: one count per object, shared by all its interfaces.
class RefCount {
 public:
  ULONG Add() { return ++count_; }
  // Drops a reference; the object frees itself with the last one.
  template <class Object>
  ULONG Release(Object* object) {
    const ULONG left = --count_;
    if (left == 0) {
      delete object;
    }
    return left;
  }

 private:
  ULONG count_ = 1;
};

// A getter's answer: DSERR_INVALIDPARAM with nowhere to write it, DSERR_CONTROLUNAVAIL when the
// buffer was made without the control the value belongs to.
template <class Value>
HRESULT GetControl(Value* out, const Value& value, bool controlled = true) {
  if (out == nullptr) return DSERR_INVALIDPARAM;
  if (!controlled) return DSERR_CONTROLUNAVAIL;
  *out = value;
  return DS_OK;
}

// A setter's answer: DSERR_CONTROLUNAVAIL without the control, DSERR_INVALIDPARAM outside
// [low, high]; otherwise the value is kept.
template <class Value>
HRESULT SetControl(Value& field, Value value, bool controlled, Value low, Value high) {
  if (!controlled) return DSERR_CONTROLUNAVAIL;
  if (value < low || value > high) return DSERR_INVALIDPARAM;
  field = value;
  return DS_OK;
}

// GetCaps for any buffer: the flags it was made with, in software, and its size.
HRESULT GetCapsOf(DWORD flags, DWORD bufferBytes, DSBCAPS* caps);

bool IsGuid(REFIID a, REFIID b);
HRESULT ValidateBuffer3D(const DS3DBUFFER& params);
HRESULT ValidateListener(const DS3DLISTENER& params);
bool ValidApply(DWORD apply);
DS3DBUFFER DefaultBuffer3D();
DS3DLISTENER DefaultListener();
// GetFormat for any buffer: the size needed when `format` is null, else as much of `source`
// as fits in `sizeAllocated` bytes.
HRESULT GetFormatOf(const WAVEFORMATEX& source, LPWAVEFORMATEX format, DWORD sizeAllocated,
                    DWORD* sizeWritten);

// The 3D interface of a secondary buffer created with DSBCAPS_CTRL3D.
class Buffer3D final : public IDirectSound3DBuffer {
 public:
  explicit Buffer3D(SoundBuffer& owner) : owner_(owner) {}
  void Commit() { current_ = deferred_; }

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetAllParameters(DS3DBUFFER* buffer) override;
  HRESULT GetConeAngles(DWORD* inside, DWORD* outside) override;
  HRESULT GetConeOrientation(D3DVECTOR* orientation) override;
  HRESULT GetConeOutsideVolume(LONG* volume) override;
  HRESULT GetMaxDistance(D3DVALUE* distance) override;
  HRESULT GetMinDistance(D3DVALUE* distance) override;
  HRESULT GetMode(DWORD* mode) override;
  HRESULT GetPosition(D3DVECTOR* position) override;
  HRESULT GetVelocity(D3DVECTOR* velocity) override;
  HRESULT SetAllParameters(const DS3DBUFFER* buffer, DWORD apply) override;
  HRESULT SetConeAngles(DWORD inside, DWORD outside, DWORD apply) override;
  HRESULT SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
  HRESULT SetConeOutsideVolume(LONG volume, DWORD apply) override;
  HRESULT SetMaxDistance(D3DVALUE distance, DWORD apply) override;
  HRESULT SetMinDistance(D3DVALUE distance, DWORD apply) override;
  HRESULT SetMode(DWORD mode, DWORD apply) override;
  HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
  HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;

 private:
  HRESULT Change(DWORD apply, const std::function<void(DS3DBUFFER&)>& edit);

  SoundBuffer& owner_;
  DS3DBUFFER current_ = DefaultBuffer3D();
  DS3DBUFFER deferred_ = DefaultBuffer3D();
};

// A secondary buffer: its own play state over (possibly shared) sound data.
class SoundBuffer final : public IDirectSoundBuffer8 {
 public:
  SoundBuffer(std::shared_ptr<DeviceCore> core, std::shared_ptr<SharedPcm> pcm, DWORD flags);
  ~SoundBuffer() override;
  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  // A new buffer over the same data, with this one's frequency, volume and pan.
  SoundBuffer* Duplicate() const;
  DWORD Flags() const { return flags_; }
  Buffer3D* ThreeD() { return buffer3D_.get(); }

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override { return refs_.Add(); }
  ULONG Release() override { return refs_.Release(this); }
  HRESULT GetCaps(DSBCAPS* caps) override;
  HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override;
  HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) override;
  HRESULT GetVolume(LONG* volume) override;
  HRESULT GetPan(LONG* pan) override;
  HRESULT GetFrequency(DWORD* frequency) override;
  HRESULT GetStatus(DWORD* status) override;
  HRESULT Initialize(IDirectSound* device, const DSBUFFERDESC* desc) override;
  HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
               DWORD flags) override;
  HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
  HRESULT SetCurrentPosition(DWORD position) override;
  HRESULT SetFormat(LPCWAVEFORMATEX format) override;
  HRESULT SetVolume(LONG volume) override;
  HRESULT SetPan(LONG pan) override;
  HRESULT SetFrequency(DWORD frequency) override;
  HRESULT Stop() override;
  HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) override;
  HRESULT Restore() override;
  HRESULT SetFX(DWORD effectCount, DSEFFECTDESC* effects, DWORD* resultCodes) override;
  HRESULT AcquireResources(DWORD flags, DWORD effectCount, DWORD* resultCodes) override;
  HRESULT GetObjectInPath(REFGUID object, DWORD index, REFGUID iid, void** out) override;

 private:
  bool Sounding() const;
  DWORD PlayCursor() const;
  HRESULT StartVoice(DWORD position);
  void ApplyGain();

  RefCount refs_;
  std::shared_ptr<DeviceCore> core_;
  std::shared_ptr<SharedPcm> pcm_;
  DWORD flags_;
  DWORD frequency_;
  LONG volume_ = DSBVOLUME_MAX;
  LONG pan_ = DSBPAN_CENTER;
  std::unique_ptr<Buffer3D> buffer3D_;

  // Lock bookkeeping: the parts handed out by the last Lock, until Unlock.
  bool locked_ = false;
  void* lockedPart1_ = nullptr;
  void* lockedPart2_ = nullptr;

  // Playback.
  std::unique_ptr<mixer::Voice> voice_;
  std::unique_ptr<mixer::Clip> clip_;
  std::uint64_t clipVersion_ = 0;
  DWORD clipFrequency_ = 0;
  bool looping_ = false;
  bool started_ = false;  // Play was called and Stop was not
  DWORD position_ = 0;    // the cursor while not sounding
  DWORD startPosition_ = 0;
  std::chrono::steady_clock::time_point startTime_{};
};

// The 3D listener of a primary buffer created with DSBCAPS_CTRL3D.
class Listener final : public IDirectSound3DListener {
 public:
  explicit Listener(PrimaryBuffer& owner) : owner_(owner) {}

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetAllParameters(DS3DLISTENER* listener) override;
  HRESULT GetDistanceFactor(D3DVALUE* factor) override;
  HRESULT GetDopplerFactor(D3DVALUE* factor) override;
  HRESULT GetOrientation(D3DVECTOR* front, D3DVECTOR* top) override;
  HRESULT GetPosition(D3DVECTOR* position) override;
  HRESULT GetRolloffFactor(D3DVALUE* factor) override;
  HRESULT GetVelocity(D3DVECTOR* velocity) override;
  HRESULT SetAllParameters(const DS3DLISTENER* listener, DWORD apply) override;
  HRESULT SetDistanceFactor(D3DVALUE factor, DWORD apply) override;
  HRESULT SetDopplerFactor(D3DVALUE factor, DWORD apply) override;
  HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop,
                         D3DVALUE yTop, D3DVALUE zTop, DWORD apply) override;
  HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
  HRESULT SetRolloffFactor(D3DVALUE factor, DWORD apply) override;
  HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
  HRESULT CommitDeferredSettings() override;

 private:
  HRESULT Change(DWORD apply, const std::function<void(DS3DLISTENER&)>& edit);

  PrimaryBuffer& owner_;
  DS3DLISTENER current_ = DefaultListener();
  DS3DLISTENER deferred_ = DefaultListener();
};

// The primary buffer: the device's output format, volume and pan, and the 3D listener.
class PrimaryBuffer final : public IDirectSoundBuffer {
 public:
  PrimaryBuffer(std::shared_ptr<DeviceCore> core, DWORD flags);
  ~PrimaryBuffer() override;
  PrimaryBuffer(const PrimaryBuffer&) = delete;
  PrimaryBuffer& operator=(const PrimaryBuffer&) = delete;

  DeviceCore& Core() { return *core_; }

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override { return refs_.Add(); }
  ULONG Release() override { return refs_.Release(this); }
  HRESULT GetCaps(DSBCAPS* caps) override;
  HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override;
  HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) override;
  HRESULT GetVolume(LONG* volume) override;
  HRESULT GetPan(LONG* pan) override;
  HRESULT GetFrequency(DWORD* frequency) override;
  HRESULT GetStatus(DWORD* status) override;
  HRESULT Initialize(IDirectSound* device, const DSBUFFERDESC* desc) override;
  HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
               DWORD flags) override;
  HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
  HRESULT SetCurrentPosition(DWORD position) override;
  HRESULT SetFormat(LPCWAVEFORMATEX format) override;
  HRESULT SetVolume(LONG volume) override;
  HRESULT SetPan(LONG pan) override;
  HRESULT SetFrequency(DWORD frequency) override;
  HRESULT Stop() override;
  HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) override;
  HRESULT Restore() override;

 private:
  RefCount refs_;
  std::shared_ptr<DeviceCore> core_;
  DWORD flags_;
  WAVEFORMATEX format_{};
  LONG volume_ = DSBVOLUME_MAX;
  LONG pan_ = DSBPAN_CENTER;
  bool playing_ = false;
  std::unique_ptr<Listener> listener_;
};

// The DirectSound object.
class Device final : public IDirectSound8 {
 public:
  // The session that found a device at creation is kept, so the device is opened only once.
  explicit Device(std::unique_ptr<mixer::Session> opened = nullptr) : opened_(std::move(opened)) {}

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override { return refs_.Add(); }
  ULONG Release() override { return refs_.Release(this); }
  HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                            IUnknown* outer) override;
  HRESULT GetCaps(DSCAPS* caps) override;
  HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original,
                               IDirectSoundBuffer** duplicate) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD level) override;
  HRESULT Compact() override;
  HRESULT GetSpeakerConfig(DWORD* config) override;
  HRESULT SetSpeakerConfig(DWORD config) override;
  HRESULT Initialize(LPCGUID device) override;
  HRESULT VerifyCertification(DWORD* certified) override;

 private:
  RefCount refs_;
  std::unique_ptr<mixer::Session> opened_;
  std::shared_ptr<DeviceCore> core_;  // set by Initialize
  DWORD speakerConfig_ = DSSPEAKER_STEREO;
};

// A new device (one reference) on a session with the output device; DSERR_NODRIVER when only
// the silent fallback (or nothing) opens, DSERR_OUTOFMEMORY when the device cannot be made.
HRESULT NewDevice(Device** device);

}  // namespace dsound::detail
