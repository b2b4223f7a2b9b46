#include "archive/qda_writer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <system_error>

#include "archive/file_stream.h"
#include "archive/qda_error.h"
#include "archive/qda_format.h"
#include "platform/base/exception.h"
#include "platform/base/files.h"
#include "platform/codepage/codepage.h"

namespace {

constexpr std::size_t kMaxArchiveSize = std::numeric_limits<std::int32_t>::max();

void CheckId(const std::string& id) {
  if (id.empty()) throw EQDAError("アーカイブに入れるデータのIDが空です");
  if (id.size() >= kQDAIdSize) {
    throw EQDAError("ID '" + codepage::SjisToUtf8(id) + "' が長すぎます (" +
                    std::to_string(id.size()) + " バイト、255 バイトまで)");
  }
  if (id.find('\0') != std::string::npos) {
    throw EQDAError("ID '" + codepage::SjisToUtf8(id) + "' にNUL文字が含まれています");
  }
}

}  // namespace

std::vector<std::uint8_t> BuildQDAArchive(std::span<const QDASourceEntry> entries, bool packed,
                                          const BPEPackOptions& options) {
  for (const QDASourceEntry& entry : entries) CheckId(entry.Id);
  const std::size_t dataStart = kQDAHeaderSize + entries.size() * kQDAEntrySize;
  if (entries.size() > kMaxArchiveSize / kQDAEntrySize || dataStart > kMaxArchiveSize) {
    throw EQDAError("アーカイブのエントリーが多すぎます");
  }

  std::vector<std::uint8_t> archive(dataStart, 0);
  QDAHeader header;
  header.PackMethod = packed ? kQDAPacked : kQDAStored;
  header.EntryCount = static_cast<std::int32_t>(entries.size());
  const auto headerBytes = EncodeQDAHeader(header);
  std::copy(headerBytes.begin(), headerBytes.end(), archive.begin());

  for (std::size_t i = 0; i < entries.size(); ++i) {
    const QDASourceEntry& source = entries[i];
    std::vector<std::uint8_t> packedData;
    if (packed) packedData = PackBPE(source.Data, options);
    const std::vector<std::uint8_t>& stored = packed ? packedData : source.Data;
    if (source.Data.size() > kMaxArchiveSize || stored.size() > kMaxArchiveSize - archive.size()) {
      throw EQDAError("アーカイブが 2GB を超えます (ID '" + codepage::SjisToUtf8(source.Id) + "')");
    }
    QDAEntry entry;
    entry.DataOffset = static_cast<std::int32_t>(archive.size());
    entry.PackedSize = static_cast<std::int32_t>(stored.size());
    entry.OriginalSize = static_cast<std::int32_t>(source.Data.size());
    std::copy(source.Id.begin(), source.Id.end(), entry.Id.begin());
    const auto entryBytes = EncodeQDAEntry(entry);
    std::copy(entryBytes.begin(), entryBytes.end(),
              archive.begin() + static_cast<std::ptrdiff_t>(kQDAHeaderSize + i * kQDAEntrySize));
    archive.insert(archive.end(), stored.begin(), stored.end());
  }
  return archive;
}

void WriteQDAArchive(const std::filesystem::path& file, std::span<const QDASourceEntry> entries,
                     bool packed, const BPEPackOptions& options) {
  const std::vector<std::uint8_t> archive = BuildQDAArchive(entries, packed, options);
  std::string error;
  const std::string_view bytes(reinterpret_cast<const char*>(archive.data()), archive.size());
  if (!files::ReplaceFile(file, bytes, error)) throw Exception(error);
}
