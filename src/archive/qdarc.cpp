#include "archive/qdarc.h"

#include <cstdint>
#include <string>
#include <vector>

#include "archive/ansi_lower.h"
#include "archive/bpe_expand.h"
#include "archive/file_stream.h"
#include "archive/qda_directory.h"
#include "platform/codepage/codepage.h"

namespace {

std::string ForMessage(std::string_view sjisId) { return codepage::SjisToUtf8(sjisId); }

[[noreturn]] void RaiseEntryError(std::string_view id, const std::string& what) {
  throw EQDAError("アーカイブ内のID '" + ForMessage(id) + "' のデータ" + what);
}

// The first entry whose ID matches, compared lower-cased; later duplicates are never reached.
const QDAEntry* FindEntry(const std::vector<QDAEntry>& entries, std::string_view id) {
  const std::string wanted = AnsiLowerCase(id);
  for (const QDAEntry& entry : entries) {
    if (AnsiLowerCase(entry.IdString()) == wanted) return &entry;
  }
  return nullptr;
}

// Reads size bytes at offset into a new stream, after checking that they lie inside the file.
std::unique_ptr<TMemoryStream> ReadData(TStream& archive, std::string_view id, std::int32_t offset,
                                        std::int32_t size, std::int64_t fileSize) {
  if (size < 0) RaiseEntryError(id, "サイズが不正です (" + std::to_string(size) + ")");
  if (offset < 0 || std::int64_t{offset} + std::int64_t{size} > fileSize) {
    RaiseEntryError(id, "位置がファイルの範囲外です (" + std::to_string(offset) + " から " +
                            std::to_string(size) + " バイト)");
  }
  archive.SetPosition(offset);
  auto data = std::make_unique<TMemoryStream>();
  data->SetSize(static_cast<std::size_t>(size));
  if (archive.Read(data->Memory(), data->ByteSize()) != data->ByteSize()) {
    RaiseEntryError(id, "が途中で切れています");
  }
  return data;
}

}  // namespace

std::unique_ptr<TMemoryStream> FindQDAEntry(TStream& archive, std::string_view id,
                                            std::size_t maxEntrySize) {
  const QDADirectory directory = ReadQDADirectory(archive);
  const QDAHeader& header = directory.Header;
  const std::int64_t fileSize = directory.FileSize;

  const QDAEntry* entry = FindEntry(directory.Entries, id);
  if (!entry || entry->DataOffset == 0) {
    throw EQDAError("アーカイブ内には指定されたID '" + ForMessage(id) +
                    "' を持つデータが見つかりません");
  }

  if (header.PackMethod == kQDAPacked) {
    if (entry->OriginalSize < 0) {
      RaiseEntryError(id, "サイズが不正です (" + std::to_string(entry->OriginalSize) + ")");
    }
    if (static_cast<std::size_t>(entry->OriginalSize) > maxEntrySize) {
      RaiseEntryError(id, "が大きすぎます (" + std::to_string(entry->OriginalSize) + " バイト)");
    }
    const auto packed = ReadData(archive, id, entry->DataOffset, entry->PackedSize, fileSize);
    try {
      return ExpandBPE(packed->Bytes(), static_cast<std::size_t>(entry->OriginalSize));
    } catch (const EQDAError& error) {
      RaiseEntryError(id, "を展開できません: " + std::string(error.what()));
    }
  }
  return ReadData(archive, id, entry->DataOffset, entry->OriginalSize, fileSize);
}

std::unique_ptr<TMemoryStream> ReadQDAEntry(const std::filesystem::path& archiveFile,
                                            std::string_view id, std::size_t maxEntrySize) {
  TFileStream archive(archiveFile, TFileStream::TFileMode::fmOpenRead);
  return FindQDAEntry(archive, id, maxEntrySize);
}
