// record1.dat and Settei.ini as one pair: a save killed before, or failed at, each of its file
// calls (strace injects the kill or the error) leaves, after the next start's recovery, the old
// pair or the new one, never one of each, and never a staged file or journal.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/profile/profile.h"
#include "rules/save_file.h"

namespace {

// The leak checker of a sanitizer build cannot work under a tracer: it is left out there.
constexpr const char* kUnderStrace = "ASAN_OPTIONS=detect_leaks=0 strace -f -qq ";

struct TPair {
  std::int32_t SeikaiCount;
  std::int32_t KaitoMode;
  bool operator==(const TPair&) const = default;
};

class SavePairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = std::filesystem::temp_directory_path() /
          ("nightwisp-save-pair-" + std::to_string(getpid()));
    Reset();
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }

  // The old pair: 1 correct answer, kanji-mixed answers, and a key of the player's own.
  void Reset() {
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    ASSERT_TRUE(WritePrivateProfileStringA("BGM", "MusicName", "mine.ogg", Dir / "Settei.ini"));
    std::string error;
    ASSERT_EQ(WriteSavePair(Dir, Record(1), game::TSettings{}, false, error),
              TSavePairResult::Saved)
        << error;
  }
  static TSaveData Record(std::int32_t seikai) {
    TSaveData d;
    d.MondaiNo = 1;
    d.SeikaiCount = seikai;
    return d;
  }
  TPair Read() const {
    TSaveData d;
    std::uintmax_t size = 0;
    std::string error;
    EXPECT_TRUE(ReadSaveFile(Dir / kSaveFileName, d, size, error)) << error;
    return {d.SeikaiCount, game::TSettingsFiles(Dir).Read().KaitoMode};
  }
  // The save of the new pair (2 correct answers, hiragana answers) under strace; its exit code,
  // or -1 when it was killed.
  int SaveUnder(const std::string& strace) const {
    const std::string command = kUnderStrace + std::string("-o /dev/null ") + strace +
                                " '" SAVE_PAIR_WRITER "' '" + Dir.string() + "' 2 1 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::filesystem::path Dir;
};

// How often the save calls each of the traced file calls.
std::map<std::string, int> CountCalls(const std::string& writer, const std::filesystem::path& dir,
                                      const char* calls) {
  const std::filesystem::path log = dir.parent_path() / (dir.filename().string() + ".log");
  const std::string command = kUnderStrace + std::string("-o '") + log.string() +
                              "' -e trace=" + calls + " '" + writer + "' '" + dir.string() +
                              "' 2 1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::map<std::string, int> counts;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string pid, call;
    words >> pid >> call;
    call = call.substr(0, call.find('('));
    if (!call.empty()) ++counts[call];
  }
  std::filesystem::remove(log);
  return counts;
}

TEST_F(SavePairTest, AKillOrAFailureAtAnyStepLeavesTheOldPairOrTheNew) {
  const TPair oldPair{1, 0};
  const TPair newPair{2, 1};
  ASSERT_EQ(Read(), oldPair);
  const char* calls = "rename,renameat,renameat2,openat,write,fsync,fdatasync,unlink,unlinkat";
  const std::map<std::string, int> counts = CountCalls(SAVE_PAIR_WRITER, Dir, calls);
  ASSERT_GE(counts.size(), 4u) << "strace must run and see the save's calls";
  ASSERT_EQ(Read(), newPair);

  int oldSeen = 0;
  int newSeen = 0;
  for (const auto& [call, count] : counts) {
    for (const char* action : {"signal=KILL", "error=EIO"}) {
      for (int n = 1; n <= count; ++n) {
        Reset();
        const std::string at = call + ":" + action + ":when=" + std::to_string(n);
        const int exit = SaveUnder("-e inject=" + at);
        // The next start settles what the save left.
        std::string error;
        ASSERT_TRUE(RecoverSavePair(Dir / kSaveFileName, Dir / "Settei.ini", error)) << at;
        const TPair now = Read();
        EXPECT_TRUE(now == oldPair || now == newPair)
            << at << ": record " << now.SeikaiCount << ", answer mode " << now.KaitoMode;
        // A save that says it saved has saved.
        if (exit == 0) {
          EXPECT_EQ(now, newPair) << at;
        }
        (now == oldPair ? oldSeen : newSeen)++;
        EXPECT_EQ(GetPrivateProfileStringA("BGM", "MusicName", "", Dir / "Settei.ini"), "mine.ogg")
            << at;
        for (const auto& entry : std::filesystem::directory_iterator(Dir)) {
          const std::string name = entry.path().filename().string();
          EXPECT_TRUE(name == "record1.dat" || name == "Settei.ini") << at << ": " << name;
        }
      }
    }
  }
  EXPECT_GT(oldSeen, 0);
  EXPECT_GT(newSeen, 0);
}

}  // namespace
