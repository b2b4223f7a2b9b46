#include "graphics/device/dg_texture.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>

#include "archive/file_stream.h"
#include "archive/qda_format.h"
#include "archive/qdarc.h"
#include "graphics/device/bmp.h"
#include "graphics/device/pixel_format.h"
#include "platform/codepage/codepage.h"

using DGCarad9::CheckResult;
using DGCarad9::DetailLog;
using DGCarad9::LoadPixel;
using DGCarad9::StorePixel;

namespace {

// The smallest power of two not below side (1 for 0); sides beyond 2^31 stay as they are and
// fail at creation.
UINT PowerOfTwoAtLeast(UINT side) {
  if (side > 0x80000000u) return side;
  UINT result = 1;
  while (result < side) result <<= 1;
  return result;
}

}  // namespace

TDGTexture::TDGTexture(TDGCarad* carad, std::vector<D3DFORMAT> formats, DWORD usage, D3DPOOL pool,
                       UINT levels, std::string name)
    : Name_(std::move(name)),
      Carad_(carad),
      Formats_(std::move(formats)),
      Usage_(usage),
      Pool_(pool),
      Levels_(levels),
      KeepContents_(pool != D3DPOOL_DEFAULT) {
  if (Carad_ != nullptr) {
    ID_ = Carad_->RegisterResource(
        this, Name_, [this] { ReleaseResource(); }, [this] { RebuildResource(); },
        [this] { ReleaseIfDefaultPool(); }, [this] { RecreateIfDefaultPool(); });
  }
}

// Destroy clears what it has done, so running it again only does what is left.
TDGTexture::~TDGTexture() {
  DGCarad9::FinishWithoutLog([this] { Destroy(); });
}

void TDGTexture::Destroy() {
  if (Carad_ == nullptr && Texture_ == nullptr) return;
  DetailLog("テクスチャオブジェクトを解放します");
  if (Texture_ != nullptr) {
    IDirect3DTexture9* texture = Texture_;
    Texture_ = nullptr;
    CheckResult(static_cast<HRESULT>(texture->Release()), "テクスチャの解放に失敗しました");
  }
  BackupStream_.reset();
  if (Carad_ != nullptr) {
    TDGCarad* carad = Carad_;
    Carad_ = nullptr;
    carad->UnregisterResource(ID_);
  }
}

void TDGTexture::DestroyedByCarad() { Destroy(); }

D3DFORMAT TDGTexture::ChooseFormat() {
  D3DFORMAT backBufferFormat = Carad_ != nullptr ? Carad_->BackBufferFormat() : D3DFMT_UNKNOWN;
  if (Carad_ != nullptr) {
    if (IDirect3DSurface9* backBuffer = Carad_->GetBackBuffer(0)) {
      D3DSURFACE_DESC desc{};
      if (backBuffer->GetDesc(&desc) == D3D_OK) backBufferFormat = desc.Format;
    }
    if (IDirect3D9* d3d = Carad_->D3D()) {
      for (D3DFORMAT candidate : Formats_) {
        if (d3d->CheckDeviceFormat(Carad_->Adapter(), Carad_->DeviceType(), backBufferFormat,
                                   Usage_, D3DRTYPE_TEXTURE, candidate) == D3D_OK) {
          return candidate;
        }
      }
    }
  }
  return backBufferFormat;
}

void TDGTexture::AllocateTexture(UINT width, UINT height) {
  if (Texture_ != nullptr) {
    DetailLog("テクスチャの再生成に伴い、以前のテクスチャを解放します");
    IDirect3DTexture9* texture = Texture_;
    Texture_ = nullptr;
    CheckResult(static_cast<HRESULT>(texture->Release()), "テクスチャの解放に失敗しました");
  }
  Format_ = ChooseFormat();
  DetailLog(
      DGCarad9::Format("使用されるフォーマットは %s です", DGCarad9::FormatName(Format_).c_str()));
  IDirect3DDevice9* device = Device();
  const HRESULT created = device == nullptr
                              ? D3DERR_INVALIDCALL
                              : device->CreateTexture(width, height, Levels_, Usage_, Format_,
                                                      Pool_, &Texture_, nullptr);
  if (created != D3D_OK) Texture_ = nullptr;
  CheckResult(created, "テクスチャの生成に失敗しました");
  if (device != nullptr) {
    DetailLog(DGCarad9::Format("残りテクスチャ容量は、約%.2fMBです",
                               device->GetAvailableTextureMem() / 1048576.0));
  }
  BytesPerPixel_ = static_cast<std::int32_t>(DGCarad9::FormatBitCount(Format_) / 8);
}

void TDGTexture::SetSize(UINT width, UINT height) {
  Width_ = width;
  Height_ = height;
  UINT textureWidth = width, textureHeight = height;
  if (const std::optional<D3DCAPS9> found = Caps()) {
    const D3DCAPS9& caps = *found;
    if (width > caps.MaxTextureWidth || height > caps.MaxTextureHeight) {
      DetailLog(DGCarad9::Format(
          "要求されたテクスチャのサイズは大きすぎます。%d x %d 以内にして下さい",
          static_cast<int>(caps.MaxTextureWidth), static_cast<int>(caps.MaxTextureHeight)));
    }
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) {
      textureWidth = textureHeight = std::max(textureWidth, textureHeight);
    }
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
      textureWidth = PowerOfTwoAtLeast(textureWidth);
      textureHeight = PowerOfTwoAtLeast(textureHeight);
    }
  }
  TextureWidth_ = textureWidth;
  TextureHeight_ = textureHeight;
  // A texture side of 0 has no picture in it: its scale is 0, not 0 / 0.
  ScaleU_ = TextureWidth_ != 0 ? static_cast<float>(Width_) / static_cast<float>(TextureWidth_) : 0;
  ScaleV_ =
      TextureHeight_ != 0 ? static_cast<float>(Height_) / static_cast<float>(TextureHeight_) : 0;
  AllocateTexture(TextureWidth_, TextureHeight_);
  if (Pool_ != D3DPOOL_DEFAULT && Texture_ != nullptr) {
    FillRect(RECT{0, 0, static_cast<LONG>(TextureWidth_), static_cast<LONG>(TextureHeight_)},
             FillColor_, false);
  }
  if (!Rebuilding_) {
    BackupStream_.reset();
    SourceKind_ = skDrawn;
  }
}

std::optional<D3DCAPS9> TDGTexture::Caps() const {
  D3DCAPS9 caps{};
  IDirect3D9* d3d = Carad_ != nullptr ? Carad_->D3D() : nullptr;
  if (d3d == nullptr ||
      d3d->GetDeviceCaps(Carad_->Adapter(), Carad_->DeviceType(), &caps) != D3D_OK) {
    return std::nullopt;
  }
  return caps;
}

std::pair<UINT, UINT> TDGTexture::MaxSize() const {
  const std::optional<D3DCAPS9> caps = Caps();
  if (!caps) return {std::numeric_limits<UINT>::max(), std::numeric_limits<UINT>::max()};
  return {caps->MaxTextureWidth, caps->MaxTextureHeight};
}

void TDGTexture::LoadBMPFrom(TStream& stream, std::string_view source) {
  const std::int64_t start = stream.Position();
  std::array<std::uint8_t, 14> file{};
  stream.ReadBuffer(file.data(), file.size());
  std::array<std::uint8_t, 40> info{};
  stream.ReadBuffer(info.data(), info.size());
  auto int32At = [&info](std::size_t at) {
    return static_cast<std::int32_t>(LoadLE32(info.data() + at));
  };
  const std::int32_t width = int32At(4);
  const std::int32_t height = int32At(8);
  const std::int32_t bitCount = info[14] | info[15] << 8;
  if (height < 0) {
    CheckResult(1, DGCarad9::NamedMessage(
                       source, "上から下へ並んだ（高さが負の）ビットマップは、読み込めません"));
    return;
  }
  if (width < 0) {
    CheckResult(1, DGCarad9::NamedMessage(source, "幅が負の値の、不正なビットマップです"));
    return;
  }
  // Before a texture of the picture's size is made: the size must be one a texture holds, and
  // the pixels must be in the stream (the pixel offset counts from the BMP's start).
  const auto [maxWidth, maxHeight] = MaxSize();
  if (static_cast<UINT>(width) > maxWidth || static_cast<UINT>(height) > maxHeight) {
    CheckResult(
        1, DGCarad9::NamedMessage(
               source, DGCarad9::Format("ビットマップが大きすぎます (%d x %d、%u x %u まで)", width,
                                        height, maxWidth, maxHeight)));
    return;
  }
  if (bitCount >= 8 && bitCount <= 32) {
    const std::int64_t rowSize = (std::int64_t{width} * (bitCount / 8) + 3) / 4 * 4;
    const std::int64_t pixels = stream.Size() - start - std::int64_t{LoadLE32(file.data() + 10)};
    if (rowSize * height > pixels) {
      CheckResult(1,
                  DGCarad9::NamedMessage(source, "ビットマップの画素がファイルに収まっていません"));
      return;
    }
  }
  SetSize(static_cast<UINT>(width), static_cast<UINT>(height));
  if (Texture_ == nullptr) return;  // the allocation has reported its failure
  stream.SetPosition(start);
  DGCarad9::LoadBMP(Texture_, stream, source);
}

void TDGTexture::LoadFromFile(const std::string& fileName, const std::string& archive) {
  if (!archive.empty()) {
    DetailLog(DGCarad9::Format("ID %d(%s) のテクスチャに、QDAファイル%s から ID %s を読み込みます",
                               ID_, Name_.c_str(), archive.c_str(), fileName.c_str()));
    const std::string source = fileName + " ＠ " + archive;
    try {
      std::unique_ptr<TMemoryStream> entry =
          ReadQDAEntry(std::filesystem::path(archive), codepage::Utf8ToSjis(fileName));
      LoadBMPFrom(*entry, source);
    } catch (const std::exception& e) {
      CheckResult(1, source + "からの、読み込みエラー: " + e.what());
    }
    SourceKind_ = skArchive;
    SourceArchive_ = archive;
    SourceEntry_ = fileName;
  } else {
    DetailLog(DGCarad9::Format("ID %d(%s) のテクスチャに、%s を読み込みます", ID_, Name_.c_str(),
                               fileName.c_str()));
    try {
      TFileStream file(std::filesystem::path(fileName), TFileStream::TFileMode::fmOpenRead);
      LoadBMPFrom(file, fileName);
    } catch (const std::exception& e) {
      CheckResult(1, fileName + "からの、読み込みエラー: " + e.what());
    }
    SourceKind_ = skFile;
    SourceFile_ = fileName;
  }
}

void TDGTexture::LoadFromStream(TStream& stream) {
  DetailLog(DGCarad9::Format("ID %d のテクスチャに、ストリームから読み込みます", ID_));
  try {
    LoadBMPFrom(stream, {});
    SourceKind_ = skDrawn;
  } catch (const std::exception& e) {
    CheckResult(1, std::string("ストリームからの、読み込みエラー: ") + e.what());
  }
}

void TDGTexture::LoadFromBitmap(const TDGBitmap& bitmap) {
  DetailLog(DGCarad9::Format("ID %d のテクスチャに、TBitmapから読み込みます", ID_));
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  stream.SetPosition(0);
  LoadFromStream(stream);
  SourceKind_ = skDrawn;
}

void TDGTexture::SaveToStream(TStream& stream) {
  DGCarad9::WriteBMPHeader(stream, Width_, Height_, 32);
  if (Width_ == 0 || Height_ == 0) return;

  std::vector<std::uint8_t> row(static_cast<std::size_t>(Width_) * 4, 0);
  INT pitch = 0;
  void* bits = nullptr;
  const RECT all{0, 0, static_cast<LONG>(Width_), static_cast<LONG>(Height_)};
  if (LockRect(0, all, pitch, bits, D3DLOCK_READONLY) != D3D_OK || bits == nullptr) {
    // The failure has been reported; the rows still follow (transparent black) so that what
    // was written stays a whole BMP.
    for (UINT y = 0; y < Height_; ++y) stream.WriteBuffer(row.data(), row.size());
    return;
  }
  try {
    for (std::int64_t y = std::int64_t{Height_} - 1; y >= 0; --y) {
      const auto* source = static_cast<const std::uint8_t*>(bits) + y * pitch;
      for (UINT x = 0; x < Width_; ++x) {
        const std::uint32_t colour = DGCarad9::PixelToColor(
            LoadPixel(source + std::size_t{x} * BytesPerPixel_, BytesPerPixel_), Format_);
        StorePixel(&row[std::size_t{x} * 4], colour, 4);
      }
      stream.WriteBuffer(row.data(), row.size());
    }
  } catch (...) {
    UnlockRect();
    throw;
  }
  UnlockRect();
}

HRESULT TDGTexture::LockRect(UINT level, const RECT& rect, INT& pitch, void*& bits, DWORD flags) {
  pitch = 0;
  bits = nullptr;
  if ((flags & D3DLOCK_READONLY) == 0 && SourceKind_ != skNothing) SourceKind_ = skDrawn;
  if (Texture_ == nullptr) {
    return CheckResult(
        1, "テクスチャが確保されていません。LockRectの前にSetSizeするか、BMPを読み込んでください");
  }
  // A rectangle outside the level would let callers write past the surface.
  D3DSURFACE_DESC desc{};
  HRESULT result = Texture_->GetLevelDesc(level, &desc);
  if (result == D3D_OK && (rect.left < 0 || rect.top < 0 || rect.left > rect.right ||
                           rect.top > rect.bottom || static_cast<UINT>(rect.right) > desc.Width ||
                           static_cast<UINT>(rect.bottom) > desc.Height)) {
    result = D3DERR_INVALIDCALL;
  }
  LockedRect_ = rect;
  D3DLOCKED_RECT locked{};
  if (result == D3D_OK) result = Texture_->LockRect(level, &locked, &rect, flags);
  if (CheckResult(result, "LockRectに失敗しました") != D3D_OK) return result;
  Locked_ = true;
  LockedLevel_ = level;
  LockedPitch_ = locked.Pitch;
  LockedBits_ = locked.pBits;
  pitch = locked.Pitch;
  bits = locked.pBits;
  return D3D_OK;
}

void TDGTexture::UnlockRect() {
  const HRESULT result =
      Texture_ == nullptr ? D3DERR_INVALIDCALL : Texture_->UnlockRect(LockedLevel_);
  Locked_ = false;
  LockedBits_ = nullptr;
  CheckResult(result, "アンロックに失敗しました");
}

void TDGTexture::ProcessPixels(const RECT& rect, TDGPixelProc proc, void* userData) {
  INT pitch = 0;
  void* bits = nullptr;
  if (LockRect(0, rect, pitch, bits, 0) != D3D_OK || bits == nullptr) return;
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    std::uint8_t* p = static_cast<std::uint8_t*>(bits) + std::int64_t{y - rect.top} * pitch;
    for (LONG x = rect.left; x < rect.right; ++x, p += BytesPerPixel_) {
      StorePixel(p, proc(*this, LoadPixel(p, BytesPerPixel_), x, y, userData), BytesPerPixel_);
    }
  }
  UnlockRect();
}

void TDGTexture::FillRect(const RECT& rect, std::uint32_t colour, bool keepAlpha) {
  INT pitch = 0;
  void* bits = nullptr;
  if (LockRect(0, rect, pitch, bits, 0) != D3D_OK || bits == nullptr) return;
  const LONG width = rect.right - rect.left;
  auto* first = static_cast<std::uint8_t*>(bits);
  if (keepAlpha) {
    for (LONG y = 0; y < rect.bottom - rect.top; ++y) {
      std::uint8_t* p = first + std::int64_t{y} * pitch;
      for (LONG x = 0; x < width; ++x, p += BytesPerPixel_) {
        const std::uint32_t alpha = DGCarad9::PixelToColor(LoadPixel(p, BytesPerPixel_), Format_);
        StorePixel(p,
                   DGCarad9::ColorToPixel((alpha & 0xFF000000u) | (colour & 0x00FFFFFFu), Format_),
                   BytesPerPixel_);
      }
    }
  } else if (rect.bottom > rect.top) {
    const std::uint32_t value = DGCarad9::ColorToPixel(colour, Format_);
    for (LONG x = 0; x < width; ++x) StorePixel(first + x * BytesPerPixel_, value, BytesPerPixel_);
    const std::size_t span = static_cast<std::size_t>(width) * BytesPerPixel_;
    for (LONG y = 1; y < rect.bottom - rect.top; ++y) {
      std::memcpy(first + std::int64_t{y} * pitch, first, span);
    }
  }
  UnlockRect();
}

void TDGTexture::SetColorKey(const RECT& rect, std::uint32_t colour) {
  // The key is brought to the texture's precision and widened again, so that it compares with
  // the pixels' own widened colours (a no-op for the 32-bit formats).
  const std::uint32_t key =
      DGCarad9::PixelToColor(DGCarad9::ColorToPixel(colour, Format_), Format_) & 0x00FFFFFFu;
  ProcessPixels(
      rect,
      [key](TDGTexture& texture, std::uint32_t pixel, std::int32_t, std::int32_t) -> std::uint32_t {
        std::uint32_t c = DGCarad9::PixelToColor(pixel, texture.Format()) & 0x00FFFFFFu;
        if (c != key) c |= 0xFF000000u;
        return DGCarad9::ColorToPixel(c, texture.Format());
      });
}

void TDGTexture::ReleaseTexture() {
  if (Texture_ == nullptr) return;
  IDirect3DTexture9* texture = Texture_;
  Texture_ = nullptr;
  texture->Release();  // the count is of no interest here: the device is going anyway
}

void TDGTexture::BackupToStream() {
  BackupStream_ = std::make_unique<TMemoryStream>();
  SaveToStream(*BackupStream_);
  BackupStream_->SetPosition(0);
}

void TDGTexture::ReleaseResource() {
  if (Texture_ == nullptr) return;
  if (KeepContents_ && SourceKind_ == skDrawn) BackupToStream();
  ReleaseTexture();
}

void TDGTexture::RebuildResource() {
  struct RebuildingScope {
    bool& flag;
    explicit RebuildingScope(bool& f) : flag(f) { flag = true; }
    ~RebuildingScope() { flag = false; }
  } scope(Rebuilding_);

  if (!KeepContents_) {
    SetSize(Width_, Height_);
    return;
  }
  switch (SourceKind_) {
    case skNothing:
      // Never sized: there is no picture to make again (and a 0 x 0 texture cannot be made).
      if (Width_ != 0 || Height_ != 0 || TextureWidth_ != 0 || TextureHeight_ != 0)
        SetSize(Width_, Height_);
      break;
    case skFile:
      LoadFromFile(SourceFile_, "");
      break;
    case skArchive:
      LoadFromFile(SourceEntry_, SourceArchive_);
      break;
    case skDrawn:
      if (BackupStream_ != nullptr) {
        std::unique_ptr<TMemoryStream> backup = std::move(BackupStream_);
        backup->SetPosition(0);
        LoadFromStream(*backup);
      } else {
        SetSize(Width_, Height_);  // nothing was backed up: an empty picture of the same size
      }
      break;
  }
}

void TDGTexture::ReleaseIfDefaultPool() {
  if (Pool_ == D3DPOOL_DEFAULT) ReleaseResource();
}

void TDGTexture::RecreateIfDefaultPool() {
  if (Pool_ == D3DPOOL_DEFAULT) SetSize(Width_, Height_);
}
