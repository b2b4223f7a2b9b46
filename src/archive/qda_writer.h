// Writing QDA archives: the header, the directory and every entry's data, stored
// (PackMethod 0) or byte-pair packed (PackMethod 1). Used at build time to pack the game's
// pictures and by nightwisp-tool.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "archive/bpe_pack.h"

struct QDASourceEntry {
  std::string Id;                  // Shift-JIS, 1 to 255 bytes, no NUL
  std::vector<std::uint8_t> Data;  // the entry's bytes as the reader is to return them
};

// The archive as bytes: the 256-byte header (reserved bytes 0), the directory in the given
// order (IDs NUL-terminated and zero-padded) and the data in the same order right behind it,
// at absolute offsets. Duplicate IDs are written as they come (the reader finds the first).
// Raises EQDAError for an empty, over-long or NUL-holding ID, or an archive past 2 GB.
std::vector<std::uint8_t> BuildQDAArchive(std::span<const QDASourceEntry> entries, bool packed,
                                          const BPEPackOptions& options = {});

// Builds the archive and writes it to file through a temporary file beside it, so a failure
// leaves any earlier file of that name untouched and no partial archive behind.
// Raises EQDAError or the file stream's errors.
void WriteQDAArchive(const std::filesystem::path& file, std::span<const QDASourceEntry> entries,
                     bool packed, const BPEPackOptions& options = {});
