// The numbers of the rules, each in one place: the counts of a stage and a game, the scores and
// penalties, the hints, the layout of the first stage's rows and the files of Data/ the rules
// name. The rules, the saved game's checks and the screen take them from here.
#pragma once

#include <cstdint>
#include <string>

// --- A game ----------------------------------------------------------------------------------
// Correct answers per stage; the third stage's last one clears the game.
constexpr std::int32_t kStageSize = 10;
constexpr std::int32_t kGameClearCount = 3 * kStageSize;
// Wrong answers of a stage that end the game.
constexpr std::int32_t kGameOverCount = 5;
constexpr std::int32_t kInitialSaikoTokuten = 2000;
constexpr std::int32_t kInitialTimeLimit = 60000;  // milliseconds for a question

// --- Scores ----------------------------------------------------------------------------------
// A correct answer: ten points and a point for each whole second left.
constexpr std::int32_t kSeikaiPoints = 10;
// From the third correct answer in a row without hints: a hundred more and a wrong answer less.
constexpr std::int32_t kRenzokuRun = 3;
constexpr std::int32_t kRenzokuPoints = 100;
constexpr std::int32_t kFuseikaiPenalty = 10;  // a wrong answer or a question given up
constexpr std::int32_t kHintPenalty = 5;       // each hint character
// The highest score a game can reach: every correct answer with the run's points, its own and a
// point for each second of the time limit. A saved score above it is a damaged file.
constexpr std::int32_t kMaxTokuten =
    kGameClearCount * (kRenzokuPoints + kSeikaiPoints + kInitialTimeLimit / 1000);

// --- Hints (from the second stage) ------------------------------------------------------------
// Questions of a stage that may have hints; the next F1 gives the question up.
constexpr std::int32_t kMaxHintsPerStage = 3;
// Hint characters of a question; the next F1 gives it up.
constexpr std::int32_t kMaxHintsPerQuestion = 3;
constexpr std::int32_t kHintFrames = 80;  // frames of a hint character's flight

// --- The first stage's layout --------------------------------------------------------------
constexpr std::int32_t kRowLength = 13;  // characters in a row

// --- Files of Data/ and pictures of its archive --------------------------------------------
inline constexpr const char* kDefaultMusicFile = "tamsu08-1.mp3";
inline constexpr const char* kGameClearMusicFile = "tam-y02.mp3";
// The key guide under the answer field: without and with F1 as a hint.
inline constexpr const char* kKeyGuideFile = "Sosa1.bmp";
inline constexpr const char* kKeyGuideHintFile = "Sosa2.bmp";
// The pictures of the archive shown between questions.
inline constexpr const char* kSeikaiPicture = "seikai.bmp";
inline constexpr const char* kRenzokuPicture = "renzokuseikai.bmp";
inline constexpr const char* kFuseikaiPicture = "fuseikai.bmp";
inline constexpr const char* kGameOverPicture = "GameOver.bmp";
inline constexpr const char* kGameClearPicture = "GameClear.bmp";
inline constexpr const char* kBonusPicture = "Bonus.bmp";
// The stage clear after `seikaiCount` correct answers ("10toppa.bmp", "20toppa.bmp").
inline std::string ToppaPicture(std::int32_t seikaiCount) {
  return std::to_string(seikaiCount) + "toppa.bmp";
}
