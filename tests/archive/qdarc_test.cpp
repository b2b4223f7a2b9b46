#include "archive/qdarc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/ansi_lower.h"
#include "archive/bpe_pack.h"
#include "support/archive_test_util.h"

namespace {

using archive_test::RawArchive;
using archive_test::RawEntry;
using Bytes = std::vector<std::uint8_t>;

const std::string kNotQDA = "Quadruple D Archiveの扱えるデータではありません";

std::string NotFound(const std::string& utf8Id) {
  return "アーカイブ内には指定されたID '" + utf8Id + "' を持つデータが見つかりません";
}

Bytes Append(Bytes archive, const Bytes& data) {
  archive.insert(archive.end(), data.begin(), data.end());
  return archive;
}

Bytes Find(const Bytes& archive, const std::string& id) {
  TMemoryStream stream(archive);
  auto out = FindQDAEntry(stream, id);
  EXPECT_EQ(out->Position(), 0);
  return Bytes(out->Bytes().begin(), out->Bytes().end());
}

std::string ErrorOf(const Bytes& archive, const std::string& id) {
  TMemoryStream stream(archive);
  try {
    FindQDAEntry(stream, id);
  } catch (const EQDAError& error) {
    return error.what();
  }
  return "(no error)";
}

// Two stored entries, "Title.bmp" then "seikai.bmp", data right behind the directory.
Bytes StoredPair() {
  const std::int32_t data = 256 + 2 * 268;
  return Append(RawArchive(0, {{data, 0, 3, "Title.bmp"}, {data + 3, 0, 4, "seikai.bmp"}}, 2),
                Bytes{'T', 'T', 'T', 's', 'e', 'i', 'k'});
}

TEST(FindQDAEntry, StoredEntriesReturnOriginalSizeBytesFromDataOffset) {
  EXPECT_EQ(Find(StoredPair(), "Title.bmp"), (Bytes{'T', 'T', 'T'}));
  EXPECT_EQ(Find(StoredPair(), "seikai.bmp"), (Bytes{'s', 'e', 'i', 'k'}));
  // Any PackMethod other than 1 means stored, and PackedSize is not used there.
  const std::int32_t data = 256 + 268;
  const Bytes odd = Append(RawArchive(7, {{data, 999999, 2, "a"}}, 1), Bytes{'x', 'y', 'z'});
  EXPECT_EQ(Find(odd, "a"), (Bytes{'x', 'y'}));
}

TEST(FindQDAEntry, LooksUpIdsIgnoringLetterCaseFirstMatchWinning) {
  EXPECT_EQ(Find(StoredPair(), "TITLE.BMP"), (Bytes{'T', 'T', 'T'}));
  EXPECT_EQ(Find(StoredPair(), "SeiKai.Bmp"), (Bytes{'s', 'e', 'i', 'k'}));
  const std::int32_t data = 256 + 3 * 268;
  const Bytes duplicates = Append(
      RawArchive(0, {{data, 0, 1, "x.bmp"}, {data + 1, 0, 1, "X.BMP"}, {data + 2, 0, 1, "x.bmp"}},
                 3),
      Bytes{'1', '2', '3'});
  EXPECT_EQ(Find(duplicates, "x.bmp"), Bytes{'1'});
  EXPECT_EQ(Find(duplicates, "X.BMP"), Bytes{'1'});
}

TEST(FindQDAEntry, NotFoundQuotesTheIdAsGiven) {
  EXPECT_EQ(ErrorOf(StoredPair(), "Hotaru.BMP"), NotFound("Hotaru.BMP"));
  EXPECT_EQ(ErrorOf(StoredPair(), "Title"), NotFound("Title"));
  // No entries at all.
  EXPECT_EQ(ErrorOf(RawArchive(1, {}, 0), "Title.bmp"), NotFound("Title.bmp"));
  // A match with DataOffset 0 counts as not found, and stops the search there.
  const Bytes zeroOffset =
      Append(RawArchive(0, {{0, 0, 1, "a.bmp"}, {256 + 2 * 268, 0, 1, "a.bmp"}}, 2), Bytes{'!'});
  EXPECT_EQ(ErrorOf(zeroOffset, "A.bmp"), NotFound("A.bmp"));
  // A Shift-JIS ID comes back readable in the message.
  EXPECT_EQ(ErrorOf(StoredPair(), "\x83\x41.bmp"), NotFound("ア.bmp"));
}

TEST(FindQDAEntry, ShiftJisIdsKeepTheirSecondBytes) {
  // "ア" is 83 41 and "チ" is 83 60; lower-casing the 0x41 would confuse "ア" with 83 61.
  EXPECT_EQ(AnsiLowerCase("\x83\x41Z"), "\x83\x41z");
  EXPECT_EQ(AnsiLowerCase("\x82\x60\x83\x9F\x84\x40\x84\x4F\x84\x60"),
            "\x82\x81\x83\xBF\x84\x70\x84\x80\x84\x91");  // Ａ Α А О Я lower-cased
  EXPECT_EQ(AnsiLowerCase("AB\x83"), "ab\x83");           // a cut-off lead byte stays
  const std::int32_t data = 256 + 268;
  const Bytes archive = Append(RawArchive(0, {{data, 0, 1, "\x83\x61"}}, 1), Bytes{'k'});
  EXPECT_EQ(ErrorOf(archive, "\x83\x41"), NotFound("ア"));
  EXPECT_EQ(Find(archive, "\x83\x61"), Bytes{'k'});
}

TEST(FindQDAEntry, AnIdFieldWithoutNulIsComparedWhole) {
  const std::string longId(256, 'Q');
  const std::int32_t data = 256 + 268;
  const Bytes archive = Append(RawArchive(0, {{data, 0, 2, longId}}, 1), Bytes{'o', 'k'});
  EXPECT_EQ(Find(archive, std::string(256, 'q')), (Bytes{'o', 'k'}));
  EXPECT_EQ(ErrorOf(archive, std::string(255, 'q')), NotFound(std::string(255, 'q')));
}

TEST(FindQDAEntry, PackedArchivesExpandEachEntry) {
  const Bytes text = archive_test::SampleText(5000, 11);
  const Bytes packed = PackBPE(text);
  const std::int32_t data = 256 + 2 * 268;
  const auto packedSize = static_cast<std::int32_t>(packed.size());
  Bytes archive =
      RawArchive(1,
                 {{data, packedSize, static_cast<std::int32_t>(text.size()), "text.txt"},
                  {data + packedSize, 10, 4, "abab"}},
                 2);
  archive = Append(Append(archive, packed),
                   Bytes{0xFF, 0x61, 0x62, 0xFE, 0x02, 0x00, 0x00, 0x00, 0x80, 0x80});
  EXPECT_EQ(Find(archive, "TEXT.txt"), text);
  EXPECT_EQ(Find(archive, "abab"), (Bytes{'a', 'b', 'a', 'b'}));
}

TEST(FindQDAEntry, RejectsDamagedHeadersAndDirectories) {
  Bytes notQda = StoredPair();
  notQda[7] = '1';
  EXPECT_EQ(ErrorOf(notQda, "Title.bmp"), kNotQDA);
  EXPECT_EQ(ErrorOf({}, "Title.bmp"), kNotQDA);
  EXPECT_EQ(ErrorOf({0, 0, 0, 0, 'Q', 'D'}, "Title.bmp"), kNotQDA);
  const Bytes full = StoredPair();
  const Bytes shortHeader(full.begin(), full.begin() + 100);
  EXPECT_NE(ErrorOf(shortHeader, "a").find("ヘッダーが途中で切れています"), std::string::npos);
  EXPECT_NE(ErrorOf(RawArchive(0, {}, -1), "a").find("エントリー数が不正です (-1)"),
            std::string::npos);
  // Two entries promised, one present: the directory runs past the end of the file.
  const Bytes shortDirectory = RawArchive(0, {{300, 0, 1, "a"}}, 2);
  EXPECT_NE(ErrorOf(shortDirectory, "a").find("ファイルの終わりを越えています"), std::string::npos);
  EXPECT_NE(ErrorOf(RawArchive(0, {}, 0x7FFFFFFF), "a").find("ファイルの終わりを越えています"),
            std::string::npos);
}

TEST(FindQDAEntry, RejectsEntriesOutsideTheFileOrWithBadSizes) {
  const std::int32_t data = 256 + 268;
  const Bytes payload = {'a', 'b', 'c'};
  const auto errorFor = [&](std::uint32_t method, RawEntry entry) {
    return ErrorOf(Append(RawArchive(method, {entry}, 1), payload), "e");
  };
  const std::string outside = "アーカイブ内のID 'e' のデータ位置がファイルの範囲外です";
  EXPECT_NE(errorFor(0, {data, 0, 4, "e"}).find(outside), std::string::npos);
  EXPECT_NE(errorFor(0, {-5, 0, 1, "e"}).find(outside), std::string::npos);
  EXPECT_NE(errorFor(0, {0x7FFFFFFF, 0, 0x7FFFFFFF, "e"}).find(outside), std::string::npos);
  EXPECT_NE(errorFor(1, {data, 4, 4, "e"}).find(outside), std::string::npos);
  EXPECT_NE(errorFor(0, {data, 0, -1, "e"}).find("サイズが不正です (-1)"), std::string::npos);
  EXPECT_NE(errorFor(1, {data, -3, 4, "e"}).find("サイズが不正です (-3)"), std::string::npos);
  EXPECT_NE(errorFor(1, {data, 3, -4, "e"}).find("サイズが不正です (-4)"), std::string::npos);
  EXPECT_NE(errorFor(1, {data, 3, 0x7FFFFFFF, "e"}).find("大きすぎます"), std::string::npos);
  // Packed bytes that are not a valid block.
  EXPECT_NE(errorFor(1, {data, 3, 4, "e"}).find("展開できません"), std::string::npos);
  // A zero-length entry at the very end of the file is fine.
  EXPECT_EQ(Find(Append(RawArchive(0, {{data + 3, 0, 0, "e"}}, 1), payload), "e"), Bytes{});
}

class ReadQDAEntryFile : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("nightwisp-qdarc-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path Write(const std::string& name, const Bytes& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  std::filesystem::path dir_;
};

TEST_F(ReadQDAEntryFile, ReadsFromAFileAgainAndAgain) {
  const auto path = Write("wisplore.qda", StoredPair());
  for (int i = 0; i < 3; ++i) {
    auto stream = ReadQDAEntry(path, "title.bmp");
    EXPECT_EQ(stream->Position(), 0);
    EXPECT_EQ(stream->Size(), 3);
  }
  auto second = ReadQDAEntry(path, "SEIKAI.BMP");
  EXPECT_EQ(second->Size(), 4);
}

TEST_F(ReadQDAEntryFile, MissingFileRaisesTheFileOpenErrorAndArchiveErrorsPassThrough) {
  try {
    ReadQDAEntry(dir_ / "none.qda", "Title.bmp");
    FAIL() << "no exception";
  } catch (const EFOpenError& error) {
    EXPECT_NE(std::string(error.what()).find("none.qda"), std::string::npos);
  }
  const auto path = Write("bad.qda", Bytes(300, 0));
  try {
    ReadQDAEntry(path, "Title.bmp");
    FAIL() << "no exception";
  } catch (const EQDAError& error) {
    EXPECT_EQ(error.what(), kNotQDA);
  }
  // Both derive from the one root exception.
  EXPECT_THROW(ReadQDAEntry(path, "x"), Exception);
}

}  // namespace
