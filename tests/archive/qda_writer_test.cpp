#include "archive/qda_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/qda_format.h"
#include "archive/qdarc.h"
#include "support/archive_test_util.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<QDASourceEntry> GamePictures() {
  return {
      {"Title.bmp", archive_test::SamplePicture(160, 120)},
      {"Hotaru.bmp", archive_test::SamplePicture(32, 32)},
      {"readme.txt", archive_test::SampleText(30000, 21)},
      {"noise.bin", archive_test::RandomBytes(20000, 22)},
      {"empty", {}},
      {"\x92\xc7\x89\xc1.txt", archive_test::SampleText(100, 23)},  // 追加.txt
  };
}

Bytes Read(const Bytes& archive, const std::string& id) {
  TMemoryStream stream(archive);
  auto out = FindQDAEntry(stream, id);
  return Bytes(out->Bytes().begin(), out->Bytes().end());
}

TEST(BuildQDAArchive, EveryEntryReadsBackByteIdenticalStoredOrPacked) {
  const auto entries = GamePictures();
  for (const bool packed : {false, true}) {
    const Bytes archive = BuildQDAArchive(entries, packed);
    for (const auto& entry : entries) {
      EXPECT_EQ(Read(archive, entry.Id), entry.Data) << entry.Id << (packed ? " packed" : "");
    }
  }
  const Bytes stored = BuildQDAArchive(entries, false);
  const Bytes packed = BuildQDAArchive(entries, true);
  EXPECT_LT(packed.size(), stored.size());
}

TEST(BuildQDAArchive, LaysOutHeaderAndDirectory) {
  const auto entries = GamePictures();
  const Bytes archive = BuildQDAArchive(entries, true);
  const auto header = DecodeQDAHeader(std::span<const std::uint8_t, 256>(archive.data(), 256));
  EXPECT_EQ(header.PackMethod, kQDAPacked);
  EXPECT_TRUE(IsQDAHeader(std::span<const std::uint8_t, 256>(archive.data(), 256)));
  EXPECT_EQ(header.EntryCount, static_cast<std::int32_t>(entries.size()));
  for (const auto b : header.Reserved) EXPECT_EQ(b, 0);

  std::int64_t expectedOffset = 256 + static_cast<std::int64_t>(entries.size()) * 268;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto entry =
        DecodeQDAEntry(std::span<const std::uint8_t, 268>(archive.data() + 256 + i * 268, 268));
    EXPECT_EQ(entry.IdString(), entries[i].Id);
    for (std::size_t k = entries[i].Id.size(); k < 256; ++k) ASSERT_EQ(entry.Id[k], 0);
    EXPECT_EQ(entry.DataOffset, expectedOffset);  // absolute, in order, back to back
    EXPECT_EQ(entry.OriginalSize, static_cast<std::int32_t>(entries[i].Data.size()));
    expectedOffset += entry.PackedSize;
  }
  EXPECT_EQ(expectedOffset, static_cast<std::int64_t>(archive.size()));
}

TEST(BuildQDAArchive, DuplicatesAreKeptAndTheFirstIsRead) {
  const std::vector<QDASourceEntry> entries = {{"a.bmp", {1}}, {"A.BMP", {2}}, {"a.bmp", {3}}};
  const Bytes archive = BuildQDAArchive(entries, false);
  EXPECT_EQ(Read(archive, "a.bmp"), Bytes{1});
  EXPECT_EQ(archive.size(), 256u + 3 * 268 + 3);
}

TEST(BuildQDAArchive, RejectsIdsTheDirectoryCannotHold) {
  const auto build = [](const std::string& id) {
    const std::vector<QDASourceEntry> entries = {{id, {1}}};
    return BuildQDAArchive(entries, true);
  };
  EXPECT_THROW(build(""), EQDAError);
  EXPECT_THROW(build(std::string(256, 'x')), EQDAError);
  EXPECT_THROW(build(std::string("a\0b", 3)), EQDAError);
  const Bytes longest = build(std::string(255, 'x'));
  EXPECT_EQ(Read(longest, std::string(255, 'X')), Bytes{1});
}

TEST(WriteQDAArchive, WritesTheFileAndLeavesNothingBehindOnFailure) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("nightwisp-qdawriter-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto path = dir / "wisplore.qda";
  const auto entries = GamePictures();
  WriteQDAArchive(path, entries, true);
  EXPECT_EQ(ReadQDAEntry(path, "title.BMP")->Size(),
            static_cast<std::int64_t>(entries[0].Data.size()));
  std::ifstream in(path, std::ios::binary);
  const Bytes onDisk{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(onDisk, BuildQDAArchive(entries, true));

  // A bad ID: the existing archive stays as it was, no temporary file is left.
  const std::vector<QDASourceEntry> bad = {{"", {1}}};
  EXPECT_THROW(WriteQDAArchive(path, bad, true), EQDAError);
  EXPECT_EQ(std::filesystem::file_size(path), onDisk.size());
  EXPECT_THROW(WriteQDAArchive(dir / "missing" / "x.qda", entries, false), Exception);
  std::filesystem::remove(path);
  EXPECT_TRUE(std::filesystem::is_empty(dir));
  std::filesystem::remove_all(dir);
}

}  // namespace
