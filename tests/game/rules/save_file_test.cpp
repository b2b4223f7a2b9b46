// record1.dat on disk: every field at its offset, short files, safe replacement, and the checks
// that keep a damaged file from being continued.
#include "rules/save_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

std::int32_t Int32At(const std::string& bytes, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes.at(offset + i));
  return static_cast<std::int32_t>(v);
}

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SaveFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = std::filesystem::temp_directory_path() /
          ("nightwisp-save-file-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    BuildMondaiTable(Catalogue);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }

  // A record a game could have written: question 1 (7 characters) in stage 2.
  TSaveData Valid() const {
    TSaveData d;
    d.MondaiNo = 1;
    d.Shutsudai[0] = 1;
    d.ShutsudaiCount = 1;
    d.MojiCount = static_cast<std::int32_t>(Catalogue.Reading(1).size());
    for (int i = 0; i < d.MojiCount; ++i) {
      d.X[i] = 100 + i;
      d.Y[i] = 200 + i;
      d.Akarusa[i] = 10 * i;
      d.Akarumu[i] = static_cast<std::uint8_t>(i % 2);
    }
    d.SeikaiCount = 12;
    d.TimeLeft = 42000;
    d.Playing = 1;
    d.Tokuten = 300;
    d.SaikoTokuten = 2000;
    return d;
  }

  std::filesystem::path Dir;
  TCatalogue Catalogue;
};

TEST_F(SaveFileTest, EveryFieldLandsAtItsOffsetInTheWrittenFile) {
  TSaveData d;
  d.MondaiNo = 0x01020304;
  for (std::size_t i = 0; i < kSaveShutsudaiSlots; ++i) d.Shutsudai[i] = (i % 3 == 0) ? 1 : 0;
  d.Reserved1[0] = d.Reserved1[1] = 0;
  d.ShutsudaiCount = 57;
  d.MojiCount = 39;
  for (std::size_t i = 0; i < kSaveMojiSlots; ++i) {
    const auto k = static_cast<std::int32_t>(i);
    d.X[i] = 1000 + k;
    d.Y[i] = -2000 - k;
    d.DX[i] = 3000 + k;
    d.DY[i] = -4000 - k;
    d.Akarusa[i] = 5000 + k;
    d.Akarumu[i] = static_cast<std::uint8_t>(k);
  }
  d.KakushiNo = 38;
  d.SeikaiCount = 21;
  d.RenzokuCount = 22;
  d.FuseikaiCount = 23;
  d.TimeLeft = 42500;
  d.PauseTotal = 77777;
  d.Playing = 1;
  d.Tokuten = 0x7FFF0001;
  d.SaikoTokuten = 654321;
  d.BonusMode = 1;
  d.HintMoji = 2;
  d.HintCount = 3;

  const auto file = Dir / kSaveFileName;
  std::string error;
  ASSERT_TRUE(WriteSaveFile(file, d, error)) << error;
  const std::string b = Slurp(file);
  ASSERT_EQ(b.size(), 1052u);
  EXPECT_FALSE(std::filesystem::exists(Dir / "record1.dat.tmp"));

  EXPECT_EQ(Int32At(b, 0), 0x01020304);
  for (std::size_t i = 0; i < 170; ++i) EXPECT_EQ(b[4 + i], (i % 3 == 0) ? 1 : 0) << i;
  EXPECT_EQ(b[174], 0);
  EXPECT_EQ(b[175], 0);
  EXPECT_EQ(Int32At(b, 176), 57);
  EXPECT_EQ(Int32At(b, 180), 39);
  for (std::size_t i = 0; i < 39; ++i) {
    const auto k = static_cast<std::int32_t>(i);
    EXPECT_EQ(Int32At(b, 184 + 4 * i), 1000 + k);
    EXPECT_EQ(Int32At(b, 340 + 4 * i), -2000 - k);
    EXPECT_EQ(Int32At(b, 496 + 4 * i), 3000 + k);
    EXPECT_EQ(Int32At(b, 652 + 4 * i), -4000 - k);
    EXPECT_EQ(Int32At(b, 812 + 4 * i), 5000 + k);
    EXPECT_EQ(static_cast<unsigned char>(b[968 + i]), i);
  }
  EXPECT_EQ(Int32At(b, 808), 38);
  EXPECT_EQ(b[1007], 0);
  EXPECT_EQ(Int32At(b, 1008), 21);
  EXPECT_EQ(Int32At(b, 1012), 22);
  EXPECT_EQ(Int32At(b, 1016), 23);
  EXPECT_EQ(Int32At(b, 1020), 42500);
  EXPECT_EQ(Int32At(b, 1024), 77777);
  EXPECT_EQ(Int32At(b, 1028), 1);  // the flag and its three reserved zero bytes
  EXPECT_EQ(Int32At(b, 1032), 0x7FFF0001);
  EXPECT_EQ(Int32At(b, 1036), 654321);
  EXPECT_EQ(Int32At(b, 1040), 1);
  EXPECT_EQ(Int32At(b, 1044), 2);
  EXPECT_EQ(Int32At(b, 1048), 3);

  // Reading it back gives the same record.
  TSaveData back;
  std::uintmax_t size = 0;
  ASSERT_TRUE(ReadSaveFile(file, back, size, error)) << error;
  EXPECT_EQ(size, kSaveDataSize);
  EXPECT_EQ(std::memcmp(&back, &d, sizeof d), 0);
}

TEST_F(SaveFileTest, ShortAndLongFilesFillOnlyTheRecord) {
  TSaveData d;
  d.SaikoTokuten = 99;  // beyond the short file: keeps its value
  std::string bytes(10, '\0');
  bytes[0] = 7;
  bytes[4] = 1;
  DecodeSaveData(bytes, d);
  EXPECT_EQ(d.MondaiNo, 7);
  EXPECT_EQ(d.Shutsudai[0], 1);
  EXPECT_EQ(d.SaikoTokuten, 99);

  // A longer file: only the first 1052 bytes count.
  std::string longBytes = EncodeSaveData(Valid()) + std::string(500, '\x7F');
  TSaveData e;
  DecodeSaveData(longBytes, e);
  EXPECT_EQ(EncodeSaveData(e), EncodeSaveData(Valid()));
}

TEST_F(SaveFileTest, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  std::string error;
  // The target is a folder: the rename fails and the folder is untouched.
  const auto blocked = Dir / "blocked";
  std::filesystem::create_directories(blocked / "inside");
  EXPECT_FALSE(WriteSaveFile(blocked, Valid(), error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
  EXPECT_FALSE(std::filesystem::exists(Dir / "blocked.tmp"));

  // A missing folder: nothing is written.
  error.clear();
  EXPECT_FALSE(WriteSaveFile(Dir / "missing" / kSaveFileName, Valid(), error));
  EXPECT_FALSE(error.empty());

  // Replacing an existing file swaps it whole.
  const auto file = Dir / kSaveFileName;
  std::ofstream(file, std::ios::binary) << "old contents";
  ASSERT_TRUE(WriteSaveFile(file, Valid(), error)) << error;
  EXPECT_EQ(Slurp(file), EncodeSaveData(Valid()));
}

TEST_F(SaveFileTest, UnreadableFilesAreReportedAndLeaveTheRecord) {
  TSaveData d = Valid();
  std::uintmax_t size = 0;
  std::string error;
  EXPECT_FALSE(ReadSaveFile(Dir, d, size, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(ReadSaveFile(Dir / "absent.dat", d, size, error));
  EXPECT_EQ(EncodeSaveData(d), EncodeSaveData(Valid()));
}

TEST_F(SaveFileTest, ValidGamesAreOfferedUpToTwentyNineCorrectAnswers) {
  TSaveData d = Valid();
  EXPECT_EQ(SaveDataProblem(d, Catalogue, nullptr), "");
  d.SeikaiCount = 29;
  EXPECT_EQ(SaveDataProblem(d, Catalogue, nullptr), "");
  d.SeikaiCount = 30;
  EXPECT_NE(SaveDataProblem(d, Catalogue, nullptr), "");
}

TEST_F(SaveFileTest, DamagedValuesAreNotOffered) {
  struct Case {
    const char* name;
    void (*damage)(TSaveData&);
  };
  const Case cases[] = {
      {"MondaiNo 0", [](TSaveData& d) { d.MondaiNo = 0; }},
      {"MondaiNo negative", [](TSaveData& d) { d.MondaiNo = -5; }},
      {"MojiCount 40", [](TSaveData& d) { d.MojiCount = 40; }},
      {"MojiCount negative", [](TSaveData& d) { d.MojiCount = -1; }},
      {"MojiCount not the reading's", [](TSaveData& d) { d.MojiCount -= 1; }},
      {"KakushiNo", [](TSaveData& d) { d.KakushiNo = 40; }},
      {"KakushiNo negative", [](TSaveData& d) { d.KakushiNo = -1; }},
      {"SeikaiCount", [](TSaveData& d) { d.SeikaiCount = -1; }},
      {"FuseikaiCount 5", [](TSaveData& d) { d.FuseikaiCount = 5; }},
      {"RenzokuCount", [](TSaveData& d) { d.RenzokuCount = -2; }},
      {"ShutsudaiCount", [](TSaveData& d) { d.ShutsudaiCount = 171; }},
      {"TimeLeft", [](TSaveData& d) { d.TimeLeft = 60001; }},
      {"PauseTotal", [](TSaveData& d) { d.PauseTotal = -1; }},
      {"Playing", [](TSaveData& d) { d.Playing = 2; }},
      {"Tokuten", [](TSaveData& d) { d.Tokuten = -10; }},
      {"BonusMode", [](TSaveData& d) { d.BonusMode = 7; }},
      {"HintMoji", [](TSaveData& d) { d.HintMoji = 5; }},
      {"HintMoji 4 while playing", [](TSaveData& d) { d.HintMoji = 4; }},
      {"Tokuten near the limit", [](TSaveData& d) { d.Tokuten = INT32_MAX - 50; }},
      {"Tokuten above 30 answers", [](TSaveData& d) { d.Tokuten = kMaxTokuten + 1; }},
      {"SaikoTokuten near the limit", [](TSaveData& d) { d.SaikoTokuten = INT32_MAX - 50; }},
      {"HintCount", [](TSaveData& d) { d.HintCount = -1; }},
      {"X", [](TSaveData& d) { d.X[3] = INT32_MIN; }},
      {"DY", [](TSaveData& d) { d.DY[0] = 2000000000; }},
      {"Akarusa", [](TSaveData& d) { d.Akarusa[1] = 256; }},
      {"Akarumu", [](TSaveData& d) { d.Akarumu[2] = 2; }},
  };
  for (const Case& c : cases) {
    TSaveData d = Valid();
    c.damage(d);
    EXPECT_NE(SaveDataProblem(d, Catalogue, nullptr), "") << c.name;
  }
  // Between questions, a question given up at its fourth hint is a real game.
  TSaveData d = Valid();
  d.Playing = 0;
  d.HintMoji = 4;
  EXPECT_EQ(SaveDataProblem(d, Catalogue, nullptr), "");
  // Past MojiCount nothing is looked at.
  d = Valid();
  d.Akarusa[30] = -99;
  d.X[38] = INT32_MAX;
  EXPECT_EQ(SaveDataProblem(d, Catalogue, nullptr), "");
}

TEST_F(SaveFileTest, AnAdditionalQuestionIsCheckedAgainstItsSavedReading) {
  TSaveData d = Valid();
  d.MondaiNo = 175;
  d.MojiCount = 3;
  const std::u16string three = u"あいう";
  const std::u16string four = u"あいうえ";
  EXPECT_EQ(SaveDataProblem(d, Catalogue, &three), "");
  EXPECT_NE(SaveDataProblem(d, Catalogue, &four), "");
  EXPECT_EQ(SaveDataProblem(d, Catalogue, nullptr), "");  // not known: length not checked
}

TEST_F(SaveFileTest, BestScoreIsTakenOnlyWhenNotNegative) {
  TSaveData d;
  d.SaikoTokuten = 0;
  EXPECT_TRUE(PlausibleBestScore(d));
  d.SaikoTokuten = -1;
  EXPECT_FALSE(PlausibleBestScore(d));
  d.SaikoTokuten = kMaxTokuten + 1;
  EXPECT_FALSE(PlausibleBestScore(d));
}

}  // namespace
