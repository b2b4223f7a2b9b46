// Secondary buffers: sound data, locking, and playback on a mixer voice of their own.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/dsound/internal.h"

namespace dsound::detail {

SoundBuffer::SoundBuffer(std::shared_ptr<DeviceCore> core, std::shared_ptr<SharedPcm> pcm,
                         DWORD flags)
    : core_(std::move(core)),
      pcm_(std::move(pcm)),
      flags_(flags),
      frequency_(pcm_->format.nSamplesPerSec) {
  if ((flags_ & DSBCAPS_CTRL3D) != 0) {
    buffer3D_ = std::make_unique<Buffer3D>(*this);
    core_->buffers3D.push_back(this);
  }
}

SoundBuffer::~SoundBuffer() {
  if (voice_ != nullptr) {
    voice_->Stop();  // before the clip it plays goes
  }
  auto& list = core_->buffers3D;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

SoundBuffer* SoundBuffer::Duplicate() const {
  auto* copy = new (std::nothrow) SoundBuffer(core_, pcm_, flags_);
  if (copy != nullptr) {
    copy->frequency_ = frequency_;
    copy->volume_ = volume_;
    copy->pan_ = pan_;
  }
  return copy;
}

HRESULT SoundBuffer::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirectSoundBuffer || iid == IID_IDirectSoundBuffer8) {
    *object = static_cast<IDirectSoundBuffer8*>(this);
  } else if (iid == IID_IDirectSound3DBuffer && buffer3D_ != nullptr) {
    *object = static_cast<IDirectSound3DBuffer*>(buffer3D_.get());
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT SoundBuffer::GetCaps(DSBCAPS* caps) {
  return GetCapsOf(flags_, static_cast<DWORD>(pcm_->bytes.size()), caps);
}

bool SoundBuffer::Sounding() const { return started_ && voice_ != nullptr && voice_->IsPlaying(); }

DWORD SoundBuffer::PlayCursor() const {
  if (!Sounding()) {
    return position_;
  }
  const auto elapsed = std::chrono::steady_clock::now() - startTime_;
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const std::uint64_t block = pcm_->format.nBlockAlign;
  const std::uint64_t size = pcm_->bytes.size();
  std::uint64_t at = startPosition_ + static_cast<std::uint64_t>(seconds * frequency_) * block;
  at = looping_ ? at % size : std::min(at, size - size % block - block);
  return static_cast<DWORD>(at);
}

HRESULT SoundBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) {
  if (playCursor == nullptr && writeCursor == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  if (started_ && !Sounding()) {
    started_ = false;  // a one-shot that ran out rests at the start
    position_ = 0;
  }
  const DWORD play = PlayCursor();
  if (playCursor != nullptr) {
    *playCursor = play;
  }
  if (writeCursor != nullptr) {
    // The mixer reads one callback ahead; that much is already spoken for.
    const std::uint64_t ahead = Sounding() ? static_cast<std::uint64_t>(frequency_) *
                                                 mixer::kBufferFrames / mixer::kDeviceRate *
                                                 pcm_->format.nBlockAlign
                                           : 0;
    *writeCursor = static_cast<DWORD>((play + ahead) % pcm_->bytes.size());
  }
  return DS_OK;
}

HRESULT GetCapsOf(DWORD flags, DWORD bufferBytes, DSBCAPS* caps) {
  if (caps == nullptr || caps->dwSize != sizeof(DSBCAPS)) {
    return DSERR_INVALIDPARAM;
  }
  caps->dwFlags = flags | DSBCAPS_LOCSOFTWARE;
  caps->dwBufferBytes = bufferBytes;
  caps->dwUnlockTransferRate = 0;
  caps->dwPlayCpuOverhead = 0;
  return DS_OK;
}

HRESULT GetFormatOf(const WAVEFORMATEX& source, LPWAVEFORMATEX format, DWORD sizeAllocated,
                    DWORD* sizeWritten) {
  if (format == nullptr) {
    if (sizeWritten == nullptr) {
      return DSERR_INVALIDPARAM;
    }
    *sizeWritten = sizeof(WAVEFORMATEX);
    return DS_OK;
  }
  const DWORD size = std::min<DWORD>(sizeAllocated, sizeof(WAVEFORMATEX));
  std::memcpy(format, &source, size);
  if (sizeWritten != nullptr) {
    *sizeWritten = size;
  }
  return DS_OK;
}

HRESULT SoundBuffer::GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) {
  return GetFormatOf(pcm_->format, format, sizeAllocated, sizeWritten);
}

HRESULT SoundBuffer::GetVolume(LONG* volume) {
  return GetControl(volume, volume_, (flags_ & DSBCAPS_CTRLVOLUME) != 0);
}

HRESULT SoundBuffer::GetPan(LONG* pan) {
  return GetControl(pan, pan_, (flags_ & DSBCAPS_CTRLPAN) != 0);
}

HRESULT SoundBuffer::GetFrequency(DWORD* frequency) {
  return GetControl(frequency, frequency_, (flags_ & DSBCAPS_CTRLFREQUENCY) != 0);
}

HRESULT SoundBuffer::GetStatus(DWORD* status) {
  if (status == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *status = 0;
  if (Sounding()) {
    *status = DSBSTATUS_PLAYING | (looping_ ? DSBSTATUS_LOOPING : 0);
  }
  return DS_OK;
}

HRESULT SoundBuffer::Initialize(IDirectSound* /*device*/, const DSBUFFERDESC* /*desc*/) {
  return DSERR_ALREADYINITIALIZED;
}

HRESULT SoundBuffer::Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2,
                          DWORD* bytes2, DWORD flags) {
  if (part1 == nullptr || bytes1 == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  const DWORD size = static_cast<DWORD>(pcm_->bytes.size());
  if ((flags & DSBLOCK_FROMWRITECURSOR) != 0) {
    GetCurrentPosition(nullptr, &offset);
  }
  if ((flags & DSBLOCK_ENTIREBUFFER) != 0) {
    bytes = size;
  }
  if (offset >= size || bytes == 0 || bytes > size) {
    return DSERR_INVALIDPARAM;
  }
  const DWORD first = std::min(bytes, size - offset);
  const DWORD second = bytes - first;
  if (second > 0 && (part2 == nullptr || bytes2 == nullptr)) {
    return DSERR_INVALIDPARAM;  // the region wraps and there is nowhere to return its tail
  }
  *part1 = pcm_->bytes.data() + offset;
  *bytes1 = first;
  if (part2 != nullptr) {
    *part2 = second > 0 ? pcm_->bytes.data() : nullptr;
  }
  if (bytes2 != nullptr) {
    *bytes2 = second;
  }
  locked_ = true;
  lockedPart1_ = *part1;
  lockedPart2_ = second > 0 ? pcm_->bytes.data() : nullptr;
  return DS_OK;
}

HRESULT SoundBuffer::Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) {
  if (!locked_ || part1 != lockedPart1_ || (part2 != nullptr && part2 != lockedPart2_)) {
    return DSERR_INVALIDPARAM;
  }
  const DWORD size = static_cast<DWORD>(pcm_->bytes.size());
  const auto offset = static_cast<DWORD>(static_cast<std::uint8_t*>(part1) - pcm_->bytes.data());
  if (bytes1 > size - offset || bytes2 > size) {
    return DSERR_INVALIDPARAM;
  }
  locked_ = false;
  lockedPart1_ = lockedPart2_ = nullptr;
  ++pcm_->version;  // every sharer converts the new data at its next start
  return DS_OK;
}

HRESULT SoundBuffer::StartVoice(DWORD position) {
  if (voice_ == nullptr) {
    voice_ = std::make_unique<mixer::Voice>();
  }
  if (!voice_->Valid()) {
    voice_.reset();
    return DSERR_GENERIC;
  }
  voice_->Stop();
  if (clip_ == nullptr || clipVersion_ != pcm_->version || clipFrequency_ != frequency_) {
    mixer::PcmFormat format;
    format.rate = static_cast<int>(frequency_);
    format.bits = pcm_->format.wBitsPerSample;
    format.channels = pcm_->format.nChannels;
    clip_ = mixer::Clip::FromPcm(pcm_->bytes.data(), pcm_->bytes.size(), format);
    if (clip_ == nullptr) {
      return DSERR_GENERIC;
    }
    clipVersion_ = pcm_->version;
    clipFrequency_ = frequency_;
  }
  ApplyGain();
  const std::size_t frames = position / pcm_->format.nBlockAlign;
  const std::size_t deviceFrame = mixer::Clip::DeviceFrameBytes();
  const std::size_t startByte = static_cast<std::size_t>(static_cast<double>(frames) *
                                                         mixer::DeviceRateInUse() / frequency_) *
                                deviceFrame;
  if (!voice_->Play(*clip_, startByte, looping_)) {
    return DSERR_GENERIC;
  }
  startPosition_ = position;
  startTime_ = std::chrono::steady_clock::now();
  return DS_OK;
}

void SoundBuffer::ApplyGain() {
  if (voice_ == nullptr) {
    return;
  }
  // Volume and pan are attenuations in hundredths of a decibel.
  const double volume = std::pow(10.0, volume_ / 2000.0);
  const double left = pan_ > 0 ? std::pow(10.0, -pan_ / 2000.0) : 1.0;
  const double right = pan_ < 0 ? std::pow(10.0, pan_ / 2000.0) : 1.0;
  voice_->SetGain(volume, left, right);
}

HRESULT SoundBuffer::Play(DWORD reserved, DWORD priority, DWORD flags) {
  if (reserved != 0 || (priority != 0 && (flags_ & DSBCAPS_LOCDEFER) == 0)) {
    return DSERR_INVALIDPARAM;
  }
  if (core_->cooperativeLevel == 0) {
    return DSERR_PRIOLEVELNEEDED;
  }
  const bool loop = (flags & DSBPLAY_LOOPING) != 0;
  if (Sounding() && loop == looping_) {
    return DS_OK;  // already playing: Play does not rewind
  }
  const DWORD from = Sounding() ? PlayCursor() : (started_ ? 0 : position_);
  looping_ = loop;
  const HRESULT result = StartVoice(from);
  started_ = SUCCEEDED(result);
  return result;
}

HRESULT SoundBuffer::SetCurrentPosition(DWORD position) {
  if (position >= pcm_->bytes.size()) {
    return DSERR_INVALIDPARAM;
  }
  position -= position % pcm_->format.nBlockAlign;
  if (Sounding()) {
    return StartVoice(position);  // a sounding buffer carries on from the new cursor
  }
  started_ = false;
  position_ = position;
  return DS_OK;
}

HRESULT SoundBuffer::SetFormat(LPCWAVEFORMATEX /*format*/) { return DSERR_INVALIDCALL; }

HRESULT SoundBuffer::SetVolume(LONG volume) {
  const HRESULT hr =
      SetControl(volume_, volume, (flags_ & DSBCAPS_CTRLVOLUME) != 0, DSBVOLUME_MIN, DSBVOLUME_MAX);
  if (SUCCEEDED(hr)) ApplyGain();
  return hr;
}

HRESULT SoundBuffer::SetPan(LONG pan) {
  const HRESULT hr =
      SetControl(pan_, pan, (flags_ & DSBCAPS_CTRLPAN) != 0, DSBPAN_LEFT, DSBPAN_RIGHT);
  if (SUCCEEDED(hr)) ApplyGain();
  return hr;
}

HRESULT SoundBuffer::SetFrequency(DWORD frequency) {
  if ((flags_ & DSBCAPS_CTRLFREQUENCY) == 0) {
    return DSERR_CONTROLUNAVAIL;
  }
  if (frequency == DSBFREQUENCY_ORIGINAL) {
    frequency = pcm_->format.nSamplesPerSec;
  }
  if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) {
    return DSERR_INVALIDPARAM;
  }
  frequency_ = frequency;
  return DS_OK;
}

HRESULT SoundBuffer::Stop() {
  position_ = Sounding() ? PlayCursor() : (started_ ? 0 : position_);
  started_ = false;
  if (voice_ != nullptr) {
    voice_->Stop();
  }
  return DS_OK;
}

HRESULT SoundBuffer::Restore() { return DS_OK; }

HRESULT SoundBuffer::SetFX(DWORD effectCount, DSEFFECTDESC* effects, DWORD* resultCodes) {
  if ((flags_ & DSBCAPS_CTRLFX) == 0) {
    return DSERR_CONTROLUNAVAIL;
  }
  if (Sounding() || locked_) {
    return DSERR_INVALIDCALL;
  }
  if (effectCount == 0) {
    return DS_OK;  // no effects: the only setting this mixer offers
  }
  if (effects == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  if (resultCodes != nullptr) {
    std::fill(resultCodes, resultCodes + effectCount, 2u);  // DSFXR_UNKNOWN
  }
  return DSERR_FXUNAVAILABLE;
}

HRESULT SoundBuffer::AcquireResources(DWORD /*flags*/, DWORD /*effectCount*/,
                                      DWORD* /*resultCodes*/) {
  return (flags_ & DSBCAPS_LOCDEFER) != 0 ? DS_OK : DSERR_INVALIDCALL;
}

HRESULT SoundBuffer::GetObjectInPath(REFGUID /*object*/, DWORD /*index*/, REFGUID /*iid*/,
                                     void** out) {
  if (out == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *out = nullptr;
  return DSERR_OBJECTNOTFOUND;
}

}  // namespace dsound::detail
