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

// Pictures larger than this on a side, or with more pixels than a 4K picture (the game's frame
// is 688 x 528), are refused rather than decoded into gigabytes.
inline constexpr std::int32_t kJPEGMaxSide = 16384;
inline constexpr std::int64_t kJPEGMaxPixels = std::int64_t{3840} * 2160;

// Raises EJPEGError with the reason when the data is not a JPEG picture libjpeg can read (not a
// JPEG, CMYK), when libjpeg finds its coded data damaged or cut short (at once, not after
// making up the rest), and, before anything its size is allocated, when it is wider or higher
// than maxWidth x maxHeight (what a texture holds), has more than kJPEGMaxPixels pixels, or
// claims a size its data is far too small to code.
std::unique_ptr<TDGBitmap> DecodeJPEG(std::span<const std::uint8_t> data,
                                      std::int32_t maxWidth = kJPEGMaxSide,
                                      std::int32_t maxHeight = kJPEGMaxSide);
// Reads the whole file first; every failure raises EJPEGError naming the file.
std::unique_ptr<TDGBitmap> LoadJPEGFile(const std::filesystem::path& fileName,
                                        std::int32_t maxWidth = kJPEGMaxSide,
                                        std::int32_t maxHeight = kJPEGMaxSide);
