// The primary buffer: the output the secondary buffers mix into. Its format is recorded (the
// mixer keeps its own); it cannot be locked, duplicated or played without looping.
#include "platform/dsound/internal.h"

namespace dsound::detail {

PrimaryBuffer::PrimaryBuffer(std::shared_ptr<DeviceCore> core, DWORD flags)
    : core_(std::move(core)), flags_(flags) {
  // The classic default output format: 22050 Hz, 8-bit, stereo.
  format_.wFormatTag = WAVE_FORMAT_PCM;
  format_.nChannels = 2;
  format_.nSamplesPerSec = 22050;
  format_.wBitsPerSample = 8;
  format_.nBlockAlign = 2;
  format_.nAvgBytesPerSec = 44100;
  if ((flags_ & DSBCAPS_CTRL3D) != 0) {
    listener_ = std::make_unique<Listener>(*this);
  }
  core_->primary = this;
}

PrimaryBuffer::~PrimaryBuffer() { core_->primary = nullptr; }

HRESULT PrimaryBuffer::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirectSoundBuffer) {
    *object = static_cast<IDirectSoundBuffer*>(this);
  } else if (iid == IID_IDirectSound3DListener && listener_ != nullptr) {
    *object = static_cast<IDirectSound3DListener*>(listener_.get());
  } else {
    return E_NOINTERFACE;  // IDirectSoundBuffer8 is for secondary buffers only
  }
  AddRef();
  return S_OK;
}

HRESULT PrimaryBuffer::GetCaps(DSBCAPS* caps) {
  return GetCapsOf(flags_, format_.nAvgBytesPerSec, caps);  // one second of the output format
}

HRESULT PrimaryBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) {
  if (playCursor == nullptr && writeCursor == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  if (playCursor != nullptr) *playCursor = 0;
  if (writeCursor != nullptr) *writeCursor = 0;
  return DS_OK;
}

HRESULT PrimaryBuffer::GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) {
  return GetFormatOf(format_, format, sizeAllocated, sizeWritten);
}

HRESULT PrimaryBuffer::GetVolume(LONG* volume) {
  return GetControl(volume, volume_, (flags_ & DSBCAPS_CTRLVOLUME) != 0);
}

HRESULT PrimaryBuffer::GetPan(LONG* pan) {
  return GetControl(pan, pan_, (flags_ & DSBCAPS_CTRLPAN) != 0);
}

HRESULT PrimaryBuffer::GetFrequency(DWORD* /*frequency*/) { return DSERR_CONTROLUNAVAIL; }

HRESULT PrimaryBuffer::GetStatus(DWORD* status) {
  if (status == nullptr) return DSERR_INVALIDPARAM;
  *status = playing_ ? (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING) : 0;
  return DS_OK;
}

HRESULT PrimaryBuffer::Initialize(IDirectSound* /*device*/, const DSBUFFERDESC* /*desc*/) {
  return DSERR_ALREADYINITIALIZED;
}

HRESULT PrimaryBuffer::Lock(DWORD /*offset*/, DWORD /*bytes*/, void** /*part1*/, DWORD* /*bytes1*/,
                            void** /*part2*/, DWORD* /*bytes2*/, DWORD /*flags*/) {
  return DSERR_PRIOLEVELNEEDED;  // writing the output directly is not offered
}

HRESULT PrimaryBuffer::Unlock(void* /*part1*/, DWORD /*bytes1*/, void* /*part2*/,
                              DWORD /*bytes2*/) {
  return DSERR_INVALIDCALL;
}

HRESULT PrimaryBuffer::Play(DWORD reserved, DWORD priority, DWORD flags) {
  if (reserved != 0 || priority != 0 || (flags & DSBPLAY_LOOPING) == 0) {
    return DSERR_INVALIDPARAM;
  }
  playing_ = true;
  return DS_OK;
}

HRESULT PrimaryBuffer::Stop() {
  playing_ = false;
  return DS_OK;
}

HRESULT PrimaryBuffer::SetCurrentPosition(DWORD /*position*/) { return DSERR_INVALIDCALL; }

HRESULT PrimaryBuffer::SetFormat(LPCWAVEFORMATEX format) {
  if (format == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  if (core_->cooperativeLevel < DSSCL_PRIORITY) {
    return DSERR_PRIOLEVELNEEDED;
  }
  if (format->wFormatTag != WAVE_FORMAT_PCM || (format->nChannels != 1 && format->nChannels != 2) ||
      (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) ||
      format->nSamplesPerSec < DSBFREQUENCY_MIN || format->nSamplesPerSec > DSBFREQUENCY_MAX) {
    return DSERR_BADFORMAT;
  }
  if (format->nBlockAlign != format->nChannels * format->wBitsPerSample / 8) {
    return DSERR_INVALIDPARAM;
  }
  format_ = *format;
  format_.cbSize = 0;
  format_.nAvgBytesPerSec = format_.nSamplesPerSec * format_.nBlockAlign;
  return DS_OK;
}

HRESULT PrimaryBuffer::SetVolume(LONG volume) {
  return SetControl(volume_, volume, (flags_ & DSBCAPS_CTRLVOLUME) != 0, DSBVOLUME_MIN,
                    DSBVOLUME_MAX);
}

HRESULT PrimaryBuffer::SetPan(LONG pan) {
  return SetControl(pan_, pan, (flags_ & DSBCAPS_CTRLPAN) != 0, DSBPAN_LEFT, DSBPAN_RIGHT);
}

HRESULT PrimaryBuffer::SetFrequency(DWORD /*frequency*/) { return DSERR_CONTROLUNAVAIL; }

HRESULT PrimaryBuffer::Restore() { return DS_OK; }

}  // namespace dsound::detail
