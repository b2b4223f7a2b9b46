// FindQDAEntry over arbitrary archive bytes: it must return a stream at position 0 or raise
// EQDAError; nothing else (no crash, no other exception, no read outside a buffer).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "archive/qda_format.h"
#include "archive/qdarc.h"

namespace {

// Small bound so that damaged sizes stay cheap under the sanitizers.
constexpr std::size_t kFuzzMaxEntrySize = std::size_t{1} << 20;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  // Ask for a fixed ID and, when there is a first directory entry, for that entry's own ID
  // upper-cased, so that lookups also succeed and reach the data.
  std::string ids[2] = {"Title.bmp", ""};
  if (size >= kQDAHeaderSize + kQDAEntrySize) {
    const QDAEntry first = DecodeQDAEntry(
        std::span<const std::uint8_t, kQDAEntrySize>(data + kQDAHeaderSize, kQDAEntrySize));
    ids[1] = first.IdString();
    for (char& c : ids[1]) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
  }
  // The bytes as they are, and with the magic written in so that the directory and the data
  // are reached from any input.
  std::vector<std::uint8_t> patched(bytes.begin(), bytes.end());
  if (patched.size() >= 8) std::copy(kQDAMagic, kQDAMagic + 4, patched.begin() + 4);
  for (const std::string& id : ids) {
    for (const auto input : {bytes, std::span<const std::uint8_t>(patched)}) {
      TMemoryStream archive(input);
      try {
        auto entry = FindQDAEntry(archive, id, kFuzzMaxEntrySize);
        Check(entry != nullptr);
        Check(entry->Position() == 0);
        Check(static_cast<std::size_t>(entry->Size()) <= std::max(size, kFuzzMaxEntrySize));
      } catch (const EQDAError&) {
      }
    }
  }
  return 0;
}
