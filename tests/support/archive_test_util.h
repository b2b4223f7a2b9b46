// Helpers shared by the archive tests: hand-built archives (independent of the writer) and
// sample data of the kinds the game packs.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace archive_test {

inline void PutLE32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct RawEntry {
  std::int32_t DataOffset;
  std::int32_t PackedSize;
  std::int32_t OriginalSize;
  std::string Id;  // written as is, padded with NUL up to 256 bytes (a 256-byte ID has none)
};

// Header + directory as the format lays them out; data is appended by the caller.
inline std::vector<std::uint8_t> RawArchive(std::uint32_t packMethod,
                                            const std::vector<RawEntry>& entries,
                                            std::int32_t entryCount) {
  std::vector<std::uint8_t> bytes(256 + entries.size() * 268, 0);
  PutLE32(bytes, 0, packMethod);
  std::memcpy(bytes.data() + 4, "QDA0", 4);
  PutLE32(bytes, 8, static_cast<std::uint32_t>(entryCount));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t at = 256 + i * 268;
    PutLE32(bytes, at, static_cast<std::uint32_t>(entries[i].DataOffset));
    PutLE32(bytes, at + 4, static_cast<std::uint32_t>(entries[i].PackedSize));
    PutLE32(bytes, at + 8, static_cast<std::uint32_t>(entries[i].OriginalSize));
    std::memcpy(bytes.data() + at + 12, entries[i].Id.data(), entries[i].Id.size());
  }
  return bytes;
}

inline std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

// Japanese-flavoured text: words drawn from a small vocabulary, like the game's texts.
inline std::vector<std::uint8_t> SampleText(std::size_t size, std::uint32_t seed) {
  static const char* const kWords[] = {"saru mo ki kara ochiru ",
                                       "isogaba maware ",
                                       "nana korobi ya oki ",
                                       "ishi no ue ni mo san nen ",
                                       "hana yori dango ",
                                       "\x82\xa0\x82\xa2\x82\xa4 ",
                                       "neko ni koban ",
                                       "The quick brown fox. ",
                                       "\r\n"};
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> text;
  while (text.size() < size) {
    const char* word = kWords[rng() % (sizeof(kWords) / sizeof(kWords[0]))];
    text.insert(text.end(), word, word + std::strlen(word));
  }
  text.resize(size);
  return text;
}

// A 24-bit BMP-like picture: a 54-byte header followed by rows of a smooth gradient with a
// few flat shapes, the kind of art the game's pictures are.
inline std::vector<std::uint8_t> SamplePicture(int width, int height) {
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> bmp(54 + rowBytes * static_cast<std::size_t>(height), 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  PutLE32(bmp, 2, static_cast<std::uint32_t>(bmp.size()));
  PutLE32(bmp, 10, 54);
  PutLE32(bmp, 14, 40);
  PutLE32(bmp, 18, static_cast<std::uint32_t>(width));
  PutLE32(bmp, 22, static_cast<std::uint32_t>(height));
  bmp[26] = 1;
  bmp[28] = 24;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &bmp[54 + static_cast<std::size_t>(y) * rowBytes + x * 3];
      const bool inBox = (x / 40 + y / 30) % 3 == 0;
      p[0] = inBox ? 0x20 : static_cast<std::uint8_t>(x * 255 / width);
      p[1] = inBox ? 0xC0 : static_cast<std::uint8_t>(y * 255 / height);
      p[2] = inBox ? 0x40 : 0x80;
    }
  }
  return bmp;
}

}  // namespace archive_test
