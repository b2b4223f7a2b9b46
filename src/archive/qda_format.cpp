#include "archive/qda_format.h"

#include <algorithm>
#include <cstring>

std::string QDAEntry::IdString() const {
  const auto end = std::find(Id.begin(), Id.end(), std::uint8_t{0});
  return std::string(Id.begin(), end);
}

bool IsQDAHeader(std::span<const std::uint8_t, kQDAHeaderSize> header) {
  return std::memcmp(header.data() + 4, kQDAMagic, 4) == 0;
}

QDAHeader DecodeQDAHeader(std::span<const std::uint8_t, kQDAHeaderSize> bytes) {
  QDAHeader header;
  header.PackMethod = LoadLE32(bytes.data());
  header.EntryCount = static_cast<std::int32_t>(LoadLE32(bytes.data() + 8));
  std::copy(bytes.begin() + 12, bytes.end(), header.Reserved.begin());
  return header;
}

std::array<std::uint8_t, kQDAHeaderSize> EncodeQDAHeader(const QDAHeader& header) {
  std::array<std::uint8_t, kQDAHeaderSize> bytes{};
  StoreLE32(bytes.data(), header.PackMethod);
  std::memcpy(bytes.data() + 4, kQDAMagic, 4);
  StoreLE32(bytes.data() + 8, static_cast<std::uint32_t>(header.EntryCount));
  std::copy(header.Reserved.begin(), header.Reserved.end(), bytes.begin() + 12);
  return bytes;
}

QDAEntry DecodeQDAEntry(std::span<const std::uint8_t, kQDAEntrySize> bytes) {
  QDAEntry entry;
  entry.DataOffset = static_cast<std::int32_t>(LoadLE32(bytes.data()));
  entry.PackedSize = static_cast<std::int32_t>(LoadLE32(bytes.data() + 4));
  entry.OriginalSize = static_cast<std::int32_t>(LoadLE32(bytes.data() + 8));
  std::copy(bytes.begin() + 12, bytes.end(), entry.Id.begin());
  return entry;
}

std::array<std::uint8_t, kQDAEntrySize> EncodeQDAEntry(const QDAEntry& entry) {
  std::array<std::uint8_t, kQDAEntrySize> bytes{};
  StoreLE32(bytes.data(), static_cast<std::uint32_t>(entry.DataOffset));
  StoreLE32(bytes.data() + 4, static_cast<std::uint32_t>(entry.PackedSize));
  StoreLE32(bytes.data() + 8, static_cast<std::uint32_t>(entry.OriginalSize));
  std::copy(entry.Id.begin(), entry.Id.end(), bytes.begin() + 12);
  return bytes;
}
