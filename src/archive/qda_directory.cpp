#include "archive/qda_directory.h"

#include <array>
#include <string>

#include "archive/qda_error.h"

namespace {

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

}  // namespace

QDADirectory ReadQDADirectory(TStream& archive) {
  QDADirectory directory;
  archive.SetPosition(0);
  directory.Header = ReadHeader(archive);
  directory.FileSize = archive.Size();

  const std::int32_t count = directory.Header.EntryCount;
  if (count < 0) {
    throw EQDAError("アーカイブのエントリー数が不正です (" + std::to_string(count) + ")");
  }
  // Checked against the file before anything is allocated for it.
  const std::int64_t bytes = std::int64_t{count} * std::int64_t{kQDAEntrySize};
  if (std::int64_t{kQDAHeaderSize} + bytes > directory.FileSize) {
    throw EQDAError("アーカイブのディレクトリ (" + std::to_string(count) +
                    " 件) がファイルの終わりを越えています");
  }
  archive.SetPosition(kQDAHeaderSize);
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(bytes));
  if (archive.Read(raw.data(), raw.size()) != raw.size()) {
    throw EQDAError("アーカイブのディレクトリが途中で切れています");
  }
  directory.Entries.reserve(static_cast<std::size_t>(count));
  for (std::size_t offset = 0; offset < raw.size(); offset += kQDAEntrySize) {
    directory.Entries.push_back(
        DecodeQDAEntry(std::span<const std::uint8_t, kQDAEntrySize>(&raw[offset], kQDAEntrySize)));
  }
  return directory;
}
