// The Windows scalar types, small records and common result codes, declared once for every
// platform stand-in (GDI, the multimedia files and timer, DirectSound, Direct3D 9) under their
// published names, sizes and values. A window handle means one thing everywhere: a pointer to the
// TOwnerWindow the game's window implements (platform/base/owner_window.h).
#pragma once

#include <cstdint>

// ---- Scalars ------------------------------------------------------------------------------------
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using SHORT = std::int16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT64 = std::uint64_t;
using BOOL = std::int32_t;
using CHAR = char;
using FLOAT = float;
using HANDLE = void*;
using LPSTR = char*;
using LPCSTR = const char*;
using HPSTR = char*;  // a "huge" pointer of 16-bit Windows; an ordinary one here

// A four-character code (a RIFF chunk, a Direct3D format): the first character in the lowest byte.
constexpr DWORD MAKEFOURCC(char c0, char c1, char c2, char c3) {
  return static_cast<DWORD>(static_cast<BYTE>(c0)) |
         static_cast<DWORD>(static_cast<BYTE>(c1)) << 8 |
         static_cast<DWORD>(static_cast<BYTE>(c2)) << 16 |
         static_cast<DWORD>(static_cast<BYTE>(c3)) << 24;
}

#ifndef TRUE
inline constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
inline constexpr BOOL FALSE = 0;
#endif

class TOwnerWindow;
using HWND = TOwnerWindow*;

// ---- Small records ------------------------------------------------------------------------------
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};

struct GUID {
  DWORD Data1 = 0;
  WORD Data2 = 0;
  WORD Data3 = 0;
  BYTE Data4[8] = {};
};

constexpr bool operator==(const GUID& a, const GUID& b) {
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3;
}

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  std::int64_t QuadPart;
};

// ---- Result codes -------------------------------------------------------------------------------
// An HRESULT is negative for a failure; the published codes are written as unsigned hexadecimal.
using HRESULT = std::int32_t;
// The multimedia functions' result: 0 for success, an error number otherwise.
using MMRESULT = std::uint32_t;

constexpr HRESULT MakeResult(std::uint32_t code) { return static_cast<HRESULT>(code); }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeResult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeResult(0x80004002);
inline constexpr HRESULT E_POINTER = MakeResult(0x80004003);
inline constexpr HRESULT E_FAIL = MakeResult(0x80004005);
inline constexpr HRESULT E_ACCESSDENIED = MakeResult(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = MakeResult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeResult(0x80070057);
