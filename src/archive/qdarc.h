// QDArc: reads one named entry out of a QDA archive into memory.
//
// Each request opens the archive, reads its header and whole directory, finds the first entry
// whose ID equals the requested one ignoring letter case, reads (and in a packed archive
// expands) its data and closes the file again. Nothing is cached between calls.
// IDs are Shift-JIS bytes, as stored in the directory; messages are UTF-8.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>

#include "archive/memory_stream.h"
#include "archive/qda_error.h"
#include "archive/qda_format.h"
#include "archive/stream.h"

// The largest entry a packed archive may expand to. The real pictures are a few MB at most;
// the bound keeps a damaged OriginalSize from reserving gigabytes.
inline constexpr std::size_t kQDAMaxEntrySize = std::size_t{256} << 20;

// Opens the file read only and returns FindQDAEntry's stream (owned by the caller, at
// position 0). A file that cannot be opened raises the file stream's EFOpenError unchanged;
// everything about the archive's contents raises EQDAError. The file is closed on every path.
std::unique_ptr<TMemoryStream> ReadQDAEntry(const std::filesystem::path& archiveFile,
                                            std::string_view id,
                                            std::size_t maxEntrySize = kQDAMaxEntrySize);

// The lookup and extraction on an open, seekable archive stream (read from position 0; the
// stream is left at an unspecified position). Raises EQDAError:
//   "Quadruple D Archiveの扱えるデータではありません" when bytes 4..7 are not "QDA0";
//   "アーカイブ内には指定されたID '<id>' を持つデータが見つかりません" when no entry has the
//     ID, or the first that has it has DataOffset 0;
//   and a message of its own for a truncated header, directory or entry, a negative entry
//   count or size, data outside the file, an oversized entry and damaged packed data.
std::unique_ptr<TMemoryStream> FindQDAEntry(TStream& archive, std::string_view id,
                                            std::size_t maxEntrySize = kQDAMaxEntrySize);
