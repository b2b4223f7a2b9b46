// COM creation and the DirectSound object: initialisation, cooperative level, buffer creation
// and duplication.
#include <cstring>
#include <new>

#include "platform/dsound/internal.h"

namespace dsound {

const GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const CLSID CLSID_DirectSound8 = {
    0x3901CC3F, 0x84B5, 0x4FA4, {0xBA, 0x35, 0xAA, 0x81, 0x72, 0xB8, 0xA0, 0x9B}};
const IID IID_IDirectSound = {
    0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSound8 = {
    0xC50A7E93, 0xF395, 0x4834, {0x9E, 0xF6, 0x7F, 0xA9, 0x9D, 0xE5, 0x09, 0x66}};
const IID IID_IDirectSoundBuffer = {
    0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSoundBuffer8 = {
    0x6825A449, 0x7524, 0x4D82, {0x92, 0x0F, 0x50, 0xE3, 0x6A, 0xB3, 0xAB, 0x1E}};
const IID IID_IDirectSound3DBuffer = {
    0x279AFA86, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSound3DListener = {
    0x279AFA84, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const GUID DSDEVID_DefaultPlayback = {
    0xDEF00000, 0x9C6D, 0x47ED, {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};
const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace {

// COM's per-thread state: how often it was initialised and with which model.
thread_local int comInitCount = 0;
thread_local DWORD comModel = 0;

}  // namespace

HRESULT CoInitializeEx(void* /*reserved*/, DWORD model) {
  if (model != COINIT_APARTMENTTHREADED && model != COINIT_MULTITHREADED) {
    return E_INVALIDARG;
  }
  if (comInitCount > 0) {
    if (model != comModel) {
      return RPC_E_CHANGED_MODE;
    }
    ++comInitCount;
    return S_FALSE;
  }
  comModel = model;
  comInitCount = 1;
  return S_OK;
}

void CoUninitialize() {
  if (comInitCount > 0) {
    --comInitCount;
  }
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  if (comInitCount == 0) {
    return CO_E_NOTINITIALIZED;
  }
  if (!(clsid == CLSID_DirectSound8) || (context & CLSCTX_INPROC_SERVER) == 0) {
    return REGDB_E_CLASSNOTREG;
  }
  if (outer != nullptr) {
    return CLASS_E_NOAGGREGATION;
  }
  detail::Device* device = nullptr;
  HRESULT result = detail::NewDevice(&device);
  if (FAILED(result)) {
    return result;
  }
  result = device->QueryInterface(iid, object);
  device->Release();  // the interface asked for holds the one reference left
  return result;
}

HRESULT DirectSoundCreate8(LPCGUID deviceId, IDirectSound8** object, IUnknown* outer) {
  if (object == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *object = nullptr;
  if (outer != nullptr) {
    return DSERR_NOAGGREGATION;
  }
  detail::Device* device = nullptr;
  HRESULT result = detail::NewDevice(&device);
  if (FAILED(result)) {
    return result;
  }
  result = device->Initialize(deviceId);
  if (FAILED(result)) {
    device->Release();
    return result;
  }
  *object = device;
  return DS_OK;
}

namespace detail {

bool IsGuid(REFIID a, REFIID b) { return a == b; }

HRESULT NewDevice(Device** device) {
  auto session = std::make_unique<mixer::Session>();
  if (session->Kind() != mixer::Output::kDevice) {
    return DSERR_NODRIVER;
  }
  *device = new (std::nothrow) Device(std::move(session));
  return *device == nullptr ? DSERR_OUTOFMEMORY : DS_OK;  // the same code as E_OUTOFMEMORY
}

HRESULT Device::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  if (iid == IID_IUnknown || iid == IID_IDirectSound || iid == IID_IDirectSound8) {
    *object = static_cast<IDirectSound8*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT Device::Initialize(LPCGUID deviceId) {
  if (core_ != nullptr) {
    return DSERR_ALREADYINITIALIZED;
  }
  if (deviceId != nullptr && !(*deviceId == GUID_NULL) && !(*deviceId == DSDEVID_DefaultPlayback)) {
    return DSERR_NODRIVER;  // only the default output exists
  }
  auto core = std::make_shared<DeviceCore>();
  if (core->session.Kind() != mixer::Output::kDevice) {
    return DSERR_NODRIVER;
  }
  core_ = std::move(core);
  opened_.reset();  // the core holds the device open from now on
  return DS_OK;
}

HRESULT Device::SetCooperativeLevel(HWND /*window*/, DWORD level) {
  if (core_ == nullptr) {
    return DSERR_UNINITIALIZED;
  }
  if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) {
    return DSERR_INVALIDPARAM;
  }
  core_->cooperativeLevel = level;
  return DS_OK;
}

namespace {

// The checks DirectSound makes on a secondary buffer's format: PCM it can mix, and a block
// size that matches it.
HRESULT ValidateFormat(const WAVEFORMATEX& format) {
  if (format.wFormatTag != WAVE_FORMAT_PCM) {
    return DSERR_BADFORMAT;
  }
  if ((format.nChannels != 1 && format.nChannels != 2) ||
      (format.wBitsPerSample != 8 && format.wBitsPerSample != 16)) {
    return DSERR_BADFORMAT;
  }
  if (format.nSamplesPerSec < DSBFREQUENCY_MIN || format.nSamplesPerSec > DSBFREQUENCY_MAX) {
    return DSERR_BADFORMAT;
  }
  if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8) {
    return DSERR_INVALIDPARAM;
  }
  return DS_OK;
}

}  // namespace

HRESULT Device::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                                  IUnknown* outer) {
  if (core_ == nullptr) {
    return DSERR_UNINITIALIZED;
  }
  if (desc == nullptr || buffer == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *buffer = nullptr;
  if (outer != nullptr) {
    return DSERR_NOAGGREGATION;
  }
  if (desc->dwSize != sizeof(DSBUFFERDESC) || desc->dwReserved != 0) {
    return DSERR_INVALIDPARAM;
  }
  const DWORD flags = desc->dwFlags;
  if ((flags & DSBCAPS_LOCHARDWARE) != 0 && (flags & DSBCAPS_LOCSOFTWARE) != 0) {
    return DSERR_INVALIDPARAM;
  }
  if ((flags & DSBCAPS_LOCHARDWARE) != 0) {
    return DSERR_UNSUPPORTED;  // everything is mixed in software
  }
  if ((flags & DSBCAPS_PRIMARYBUFFER) != 0) {
    if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr ||
        (flags & (DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLFX | DSBCAPS_CTRLPOSITIONNOTIFY)) != 0) {
      return DSERR_INVALIDPARAM;
    }
    if (core_->primary != nullptr) {
      core_->primary->AddRef();  // there is only one primary buffer
      *buffer = core_->primary;
      return DS_OK;
    }
    auto* primary = new (std::nothrow) PrimaryBuffer(core_, flags);
    if (primary == nullptr) {
      return DSERR_OUTOFMEMORY;
    }
    *buffer = primary;
    return DS_OK;
  }
  if (desc->lpwfxFormat == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  const WAVEFORMATEX& format = *desc->lpwfxFormat;
  const HRESULT formatResult = ValidateFormat(format);
  if (FAILED(formatResult)) {
    return formatResult;
  }
  if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) {
    return DSERR_INVALIDPARAM;
  }
  if ((flags & DSBCAPS_CTRL3D) != 0 && (format.nChannels != 1 || (flags & DSBCAPS_CTRLPAN) != 0)) {
    return DSERR_INVALIDPARAM;  // 3D sound is positioned mono sound
  }
  if ((flags & DSBCAPS_CTRLFX) != 0 &&
      static_cast<std::uint64_t>(desc->dwBufferBytes) * 1000 <
          static_cast<std::uint64_t>(format.nSamplesPerSec) * format.nBlockAlign * DSBSIZE_FX_MIN) {
    return DSERR_BUFFERTOOSMALL;
  }
  auto pcm = std::make_shared<SharedPcm>();
  try {
    pcm->bytes.assign(desc->dwBufferBytes, format.wBitsPerSample == 8 ? 0x80 : 0x00);
  } catch (const std::bad_alloc&) {
    return DSERR_OUTOFMEMORY;
  }
  pcm->format = format;
  pcm->format.cbSize = 0;
  pcm->format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  auto* created = new (std::nothrow) SoundBuffer(core_, std::move(pcm), flags);
  if (created == nullptr) {
    return DSERR_OUTOFMEMORY;
  }
  *buffer = created;
  return DS_OK;
}

HRESULT Device::DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate) {
  if (core_ == nullptr) {
    return DSERR_UNINITIALIZED;
  }
  if (original == nullptr || duplicate == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *duplicate = nullptr;
  auto* source = dynamic_cast<SoundBuffer*>(original);
  if (source == nullptr) {
    return DSERR_INVALIDCALL;  // the primary buffer cannot be duplicated
  }
  if ((source->Flags() & DSBCAPS_CTRLFX) != 0) {
    return DSERR_INVALIDCALL;  // nor can a buffer with effects
  }
  SoundBuffer* copy = source->Duplicate();
  if (copy == nullptr) {
    return DSERR_OUTOFMEMORY;
  }
  *duplicate = copy;
  return DS_OK;
}

HRESULT Device::GetCaps(DSCAPS* caps) {
  if (core_ == nullptr) {
    return DSERR_UNINITIALIZED;
  }
  if (caps == nullptr || caps->dwSize != sizeof(DSCAPS)) {
    return DSERR_INVALIDPARAM;
  }
  std::memset(caps, 0, sizeof(DSCAPS));
  caps->dwSize = sizeof(DSCAPS);
  caps->dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT |
                  DSCAPS_PRIMARY16BIT | DSCAPS_CONTINUOUSRATE | DSCAPS_EMULDRIVER;
  caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
  caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
  caps->dwPrimaryBuffers = 1;
  return DS_OK;
}

HRESULT Device::Compact() {
  if (core_ == nullptr) {
    return DSERR_UNINITIALIZED;
  }
  return core_->cooperativeLevel >= DSSCL_PRIORITY ? DS_OK : DSERR_PRIOLEVELNEEDED;
}

HRESULT Device::GetSpeakerConfig(DWORD* config) {
  if (core_ == nullptr) {
    return DSERR_UNINITIALIZED;
  }
  if (config == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *config = speakerConfig_;
  return DS_OK;
}

HRESULT Device::SetSpeakerConfig(DWORD config) {
  if (core_ == nullptr) {
    return DSERR_UNINITIALIZED;
  }
  speakerConfig_ = config;
  return DS_OK;
}

HRESULT Device::VerifyCertification(DWORD* certified) {
  if (core_ == nullptr) {
    return DSERR_UNINITIALIZED;
  }
  if (certified == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *certified = DS_UNCERTIFIED;
  return DS_OK;
}

}  // namespace detail
}  // namespace dsound
