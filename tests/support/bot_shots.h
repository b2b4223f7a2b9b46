// The player-bot's fixed-step game (seed 7, every answer wrong, to the game over) played in a
// documents folder of its own, its pictures saved: the fixture of the screenshot tests. Each
// game gets a name; its folders are Root/name/documents and Root/name/shots.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TBotShotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    Root = std::filesystem::temp_directory_path() /
           ("nightwisp-shots-" + std::string(test->test_suite_name()) + "-" +
            std::to_string(::getpid()));
    std::filesystem::remove_all(Root);
  }
  void TearDown() override {
    if (std::getenv("NIGHTWISP_KEEP_SHOTS") == nullptr) std::filesystem::remove_all(Root);
  }

  std::filesystem::path Documents(const std::string& name) const {
    return Root / name / "documents";
  }
  std::filesystem::path User(const std::string& name) const {
    return Documents(name) / "Amaneya" / "NightwispData";
  }

  // Plays the game, with `settei` as Settei.ini when it is not empty; the folder of its pictures.
  std::filesystem::path PlayBot(const std::string& name, const std::string& settei = {}) {
    std::filesystem::create_directories(User(name));
    if (!settei.empty()) std::ofstream(User(name) / "Settei.ini") << settei;
    const std::filesystem::path shots = Root / name / "shots";
    const std::string command = "NIGHTWISP_DOCUMENTS='" + Documents(name).string() +
                                "' SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb timeout 300 '" +
                                NIGHTWISP_GAME +
                                "' --autoplay --fixed-step --seed 7 --mistakes 1.0 "
                                "--exit-after-game --screenshots '" +
                                shots.string() + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return shots;
  }

  std::filesystem::path Root;
};
