#include "platform/dsound/dsound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/mixer/mixer.h"
#include "support/mix_capture.h"

using namespace dsound;
using namespace std::chrono_literals;

namespace {

WAVEFORMATEX Pcm(int channels, int rate, int bits) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = static_cast<WORD>(channels);
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.wBitsPerSample = static_cast<WORD>(bits);
  format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  return format;
}

DSBUFFERDESC Desc(DWORD flags, DWORD bytes, WAVEFORMATEX* format) {
  DSBUFFERDESC desc{};
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = flags;
  desc.dwBufferBytes = bytes;
  desc.lpwfxFormat = format;
  return desc;
}

// COM and an initialised device at priority level for each test.
class DirectSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_EQ(CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound8,
                               reinterpret_cast<void**>(&device_)),
              S_OK);
    ASSERT_EQ(device_->Initialize(nullptr), DS_OK);
    ASSERT_EQ(device_->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
  }
  void TearDown() override {
    if (device_ != nullptr) {
      EXPECT_EQ(device_->Release(), 0u);
    }
    CoUninitialize();
  }

  // A secondary buffer filled with one 16-bit value on every sample.
  IDirectSoundBuffer8* Constant(int channels, int rate, double seconds, std::int16_t value,
                                DWORD flags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY) {
    WAVEFORMATEX format = Pcm(channels, rate, 16);
    const DWORD bytes = static_cast<DWORD>(rate * seconds) * format.nBlockAlign;
    DSBUFFERDESC desc = Desc(flags, bytes, &format);
    IDirectSoundBuffer* first = nullptr;
    if (device_->CreateSoundBuffer(&desc, &first, nullptr) != DS_OK) {
      return nullptr;
    }
    IDirectSoundBuffer8* buffer = nullptr;
    first->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer));
    first->Release();
    void* part = nullptr;
    DWORD size = 0;
    buffer->Lock(0, 0, &part, &size, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    auto* samples = static_cast<std::int16_t*>(part);
    for (DWORD i = 0; i < size / 2; ++i) {
      samples[i] = value;
    }
    buffer->Unlock(part, size, nullptr, 0);
    return buffer;
  }

  static bool Playing(IDirectSoundBuffer* buffer) {
    DWORD status = 0;
    buffer->GetStatus(&status);
    return (status & DSBSTATUS_PLAYING) != 0;
  }

  static bool WaitUntilSilent(IDirectSoundBuffer* buffer, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Playing(buffer)) {
      if (std::chrono::steady_clock::now() > deadline) {
        return false;
      }
      std::this_thread::sleep_for(5ms);
    }
    return true;
  }

  IDirectSound8* device_ = nullptr;
};

}  // namespace

TEST(DirectSoundCom, ApartmentAndCreationRules) {
  IUnknown* object = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound8,
                             reinterpret_cast<void**>(&object)),
            CO_E_NOTINITIALIZED);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
  EXPECT_EQ(CoCreateInstance(IID_IDirectSound8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound8,
                             reinterpret_cast<void**>(&object)),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IDirectSoundBuffer, reinterpret_cast<void**>(&object)),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);

  IDirectSound8* device = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound8,
                             reinterpret_cast<void**>(&device)),
            S_OK);
  IDirectSoundBuffer* buffer = nullptr;
  DSBUFFERDESC desc = Desc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
  EXPECT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_UNINITIALIZED);
  EXPECT_EQ(device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DSERR_UNINITIALIZED);
  const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(device->Initialize(&other), DSERR_NODRIVER);
  EXPECT_EQ(device->Initialize(&DSDEVID_DefaultPlayback), DS_OK);
  EXPECT_EQ(device->Initialize(nullptr), DSERR_ALREADYINITIALIZED);
  EXPECT_EQ(device->SetCooperativeLevel(nullptr, 9), DSERR_INVALIDPARAM);
  EXPECT_EQ(device->Release(), 0u);
  CoUninitialize();
  CoUninitialize();
}

TEST(DirectSoundCom, NoOutputDeviceMeansNoObject) {
  // Only the dummy fallback can open: that is no device for DirectSound.
  const char* previous = std::getenv("SDL_AUDIODRIVER");
  const std::string saved = previous != nullptr ? previous : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  IDirectSound8* device = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound8,
                             reinterpret_cast<void**>(&device)),
            DSERR_NODRIVER);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DSERR_NODRIVER);
  {
    mixer::Session session;  // music and speech still get a (silent) device
    EXPECT_EQ(session.Kind(), mixer::Output::kSilent);
  }
  CoUninitialize();
  if (previous != nullptr) {
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  } else {
    unsetenv("SDL_AUDIODRIVER");
  }
}

TEST_F(DirectSoundTest, SecondaryBufferFormatsAndFlags) {
  struct Case {
    WAVEFORMATEX format;
    DWORD flags;
    DWORD bytes;
    HRESULT expected;
  };
  WAVEFORMATEX floatFormat = Pcm(1, 44100, 32);
  floatFormat.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
  WAVEFORMATEX badAlign = Pcm(2, 22050, 16);
  badAlign.nBlockAlign = 3;
  const Case cases[] = {
      {Pcm(1, 8000, 8), 0xE0, 800, DS_OK},
      {Pcm(2, 44100, 16), 0xE0 | DSBCAPS_GLOBALFOCUS, 4000, DS_OK},
      {Pcm(1, 22050, 16), 0xB0, 4000, DS_OK},               // 3D, mono
      {Pcm(2, 22050, 16), 0xB0, 4000, DSERR_INVALIDPARAM},  // 3D must be mono
      {Pcm(1, 22050, 16), 0xB0 | DSBCAPS_CTRLPAN, 4000, DSERR_INVALIDPARAM},
      {Pcm(1, 44100, 24), 0xE0, 4002, DSERR_BADFORMAT},
      {Pcm(3, 44100, 16), 0xE0, 4002, DSERR_BADFORMAT},
      {Pcm(1, 50, 16), 0xE0, 4000, DSERR_BADFORMAT},
      {Pcm(1, 300000, 16), 0xE0, 4000, DSERR_BADFORMAT},
      {floatFormat, 0xE0, 4000, DSERR_BADFORMAT},
      {badAlign, 0xE0, 4000, DSERR_INVALIDPARAM},
      {Pcm(1, 8000, 8), 0xE0, 0, DSERR_INVALIDPARAM},
      {Pcm(1, 8000, 8), 0xE0, DSBSIZE_MAX + 1, DSERR_INVALIDPARAM},
      {Pcm(1, 8000, 16), 0x2E0, 1000, DSERR_BUFFERTOOSMALL},  // effects need 150 ms
      {Pcm(1, 8000, 16), 0x2E0, 2400, DS_OK},
      {Pcm(1, 8000, 16), DSBCAPS_LOCHARDWARE, 2400, DSERR_UNSUPPORTED},
  };
  for (const Case& c : cases) {
    WAVEFORMATEX format = c.format;
    DSBUFFERDESC desc = Desc(c.flags, c.bytes, &format);
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(device_->CreateSoundBuffer(&desc, &buffer, nullptr), c.expected)
        << "flags " << std::hex << c.flags << " bits " << std::dec << format.wBitsPerSample;
    if (buffer != nullptr) {
      DSBCAPS caps{};
      caps.dwSize = sizeof caps;
      EXPECT_EQ(buffer->GetCaps(&caps), DS_OK);
      EXPECT_EQ(caps.dwBufferBytes, c.bytes);
      EXPECT_EQ(caps.dwFlags & c.flags, c.flags);
      EXPECT_EQ(buffer->Release(), 0u);
    }
  }
  DSBUFFERDESC noFormat = Desc(0xE0, 100, nullptr);
  IDirectSoundBuffer* buffer = nullptr;
  EXPECT_EQ(device_->CreateSoundBuffer(&noFormat, &buffer, nullptr), DSERR_INVALIDPARAM);
  WAVEFORMATEX format = Pcm(1, 8000, 8);
  DSBUFFERDESC wrongSize = Desc(0xE0, 100, &format);
  wrongSize.dwSize = 20;
  EXPECT_EQ(device_->CreateSoundBuffer(&wrongSize, &buffer, nullptr), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, BothBufferKindsReportTheirFormat) {
  WAVEFORMATEX wanted = Pcm(2, 44100, 16);
  DSBUFFERDESC primaryDesc = Desc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&primaryDesc, &primary, nullptr), DS_OK);
  ASSERT_EQ(primary->SetFormat(&wanted), DS_OK);
  IDirectSoundBuffer8* secondary = Constant(1, 8000, 0.1, 0);
  ASSERT_NE(secondary, nullptr);

  const struct {
    IDirectSoundBuffer* buffer;
    WAVEFORMATEX expected;
  } cases[] = {{primary, wanted}, {secondary, Pcm(1, 8000, 16)}};
  for (const auto& c : cases) {
    DWORD written = 0;
    EXPECT_EQ(c.buffer->GetFormat(nullptr, 0, &written), DS_OK);
    EXPECT_EQ(written, sizeof(WAVEFORMATEX));
    EXPECT_EQ(c.buffer->GetFormat(nullptr, 0, nullptr), DSERR_INVALIDPARAM);
    WAVEFORMATEX got{};
    EXPECT_EQ(c.buffer->GetFormat(&got, sizeof got, &written), DS_OK);
    EXPECT_EQ(written, sizeof got);
    EXPECT_EQ(got.nChannels, c.expected.nChannels);
    EXPECT_EQ(got.nSamplesPerSec, c.expected.nSamplesPerSec);
    EXPECT_EQ(got.nAvgBytesPerSec, c.expected.nAvgBytesPerSec);
    // A short record gets only what fits.
    WAVEFORMATEX partial{};
    partial.nSamplesPerSec = 1;
    EXPECT_EQ(c.buffer->GetFormat(&partial, 4, &written), DS_OK);
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(partial.nChannels, c.expected.nChannels);
    EXPECT_EQ(partial.nSamplesPerSec, 1u);
  }
  EXPECT_EQ(secondary->Release(), 0u);
  EXPECT_EQ(primary->Release(), 0u);
}

TEST_F(DirectSoundTest, InterfacesShareOneReferenceCount) {
  DSBUFFERDESC primaryDesc = Desc(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&primaryDesc, &primary, nullptr), DS_OK);
  IDirectSoundBuffer* again = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&primaryDesc, &again, nullptr), DS_OK);
  EXPECT_EQ(again, primary);  // one primary buffer per device
  EXPECT_EQ(again->Release(), 1u);
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(primary->QueryInterface(IID_IDirectSoundBuffer8, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  IDirectSound3DListener* listener = nullptr;
  ASSERT_EQ(
      primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)),
      S_OK);
  EXPECT_EQ(primary->Release(), 1u);  // the listener keeps the primary alive
  DS3DLISTENER params{};
  params.dwSize = sizeof params;
  ASSERT_EQ(listener->GetAllParameters(&params), DS_OK);
  EXPECT_EQ(params.flDopplerFactor, 1.0f);
  EXPECT_EQ(params.vOrientTop.y, 1.0f);
  EXPECT_EQ(listener->Release(), 0u);

  WAVEFORMATEX format = Pcm(1, 22050, 16);
  DSBUFFERDESC desc = Desc(0xE0, 2000, &format);
  IDirectSoundBuffer* plain = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&desc, &plain, nullptr), DS_OK);
  void* threeD = nullptr;
  EXPECT_EQ(plain->QueryInterface(IID_IDirectSound3DBuffer, &threeD), E_NOINTERFACE);
  IDirectSoundBuffer8* plain8 = nullptr;
  ASSERT_EQ(plain->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&plain8)),
            S_OK);
  EXPECT_EQ(plain->Release(), 1u);
  EXPECT_EQ(plain8->Release(), 0u);
}

TEST_F(DirectSoundTest, ThreeDParametersAreValidatedAndDeferred) {
  WAVEFORMATEX format = Pcm(1, 22050, 16);
  DSBUFFERDESC desc = Desc(0xB0, 2000, &format);
  IDirectSoundBuffer* buffer = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
  IDirectSound3DBuffer* threeD = nullptr;
  ASSERT_EQ(buffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&threeD)),
            S_OK);
  DS3DBUFFER params{};
  params.dwSize = sizeof params;
  ASSERT_EQ(threeD->GetAllParameters(&params), DS_OK);
  params.flMinDistance = 5.0f;
  params.flMaxDistance = 100.0f;
  EXPECT_EQ(threeD->SetAllParameters(&params, DS3D_IMMEDIATE), DS_OK);
  D3DVALUE distance = 0;
  threeD->GetMinDistance(&distance);
  EXPECT_EQ(distance, 5.0f);

  DS3DBUFFER bad = params;
  bad.dwInsideConeAngle = 361;
  EXPECT_EQ(threeD->SetAllParameters(&bad, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  bad = params;
  bad.dwSize = 60;
  EXPECT_EQ(threeD->SetAllParameters(&bad, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(threeD->SetConeAngles(200, 100, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(threeD->SetMode(3, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(threeD->SetMinDistance(0.0f, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(threeD->SetPosition(1, 2, 3, 7), DSERR_INVALIDPARAM);

  // Deferred settings wait for the listener's commit.
  DSBUFFERDESC primaryDesc = Desc(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&primaryDesc, &primary, nullptr), DS_OK);
  IDirectSound3DListener* listener = nullptr;
  ASSERT_EQ(
      primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)),
      S_OK);
  EXPECT_EQ(threeD->SetPosition(1, 2, 3, DS3D_DEFERRED), DS_OK);
  D3DVECTOR where{};
  threeD->GetPosition(&where);
  EXPECT_EQ(where.x, 0.0f);
  EXPECT_EQ(listener->SetOrientation(0, 0, 1, 0, 0, 2, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(listener->SetRolloffFactor(11.0f, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(listener->SetDistanceFactor(0.0f, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(listener->CommitDeferredSettings(), DS_OK);
  threeD->GetPosition(&where);
  EXPECT_EQ(where.z, 3.0f);
  listener->Release();
  primary->Release();
  threeD->Release();
  EXPECT_EQ(buffer->Release(), 0u);
}

TEST_F(DirectSoundTest, LockInOneOrTwoPartsAndDuplicatesShareTheData) {
  WAVEFORMATEX format = Pcm(1, 8000, 8);
  DSBUFFERDESC desc = Desc(0xE0, 100, &format);
  IDirectSoundBuffer* buffer = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD b1 = 0;
  DWORD b2 = 0;
  ASSERT_EQ(buffer->Lock(80, 40, &p1, &b1, &p2, &b2, 0), DS_OK);
  EXPECT_EQ(b1, 20u);  // to the end of the buffer
  EXPECT_EQ(b2, 20u);  // and on from its start
  ASSERT_NE(p2, nullptr);
  std::memset(p1, 0x11, b1);
  std::memset(p2, 0x22, b2);
  EXPECT_EQ(buffer->Unlock(p2, b1, nullptr, 0), DSERR_INVALIDPARAM);  // not what Lock gave
  EXPECT_EQ(buffer->Unlock(p1, b1, p2, b2), DS_OK);
  EXPECT_EQ(buffer->Lock(80, 40, &p1, &b1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(buffer->Lock(100, 1, &p1, &b1, &p2, &b2, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(buffer->Lock(0, 101, &p1, &b1, &p2, &b2, 0), DSERR_INVALIDPARAM);

  IDirectSoundBuffer* copy = nullptr;
  ASSERT_EQ(device_->DuplicateSoundBuffer(buffer, &copy), DS_OK);
  ASSERT_EQ(copy->Lock(0, 0, &p1, &b1, &p2, &b2, DSBLOCK_ENTIREBUFFER), DS_OK);
  EXPECT_EQ(b1, 100u);
  EXPECT_EQ(b2, 0u);
  const auto* bytes = static_cast<const std::uint8_t*>(p1);
  EXPECT_EQ(bytes[0], 0x22);
  EXPECT_EQ(bytes[19], 0x22);
  EXPECT_EQ(bytes[20], 0x80);  // untouched 8-bit silence
  EXPECT_EQ(bytes[99], 0x11);
  EXPECT_EQ(copy->Unlock(p1, b1, nullptr, 0), DS_OK);
  EXPECT_EQ(buffer->Release(), 0u);
  EXPECT_EQ(copy->Release(), 0u);  // the shared data outlives the original

  DSBUFFERDESC primaryDesc = Desc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&primaryDesc, &primary, nullptr), DS_OK);
  EXPECT_EQ(device_->DuplicateSoundBuffer(primary, &copy), DSERR_INVALIDCALL);
  EXPECT_EQ(primary->Lock(0, 4, &p1, &b1, &p2, &b2, 0), DSERR_PRIOLEVELNEEDED);
  primary->Release();

  WAVEFORMATEX fxFormat = Pcm(1, 8000, 16);
  DSBUFFERDESC fxDesc = Desc(0x2E0, 4000, &fxFormat);
  IDirectSoundBuffer* fx = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&fxDesc, &fx, nullptr), DS_OK);
  EXPECT_EQ(device_->DuplicateSoundBuffer(fx, &copy), DSERR_INVALIDCALL);
  fx->Release();
}

TEST_F(DirectSoundTest, ControlsNeedTheirFlags) {
  WAVEFORMATEX format = Pcm(1, 8000, 8);
  DSBUFFERDESC desc = Desc(0, 800, &format);
  IDirectSoundBuffer* bare = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&desc, &bare, nullptr), DS_OK);
  EXPECT_EQ(bare->SetFrequency(11025), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(bare->SetVolume(-100), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(bare->SetPan(100), DSERR_CONTROLUNAVAIL);
  bare->Release();

  desc.dwFlags = 0xE0;
  IDirectSoundBuffer* full = nullptr;
  ASSERT_EQ(device_->CreateSoundBuffer(&desc, &full, nullptr), DS_OK);
  EXPECT_EQ(full->SetFrequency(99), DSERR_INVALIDPARAM);
  EXPECT_EQ(full->SetFrequency(200001), DSERR_INVALIDPARAM);
  EXPECT_EQ(full->SetFrequency(16000), DS_OK);
  DWORD frequency = 0;
  full->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 16000u);
  EXPECT_EQ(full->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
  full->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 8000u);
  EXPECT_EQ(full->SetVolume(1), DSERR_INVALIDPARAM);
  EXPECT_EQ(full->SetPan(-10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(full->SetCurrentPosition(800), DSERR_INVALIDPARAM);
  EXPECT_EQ(full->Play(1, 0, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(full->SetFormat(&format), DSERR_INVALIDCALL);
  full->Release();
}

TEST_F(DirectSoundTest, PlaysOnceAtItsFrequencyAndStops) {
  IDirectSoundBuffer8* buffer = Constant(1, 22050, 0.3, 1000);
  ASSERT_NE(buffer, nullptr);
  EXPECT_FALSE(Playing(buffer));
  ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
  EXPECT_TRUE(Playing(buffer));
  EXPECT_TRUE(WaitUntilSilent(buffer, 5s));  // a one-shot ends on its own

  // Twice the rate: the same data is over in half the time.
  ASSERT_EQ(buffer->SetFrequency(44100), DS_OK);
  testwave::MixCapture capture;
  ASSERT_EQ(buffer->SetCurrentPosition(0), DS_OK);
  ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
  EXPECT_TRUE(WaitUntilSilent(buffer, 5s));
  capture.WaitFrames(4096);
  const double heard = static_cast<double>(capture.SoundingFrames()) / mixer::kDeviceRate;
  EXPECT_NEAR(heard, 0.15, 0.02);

  ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  DWORD status = 0;
  buffer->GetStatus(&status);
  EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  std::this_thread::sleep_for(400ms);
  EXPECT_TRUE(Playing(buffer));  // still going after more than its length
  ASSERT_EQ(buffer->Stop(), DS_OK);
  EXPECT_FALSE(Playing(buffer));
  EXPECT_EQ(buffer->Release(), 0u);
}

TEST_F(DirectSoundTest, PlayingNeedsACooperativeLevel) {
  IDirectSound8* device = nullptr;
  ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
  WAVEFORMATEX format = Pcm(1, 8000, 8);
  DSBUFFERDESC desc = Desc(0xE0, 800, &format);
  IDirectSoundBuffer* buffer = nullptr;
  ASSERT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
  EXPECT_EQ(buffer->Play(0, 0, 0), DSERR_PRIOLEVELNEEDED);
  ASSERT_EQ(device->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DS_OK);
  EXPECT_EQ(buffer->Play(0, 0, 0), DS_OK);
  buffer->Release();
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(DirectSoundTest, BuffersMixAndRewindingRestarts) {
  // 44100 Hz stereo needs no resampling, so the mixer's output holds the exact sums.
  IDirectSoundBuffer8* a = Constant(2, 44100, 1.0, 6000);
  IDirectSoundBuffer8* b = Constant(2, 44100, 1.0, 5000);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  IDirectSoundBuffer* aCopy = nullptr;
  ASSERT_EQ(device_->DuplicateSoundBuffer(a, &aCopy), DS_OK);
  testwave::MixCapture capture;

  // One buffer rewound while sounding: never louder than itself, and it lasts longer.
  a->Play(0, 0, 0);
  std::this_thread::sleep_for(300ms);
  a->SetCurrentPosition(0);
  a->Play(0, 0, 0);
  EXPECT_TRUE(WaitUntilSilent(a, 5s));
  capture.WaitFrames(4096);
  EXPECT_EQ(capture.Peak(), 6000);
  EXPECT_GT(capture.SoundingFrames(), static_cast<std::size_t>(44100 * 1.2));

  // Different buffers, and a duplicate of a sounding one, add up.
  capture.Clear();
  a->SetCurrentPosition(0);
  a->Play(0, 0, 0);
  b->Play(0, 0, 0);
  aCopy->Play(0, 0, 0);
  EXPECT_TRUE(WaitUntilSilent(a, 5s));
  EXPECT_TRUE(WaitUntilSilent(b, 5s));
  capture.WaitFrames(4096);
  EXPECT_EQ(capture.Peak(), 17000);
  EXPECT_GT(capture.FramesAtLevel(17000), 44100u / 2);
  aCopy->Release();
  a->Release();
  b->Release();
}

// With the audio device open, SIGTERM still ends the process (SDL must not swallow it).
TEST(MixerDevice, TerminationSignalStillEndsTheProcess) {
  EXPECT_EXIT(
      {
        mixer::Session session;
        std::raise(SIGTERM);
        std::exit(0);  // reached only if the signal was swallowed
      },
      testing::KilledBySignal(SIGTERM), "");
}
