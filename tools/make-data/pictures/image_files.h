// Picture file encoders: BMP (32-bit, the layout the game's texture loader reads), PNG and JPEG.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "pictures/canvas.h"

using Bytes = std::vector<uint8_t>;

// A 32-bit bottom-up BMP: 14-byte file header, 40-byte info header, pixel data at offset 54,
// each pixel the little-endian A8R8G8B8 colour (blue, green, red, alpha in memory).
Bytes EncodeBmp32(const Canvas& picture);
// An 8-bit RGBA (or RGB) PNG, compressed with zlib at its best level.
Bytes EncodePng(const Canvas& picture, bool withAlpha = true);
// A baseline colour JPEG; alpha is ignored.
Bytes EncodeJpeg(const Canvas& picture, int quality);

// Writes the whole file or throws std::runtime_error naming the path.
void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::filesystem::path& path);

// Little-endian helpers shared by the BMP and WAVE writers.
void PutLe16(Bytes& out, uint32_t value);
void PutLe32(Bytes& out, uint32_t value);
