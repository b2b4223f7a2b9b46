// Direct3D 9's plain types, enumerations, constants, result codes and structures, under their
// published names and values. Only what this system's graphics code and our software device use
// is declared; every value is the one the Direct3D 9 API publishes.
#pragma once

#include <cstdint>

#include "platform/base/windows_types.h"

using D3DCOLOR = DWORD;

// Region data of Present's dirty region; only a null pointer is ever passed.
struct RGNDATA;

// ---- Result codes -------------------------------------------------------------------------------
constexpr HRESULT MakeD3DHResult(std::uint32_t code) {
  return static_cast<HRESULT>(0x88760000u | code);
}

inline constexpr HRESULT D3D_OK = 0;

inline constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MakeD3DHResult(380);
inline constexpr HRESULT D3DERR_WASSTILLDRAWING = MakeD3DHResult(540);
inline constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = MakeD3DHResult(2072);
inline constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = MakeD3DHResult(2073);
inline constexpr HRESULT D3DERR_UNSUPPORTEDCOLORARG = MakeD3DHResult(2074);
inline constexpr HRESULT D3DERR_UNSUPPORTEDALPHAOPERATION = MakeD3DHResult(2075);
inline constexpr HRESULT D3DERR_UNSUPPORTEDALPHAARG = MakeD3DHResult(2076);
inline constexpr HRESULT D3DERR_TOOMANYOPERATIONS = MakeD3DHResult(2077);
inline constexpr HRESULT D3DERR_CONFLICTINGTEXTUREFILTER = MakeD3DHResult(2078);
inline constexpr HRESULT D3DERR_UNSUPPORTEDFACTORVALUE = MakeD3DHResult(2079);
inline constexpr HRESULT D3DERR_CONFLICTINGRENDERSTATE = MakeD3DHResult(2081);
inline constexpr HRESULT D3DERR_UNSUPPORTEDTEXTUREFILTER = MakeD3DHResult(2082);
inline constexpr HRESULT D3DERR_CONFLICTINGTEXTUREPALETTE = MakeD3DHResult(2086);
inline constexpr HRESULT D3DERR_DRIVERINTERNALERROR = MakeD3DHResult(2087);
inline constexpr HRESULT D3DERR_NOTFOUND = MakeD3DHResult(2150);
inline constexpr HRESULT D3DERR_MOREDATA = MakeD3DHResult(2151);
inline constexpr HRESULT D3DERR_DEVICELOST = MakeD3DHResult(2152);
inline constexpr HRESULT D3DERR_DEVICENOTRESET = MakeD3DHResult(2153);
inline constexpr HRESULT D3DERR_NOTAVAILABLE = MakeD3DHResult(2154);
inline constexpr HRESULT D3DERR_INVALIDDEVICE = MakeD3DHResult(2155);
inline constexpr HRESULT D3DERR_INVALIDCALL = MakeD3DHResult(2156);
inline constexpr HRESULT D3DERR_DRIVERINVALIDCALL = MakeD3DHResult(2157);

// ---- Versions, adapters, creation flags ---------------------------------------------------------
inline constexpr UINT D3D_SDK_VERSION = 32;
inline constexpr UINT D3DADAPTER_DEFAULT = 0;
inline constexpr DWORD D3DENUM_WHQL_LEVEL = 0x00000002;

inline constexpr DWORD D3DCREATE_FPU_PRESERVE = 0x00000002;
inline constexpr DWORD D3DCREATE_MULTITHREADED = 0x00000004;
inline constexpr DWORD D3DCREATE_PUREDEVICE = 0x00000010;
inline constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
inline constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x00000040;
inline constexpr DWORD D3DCREATE_MIXED_VERTEXPROCESSING = 0x00000080;

enum D3DDEVTYPE : std::uint32_t {
  D3DDEVTYPE_HAL = 1,
  D3DDEVTYPE_REF = 2,
  D3DDEVTYPE_SW = 3,
  D3DDEVTYPE_NULLREF = 4,
};

// ---- Formats ------------------------------------------------------------------------------------
enum D3DFORMAT : std::uint32_t {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_R8G8B8 = 20,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_R5G6B5 = 23,
  D3DFMT_X1R5G5B5 = 24,
  D3DFMT_A1R5G5B5 = 25,
  D3DFMT_A4R4G4B4 = 26,
  D3DFMT_R3G3B2 = 27,
  D3DFMT_A8 = 28,
  D3DFMT_A8R3G3B2 = 29,
  D3DFMT_X4R4G4B4 = 30,
  D3DFMT_A2B10G10R10 = 31,
  D3DFMT_A8B8G8R8 = 32,
  D3DFMT_X8B8G8R8 = 33,
  D3DFMT_G16R16 = 34,
  D3DFMT_A2R10G10B10 = 35,
  D3DFMT_A16B16G16R16 = 36,
  D3DFMT_A8P8 = 40,
  D3DFMT_P8 = 41,
  D3DFMT_L8 = 50,
  D3DFMT_A8L8 = 51,
  D3DFMT_A4L4 = 52,
  D3DFMT_V8U8 = 60,
  D3DFMT_L6V5U5 = 61,
  D3DFMT_X8L8V8U8 = 62,
  D3DFMT_Q8W8V8U8 = 63,
  D3DFMT_V16U16 = 64,
  D3DFMT_A2W10V10U10 = 67,
  D3DFMT_D16_LOCKABLE = 70,
  D3DFMT_D32 = 71,
  D3DFMT_D15S1 = 73,
  D3DFMT_D24S8 = 75,
  D3DFMT_D24X8 = 77,
  D3DFMT_D24X4S4 = 79,
  D3DFMT_D16 = 80,
  D3DFMT_D32F_LOCKABLE = 82,
  D3DFMT_D24FS8 = 83,
  D3DFMT_L16 = 81,
  D3DFMT_VERTEXDATA = 100,
  D3DFMT_INDEX16 = 101,
  D3DFMT_INDEX32 = 102,
  D3DFMT_UYVY = MAKEFOURCC('U', 'Y', 'V', 'Y'),
  D3DFMT_YUY2 = MAKEFOURCC('Y', 'U', 'Y', '2'),
  D3DFMT_DXT1 = MAKEFOURCC('D', 'X', 'T', '1'),
  D3DFMT_DXT2 = MAKEFOURCC('D', 'X', 'T', '2'),
  D3DFMT_DXT3 = MAKEFOURCC('D', 'X', 'T', '3'),
  D3DFMT_DXT4 = MAKEFOURCC('D', 'X', 'T', '4'),
  D3DFMT_DXT5 = MAKEFOURCC('D', 'X', 'T', '5'),
  D3DFMT_FORCE_DWORD = 0x7FFFFFFF,
};

// ---- Resources ----------------------------------------------------------------------------------
enum D3DRESOURCETYPE : std::uint32_t {
  D3DRTYPE_SURFACE = 1,
  D3DRTYPE_VOLUME = 2,
  D3DRTYPE_TEXTURE = 3,
  D3DRTYPE_VOLUMETEXTURE = 4,
  D3DRTYPE_CUBETEXTURE = 5,
  D3DRTYPE_VERTEXBUFFER = 6,
  D3DRTYPE_INDEXBUFFER = 7,
};

enum D3DPOOL : std::uint32_t {
  D3DPOOL_DEFAULT = 0,
  D3DPOOL_MANAGED = 1,
  D3DPOOL_SYSTEMMEM = 2,
  D3DPOOL_SCRATCH = 3,
};

inline constexpr DWORD D3DUSAGE_RENDERTARGET = 0x00000001;
inline constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x00000002;
inline constexpr DWORD D3DUSAGE_WRITEONLY = 0x00000008;
inline constexpr DWORD D3DUSAGE_DYNAMIC = 0x00000200;
inline constexpr DWORD D3DUSAGE_AUTOGENMIPMAP = 0x00000400;

inline constexpr DWORD D3DLOCK_READONLY = 0x00000010;
inline constexpr DWORD D3DLOCK_DISCARD = 0x00002000;
inline constexpr DWORD D3DLOCK_NOOVERWRITE = 0x00001000;
inline constexpr DWORD D3DLOCK_NOSYSLOCK = 0x00000800;
inline constexpr DWORD D3DLOCK_DONOTWAIT = 0x00004000;
inline constexpr DWORD D3DLOCK_NO_DIRTY_UPDATE = 0x00008000;

enum D3DMULTISAMPLE_TYPE : std::uint32_t {
  D3DMULTISAMPLE_NONE = 0,
  D3DMULTISAMPLE_NONMASKABLE = 1,
  D3DMULTISAMPLE_2_SAMPLES = 2,
  D3DMULTISAMPLE_4_SAMPLES = 4,
  D3DMULTISAMPLE_8_SAMPLES = 8,
  D3DMULTISAMPLE_16_SAMPLES = 16,
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format = D3DFMT_UNKNOWN;
  D3DRESOURCETYPE Type = D3DRTYPE_SURFACE;
  DWORD Usage = 0;
  D3DPOOL Pool = D3DPOOL_DEFAULT;
  D3DMULTISAMPLE_TYPE MultiSampleType = D3DMULTISAMPLE_NONE;
  DWORD MultiSampleQuality = 0;
  UINT Width = 0;
  UINT Height = 0;
};

struct D3DLOCKED_RECT {
  INT Pitch = 0;
  void* pBits = nullptr;
};

// ---- Presentation -------------------------------------------------------------------------------
enum D3DSWAPEFFECT : std::uint32_t {
  D3DSWAPEFFECT_DISCARD = 1,
  D3DSWAPEFFECT_FLIP = 2,
  D3DSWAPEFFECT_COPY = 3,
};

enum D3DBACKBUFFER_TYPE : std::uint32_t {
  D3DBACKBUFFER_TYPE_MONO = 0,
  D3DBACKBUFFER_TYPE_LEFT = 1,
  D3DBACKBUFFER_TYPE_RIGHT = 2,
};

inline constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x00000001;
inline constexpr DWORD D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL = 0x00000002;

inline constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0x00000000;
inline constexpr UINT D3DPRESENT_INTERVAL_ONE = 0x00000001;
inline constexpr UINT D3DPRESENT_INTERVAL_TWO = 0x00000002;
inline constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000;

inline constexpr UINT D3DPRESENT_BACK_BUFFERS_MAX = 3;

// The published 14-field record.
struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth = 0;
  UINT BackBufferHeight = 0;
  D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
  UINT BackBufferCount = 0;
  D3DMULTISAMPLE_TYPE MultiSampleType = D3DMULTISAMPLE_NONE;
  DWORD MultiSampleQuality = 0;
  D3DSWAPEFFECT SwapEffect = static_cast<D3DSWAPEFFECT>(0);
  HWND hDeviceWindow = nullptr;
  BOOL Windowed = FALSE;
  BOOL EnableAutoDepthStencil = FALSE;
  D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
  DWORD Flags = 0;
  UINT FullScreen_RefreshRateInHz = 0;
  UINT PresentationInterval = 0;
};

struct D3DDISPLAYMODE {
  UINT Width = 0;
  UINT Height = 0;
  UINT RefreshRate = 0;
  D3DFORMAT Format = D3DFMT_UNKNOWN;
};

struct D3DDEVICE_CREATION_PARAMETERS {
  UINT AdapterOrdinal = 0;
  D3DDEVTYPE DeviceType = D3DDEVTYPE_HAL;
  HWND hFocusWindow = nullptr;
  DWORD BehaviorFlags = 0;
};

inline constexpr int MAX_DEVICE_IDENTIFIER_STRING = 512;

struct D3DADAPTER_IDENTIFIER9 {
  char Driver[MAX_DEVICE_IDENTIFIER_STRING] = {};
  char Description[MAX_DEVICE_IDENTIFIER_STRING] = {};
  char DeviceName[32] = {};
  LARGE_INTEGER DriverVersion = {};
  DWORD VendorId = 0;
  DWORD DeviceId = 0;
  DWORD SubSysId = 0;
  DWORD Revision = 0;
  GUID DeviceIdentifier = {};
  DWORD WHQLLevel = 0;
};

// ---- Drawing ------------------------------------------------------------------------------------
struct D3DRECT {
  LONG x1 = 0;
  LONG y1 = 0;
  LONG x2 = 0;
  LONG y2 = 0;
};

inline constexpr DWORD D3DCLEAR_TARGET = 0x00000001;
inline constexpr DWORD D3DCLEAR_ZBUFFER = 0x00000002;
inline constexpr DWORD D3DCLEAR_STENCIL = 0x00000004;

struct D3DVIEWPORT9 {
  DWORD X = 0;
  DWORD Y = 0;
  DWORD Width = 0;
  DWORD Height = 0;
  float MinZ = 0.0f;
  float MaxZ = 1.0f;
};

// Row-major: m[0][0] is _11, m[3][0..2] the translation (_41, _42, _43).
struct D3DMATRIX {
  float m[4][4] = {};
};

enum D3DTRANSFORMSTATETYPE : std::uint32_t {
  D3DTS_VIEW = 2,
  D3DTS_PROJECTION = 3,
  D3DTS_TEXTURE0 = 16,
  D3DTS_TEXTURE1 = 17,
  D3DTS_TEXTURE2 = 18,
  D3DTS_TEXTURE3 = 19,
  D3DTS_TEXTURE4 = 20,
  D3DTS_TEXTURE5 = 21,
  D3DTS_TEXTURE6 = 22,
  D3DTS_TEXTURE7 = 23,
  D3DTS_WORLD = 256,
  D3DTS_WORLD1 = 257,
  D3DTS_WORLD2 = 258,
  D3DTS_WORLD3 = 259,
};

constexpr D3DTRANSFORMSTATETYPE D3DTS_WORLDMATRIX(UINT index) {
  return static_cast<D3DTRANSFORMSTATETYPE>(index + 256);
}

enum D3DPRIMITIVETYPE : std::uint32_t {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};

// Flexible vertex format bits.
inline constexpr DWORD D3DFVF_RESERVED0 = 0x001;
inline constexpr DWORD D3DFVF_POSITION_MASK = 0x400E;
inline constexpr DWORD D3DFVF_XYZ = 0x002;
inline constexpr DWORD D3DFVF_XYZRHW = 0x004;
inline constexpr DWORD D3DFVF_XYZB1 = 0x006;
inline constexpr DWORD D3DFVF_XYZW = 0x4002;
inline constexpr DWORD D3DFVF_NORMAL = 0x010;
inline constexpr DWORD D3DFVF_PSIZE = 0x020;
inline constexpr DWORD D3DFVF_DIFFUSE = 0x040;
inline constexpr DWORD D3DFVF_SPECULAR = 0x080;
inline constexpr DWORD D3DFVF_TEXCOUNT_MASK = 0xF00;
inline constexpr DWORD D3DFVF_TEXCOUNT_SHIFT = 8;
inline constexpr DWORD D3DFVF_TEX0 = 0x000;
inline constexpr DWORD D3DFVF_TEX1 = 0x100;
inline constexpr DWORD D3DFVF_TEX2 = 0x200;
