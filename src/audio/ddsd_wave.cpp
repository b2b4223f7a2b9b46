// Waves: a whole RIFF/WAVE file read into one static secondary buffer.
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "audio/ddsd.h"
#include "platform/codepage/codepage.h"
#include "platform/dsound/com_ptr.h"
#include "platform/mmio/mmio.h"

using namespace dsound;

namespace {

// The file stays open for the whole load and is closed on every way out.
class OpenWaveFile {
 public:
  explicit OpenWaveFile(const std::filesystem::path& name) {
    const std::u16string wide = codepage::Utf8ToUtf16(name.string());
    handle_ = mmio::mmioOpenW(wide.c_str(), nullptr, mmio::MMIO_READ | mmio::MMIO_ALLOCBUF);
  }
  OpenWaveFile(const void* data, std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<LONG>::max())) {
      return;
    }
    mmio::MMIOINFO info{};
    info.fccIOProc = mmio::FOURCC_MEM;
    info.pchBuffer = static_cast<char*>(const_cast<void*>(data));
    info.cchBuffer = static_cast<LONG>(size);
    handle_ = mmio::mmioOpenA(nullptr, &info, mmio::MMIO_READ);
  }
  ~OpenWaveFile() {
    if (handle_ != nullptr) {
      mmio::mmioClose(handle_, 0);
    }
  }
  OpenWaveFile(const OpenWaveFile&) = delete;
  OpenWaveFile& operator=(const OpenWaveFile&) = delete;
  mmio::HMMIO Handle() const { return handle_; }

 private:
  mmio::HMMIO handle_ = nullptr;
};

// The format record holds 20 bytes of the "fmt " chunk; an extensible header runs to 40.
constexpr DWORD kRecordBytes = sizeof(WAVEFORMATEX);
constexpr DWORD kExtensibleBytes = 40;
constexpr DWORD kPcmRecordBytes = 16;
constexpr std::uint8_t kPcmSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// An extensible header whose sub-format is PCM describes plain PCM.
bool IsExtensiblePcm(const std::uint8_t* chunk, DWORD size) {
  if (size < kExtensibleBytes) {
    return false;
  }
  const std::uint16_t tag = static_cast<std::uint16_t>(chunk[0] | chunk[1] << 8);
  const std::uint16_t subFormat = static_cast<std::uint16_t>(chunk[24] | chunk[25] << 8);
  return tag == WAVE_FORMAT_EXTENSIBLE && subFormat == WAVE_FORMAT_PCM &&
         std::memcmp(chunk + 26, kPcmSubFormatTail, sizeof kPcmSubFormatTail) == 0;
}

}  // namespace

TDDSDGenWave::TDDSDGenWave(TDDSD* owner, bool effects) : owner_(owner), effects_(effects) {}

TDDSDGenWave::~TDDSDGenWave() {
  if (buffer_ != nullptr && buffer_->Release() != 0) {
    ddsd::Report("二次バッファの解放に失敗しました");
  }
}

TDDSDWaveData::TDDSDWaveData(TDDSD* owner, bool effects, const std::filesystem::path& fileName)
    : TDDSDGenWave(owner, effects) {
  if (owner_ == nullptr || !owner_->Initialized()) {
    return;  // no sound: the wave stays empty and silent
  }
  OpenWaveFile file(fileName);
  LoadFromHandle(file.Handle(), fileName.string());
}

TDDSDMemoryWave::TDDSDMemoryWave(TDDSD* owner, bool effects, const void* data, std::size_t size,
                                 const std::string& name)
    : TDDSDGenWave(owner, effects) {
  if (owner_ == nullptr || !owner_->Initialized()) {
    return;
  }
  OpenWaveFile image(data, size);
  LoadFromHandle(image.Handle(), name);
}

void TDDSDGenWave::Refuse(const std::string& reason) {
  loadError_ = reason;
  ddsd::Report(reason);
}

void TDDSDGenWave::LoadFromHandle(mmio::HMMIO handle, const std::string& name) {
  if (owner_ == nullptr || !owner_->Initialized()) {
    return;
  }
  if (handle == nullptr) {
    Refuse(name + "が、見つかりません");
    return;
  }
  mmio::MMCKINFO riff{};
  riff.fccType = mmio::mmioFOURCC('W', 'A', 'V', 'E');
  if (mmio::mmioDescend(handle, &riff, nullptr, mmio::MMIO_FINDRIFF) != mmio::MMSYSERR_NOERROR) {
    Refuse(name + "は、WAVEファイルではありません");
    return;
  }
  mmio::MMCKINFO fmt{};
  fmt.ckid = mmio::mmioFOURCC('f', 'm', 't', ' ');
  if (mmio::mmioDescend(handle, &fmt, &riff, mmio::MMIO_FINDCHUNK) != mmio::MMSYSERR_NOERROR) {
    Refuse(name + "には、fmtチャンクが有りません");
    return;
  }
  // Read the whole chunk: the record keeps its first 20 bytes, an extensible header is looked
  // at up to its sub-format, the rest is passed over. A chunk the file cuts short, or one too
  // small for the PCM fields, is malformed.
  std::uint8_t head[kExtensibleBytes] = {};
  const DWORD headBytes = fmt.cksize < kExtensibleBytes ? fmt.cksize : kExtensibleBytes;
  std::uint64_t got = static_cast<std::uint64_t>(std::max<LONG>(
      0, mmio::mmioRead(handle, reinterpret_cast<char*>(head), static_cast<LONG>(headBytes))));
  char scratch[4096];
  while (got < fmt.cksize) {
    const std::uint64_t left = fmt.cksize - got;
    const LONG step = mmio::mmioRead(
        handle, scratch, static_cast<LONG>(left < sizeof scratch ? left : sizeof scratch));
    if (step <= 0) {
      break;
    }
    got += static_cast<std::uint64_t>(step);
  }
  if (got < fmt.cksize || fmt.cksize < kPcmRecordBytes) {
    Refuse(name + "のfmtチャンクが不正です");
    return;
  }
  std::memcpy(&format_, head, headBytes < kRecordBytes ? headBytes : kRecordBytes);
  if (IsExtensiblePcm(head, fmt.cksize)) {
    format_.wFormatTag = WAVE_FORMAT_PCM;
    format_.cbSize = 0;
  }
  mmio::mmioAscend(handle, &fmt, 0);

  mmio::MMCKINFO data{};
  data.ckid = mmio::mmioFOURCC('d', 'a', 't', 'a');
  if (mmio::mmioDescend(handle, &data, &riff, mmio::MMIO_FINDCHUNK) != mmio::MMSYSERR_NOERROR) {
    Refuse(name + "には、dataチャンクが有りません");
    return;
  }
  // A file that ends before its sound does would leave the buffer's tail as noise.
  const LONG here = mmio::mmioSeek(handle, 0, SEEK_CUR);
  const LONG fileSize = mmio::mmioSeek(handle, 0, SEEK_END);
  mmio::mmioSeek(handle, here, SEEK_SET);
  if (fileSize < 0 || static_cast<std::uint64_t>(data.dwDataOffset) + data.cksize >
                          static_cast<std::uint64_t>(fileSize)) {
    Refuse(name + "のdataチャンクが不正です");
    return;
  }

  is3D_ = owner_->Use3D();
  DSBUFFERDESC desc{};
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwBufferBytes = data.cksize;
  desc.lpwfxFormat = &format_;
  if (is3D_) {
    desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRL3D;
  } else {
    desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY;
    if (effects_) {
      desc.dwFlags |= DSBCAPS_CTRLFX;
    }
  }
  if (owner_->StickyFocus()) {
    desc.dwFlags |= DSBCAPS_GLOBALFOCUS;
  }
  ComPtr<IDirectSoundBuffer> first;
  if (!ddsd::Check(owner_->DirectSound()->CreateSoundBuffer(&desc, first.Put(), nullptr),
                   name + ": サウンドバッファの作成に失敗しました")) {
    return;
  }
  ComPtr<IDirectSoundBuffer8> buffer;
  if (!ddsd::Check(first->QueryInterface(IID_IDirectSoundBuffer8, buffer.PutVoid()),
                   name + ": サウンドバッファのQueryInterfaceで失敗しました")) {
    return;
  }
  first.Reset();

  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD bytes1 = 0;
  DWORD bytes2 = 0;
  if (!ddsd::Check(buffer->Lock(0, data.cksize, &part1, &bytes1, &part2, &bytes2, 0),
                   name + ": LoadWAV中に、サウンドバッファのロックが失敗しました")) {
    return;
  }
  mmio::mmioRead(handle, static_cast<char*>(part1), static_cast<LONG>(bytes1));
  if (part2 != nullptr && bytes2 > 0) {
    mmio::mmioRead(handle, static_cast<char*>(part2), static_cast<LONG>(bytes2));
  }
  if (!ddsd::Check(buffer->Unlock(part1, bytes1, part2, bytes2),
                   name + ": LoadWAV中に、サウンドバッファのアンロックが失敗しました")) {
    return;
  }
  buffer->SetFrequency(format_.nSamplesPerSec);
  bufferSize_ = data.cksize;
  buffer_ = buffer.Detach();
}
