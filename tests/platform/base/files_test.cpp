// Replacing a file whole: the new bytes, permissions, no temporary left behind, the old file kept
// on failure, and the temporaries of killed writers removed at the next write; the debug logs.
#include "platform/base/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/base/debug_log.h"

namespace fs = std::filesystem;

namespace {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() /
          ("nightwisp-files-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  static std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir)) names.insert(entry.path().filename());
    return names;
  }

  fs::path Dir;
};

TEST_F(FilesTest, ReplacesWholeKeepsPermissionsAndLeavesNoTemporary) {
  const fs::path file = Dir / "Settei.ini";
  std::string error;
  ASSERT_TRUE(files::ReplaceFile(file, "first", error)) << error;
  EXPECT_EQ(Slurp(file), "first");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::mask,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);

  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(files::ReplaceFile(file, std::string("sec\0nd", 6), error)) << error;
  EXPECT_EQ(Slurp(file), std::string("sec\0nd", 6));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::mask,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Names(), std::set<std::string>{"Settei.ini"});
}

TEST_F(FilesTest, AFailedReplaceKeepsWhatWasThereAndSaysWhy) {
  // The target is a folder: the rename fails, the folder and its contents stay.
  const fs::path blocked = Dir / "record1.dat";
  fs::create_directories(blocked / "inside");
  std::string error;
  EXPECT_FALSE(files::ReplaceFile(blocked, "bytes", error));
  EXPECT_NE(error.find(blocked.string()), std::string::npos) << error;
  EXPECT_TRUE(fs::is_directory(blocked / "inside"));
  EXPECT_EQ(Names(), std::set<std::string>{"record1.dat"});

  // A missing folder: nothing is made.
  error.clear();
  EXPECT_FALSE(files::ReplaceFile(Dir / "missing" / "Font.dat", "x", error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs::exists(Dir / "missing"));
}

// A writer killed between creating its temporary and the rename leaves it behind; the next
// replacement of the same file removes it, and nothing else: not another file's temporaries, not
// look-alike names, not a temporary that a live writer (another process) still holds.
TEST_F(FilesTest, RemovesTheTemporariesKilledWritersLeftOfThisFileOnly) {
  const std::string target = "Settei.ini";
  const std::set<std::string> stale = {"." + target + ".a1B2c3", "." + target + ".ZZZZZZ"};
  const std::set<std::string> kept = {"." + target + ".a1B2c",  "." + target + ".a1B2c3d",
                                      "." + target + ".a1-2c3", ".Font.dat.a1B2c3",
                                      target + ".tmp",          "." + target + ".h3ld4u"};
  for (const std::string& name : stale) Put(Dir / name, "left by a killed writer");
  for (const std::string& name : kept) Put(Dir / name, "not ours to remove");
  const int held = ::open((Dir / ("." + target + ".h3ld4u")).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);

  std::string error;
  ASSERT_TRUE(files::ReplaceFile(Dir / target, "[BGM]\r\nMusic=1\r\n", error)) << error;
  ::close(held);

  std::set<std::string> expected = kept;
  expected.insert(target);
  EXPECT_EQ(Names(), expected);
}

TEST(ExecutableFolder, IsTheFolderOfThisTest) {
  const fs::path folder = files::ExecutableFolder();
  EXPECT_TRUE(folder.is_absolute());
  EXPECT_TRUE(fs::is_regular_file(folder / "test_files"));
}

}  // namespace

namespace {

// A library's debug log: numbered lines, a run starting the file afresh, and a line that could
// not be written keeping its number for the next.
TEST_F(FilesTest, DebugLogNumbersItsLinesAndStartsEachRunAfresh) {
  Put(Dir / "Lib_DebugLog.txt", "a line of an earlier run\r\n");
  TDebugLog log("Lib_DebugLog.txt", "debug#", " ... ");
  log.SetFolder(Dir);
  EXPECT_EQ(log.FilePath(), Dir / "Lib_DebugLog.txt");
  ASSERT_TRUE(log.Append("one"));
  ASSERT_TRUE(log.Append(std::string("t\0o", 3)));
  EXPECT_EQ(Slurp(log.FilePath()),
            std::string("debug#00001 ... one\r\ndebug#00002 ... t\0o\r\n", 42));
  EXPECT_EQ(log.LineCount(), 2);

  log.SetFolder(Dir / "missing");
  EXPECT_FALSE(log.Append("lost"));
  EXPECT_EQ(log.LineCount(), 0);
  fs::create_directories(Dir / "missing");
  ASSERT_TRUE(log.Append("found"));
  EXPECT_EQ(Slurp(log.FilePath()), "debug#00001 ... found\r\n");
}

}  // namespace
