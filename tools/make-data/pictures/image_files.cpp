#include "pictures/image_files.h"

#include <jpeglib.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>

void PutLe16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutLe32(Bytes& out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

Bytes EncodeBmp32(const Canvas& picture) {
  const uint32_t width = static_cast<uint32_t>(picture.Width());
  const uint32_t height = static_cast<uint32_t>(picture.Height());
  const uint32_t imageSize = width * height * 4;
  Bytes out;
  out.reserve(54 + imageSize);
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, imageSize + 54);
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe32(out, 54);
  PutLe32(out, 40);
  PutLe32(out, width);
  PutLe32(out, height);  // positive: bottom row first
  PutLe16(out, 1);
  PutLe16(out, 32);
  PutLe32(out, 0);
  PutLe32(out, imageSize);
  for (int i = 0; i < 4; ++i) PutLe32(out, 0);
  for (int y = picture.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const Colour& c = picture.At(x, y);
      out.push_back(ToByte(c.b));
      out.push_back(ToByte(c.g));
      out.push_back(ToByte(c.r));
      out.push_back(ToByte(c.a));
    }
  }
  return out;
}

namespace {

void PutBe32(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 24));
  out.push_back(static_cast<uint8_t>(value >> 16));
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
  PutBe32(out, static_cast<uint32_t>(data.size()));
  const size_t typeStart = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + typeStart, static_cast<uInt>(4 + data.size()));
  PutBe32(out, static_cast<uint32_t>(crc));
}

}  // namespace

Bytes EncodePng(const Canvas& picture, bool withAlpha) {
  const int channels = withAlpha ? 4 : 3;
  const std::vector<uint8_t> pixels = withAlpha ? picture.ToRgba8() : picture.ToRgb8();
  const size_t rowBytes = static_cast<size_t>(picture.Width()) * channels;
  Bytes raw;
  raw.reserve((rowBytes + 1) * picture.Height());
  for (int y = 0; y < picture.Height(); ++y) {
    raw.push_back(0);  // filter: none
    raw.insert(raw.end(), pixels.begin() + static_cast<long>(y * rowBytes),
               pixels.begin() + static_cast<long>((y + 1) * rowBytes));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) !=
      Z_OK) {
    throw std::runtime_error("PNG compression failed");
  }
  packed.resize(packedSize);

  Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes header;
  PutBe32(header, static_cast<uint32_t>(picture.Width()));
  PutBe32(header, static_cast<uint32_t>(picture.Height()));
  header.push_back(8);                  // bit depth
  header.push_back(withAlpha ? 6 : 2);  // RGBA or RGB
  header.push_back(0);                  // deflate
  header.push_back(0);                  // adaptive filtering
  header.push_back(0);                  // no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

Bytes EncodeJpeg(const Canvas& picture, int quality) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  // libjpeg's default error handler exits the process; turn errors into exceptions instead.
  errors.error_exit = [](j_common_ptr common) {
    char message[JMSG_LENGTH_MAX];
    (*common->err->format_message)(common, message);
    throw std::runtime_error(std::string("JPEG encoding failed: ") + message);
  };
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  auto cleanup = [&]() {
    jpeg_destroy_compress(&info);
    free(buffer);
  };
  try {
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.Width());
    info.image_height = static_cast<JDIMENSION>(picture.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.dct_method = JDCT_ISLOW;  // integer DCT: identical bytes on every machine
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::vector<uint8_t> rgb = picture.ToRgb8();
    while (info.next_scanline < info.image_height) {
      JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(info.next_scanline) *
                                                           picture.Width() * 3);
      jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    cleanup();
    return out;
  } catch (...) {
    cleanup();
    throw;
  }
}

void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw std::runtime_error("cannot create " + path.string());
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + path.string());
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
