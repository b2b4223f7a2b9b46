// The game state: every variable of a game under its own name, with its initial value.
//
// Plain values only. The rules (TGameRules, game_rules.h) own the one TGameState and change it
// on the window's thread: the keyboard handler, the stage rules, the saved game, the menus, the
// main loop and the animation of the fireflies read and write these fields directly. What the
// screen must redraw they mark in Marks (screen_marks.h); the game object TGame (game.h) adds
// the objects that draw and play (device, scene, text writers, textures, sound, music, speech;
// its TOwned record in game_owned.h is their only owner) and turns the marks into textures
// before each frame. The catalogue's fields (MondaiTable, SpeechList, the Tuika lists) come
// from TCatalogue, so they keep their names.
//
// All times are values of the 32-bit wrapping millisecond clock (timeGetTime). Wide strings
// are UTF-16; the message texts are Shift-JIS, as the text writer draws them; paths and music
// file names are UTF-8 and become Shift-JIS only in Settei.ini and when drawn.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "history/game_measures.h"
#include "history/question_record.h"
#include "rules/catalogue.h"
#include "rules/rule_numbers.h"
#include "rules/save_data.h"
#include "rules/screen_marks.h"
#include "rules/settings.h"
// The product's reading, flying as fireflies on the title screen.
inline constexpr char16_t kTitleMondaiText[] = u"ないとうぃすぷ";
constexpr std::int32_t kTitleMojiCount = 7;
constexpr std::int32_t kSoundEffectCount = 7;

// One flying character (a firefly with its light and its character).
struct MojiRecord {
  std::int32_t X = 0;   // left edge, client pixels
  std::int32_t Y = 0;   // top edge, client pixels
  std::int32_t DX = 0;  // pixels added to X every frame
  std::int32_t DY = 0;  // pixels added to Y every frame
  std::u16string Char;  // the one character
};

// The states of a game, each a combination of the mode flags.
enum class TGamePhase {
  Title,             // TitleMode 1, Ready 0: the title flies, no keys act
  TitlePrompt,       // TitleMode 1, Ready 1: Ctrl starts the game
  Question,          // Playing 1, Paused 0: the clock counts
  Paused,            // Playing 1, Paused 1: F2 resumes
  BetweenQuestions,  // the last result is shown; Ctrl asks the next question
  GameOver,          // GameOver 1
  GameClear,         // GameClear 1
};

// The measures of the question running (game_history.cpp). Clock values are milliseconds of
// the question clock with pauses left out.
struct TQuestionMeasuring {
  std::int32_t StartClock = 0;                // when the question was set
  std::optional<std::int32_t> FirstKeyClock;  // at its first key press
  std::int32_t Keys = 0;                      // key presses counted so far
  bool EnterPending = false;  // the last key was Enter: it judges, or the input method took it
  // A hint asked after the first key: the wait from F1 to the next key is not typing time.
  std::optional<std::int32_t> HintSince;
  std::int32_t HintWaits = 0;
};

// What the results panel of a game over or a game clear shows.
struct TGameResults {
  bool Shown = false;        // set when the game ends, cleared when the next one starts
  std::int32_t Version = 0;  // counts the games ended: the panel is drawn anew for each
  history::TAnswerMode Mode = history::TAnswerMode::Kanji;
  history::TGameKind Kind = history::TGameKind::Game;
  history::TGameMeasures Measures;
  std::optional<double> Best;  // the best kana per minute of the mode and kind before this game
  bool Beaten = false;         // a game (not a review) that counts towards bests, faster than Best
};

struct TGameState : TCatalogue {
  // --- Set at start-up -------------------------------------------------------------------
  std::filesystem::path AppDir;     // the executable's folder; every "Data/..." is relative to it
  std::filesystem::path UserDir;    // <documents>/Amaneya/NightwispData
  std::int32_t ScreenWidth = 688;   // client width
  std::int32_t ScreenHeight = 528;  // client height
  std::uint8_t FontStyle = 0;       // style bits of the character font (Font.dat)
  // Every setting of Settei.ini and Font.dat: read (and checked) at start-up, changed here when
  // the player changes it, written as it stands at close (settings.h).
  game::TSettings Settings;
  std::uint8_t StartupDone = 0;  // 1 once start-up has finished; the main loop waits for it
  TPictureSizes Pictures;        // the firefly's and the light's sizes, from their pictures

  // --- Question selection ------------------------------------------------------------------
  std::int32_t MondaiNo = 0;                     // number of the current question
  std::u16string MondaiText = kTitleMondaiText;  // reading whose characters fly as fireflies
  std::int32_t MojiCount = kTitleMojiCount;      // characters of MondaiText, at most 39
  std::array<std::uint8_t, kBuiltInMondaiCount> Shutsudai{};  // [i-1] = 1: proverb i asked
  std::int32_t ShutsudaiCount = 0;  // built-in proverbs asked in the current cycle
  // TuikaCount, TuikaMondaiList, TuikaSeikaiList, TuikaShutsudai, TuikaShutsudaiCount: TCatalogue.

  // --- The characters (fireflies); only the first MojiCount entries are in use -------------
  std::array<MojiRecord, kMojiSlots> Moji;
  std::vector<std::int32_t> Akarusa;         // brightness 0..255 of character, firefly and light
  std::vector<std::uint8_t> Akarumu;         // 1 = brightness rising, 0 = falling
  std::vector<float> HotaruSizeW;            // drawn firefly width (stage 3 and title)
  std::vector<float> HotaruSizeH;            // drawn firefly height
  std::vector<float> MojiSizeW;              // drawn character width (stage 3 and title)
  std::vector<float> MojiSizeH;              // drawn character height
  std::vector<std::uint8_t> Fukuramu;        // 1 = sizes grow by 1.01 per frame, 0 = shrink by 0.99
  std::int32_t KakushiNo = kTitleMojiCount;  // the character left dark in stage 1 (7: none)
  // The natural size of each character's texture, recorded when the character is rendered.
  std::array<std::int32_t, kMojiSlots> MojiW{};
  std::array<std::int32_t, kMojiSlots> MojiH{};

  // --- Progress and score --------------------------------------------------------------------
  std::int32_t SeikaiCount = 0;    // correct answers, 0..30; stage = SeikaiCount div 10 + 1
  std::int32_t RenzokuCount = 0;   // consecutive correct answers
  std::int32_t FuseikaiCount = 0;  // wrong answers in the stage; 5 ends the game
  std::int32_t Tokuten = 0;        // score, never below 0
  std::int32_t SaikoTokuten = kInitialSaikoTokuten;  // best score (record1.dat's when present)
  std::int32_t HintCount = 0;   // questions of the stage in which hints were used, 0..4
  std::int32_t HintMoji = 0;    // characters revealed by hints in this question, 0..4
  std::int32_t HintFlight = 0;  // 0 = no hint flying; 1..80 = frame of the flight
  std::uint8_t BonusMode = 0;   // 1 = the current question is a bonus question
  std::uint32_t BonusTime = 0;  // when the bonus picture was shown

  // --- Question clock and pause ------------------------------------------------------------
  std::int32_t TimeLimit = kInitialTimeLimit;  // milliseconds per question
  std::int32_t TimeLeft = 0;     // TimeLimit + StartTime + PauseTotal - now, while running
  std::uint32_t StartTime = 0;   // when the question clock started
  std::uint32_t PauseStart = 0;  // when the current pause began
  std::int32_t PauseTotal = 0;   // milliseconds paused since StartTime
  std::uint8_t BlinkOn = 0;      // 1 = the wrong-count display is hidden in this blink phase
  std::uint32_t BlinkTime = 0;   // last blink toggle
  std::uint32_t TitleTime = 0;   // end of start-up; music at +100 ms, title prompt at +7000 ms
  std::uint32_t TickTime = 0;    // when the current tick of the main loop began

  // --- Mode flags (1 = set) ------------------------------------------------------------------
  std::uint8_t Playing = 0;       // a question runs: clock counts, field editable, Enter judges
  std::uint8_t Paused = 0;        // the question clock is stopped
  std::uint8_t GameOver = 0;      // the game-over screen is shown
  std::uint8_t GameClear = 0;     // the game-clear screen is shown
  std::uint8_t TitleMode = 1;     // the title screen is shown; no question has been set
  std::uint8_t Ready = 0;         // the title prompt has been shown; Ctrl is accepted
  std::uint8_t Saved = 1;         // nothing needs saving; closing asks no question
  std::uint8_t ShowSpelling = 0;  // between questions: show the last answer's written form
  std::uint8_t ShowReading = 0;   // between questions: show the last question's reading
  std::int32_t KaitoMode = 0;     // 0 = answers in kanji-mixed writing, 1 = in hiragana only
  std::uint8_t SpellingRuby = 0;  // the written form in its label has kanji with a reading

  // --- Display texts (Shift-JIS; an empty text hides its line) ------------------------------
  std::string Message1;  // upper message line
  std::string Message2;  // lower message line
  TScreenMarks Marks;    // what the next frame's refresh renders into the textures

  // --- Music (paths are UTF-8, the file system's encoding; Settei.ini holds them in Shift-JIS)
  std::uint8_t BgmStarted = 0;  // 1 once the main loop has started the music (100 ms in)
  std::uint8_t BgmOn = 0;       // 1 = background music on ("BGM"/"Music", read by the main loop)
  std::string MusicName;        // music file in use ("BGM"/"MusicName")
  std::string MusicFolda;       // folder for random music ("BGM"/"MusicFolda")
  std::uint8_t BgmRandom = 0;   // 1 = random music from MusicFolda (the music now playing)
  std::uint8_t BgmRandomChecked = 0;  // 1 = "ランダム(&R)" checked: the player's music mode, kept
                                      // while the game-clear tune plays ("BGM"/"Random")
  std::vector<std::string> AudioList;      // filled by the audio-file scan, then emptied
  std::vector<std::string> RandomFiles;    // audio files for random music
  std::vector<std::uint8_t> RandomPlayed;  // 1 = played in the current shuffle cycle
  std::int32_t RandomFileCount = 0;
  std::int32_t RandomPlayedCount = 0;
  std::string SavedMusicName;  // MusicName kept while the game-clear tune plays
  // The player's music of Settei.ini while the default plays this session because its file or
  // folder is missing (a drive not mounted today): written back at close unless the player
  // chooses other music. KeptMusicName is empty when nothing is kept.
  std::string KeptMusicName;
  std::uint8_t KeptBgmRandom = 0;
  std::uint8_t BgmOffByFailure = 0;  // 1 = the music was turned off because it could not play
  std::uint32_t MusicStartTime = 0;  // when the current music was started

  // --- The review game (game_review.cpp) ----------------------------------------------------
  std::uint8_t ReviewGame = 0;           // 1 = the questions come from ReviewList, in order
  std::vector<std::int32_t> ReviewList;  // question numbers of the review game
  std::size_t ReviewNext = 0;            // the next of ReviewList to ask
  std::int32_t DueCount = 0;             // proverbs due for review today

  // --- Saved-game image ----------------------------------------------------------------------
  TSaveData SaveData;               // record1.dat as last read or written
  std::uintmax_t SaveDataSize = 0;  // bytes of record1.dat at start-up; only 1052 is resumable

  // --- Measures of the player (game_history.cpp) ---------------------------------------------
  TQuestionMeasuring Measuring;
  std::vector<history::TQuestionRecord> GameQuestions;  // this game's judged questions
  std::int64_t GameStartedAtMs = 0;  // the game's first question, milliseconds since 1970
  TGameResults Results;
};

// The state a set of flags stands for (what the player sees, which keys act).
TGamePhase GamePhase(const TGameState& state);

// The current stage, 1..3 (a cleared game counts as stage 3).
std::int32_t Stage(const TGameState& state);
