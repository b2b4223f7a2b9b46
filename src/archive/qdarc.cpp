#include "archive/qdarc.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/ansi_lower.h"
#include "archive/bpe_expand.h"
#include "archive/file_stream.h"
#include "platform/codepage/codepage.h"

namespace {

std::string ForMessage(std::string_view sjisId) { return codepage::SjisToUtf8(sjisId); }

[[noreturn]] void RaiseEntryError(std::string_view id, const std::string& what) {
  throw EQDAError("アーカイブ内のID '" + ForMessage(id) + "' のデータ" + what);
}

QDAHeader ReadHeader(TStream& archive) {
  std::array<std::uint8_t, kQDAHeaderSize> bytes{};
  const std::size_t got = archive.Read(bytes.data(), bytes.size());
  if (!IsQDAHeader(bytes)) throw EQDAError("Quadruple D Archiveの扱えるデータではありません");
  if (got != bytes.size()) {
    throw EQDAError("アーカイブのヘッダーが途中で切れています (" + std::to_string(got) +
                    " / 256 バイト)");
  }
  return DecodeQDAHeader(bytes);
}

std::vector<std::uint8_t> ReadDirectory(TStream& archive, std::int32_t entryCount,
                                        std::int64_t fileSize) {
  if (entryCount < 0) {
    throw EQDAError("アーカイブのエントリー数が不正です (" + std::to_string(entryCount) + ")");
  }
  const std::int64_t directoryBytes = std::int64_t{entryCount} * std::int64_t{kQDAEntrySize};
  if (std::int64_t{kQDAHeaderSize} + directoryBytes > fileSize) {
    throw EQDAError("アーカイブのディレクトリ (" + std::to_string(entryCount) +
                    " 件) がファイルの終わりを越えています");
  }
  std::vector<std::uint8_t> directory(static_cast<std::size_t>(directoryBytes));
  if (archive.Read(directory.data(), directory.size()) != directory.size()) {
    throw EQDAError("アーカイブのディレクトリが途中で切れています");
  }
  return directory;
}

// The first entry whose ID matches, compared lower-cased; later duplicates are never reached.
std::optional<QDAEntry> FindEntry(const std::vector<std::uint8_t>& directory, std::string_view id) {
  const std::string wanted = AnsiLowerCase(id);
  for (std::size_t offset = 0; offset < directory.size(); offset += kQDAEntrySize) {
    const QDAEntry entry = DecodeQDAEntry(
        std::span<const std::uint8_t, kQDAEntrySize>(&directory[offset], kQDAEntrySize));
    if (AnsiLowerCase(entry.IdString()) == wanted) return entry;
  }
  return std::nullopt;
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
  archive.SetPosition(0);
  const QDAHeader header = ReadHeader(archive);
  const std::int64_t fileSize = archive.Size();
  const std::vector<std::uint8_t> directory = ReadDirectory(archive, header.EntryCount, fileSize);

  const std::optional<QDAEntry> entry = FindEntry(directory, id);
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
