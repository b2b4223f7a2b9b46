// DirectSound 8 as the sound library uses it, on SDL2_mixer: COM-style creation, the device,
// the primary buffer, secondary buffers (create, duplicate, lock, play once or looped, stop,
// frequency, volume, pan, position), the 3D listener and 3D buffer interfaces (parameters are
// validated and kept; no positional rendering), and reference counting. Buffers mix freely.
// PCM only: 8-bit unsigned or 16-bit signed, mono or stereo, 100 to 200000 Hz.
//
// Differences a caller may notice: a frequency change takes effect at the buffer's next Play
// or position change; the play cursor of a sounding buffer is estimated from elapsed time.
// DirectSound's own names live in namespace dsound so they never meet another stand-in's; the
// Windows scalar types, GUID, HWND and the common result codes are the platform base's.
#pragma once

#include <cstdint>

#include "platform/base/windows_types.h"
#include "platform/mmio/mmio.h"

namespace dsound {

using D3DVALUE = float;

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;
using LPCGUID = const GUID*;

// Result codes (as signed 32-bit values of the published hexadecimal codes); the common COM ones
// are the platform base's.
inline constexpr HRESULT DS_OK = 0;
inline constexpr HRESULT DS_NO_VIRTUALIZATION = MakeResult(0x0878000A);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeResult(0x80040110);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeResult(0x80040154);
inline constexpr HRESULT CO_E_NOTINITIALIZED = MakeResult(0x800401F0);
inline constexpr HRESULT RPC_E_CHANGED_MODE = MakeResult(0x80010106);
inline constexpr HRESULT DSERR_ALLOCATED = MakeResult(0x8878000A);
inline constexpr HRESULT DSERR_CONTROLUNAVAIL = MakeResult(0x8878001E);
inline constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
inline constexpr HRESULT DSERR_INVALIDCALL = MakeResult(0x88780032);
inline constexpr HRESULT DSERR_GENERIC = E_FAIL;
inline constexpr HRESULT DSERR_PRIOLEVELNEEDED = MakeResult(0x88780046);
inline constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
inline constexpr HRESULT DSERR_BADFORMAT = MakeResult(0x88780064);
inline constexpr HRESULT DSERR_UNSUPPORTED = E_NOTIMPL;
inline constexpr HRESULT DSERR_NODRIVER = MakeResult(0x88780078);
inline constexpr HRESULT DSERR_ALREADYINITIALIZED = MakeResult(0x88780082);
inline constexpr HRESULT DSERR_NOAGGREGATION = CLASS_E_NOAGGREGATION;
inline constexpr HRESULT DSERR_BUFFERLOST = MakeResult(0x88780096);
inline constexpr HRESULT DSERR_OTHERAPPHASPRIO = MakeResult(0x887800A0);
inline constexpr HRESULT DSERR_UNINITIALIZED = MakeResult(0x887800AA);
inline constexpr HRESULT DSERR_NOINTERFACE = E_NOINTERFACE;
inline constexpr HRESULT DSERR_ACCESSDENIED = E_ACCESSDENIED;
inline constexpr HRESULT DSERR_BUFFERTOOSMALL = MakeResult(0x887800B4);
inline constexpr HRESULT DSERR_DS8_REQUIRED = MakeResult(0x887800BE);
inline constexpr HRESULT DSERR_SENDLOOP = MakeResult(0x887800C8);
inline constexpr HRESULT DSERR_BADSENDBUFFERGUID = MakeResult(0x887800D2);
inline constexpr HRESULT DSERR_FXUNAVAILABLE = MakeResult(0x887800DC);
inline constexpr HRESULT DSERR_OBJECTNOTFOUND = MakeResult(0x88781161);

// COM.
inline constexpr DWORD COINIT_MULTITHREADED = 0x0;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_ALL = 0x17;

extern const GUID IID_IUnknown;
extern const CLSID CLSID_DirectSound8;
extern const IID IID_IDirectSound;
extern const IID IID_IDirectSound8;
extern const IID IID_IDirectSoundBuffer;
extern const IID IID_IDirectSoundBuffer8;
extern const IID IID_IDirectSound3DBuffer;
extern const IID IID_IDirectSound3DListener;
extern const GUID DSDEVID_DefaultPlayback;
extern const GUID GUID_NULL;

// Cooperative levels.
inline constexpr DWORD DSSCL_NORMAL = 1;
inline constexpr DWORD DSSCL_PRIORITY = 2;
inline constexpr DWORD DSSCL_EXCLUSIVE = 3;
inline constexpr DWORD DSSCL_WRITEPRIMARY = 4;

// Buffer capabilities.
inline constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
inline constexpr DWORD DSBCAPS_STATIC = 0x00000002;
inline constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
inline constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
inline constexpr DWORD DSBCAPS_CTRL3D = 0x00000010;
inline constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
inline constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
inline constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
inline constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x00000100;
inline constexpr DWORD DSBCAPS_CTRLFX = 0x00000200;
inline constexpr DWORD DSBCAPS_STICKYFOCUS = 0x00004000;
inline constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;
inline constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;
inline constexpr DWORD DSBCAPS_MUTE3DATMAXDISTANCE = 0x00020000;
inline constexpr DWORD DSBCAPS_LOCDEFER = 0x00040000;

inline constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
inline constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
inline constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
inline constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;
inline constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
inline constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

inline constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
inline constexpr DWORD DSBFREQUENCY_MIN = 100;
inline constexpr DWORD DSBFREQUENCY_MAX = 200000;
inline constexpr LONG DSBPAN_LEFT = -10000;
inline constexpr LONG DSBPAN_CENTER = 0;
inline constexpr LONG DSBPAN_RIGHT = 10000;
inline constexpr LONG DSBVOLUME_MIN = -10000;
inline constexpr LONG DSBVOLUME_MAX = 0;
inline constexpr DWORD DSBSIZE_MIN = 4;
inline constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;
inline constexpr DWORD DSBSIZE_FX_MIN = 150;  // milliseconds of sound an effects buffer needs

inline constexpr DWORD DSSPEAKER_STEREO = 4;
inline constexpr DWORD DS_CERTIFIED = 0;
inline constexpr DWORD DS_UNCERTIFIED = 1;

inline constexpr WORD WAVE_FORMAT_PCM = 1;
inline constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 3;
inline constexpr WORD WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

// Natural alignment makes this 20 bytes: 18 of format and 2 of padding.
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};
static_assert(sizeof(WAVEFORMATEX) == 20);
using LPWAVEFORMATEX = WAVEFORMATEX*;
using LPCWAVEFORMATEX = const WAVEFORMATEX*;

struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  LPWAVEFORMATEX lpwfxFormat;
  GUID guid3DAlgorithm;
};

struct DSBCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwUnlockTransferRate;
  DWORD dwPlayCpuOverhead;
};

struct DSCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwMinSecondarySampleRate;
  DWORD dwMaxSecondarySampleRate;
  DWORD dwPrimaryBuffers;
  DWORD dwMaxHwMixingAllBuffers;
  DWORD dwMaxHwMixingStaticBuffers;
  DWORD dwMaxHwMixingStreamingBuffers;
  DWORD dwFreeHwMixingAllBuffers;
  DWORD dwFreeHwMixingStaticBuffers;
  DWORD dwFreeHwMixingStreamingBuffers;
  DWORD dwMaxHw3DAllBuffers;
  DWORD dwMaxHw3DStaticBuffers;
  DWORD dwMaxHw3DStreamingBuffers;
  DWORD dwFreeHw3DAllBuffers;
  DWORD dwFreeHw3DStaticBuffers;
  DWORD dwFreeHw3DStreamingBuffers;
  DWORD dwTotalHwMemBytes;
  DWORD dwFreeHwMemBytes;
  DWORD dwMaxContigFreeHwMemBytes;
  DWORD dwUnlockTransferRateHwBuffers;
  DWORD dwPlayCpuOverheadSwBuffers;
  DWORD dwReserved1;
  DWORD dwReserved2;
};
inline constexpr DWORD DSCAPS_PRIMARYMONO = 0x1;
inline constexpr DWORD DSCAPS_PRIMARYSTEREO = 0x2;
inline constexpr DWORD DSCAPS_PRIMARY8BIT = 0x4;
inline constexpr DWORD DSCAPS_PRIMARY16BIT = 0x8;
inline constexpr DWORD DSCAPS_CONTINUOUSRATE = 0x10;
inline constexpr DWORD DSCAPS_EMULDRIVER = 0x20;

struct DSEFFECTDESC {
  DWORD dwSize;
  DWORD dwFlags;
  GUID guidDSFXClass;
  std::uintptr_t dwReserved1;
  std::uintptr_t dwReserved2;
};

// Interfaces. Objects free themselves when their last reference is released.
class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

class IDirectSound;

class IDirectSoundBuffer : public IUnknown {
 public:
  virtual HRESULT GetCaps(DSBCAPS* caps) = 0;
  virtual HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) = 0;
  virtual HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) = 0;
  virtual HRESULT GetVolume(LONG* volume) = 0;
  virtual HRESULT GetPan(LONG* pan) = 0;
  virtual HRESULT GetFrequency(DWORD* frequency) = 0;
  virtual HRESULT GetStatus(DWORD* status) = 0;
  virtual HRESULT Initialize(IDirectSound* device, const DSBUFFERDESC* desc) = 0;
  virtual HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2,
                       DWORD* bytes2, DWORD flags) = 0;
  virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
  virtual HRESULT SetCurrentPosition(DWORD position) = 0;
  virtual HRESULT SetFormat(LPCWAVEFORMATEX format) = 0;
  virtual HRESULT SetVolume(LONG volume) = 0;
  virtual HRESULT SetPan(LONG pan) = 0;
  virtual HRESULT SetFrequency(DWORD frequency) = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) = 0;
  virtual HRESULT Restore() = 0;
};

class IDirectSoundBuffer8 : public IDirectSoundBuffer {
 public:
  virtual HRESULT SetFX(DWORD effectCount, DSEFFECTDESC* effects, DWORD* resultCodes) = 0;
  virtual HRESULT AcquireResources(DWORD flags, DWORD effectCount, DWORD* resultCodes) = 0;
  virtual HRESULT GetObjectInPath(REFGUID object, DWORD index, REFGUID iid, void** out) = 0;
};

class IDirectSound : public IUnknown {
 public:
  virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                                    IUnknown* outer) = 0;
  virtual HRESULT GetCaps(DSCAPS* caps) = 0;
  virtual HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original,
                                       IDirectSoundBuffer** duplicate) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
  virtual HRESULT Compact() = 0;
  virtual HRESULT GetSpeakerConfig(DWORD* config) = 0;
  virtual HRESULT SetSpeakerConfig(DWORD config) = 0;
  virtual HRESULT Initialize(LPCGUID device) = 0;
};

class IDirectSound8 : public IDirectSound {
 public:
  virtual HRESULT VerifyCertification(DWORD* certified) = 0;
};

// ---- Specified by the design, not used by the game: 3D sound ------------------------------------
// The sound library can position its channels (a listener on the primary buffer, a 3D buffer per
// channel); the game leaves that switched off. Parameters are validated and kept, deferred ones
// committed on request, but nothing is positioned: the mixer plays every buffer as it is.

inline constexpr DWORD DS3D_IMMEDIATE = 0;
inline constexpr DWORD DS3D_DEFERRED = 1;
inline constexpr DWORD DS3DMODE_NORMAL = 0;
inline constexpr DWORD DS3DMODE_HEADRELATIVE = 1;
inline constexpr DWORD DS3DMODE_DISABLE = 2;
inline constexpr DWORD DS3D_MINCONEANGLE = 0;
inline constexpr DWORD DS3D_MAXCONEANGLE = 360;
inline constexpr DWORD DS3D_DEFAULTCONEANGLE = 360;
inline constexpr LONG DS3D_DEFAULTCONEOUTSIDEVOLUME = DSBVOLUME_MAX;
inline constexpr D3DVALUE DS3D_DEFAULTMINDISTANCE = 1.0f;
inline constexpr D3DVALUE DS3D_DEFAULTMAXDISTANCE = 1000000000.0f;
inline constexpr D3DVALUE DS3D_MINROLLOFFFACTOR = 0.0f;
inline constexpr D3DVALUE DS3D_MAXROLLOFFFACTOR = 10.0f;
inline constexpr D3DVALUE DS3D_DEFAULTROLLOFFFACTOR = 1.0f;
inline constexpr D3DVALUE DS3D_MINDOPPLERFACTOR = 0.0f;
inline constexpr D3DVALUE DS3D_MAXDOPPLERFACTOR = 10.0f;
inline constexpr D3DVALUE DS3D_DEFAULTDOPPLERFACTOR = 1.0f;
inline constexpr D3DVALUE DS3D_DEFAULTDISTANCEFACTOR = 1.0f;

struct D3DVECTOR {
  D3DVALUE x;
  D3DVALUE y;
  D3DVALUE z;
};

struct DS3DBUFFER {
  DWORD dwSize;
  D3DVECTOR vPosition;
  D3DVECTOR vVelocity;
  DWORD dwInsideConeAngle;
  DWORD dwOutsideConeAngle;
  D3DVECTOR vConeOrientation;
  LONG lConeOutsideVolume;
  D3DVALUE flMinDistance;
  D3DVALUE flMaxDistance;
  DWORD dwMode;
};
static_assert(sizeof(DS3DBUFFER) == 64);

struct DS3DLISTENER {
  DWORD dwSize;
  D3DVECTOR vPosition;
  D3DVECTOR vVelocity;
  D3DVECTOR vOrientFront;
  D3DVECTOR vOrientTop;
  D3DVALUE flDistanceFactor;
  D3DVALUE flRolloffFactor;
  D3DVALUE flDopplerFactor;
};
static_assert(sizeof(DS3DLISTENER) == 64);

class IDirectSound3DListener : public IUnknown {
 public:
  virtual HRESULT GetAllParameters(DS3DLISTENER* listener) = 0;
  virtual HRESULT GetDistanceFactor(D3DVALUE* factor) = 0;
  virtual HRESULT GetDopplerFactor(D3DVALUE* factor) = 0;
  virtual HRESULT GetOrientation(D3DVECTOR* front, D3DVECTOR* top) = 0;
  virtual HRESULT GetPosition(D3DVECTOR* position) = 0;
  virtual HRESULT GetRolloffFactor(D3DVALUE* factor) = 0;
  virtual HRESULT GetVelocity(D3DVECTOR* velocity) = 0;
  virtual HRESULT SetAllParameters(const DS3DLISTENER* listener, DWORD apply) = 0;
  virtual HRESULT SetDistanceFactor(D3DVALUE factor, DWORD apply) = 0;
  virtual HRESULT SetDopplerFactor(D3DVALUE factor, DWORD apply) = 0;
  virtual HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop,
                                 D3DVALUE yTop, D3DVALUE zTop, DWORD apply) = 0;
  virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
  virtual HRESULT SetRolloffFactor(D3DVALUE factor, DWORD apply) = 0;
  virtual HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
  virtual HRESULT CommitDeferredSettings() = 0;
};

class IDirectSound3DBuffer : public IUnknown {
 public:
  virtual HRESULT GetAllParameters(DS3DBUFFER* buffer) = 0;
  virtual HRESULT GetConeAngles(DWORD* inside, DWORD* outside) = 0;
  virtual HRESULT GetConeOrientation(D3DVECTOR* orientation) = 0;
  virtual HRESULT GetConeOutsideVolume(LONG* volume) = 0;
  virtual HRESULT GetMaxDistance(D3DVALUE* distance) = 0;
  virtual HRESULT GetMinDistance(D3DVALUE* distance) = 0;
  virtual HRESULT GetMode(DWORD* mode) = 0;
  virtual HRESULT GetPosition(D3DVECTOR* position) = 0;
  virtual HRESULT GetVelocity(D3DVECTOR* velocity) = 0;
  virtual HRESULT SetAllParameters(const DS3DBUFFER* buffer, DWORD apply) = 0;
  virtual HRESULT SetConeAngles(DWORD inside, DWORD outside, DWORD apply) = 0;
  virtual HRESULT SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
  virtual HRESULT SetConeOutsideVolume(LONG volume, DWORD apply) = 0;
  virtual HRESULT SetMaxDistance(D3DVALUE distance, DWORD apply) = 0;
  virtual HRESULT SetMinDistance(D3DVALUE distance, DWORD apply) = 0;
  virtual HRESULT SetMode(DWORD mode, DWORD apply) = 0;
  virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
  virtual HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
};

// COM for the calling thread. The first call on a thread returns S_OK, later ones S_FALSE;
// asking for the other threading model returns RPC_E_CHANGED_MODE. Calls pair up.
HRESULT CoInitializeEx(void* reserved, DWORD model);
void CoUninitialize();
// Only CLSID_DirectSound8 (in-process) is known. Needs COM on the calling thread. The object is
// created when an audio output device can be opened (SDL's dummy driver counts; the silent
// fallback the mixer uses when nothing opens does not) and fails with DSERR_NODRIVER otherwise.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);
// The same object, already initialised for the default device.
HRESULT DirectSoundCreate8(LPCGUID device, IDirectSound8** object, IUnknown* outer);

}  // namespace dsound
