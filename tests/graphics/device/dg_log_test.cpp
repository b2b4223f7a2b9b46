#include "graphics/device/dg_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/codepage/codepage.h"

using namespace DGCarad9;

namespace {

class DGLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("dglog-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    SetLogFolder(folder_);
    LogDepth = 0;
  }
  void TearDown() override {
    ApplyDebugOption({});
    LogDepth = 0;
    std::filesystem::remove_all(folder_);
  }
  // The log as UTF-8 text (the file itself is Shift-JIS).
  std::string ReadLog() const {
    std::ifstream in(folder_ / kLogFileName, std::ios::binary);
    std::string sjis((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return codepage::SjisToUtf8(sjis);
  }
  bool LogExists() const { return std::filesystem::exists(folder_ / kLogFileName); }

  std::filesystem::path folder_;
};

}  // namespace

TEST_F(DGLogTest, DebugOptionBitsSetTheUnitFlags) {
  ApplyDebugOption({dgoHaltOnError});
  EXPECT_TRUE(HaltOnError);
  EXPECT_FALSE(DebugMessage);
  EXPECT_FALSE(DetailedLog);
  ApplyDebugOption(TDGDebugOptions::FromBits(0b110));
  EXPECT_FALSE(HaltOnError);
  EXPECT_TRUE(DebugMessage);
  EXPECT_TRUE(DetailedLog);
  EXPECT_EQ((TDGDebugOptions{dgoDebugMessage, dgoDetailedLog}).Bits(), 0b110);
}

TEST_F(DGLogTest, LinesAreNumberedIndentedAndShiftJis) {
  ApplyDebugOption({dgoDebugMessage, dgoDetailedLog});
  DetailLog("");
  DetailLog("■■■起動時の初期化をします■■■");
  {
    TLogIndent indent;
    DebugLog("Direct3Dを生成します");
    TLogIndent deeper;
    DetailLog("x");
  }
  DetailLog("end");
  EXPECT_EQ(ReadLog(),
            "#00001 | \r\n"
            "#00002 | ■■■起動時の初期化をします■■■\r\n"
            "#00003 |   Direct3Dを生成します\r\n"
            "#00004 |     x\r\n"
            "#00005 | end\r\n");
  EXPECT_EQ(LogDepth, 0);
  // The bytes on disk are Shift-JIS, not UTF-8.
  std::ifstream in(folder_ / kLogFileName, std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(raw.find(codepage::Utf8ToSjis("■■■起動時")), std::string::npos);
}

TEST_F(DGLogTest, FirstLineOfARunStartsTheFileAfresh) {
  ApplyDebugOption({dgoDebugMessage});
  {
    std::ofstream old(folder_ / kLogFileName, std::ios::binary);
    old << "left over from an earlier run\r\n";
  }
  DebugLog("one");
  DebugLog("two");
  EXPECT_EQ(ReadLog(), "#00001 | one\r\n#00002 | two\r\n");
  SetLogFolder(folder_);  // a new run
  DebugLog("again");
  EXPECT_EQ(ReadLog(), "#00001 | again\r\n");
}

TEST_F(DGLogTest, DetailLinesNeedDetailedLogAndNothingWithoutDebugMessage) {
  ApplyDebugOption({dgoDebugMessage});
  DetailLog("hidden");
  DebugLog("shown");
  EXPECT_EQ(ReadLog(), "#00001 | shown\r\n");

  SetLogFolder(folder_);
  std::filesystem::remove(folder_ / kLogFileName);
  ApplyDebugOption({dgoDetailedLog});  // detail without debug messages still writes nothing
  DetailLog("nothing");
  DebugLog("nothing");
  EXPECT_EQ(CheckResult(D3DERR_INVALIDCALL, "failure"), D3DERR_INVALIDCALL);
  EXPECT_FALSE(LogExists());
  EXPECT_EQ(LogLineCount(), 0);
}

TEST_F(DGLogTest, UnwritableLogRaisesInOutError) {
  ApplyDebugOption({dgoDebugMessage});
  SetLogFolder(folder_ / "no" / "such" / "folder");
  EXPECT_THROW(DebugLog("x"), EInOutError);
}

TEST_F(DGLogTest, CheckResultLogsAndReturnsTheCode) {
  ApplyDebugOption({dgoDebugMessage});
  EXPECT_EQ(CheckResult(0, "never logged"), 0);
  EXPECT_EQ(CheckResult(D3DERR_DEVICELOST, "リセットに失敗しました"), D3DERR_DEVICELOST);
  EXPECT_EQ(CheckResult(1, "x"), 1);
  EXPECT_EQ(ReadLog(),
            "#00001 | リセットに失敗しました(Error Code = D3DERR_DEVICELOST)\r\n"
            "#00002 | x(Error Code = UNKNOWN ERROR ... $00000001)\r\n");
}

TEST_F(DGLogTest, CheckResultWithHaltEndsTheProcessWithAMessage) {
  EXPECT_EXIT(
      {
        ApplyDebugOption({dgoHaltOnError, dgoDebugMessage});
        CheckResult(D3DERR_INVALIDCALL, "テクスチャの生成に失敗しました");
      },
      ::testing::ExitedWithCode(1),
      "テクスチャの生成に失敗しました\\(Error Code = D3DERR_INVALIDCALL \\)");
  // The child logged before it ended.
  EXPECT_NE(ReadLog().find("テクスチャの生成に失敗しました(Error Code = D3DERR_INVALIDCALL )"),
            std::string::npos);
}

TEST(DGNames, ErrorNamesKeepTheirTrailingSpaces) {
  EXPECT_EQ(ErrorName(0), "D3D_OK");
  EXPECT_EQ(ErrorName(D3DERR_DEVICELOST), "D3DERR_DEVICELOST");
  EXPECT_EQ(ErrorName(D3DERR_DEVICENOTRESET), "D3DERR_DEVICENOTRESET");
  EXPECT_EQ(ErrorName(D3DERR_INVALIDCALL), "D3DERR_INVALIDCALL ");
  EXPECT_EQ(ErrorName(D3DERR_OUTOFVIDEOMEMORY), "D3DERR_OUTOFVIDEOMEMORY");
  EXPECT_EQ(ErrorName(D3DERR_UNSUPPORTEDCOLOROPERATION), "D3DERR_UNSUPPORTEDCOLOROPERATION ");
  EXPECT_EQ(ErrorName(D3DERR_DRIVERINVALIDCALL), "D3DERR_DRIVERINVALIDCALL ");
  EXPECT_EQ(ErrorName(1), "UNKNOWN ERROR ... $00000001");
  EXPECT_EQ(ErrorName(E_FAIL), "UNKNOWN ERROR ... $80004005");
  EXPECT_EQ(ErrorName(static_cast<HRESULT>(0x8876abcd)), "UNKNOWN ERROR ... $8876ABCD");
}

TEST(DGNames, FormatNames) {
  EXPECT_EQ(FormatName(D3DFMT_A8R8G8B8), "A8R8G8B8");
  EXPECT_EQ(FormatName(D3DFMT_A4R4G4B4), "A4R4G4B4");
  EXPECT_EQ(FormatName(D3DFMT_D16_LOCKABLE), "D16_LOCKABLE");
  EXPECT_EQ(FormatName(D3DFMT_D24X4S4), "D24X4S4");
  EXPECT_EQ(FormatName(D3DFMT_INDEX32), "INDEX32");
  EXPECT_EQ(FormatName(D3DFMT_DXT3), "DXT3");
  EXPECT_EQ(FormatName(D3DFMT_YUY2), "YUY2");
  EXPECT_EQ(FormatName(D3DFMT_UNKNOWN), "UNKNOWN");
  EXPECT_EQ(FormatName(D3DFMT_A8B8G8R8), "UNKNOWN");  // a real format without a name here
}
