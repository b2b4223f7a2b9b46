// nightwisp-tool qda, run as a program: outputs, files and exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/qdarc.h"
#include "support/archive_test_util.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class QdaTool : public testing::Test {
 protected:
  void SetUp() override {
    tool_ = NIGHTWISP_TOOL_PATH;
    ASSERT_TRUE(fs::exists(tool_)) << tool_;
    dir_ =
        fs::temp_directory_path() / ("nightwisp-qdatool-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    WriteFile("Title.bmp", archive_test::SamplePicture(64, 48));
    WriteFile("作品について.txt", archive_test::SampleText(5000, 31));
  }
  void TearDown() override { fs::remove_all(dir_); }

  void WriteFile(const std::string& name, const Bytes& bytes) {
    std::ofstream(dir_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  Bytes ReadFile(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string ReadText(const std::string& name) const {
    const Bytes bytes = ReadFile(name);
    return std::string(bytes.begin(), bytes.end());
  }

  // Runs "nightwisp-tool <args>" in the temporary folder; stdout and stderr go to files.
  int Run(const std::string& args) {
    const std::string command = "cd '" + dir_.string() + "' && '" + tool_.string() + "' " + args +
                                " >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path tool_;
  fs::path dir_;
};

TEST_F(QdaTool, PackListAndExtractRoundTrip) {
  ASSERT_EQ(Run("qda pack w.qda Title.bmp 作品について.txt"), 0) << ReadText("stderr.txt");
  ASSERT_EQ(Run("qda list w.qda"), 0);
  const std::string listing = ReadText("stdout.txt");
  EXPECT_EQ(listing.rfind("PackMethod\t1\tpacked\n", 0), 0u) << listing;
  // Offsets are absolute: the first entry's data follows the two directory entries.
  EXPECT_NE(listing.find("Title.bmp\t792\t"), std::string::npos) << listing;
  const std::string titleSize = std::to_string(fs::file_size(dir_ / "Title.bmp"));
  EXPECT_NE(listing.find("\t" + titleSize + "\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("作品について.txt\t"), std::string::npos) << listing;

  ASSERT_EQ(Run("qda extract w.qda TITLE.BMP -o out.bmp"), 0) << ReadText("stderr.txt");
  EXPECT_EQ(ReadFile("out.bmp"), ReadFile("Title.bmp"));
  ASSERT_EQ(Run("qda extract w.qda 作品について.txt"), 0);
  EXPECT_EQ(ReadFile("stdout.txt"), ReadFile("作品について.txt"));

  // The file the tool wrote is what the reader reads.
  EXPECT_EQ(ReadQDAEntry(dir_ / "w.qda", "title.bmp")->Size(),
            static_cast<std::int64_t>(fs::file_size(dir_ / "Title.bmp")));
}

TEST_F(QdaTool, StoredArchives) {
  ASSERT_EQ(Run("qda pack --stored s.qda Title.bmp"), 0);
  ASSERT_EQ(Run("qda list s.qda"), 0);
  // One entry: its data starts right after the 256-byte header and one 268-byte entry.
  const auto size = fs::file_size(dir_ / "Title.bmp");
  const std::string sizeText = std::to_string(size);
  EXPECT_EQ(ReadText("stdout.txt"),
            "PackMethod\t0\tstored\nID\tDataOffset\tPackedSize\tOriginalSize\nTitle.bmp\t524\t" +
                sizeText + "\t" + sizeText + "\n");
  EXPECT_EQ(fs::file_size(dir_ / "s.qda"), 524u + size);
}

TEST_F(QdaTool, FailuresPrintTheReadersMessageAndExitWithOne) {
  ASSERT_EQ(Run("qda pack w.qda Title.bmp"), 0);
  EXPECT_EQ(Run("qda extract w.qda Hotaru.bmp -o out.bmp"), 1);
  EXPECT_EQ(ReadText("stderr.txt"),
            "アーカイブ内には指定されたID 'Hotaru.bmp' を持つデータが見つかりません\n");
  EXPECT_FALSE(fs::exists(dir_ / "out.bmp"));
  EXPECT_EQ(Run("qda extract none.qda Title.bmp"), 1);
  EXPECT_NE(ReadText("stderr.txt").find("none.qda"), std::string::npos);
  EXPECT_EQ(Run("qda extract Title.bmp Title.bmp"), 1);
  EXPECT_EQ(ReadText("stderr.txt"), "Quadruple D Archiveの扱えるデータではありません\n");
  EXPECT_EQ(Run("qda list Title.bmp"), 1);
  EXPECT_EQ(Run("qda pack x.qda Title.bmp missing.bmp"), 1);
  EXPECT_FALSE(fs::exists(dir_ / "x.qda"));
  // Two files of the same name (ignoring case) would give an entry nobody can read.
  fs::create_directories(dir_ / "sub");
  fs::copy_file(dir_ / "Title.bmp", dir_ / "sub" / "TITLE.bmp");
  EXPECT_EQ(Run("qda pack x.qda Title.bmp sub/TITLE.bmp"), 1);
  EXPECT_NE(ReadText("stderr.txt").find("重複"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "x.qda"));
}

TEST_F(QdaTool, UsageErrorsExitWithTwo) {
  EXPECT_EQ(Run("qda"), 2);
  EXPECT_EQ(Run("qda frobnicate"), 2);
  EXPECT_EQ(Run("qda list"), 2);
  EXPECT_EQ(Run("qda extract w.qda"), 2);
  EXPECT_EQ(Run("qda extract w.qda Title.bmp -o"), 2);
  EXPECT_EQ(Run("qda pack out.qda"), 2);
  EXPECT_NE(ReadText("stderr.txt").find("usage:"), std::string::npos);
}

}  // namespace
