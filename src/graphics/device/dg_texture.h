// TDGTexture (unit DGCarad9): one Direct3D 9 texture of a TDGCarad's device. It remembers how
// its contents were made (an empty picture, a BMP file, an entry of a QDA archive, or a stream
// or drawing) so that it can rebuild itself when the device is re-created, and offers the pixel
// operations of the game and the text writer.
//
// The picture sits in the top-left corner; the texture may be larger (the device's square and
// power-of-two rules), and ScaleU() / ScaleV() tell which part holds the picture.
//
//   TDGTexture texture(&DG, {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 0,
//                      D3DPOOL_MANAGED, 0, "");
//   texture.LoadFromFile("Title.bmp", (dataDir / "wisplore.qda").string());
//   texture.SetColorKey({0, 0, LONG(texture.Width()), LONG(texture.Height())}, 0);
//
// File names and archive paths are UTF-8; archive entry IDs are looked up in Shift-JIS.
// Every failure goes through DGCarad9::CheckResult. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/memory_stream.h"
#include "archive/stream.h"
#include "graphics/device/dg_bitmap.h"
#include "graphics/device/dg_carad.h"
#include "platform/d3d9/d3d9.h"

class TDGTexture;

// How the contents were made, so that a new device can get them back.
enum TDGSourceKind : std::uint8_t {
  skNothing = 0,  // nothing loaded: an empty picture of Width x Height
  skFile = 1,     // a BMP file (SourceFile)
  skArchive = 2,  // an entry of a QDA archive (SourceEntry in SourceArchive)
  skDrawn = 3,    // a stream, a bitmap, or contents changed by drawing: backed up as a BMP
};

// Pixel callback of ProcessPixels: returns the new pixel (packed in the texture's format).
using TDGPixelProc = std::uint32_t (*)(TDGTexture& texture, std::uint32_t pixel, std::int32_t x,
                                       std::int32_t y, void* userData);

class TDGTexture : public TDGResourceOwner {
 public:
  // Registers with carad; no texture is allocated yet.
  TDGTexture(TDGCarad* carad, std::vector<D3DFORMAT> formats, DWORD usage, D3DPOOL pool,
             UINT levels, std::string name);
  // Releases the texture and unregisters.
  ~TDGTexture() override;
  TDGTexture(const TDGTexture&) = delete;
  TDGTexture& operator=(const TDGTexture&) = delete;

  // Allocates a texture for a Width x Height picture (a managed one starts transparent black).
  void SetSize(UINT width, UINT height);

  // Archive empty: the BMP file fileName. Otherwise the entry with ID fileName of the QDA
  // archive. The source is remembered even when loading failed.
  void LoadFromFile(const std::string& fileName, const std::string& archive);
  // The BMP that begins at the stream's position, which must be the stream's start (the BMP's
  // pixel-data offset counts from there).
  void LoadFromStream(TStream& stream);
  // The bitmap in BMP form.
  void LoadFromBitmap(const TDGBitmap& bitmap);
  // The picture (Width x Height) as a 32-bit bottom-up BMP.
  void SaveToStream(TStream& stream);

  // Locks a rectangle of a level. Without D3DLOCK_READONLY a loaded texture counts as drawn from
  // then on. Returns the lock's result; without a texture it reports the failure and returns
  // a failure code with pitch 0 and no address, and the caller must write nothing.
  HRESULT LockRect(UINT level, const RECT& rect, INT& pitch, void*& bits, DWORD flags);
  void UnlockRect();

  // Calls proc for every pixel of rect (row by row) and stores what it returns.
  void ProcessPixels(const RECT& rect, TDGPixelProc proc, void* userData);
  // The same with any callable f(texture, pixel, x, y) -> new pixel.
  template <typename Callable>
  void ProcessPixels(const RECT& rect, Callable&& callable) {
    ProcessPixels(
        rect,
        [](TDGTexture& texture, std::uint32_t pixel, std::int32_t x, std::int32_t y,
           void* data) -> std::uint32_t {
          return (*static_cast<std::remove_reference_t<Callable>*>(data))(texture, pixel, x, y);
        },
        const_cast<void*>(static_cast<const void*>(&callable)));
  }

  // Fills rect with colour (A8R8G8B8); with keepAlpha every pixel keeps its alpha.
  void FillRect(const RECT& rect, std::uint32_t colour, bool keepAlpha);
  // Pixels of the key colour (red, green, blue) become fully transparent, all others opaque.
  void SetColorKey(const RECT& rect, std::uint32_t colour);

  // The largest picture a texture of the device holds (no bound when there is no device).
  std::pair<UINT, UINT> MaxSize() const;

  // Device-resource callbacks (registered with the component).
  void ReleaseResource();
  void RebuildResource();
  void ReleaseIfDefaultPool();
  void RecreateIfDefaultPool();

  // TDGResourceOwner.
  std::string ClassName() const override { return "TDGTexture"; }
  void DestroyedByCarad() override;

  // Read access.
  std::int32_t ID() const { return ID_; }
  const std::string& Name() const { return Name_; }
  TDGCarad* Carad() const { return Carad_; }
  IDirect3DTexture9* Texture() const { return Texture_; }
  D3DFORMAT Format() const { return Format_; }
  const std::vector<D3DFORMAT>& Formats() const { return Formats_; }
  UINT Width() const { return Width_; }
  UINT Height() const { return Height_; }
  UINT TextureWidth() const { return TextureWidth_; }
  UINT TextureHeight() const { return TextureHeight_; }
  float ScaleU() const { return ScaleU_; }
  float ScaleV() const { return ScaleV_; }
  DWORD Usage() const { return Usage_; }
  D3DPOOL Pool() const { return Pool_; }
  std::uint32_t FillColor() const { return FillColor_; }
  bool Locked() const { return Locked_; }
  INT LockedPitch() const { return LockedPitch_; }
  void* LockedBits() const { return LockedBits_; }
  const RECT& LockedRect() const { return LockedRect_; }
  std::int32_t BytesPerPixel() const { return BytesPerPixel_; }
  UINT Levels() const { return Levels_; }
  bool KeepContents() const { return KeepContents_; }
  TDGSourceKind SourceKind() const { return SourceKind_; }
  const std::string& SourceFile() const { return SourceFile_; }
  const std::string& SourceArchive() const { return SourceArchive_; }
  const std::string& SourceEntry() const { return SourceEntry_; }
  const TMemoryStream* BackupStream() const { return BackupStream_.get(); }
  bool Rebuilding() const { return Rebuilding_; }

 private:
  // The device's capabilities; nothing without a device.
  std::optional<D3DCAPS9> Caps() const;
  D3DFORMAT ChooseFormat();
  void AllocateTexture(UINT width, UINT height);
  // Reads the info header behind the file header, sizes the texture and decodes the picture.
  void LoadBMPFrom(TStream& stream, std::string_view source);  // source: named in failures
  void BackupToStream();
  void ReleaseTexture();
  // The component's device, nullptr when there is none (or no component any more).
  IDirect3DDevice9* Device() const { return Carad_ != nullptr ? Carad_->Device() : nullptr; }
  void Destroy();

  std::int32_t ID_ = -1;
  std::string Name_;
  TDGCarad* Carad_ = nullptr;  // not owned; nullptr once the component is gone
  D3DFORMAT Format_ = D3DFMT_UNKNOWN;
  std::vector<D3DFORMAT> Formats_;
  UINT Width_ = 0;
  UINT Height_ = 0;
  UINT TextureWidth_ = 0;
  UINT TextureHeight_ = 0;
  float ScaleU_ = 0.0f;
  float ScaleV_ = 0.0f;
  IDirect3DTexture9* Texture_ = nullptr;
  DWORD Usage_ = 0;
  D3DPOOL Pool_ = D3DPOOL_MANAGED;
  std::uint32_t FillColor_ = 0;
  bool Locked_ = false;
  UINT LockedLevel_ = 0;
  INT LockedPitch_ = 0;
  void* LockedBits_ = nullptr;
  RECT LockedRect_{};
  std::int32_t BytesPerPixel_ = 0;
  UINT Levels_ = 0;
  bool KeepContents_ = true;
  TDGSourceKind SourceKind_ = skNothing;
  std::string SourceFile_;
  std::string SourceArchive_;
  std::string SourceEntry_;
  std::unique_ptr<TMemoryStream> BackupStream_;
  bool Rebuilding_ = false;
};
