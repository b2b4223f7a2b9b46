// Files and memory blocks read through the multimedia file functions, and RIFF chunk descent.
#include "platform/mmio/mmio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "platform/codepage/codepage.h"

namespace mmio {

struct MmioFile {
  std::FILE* file = nullptr;  // nullptr for a memory block
  const BYTE* memory = nullptr;
  std::uint64_t size = 0;
  std::uint64_t position = 0;
  std::uint64_t filePosition = 0;  // where the FILE stream stands, to avoid needless seeks
  std::vector<char> streamBuffer;  // MMIO_ALLOCBUF's buffer, owned here

  ~MmioFile() {
    if (file != nullptr) {
      std::fclose(file);
    }
  }
};

namespace {

constexpr std::uint64_t kLargestPosition =
    static_cast<std::uint64_t>(std::numeric_limits<LONG>::max());

HMMIO Fail(LPMMIOINFO info, MMRESULT code) {
  if (info != nullptr) {
    info->wErrorRet = code;
  }
  return nullptr;
}

MMRESULT OpenErrorOf(int error) {
  switch (error) {
    case ENOENT:
      return MMIOERR_FILENOTFOUND;
    case ENOTDIR:
      return MMIOERR_PATHNOTFOUND;
    case EACCES:
    case EPERM:
      return MMIOERR_ACCESSDENIED;
    case EMFILE:
    case ENFILE:
      return MMIOERR_TOOMANYOPENFILES;
    case ENOMEM:
      return MMIOERR_OUTOFMEMORY;
    default:
      return MMIOERR_CANNOTOPEN;
  }
}

// Reads at an absolute position without moving the handle's own position.
std::uint64_t ReadAt(HMMIO handle, std::uint64_t at, void* buffer, std::uint64_t count) {
  if (at >= handle->size) {
    return 0;
  }
  const std::uint64_t available = handle->size - at;
  if (count > available) {
    count = available;
  }
  if (count == 0) {
    return 0;
  }
  if (handle->file == nullptr) {
    std::memcpy(buffer, handle->memory + at, static_cast<std::size_t>(count));
    return count;
  }
  if (handle->filePosition != at) {
    if (std::fseek(handle->file, static_cast<long>(at), SEEK_SET) != 0) {
      return 0;
    }
    handle->filePosition = at;
  }
  const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(count), handle->file);
  handle->filePosition += got;
  return got;
}

DWORD ReadDword(const BYTE* bytes) {
  return static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
         static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24;
}

}  // namespace

namespace {

HMMIO OpenUtf8(const char* utf8Name, LPMMIOINFO info, DWORD openFlags);

}  // namespace

HMMIO mmioOpenA(LPCSTR fileName, LPMMIOINFO info, DWORD openFlags) {
  const std::string utf8 = fileName != nullptr ? codepage::SjisToUtf8(fileName) : std::string();
  return OpenUtf8(fileName != nullptr ? utf8.c_str() : nullptr, info, openFlags);
}

HMMIO mmioOpenW(const char16_t* fileName, LPMMIOINFO info, DWORD openFlags) {
  const std::string utf8 =
      fileName != nullptr ? codepage::Utf16ToUtf8(std::u16string_view(fileName)) : std::string();
  return OpenUtf8(fileName != nullptr ? utf8.c_str() : nullptr, info, openFlags);
}

namespace {

HMMIO OpenUtf8(const char* fileName, LPMMIOINFO info, DWORD openFlags) {
  if (info != nullptr) {
    info->wErrorRet = MMSYSERR_NOERROR;
  }
  constexpr DWORD kUnsupported = MMIO_WRITE | MMIO_READWRITE | MMIO_CREATE | MMIO_PARSE |
                                 MMIO_DELETE | MMIO_EXIST | MMIO_GETTEMP;
  if ((openFlags & kUnsupported) != 0) {
    return Fail(info, MMSYSERR_INVALFLAG);
  }
  auto handle = std::make_unique<MmioFile>();
  if (info != nullptr && info->fccIOProc == FOURCC_MEM) {
    if (fileName != nullptr && fileName[0] != '\0') {
      return Fail(info, MMSYSERR_INVALPARAM);
    }
    if (info->cchBuffer < 0 || (info->cchBuffer > 0 && info->pchBuffer == nullptr)) {
      return Fail(info, MMSYSERR_INVALPARAM);
    }
    handle->memory = reinterpret_cast<const BYTE*>(info->pchBuffer);
    handle->size = static_cast<std::uint64_t>(info->cchBuffer);
    return handle.release();
  }
  if (fileName == nullptr || fileName[0] == '\0') {
    return Fail(info, MMIOERR_FILENOTFOUND);
  }
  errno = 0;
  handle->file = std::fopen(fileName, "rb");
  if (handle->file == nullptr) {
    return Fail(info, OpenErrorOf(errno));
  }
  if ((openFlags & MMIO_ALLOCBUF) != 0) {
    LONG bufferSize = info != nullptr && info->cchBuffer > 0 ? info->cchBuffer : MMIO_DEFAULTBUFFER;
    handle->streamBuffer.resize(static_cast<std::size_t>(bufferSize));
    std::setvbuf(handle->file, handle->streamBuffer.data(), _IOFBF, handle->streamBuffer.size());
  } else {
    std::setvbuf(handle->file, nullptr, _IONBF, 0);
  }
  // A directory opens for reading on Linux; only regular files are media files.
  struct stat status {};
  if (fstat(fileno(handle->file), &status) != 0 || !S_ISREG(status.st_mode)) {
    return Fail(info, MMIOERR_CANNOTOPEN);
  }
  if (std::fseek(handle->file, 0, SEEK_END) != 0) {
    return Fail(info, MMIOERR_CANNOTOPEN);
  }
  const long size = std::ftell(handle->file);
  if (size < 0 || std::fseek(handle->file, 0, SEEK_SET) != 0) {
    return Fail(info, MMIOERR_CANNOTOPEN);
  }
  handle->size = static_cast<std::uint64_t>(size);
  return handle.release();
}

}  // namespace

MMRESULT mmioClose(HMMIO handle, UINT /*flags*/) {
  if (handle == nullptr) {
    return MMSYSERR_INVALHANDLE;
  }
  delete handle;
  return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO handle, HPSTR buffer, LONG count) {
  if (handle == nullptr || count < 0 || (count > 0 && buffer == nullptr)) {
    return -1;
  }
  const std::uint64_t got =
      ReadAt(handle, handle->position, buffer, static_cast<std::uint64_t>(count));
  handle->position += got;
  return static_cast<LONG>(got);
}

LONG mmioSeek(HMMIO handle, LONG offset, int origin) {
  if (handle == nullptr) {
    return -1;
  }
  std::int64_t base = 0;
  switch (origin) {
    case SEEK_SET:
      base = 0;
      break;
    case SEEK_CUR:
      base = static_cast<std::int64_t>(handle->position);
      break;
    case SEEK_END:
      base = static_cast<std::int64_t>(handle->size);
      break;
    default:
      return -1;
  }
  const std::int64_t target = base + offset;
  if (target < 0 || static_cast<std::uint64_t>(target) > kLargestPosition) {
    return -1;
  }
  handle->position = static_cast<std::uint64_t>(target);
  return static_cast<LONG>(target);
}

MMRESULT mmioDescend(HMMIO handle, LPMMCKINFO chunk, const MMCKINFO* parent, UINT flags) {
  if (handle == nullptr) {
    return MMSYSERR_INVALHANDLE;
  }
  if (chunk == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  const UINT searchFlags = flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST);
  if (searchFlags != 0 && searchFlags != MMIO_FINDCHUNK && searchFlags != MMIO_FINDRIFF &&
      searchFlags != MMIO_FINDLIST) {
    return MMSYSERR_INVALFLAG;
  }
  const std::uint64_t limit =
      parent != nullptr ? static_cast<std::uint64_t>(parent->dwDataOffset) + parent->cksize
                        : std::numeric_limits<std::uint64_t>::max();
  std::uint64_t at = handle->position;
  for (;;) {
    if (at + 8 > limit) {
      return MMIOERR_CHUNKNOTFOUND;
    }
    BYTE header[8];
    if (ReadAt(handle, at, header, 8) != 8) {
      return MMIOERR_CHUNKNOTFOUND;
    }
    const FOURCC id = ReadDword(header);
    const std::uint64_t dataOffset = at + 8;
    if (dataOffset > std::numeric_limits<DWORD>::max()) {
      return MMIOERR_CHUNKNOTFOUND;
    }
    std::uint64_t size = ReadDword(header + 4);
    if (dataOffset + size > limit) {
      size = limit - dataOffset;
    }
    const bool isForm = id == FOURCC_RIFF || id == FOURCC_LIST;
    bool hasType = false;
    FOURCC formType = 0;
    if (isForm && size >= 4) {
      BYTE typeBytes[4];
      if (ReadAt(handle, dataOffset, typeBytes, 4) != 4) {
        return MMIOERR_CHUNKNOTFOUND;  // the header ends with the file
      }
      formType = ReadDword(typeBytes);
      hasType = true;
    }
    bool found = false;
    switch (searchFlags) {
      case MMIO_FINDRIFF:
        found = id == FOURCC_RIFF && hasType && formType == chunk->fccType;
        break;
      case MMIO_FINDLIST:
        found = id == FOURCC_LIST && hasType && formType == chunk->fccType;
        break;
      case MMIO_FINDCHUNK:
        found = id == chunk->ckid;
        break;
      default:
        found = true;
        break;
    }
    if (found) {
      chunk->ckid = id;
      chunk->cksize = static_cast<DWORD>(size);
      chunk->fccType = formType;
      chunk->dwDataOffset = static_cast<DWORD>(dataOffset);
      chunk->dwFlags = 0;
      handle->position = dataOffset + (hasType ? 4 : 0);
      return MMSYSERR_NOERROR;
    }
    at = dataOffset + size + (size & 1);
  }
}

MMRESULT mmioAscend(HMMIO handle, LPMMCKINFO chunk, UINT /*flags*/) {
  if (handle == nullptr) {
    return MMSYSERR_INVALHANDLE;
  }
  if (chunk == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  const std::uint64_t end =
      static_cast<std::uint64_t>(chunk->dwDataOffset) + chunk->cksize + (chunk->cksize & 1);
  if (end > kLargestPosition) {
    return MMIOERR_CANNOTSEEK;
  }
  handle->position = end;
  return MMSYSERR_NOERROR;
}

}  // namespace mmio
