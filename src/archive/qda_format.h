// The QDA archive layout. All integers are little-endian.
//   header     256 bytes at offset 0: PackMethod, "QDA0", EntryCount, 244 reserved bytes
//   directory  EntryCount entries of 268 bytes right behind the header
//   data       anywhere after that, addressed by absolute offsets
// PackMethod 1 means every entry is byte-pair packed; any other value, every entry is stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

inline constexpr std::size_t kQDAHeaderSize = 256;
inline constexpr std::size_t kQDAEntrySize = 268;
inline constexpr std::size_t kQDAIdSize = 256;
inline constexpr std::uint32_t kQDAStored = 0;
inline constexpr std::uint32_t kQDAPacked = 1;
inline constexpr char kQDAMagic[4] = {'Q', 'D', 'A', '0'};

struct QDAHeader {
  std::uint32_t PackMethod = kQDAStored;
  std::int32_t EntryCount = 0;
  std::array<std::uint8_t, 244> Reserved{};
};

struct QDAEntry {
  std::int32_t DataOffset = 0;
  std::int32_t PackedSize = 0;
  std::int32_t OriginalSize = 0;
  std::array<std::uint8_t, kQDAIdSize> Id{};  // Shift-JIS text, NUL-terminated when shorter

  // The ID up to its first NUL; all 256 bytes when the field holds none.
  std::string IdString() const;
};

// True when header bytes 4..7 are "QDA0"; nothing else of the header is examined.
bool IsQDAHeader(std::span<const std::uint8_t, kQDAHeaderSize> header);

QDAHeader DecodeQDAHeader(std::span<const std::uint8_t, kQDAHeaderSize> bytes);
std::array<std::uint8_t, kQDAHeaderSize> EncodeQDAHeader(const QDAHeader& header);

QDAEntry DecodeQDAEntry(std::span<const std::uint8_t, kQDAEntrySize> bytes);
std::array<std::uint8_t, kQDAEntrySize> EncodeQDAEntry(const QDAEntry& entry);

// Every code standing for itself: the pair table each packed block starts from.
inline constexpr std::array<std::uint8_t, 256> kBPELiteralCodes = [] {
  std::array<std::uint8_t, 256> codes{};
  for (std::size_t code = 0; code < 256; ++code) codes[code] = static_cast<std::uint8_t>(code);
  return codes;
}();

// Little-endian helpers shared by the reader, the packer and the writer.
inline std::uint32_t LoadLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void StoreLE32(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
  p[2] = static_cast<std::uint8_t>(value >> 16);
  p[3] = static_cast<std::uint8_t>(value >> 24);
}
