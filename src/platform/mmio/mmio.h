// The multimedia file functions of the design (mmioOpenA, mmioDescend, mmioRead, mmioAscend,
// mmioClose, plus mmioSeek) over files and memory, with the published structures and codes.
//
// Guarantees beyond the classic API: nothing is ever read outside the file's (or memory
// block's) data. A read past the end returns fewer bytes. A descent fails with
// MMIOERR_CHUNKNOTFOUND unless a whole chunk header (and, for RIFF and LIST, the form type) is
// present. A chunk whose size runs past the end of its parent has its size clamped to the
// parent. Chunks start on even offsets: a chunk of odd size is followed by one pad byte.
//
// File names are Shift-JIS bytes, as the ANSI function takes them.
#pragma once

#include <cstdint>

#include "platform/base/windows_types.h"

namespace mmio {

using FOURCC = std::uint32_t;

struct MmioFile;
using HMMIO = MmioFile*;

constexpr FOURCC mmioFOURCC(char c0, char c1, char c2, char c3) {
  return MAKEFOURCC(c0, c1, c2, c3);
}

inline constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
inline constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');
inline constexpr FOURCC FOURCC_DOS = mmioFOURCC('D', 'O', 'S', ' ');
inline constexpr FOURCC FOURCC_MEM = mmioFOURCC('M', 'E', 'M', ' ');

// Result codes.
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MMIOERR_BASE = 256;
inline constexpr MMRESULT MMIOERR_FILENOTFOUND = MMIOERR_BASE + 1;
inline constexpr MMRESULT MMIOERR_OUTOFMEMORY = MMIOERR_BASE + 2;
inline constexpr MMRESULT MMIOERR_CANNOTOPEN = MMIOERR_BASE + 3;
inline constexpr MMRESULT MMIOERR_CANNOTCLOSE = MMIOERR_BASE + 4;
inline constexpr MMRESULT MMIOERR_CANNOTREAD = MMIOERR_BASE + 5;
inline constexpr MMRESULT MMIOERR_CANNOTWRITE = MMIOERR_BASE + 6;
inline constexpr MMRESULT MMIOERR_CANNOTSEEK = MMIOERR_BASE + 7;
inline constexpr MMRESULT MMIOERR_CANNOTEXPAND = MMIOERR_BASE + 8;
inline constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = MMIOERR_BASE + 9;
inline constexpr MMRESULT MMIOERR_UNBUFFERED = MMIOERR_BASE + 10;
inline constexpr MMRESULT MMIOERR_PATHNOTFOUND = MMIOERR_BASE + 11;
inline constexpr MMRESULT MMIOERR_ACCESSDENIED = MMIOERR_BASE + 12;
inline constexpr MMRESULT MMIOERR_SHARINGVIOLATION = MMIOERR_BASE + 13;
inline constexpr MMRESULT MMIOERR_NETWORKERROR = MMIOERR_BASE + 14;
inline constexpr MMRESULT MMIOERR_TOOMANYOPENFILES = MMIOERR_BASE + 15;
inline constexpr MMRESULT MMIOERR_INVALIDFILE = MMIOERR_BASE + 16;

// mmioOpenA flags (only reading is offered).
inline constexpr DWORD MMIO_READ = 0x00000000;
inline constexpr DWORD MMIO_WRITE = 0x00000001;
inline constexpr DWORD MMIO_READWRITE = 0x00000002;
inline constexpr DWORD MMIO_COMPAT = 0x00000000;
inline constexpr DWORD MMIO_EXCLUSIVE = 0x00000010;
inline constexpr DWORD MMIO_DENYWRITE = 0x00000020;
inline constexpr DWORD MMIO_DENYREAD = 0x00000030;
inline constexpr DWORD MMIO_DENYNONE = 0x00000040;
inline constexpr DWORD MMIO_CREATE = 0x00001000;
inline constexpr DWORD MMIO_PARSE = 0x00000100;
inline constexpr DWORD MMIO_DELETE = 0x00000200;
inline constexpr DWORD MMIO_EXIST = 0x00004000;
inline constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
inline constexpr DWORD MMIO_GETTEMP = 0x00020000;
inline constexpr LONG MMIO_DEFAULTBUFFER = 8192;

// mmioDescend flags.
inline constexpr UINT MMIO_FINDCHUNK = 0x0010;
inline constexpr UINT MMIO_FINDRIFF = 0x0020;
inline constexpr UINT MMIO_FINDLIST = 0x0040;

struct MMCKINFO {
  FOURCC ckid;
  DWORD cksize;
  FOURCC fccType;
  DWORD dwDataOffset;
  DWORD dwFlags;
};
using LPMMCKINFO = MMCKINFO*;

struct MMIOINFO {
  DWORD dwFlags;
  FOURCC fccIOProc;  // FOURCC_MEM opens the memory block pchBuffer/cchBuffer
  void* pIOProc;
  UINT wErrorRet;  // why mmioOpenA failed
  void* htask;
  LONG cchBuffer;
  HPSTR pchBuffer;
  HPSTR pchNext;
  HPSTR pchEndRead;
  HPSTR pchEndWrite;
  LONG lBufOffset;
  LONG lDiskOffset;
  DWORD adwInfo[3];
  DWORD dwReserved1;
  DWORD dwReserved2;
  HMMIO hmmio;
};
using LPMMIOINFO = MMIOINFO*;

// Opens a file (or, with info->fccIOProc == FOURCC_MEM and no name, a read-only memory block
// that must outlive the handle) for reading. nullptr on failure; the reason is then in
// info->wErrorRet when info is given. Writing is not offered: MMIO_WRITE, MMIO_READWRITE and
// MMIO_CREATE fail with MMSYSERR_INVALFLAG.
HMMIO mmioOpenA(LPCSTR fileName, LPMMIOINFO info, DWORD openFlags);
// The same with a UTF-16 name, for paths the ANSI code page cannot spell.
HMMIO mmioOpenW(const char16_t* fileName, LPMMIOINFO info, DWORD openFlags);
MMRESULT mmioClose(HMMIO handle, UINT flags);
// Bytes read (fewer at the end of the data, 0 there), or -1 for a bad handle or count.
LONG mmioRead(HMMIO handle, HPSTR buffer, LONG count);
// Origins are SEEK_SET, SEEK_CUR and SEEK_END of <cstdio>. Positions past the end are allowed
// (reads there return 0 bytes). New position, or -1 when the handle is bad or the position would be
// negative or too large.
LONG mmioSeek(HMMIO handle, LONG offset, int origin);
// Finds the next chunk (MMIO_FINDCHUNK: ckid given; MMIO_FINDRIFF / MMIO_FINDLIST: the form
// type given in fccType; no flag: the next chunk of any kind) from the current position,
// inside parent when one is given. On success the position is the chunk's data (after the
// form type for RIFF and LIST).
MMRESULT mmioDescend(HMMIO handle, LPMMCKINFO chunk, const MMCKINFO* parent, UINT flags);
// Moves to the end of the chunk, past its pad byte.
MMRESULT mmioAscend(HMMIO handle, LPMMCKINFO chunk, UINT flags);

}  // namespace mmio
