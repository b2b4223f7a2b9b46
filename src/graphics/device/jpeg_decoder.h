// Decoding JPEG pictures (the game's background) into a 24-bit TDGBitmap with libjpeg: full
// size, the accurate integer DCT, RGB output (greyscale pictures come out grey in RGB).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "graphics/device/dg_bitmap.h"
#include "platform/base/exception.h"

class EJPEGError : public Exception {
 public:
  using Exception::Exception;
};

// Pictures larger than this on a side are refused rather than decoded into gigabytes.
inline constexpr std::int32_t kJPEGMaxSide = 16384;

// Raises EJPEGError with libjpeg's own reason when the data is not a JPEG picture it can read
// (not a JPEG, damaged beyond reading, CMYK, oversized). A picture cut short decodes what it
// has; libjpeg fills the rest with grey, as it does everywhere.
std::unique_ptr<TDGBitmap> DecodeJPEG(std::span<const std::uint8_t> data);
// Reads the whole file first; a file that cannot be read raises EJPEGError naming it.
std::unique_ptr<TDGBitmap> LoadJPEGFile(const std::filesystem::path& fileName);
