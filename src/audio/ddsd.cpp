// The sound component: DirectSound, the primary buffer, the 3D listener and the channels.
#include "audio/ddsd.h"

#include <algorithm>
#include <cstdio>

#include "platform/dsound/com_ptr.h"

using namespace dsound;

namespace {

// COM is initialised for the loading thread as long as the library is loaded.
class ComApartment {
 public:
  ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialised_) {
      CoUninitialize();
    }
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

const ComApartment comForThisLibrary;

// The windows that already have a component.
std::vector<HWND>& OwnedWindows() {
  static std::vector<HWND> windows;
  return windows;
}

// A release that leaves a different count than expected is reported.
void ReleaseChecked(IUnknown* object, ULONG expectedLeft, const char* message) {
  if (object != nullptr && object->Release() != expectedLeft) {
    ddsd::Report(message);
  }
}

}  // namespace

// --- TDDSDParams3D, TDDSDListener -----------------------------------------------------------

TDDSDParams3D::TDDSDParams3D() : Data{} {
  Data.dwSize = sizeof(DS3DBUFFER);
  Data.dwInsideConeAngle = 360;
  Data.dwOutsideConeAngle = 360;
  Data.vConeOrientation = D3DVECTOR{0.0f, 0.0f, 1.0f};
  Data.lConeOutsideVolume = 0;
  Data.flMinDistance = 5.0f;
  Data.flMaxDistance = 100.0f;
  Data.dwMode = DS3DMODE_NORMAL;
}

TDDSDListener::TDDSDListener(IDirectSound3DListener* listener) : Data{}, listener_(listener) {
  Data.dwSize = sizeof(DS3DLISTENER);
  Data.vOrientFront = D3DVECTOR{0.0f, 0.0f, 1.0f};
  Data.vOrientTop = D3DVECTOR{0.0f, 1.0f, 0.0f};
  Data.flDistanceFactor = 1.0f;
  Data.flRolloffFactor = 1.0f;
  Data.flDopplerFactor = 1.0f;
  Apply();
}

void TDDSDListener::Apply() {
  if (listener_ != nullptr) {
    ddsd::Check(listener_->SetAllParameters(&Data, DS3D_IMMEDIATE),
                "Listenerに指定されたパラメータが不適切です");
  }
}

// --- TDDSDChannel ---------------------------------------------------------------------------

TDDSDChannel::TDDSDChannel(TDDSD* owner) : owner_(owner) {}

TDDSDChannel::~TDDSDChannel() { ReleaseBuffers(); }

void TDDSDChannel::ReleaseBuffers() {
  if (buffer3D_ != nullptr) {
    std::exchange(buffer3D_, nullptr)->Release();
  }
  if (buffer_ != nullptr) {
    std::exchange(buffer_, nullptr)->Release();
  }
  is3D_ = false;
}

void TDDSDChannel::SetWaveData(TDDSDGenWave* wave) {
  if (!owner_->Initialized()) {
    return;
  }
  ReleaseBuffers();
  wave_ = nullptr;  // until the new wave is bound
  frequency_ = 0;
  if (wave == nullptr) {
    return;
  }
  if (wave->Effects()) {
    // Effects live on the wave's own buffer: the channel shares it instead of a copy. A wave
    // that loaded nothing has no buffer to share, which fails like a failed copy.
    if (wave->buffer_ == nullptr) {
      ddsd::Check(DSERR_INVALIDPARAM, "setWaveData サウンドバッファの複製に失敗しました");
      return;
    }
    wave->buffer_->AddRef();
    buffer_ = wave->buffer_;
    wave->lastChannel_ = this;
  } else {
    ComPtr<IDirectSoundBuffer> duplicate;
    if (!ddsd::Check(owner_->DirectSound()->DuplicateSoundBuffer(wave->buffer_, duplicate.Put()),
                     "setWaveData サウンドバッファの複製に失敗しました")) {
      return;
    }
    if (!ddsd::Check(
            duplicate->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer_)),
            "setWaveData QueryInterfaceに失敗しました")) {
      buffer_ = nullptr;
      return;
    }
  }
  if (wave->Is3D()) {
    if (!ddsd::Check(
            buffer_->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&buffer3D_)),
            "setWaveData 3Dサウンドバッファの作成に失敗しました")) {
      buffer3D_ = nullptr;
    } else {
      is3D_ = true;
      ddsd::Check(buffer3D_->SetAllParameters(&params3D_.Data, DS3D_IMMEDIATE),
                  "Params3Dに指定されたパラメータが不適切です");
    }
  }
  frequency_ = wave->Format().nSamplesPerSec;
  wave_ = wave;
}

void TDDSDChannel::Play() {
  if (buffer_ != nullptr) {
    buffer_->SetCurrentPosition(0);
    buffer_->Play(0, 0, 0);
  }
}

void TDDSDChannel::Stop() {
  if (buffer_ != nullptr) {
    buffer_->Stop();
  }
}

// --- TDDSD ----------------------------------------------------------------------------------

TDDSD::TDDSD(HWND ownerWindow) : ownerWindow_(ownerWindow) {
  if (ownerWindow_ != nullptr) {
    auto& owned = OwnedWindows();
    if (std::find(owned.begin(), owned.end(), ownerWindow_) != owned.end()) {
      throw Exception("DDSDコンポーネントを、同一フォームに2つ以上貼る事はできません");
    }
    owned.push_back(ownerWindow_);
  }
}

TDDSD::~TDDSD() {
  Shutdown();
  if (ownerWindow_ != nullptr) {
    auto& owned = OwnedWindows();
    owned.erase(std::remove(owned.begin(), owned.end(), ownerWindow_), owned.end());
  }
}

void TDDSD::SetDebugOption(TDDSDDebugOptions options) {
  debugOption_ = options;
  ddsd::ApplyDebugOption(options);
}

void TDDSD::Loaded() {
  ddsd::ApplyDebugOption(debugOption_);
  Initialize();
}

void TDDSD::Shutdown() {
  channels_.clear();
  listener_.reset();
  // The listener is an interface of the primary buffer: releasing it leaves the primary's own.
  ReleaseChecked(std::exchange(listener3D_, nullptr), 1,
                 "DirectSound3D Listnerの解放に失敗しました");
  ReleaseChecked(std::exchange(primary_, nullptr), 0, "一次バッファの解放に失敗しました");
  ReleaseChecked(std::exchange(directSound_, nullptr), 0, "DirectSoundの解放に失敗しました");
  initialized_ = false;
}

void TDDSD::Initialize() {
  Shutdown();
  for (int i = 0; i < channelCount_; ++i) {
    channels_.push_back(std::make_unique<TDDSDChannel>(this));
  }
  ComPtr<IDirectSound8> device;
  if (FAILED(CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound8,
                              device.PutVoid()))) {
    return;  // no sound: the game runs silently
  }
  if (FAILED(device->Initialize(nullptr))) {
    return;
  }
  directSound_ = device.Detach();
  initialized_ = true;
  ddsd::Check(directSound_->SetCooperativeLevel(ownerWindow_, DSSCL_PRIORITY),
              "DirectSoundの協調レベルの設定に失敗しました");
  DSBUFFERDESC desc{};
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = DSBCAPS_PRIMARYBUFFER | (use3D_ ? DSBCAPS_CTRL3D : 0);
  if (!ddsd::Check(directSound_->CreateSoundBuffer(&desc, &primary_, nullptr),
                   "一次バッファの作成に失敗しました")) {
    primary_ = nullptr;
    return;
  }
  if (use3D_) {
    if (!ddsd::Check(primary_->QueryInterface(IID_IDirectSound3DListener,
                                              reinterpret_cast<void**>(&listener3D_)),
                     "DirectSound3D Listenerの作成に失敗しました")) {
      listener3D_ = nullptr;
      return;
    }
    listener_ = std::make_unique<TDDSDListener>(listener3D_);
  }
}

TDDSDChannel* TDDSD::Channel(int index) {
  if (index < 0 || index >= static_cast<int>(channels_.size())) {
    char message[256];
    std::snprintf(message, sizeof message,
                  "チャンネル番号%dは無効です、%d～%dの範囲で指定してください", index, 0,
                  static_cast<int>(channels_.size()) - 1);
    ddsd::Fail(message);
    return nullptr;
  }
  return channels_[static_cast<std::size_t>(index)].get();
}
