// record1.dat on disk: reading its bytes into SaveData, writing SaveData safely, and telling
// whether a saved game can be continued.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "rules/catalogue.h"
#include "rules/rule_numbers.h"
#include "rules/save_data.h"
#include "rules/settings.h"

// The saved game's file name in the per-user folder.
inline constexpr const char* kSaveFileName = "record1.dat";

// The record from a file's bytes: the first 1052 bytes fill it in order, a shorter file fills
// only the leading part and the rest keeps the values `data` had.
void DecodeSaveData(std::string_view bytes, TSaveData& data);
// The record as the file's 1052 bytes.
std::string EncodeSaveData(const TSaveData& data);

// Reads at most 1052 bytes of the file into `data` (see DecodeSaveData) and gives the file's
// size in `fileSize`. False, with a reason in `error` (UTF-8), when the file cannot be opened or
// read; `data` is then unchanged.
bool ReadSaveFile(const std::filesystem::path& fileName, TSaveData& data, std::uintmax_t& fileSize,
                  std::string& error);

// Writes the 1052 bytes to a temporary file in the same folder, flushes it and renames it over
// the old file, so a failed save never leaves a damaged or empty record1.dat. False, with a
// reason in `error`, when anything fails; the old file is then untouched.
bool WriteSaveFile(const std::filesystem::path& fileName, const TSaveData& data,
                   std::string& error);

// The two halves of WriteSaveFile, for a save that replaces another file along with this one.
// A file is staged as its name + ".tmp" in the same folder, flushed to disk; committing renames
// it over the file, dropping removes it. False, with a reason in `error`, on failure; a failed
// stage or commit leaves no staged file behind.
std::filesystem::path StagedFileName(const std::filesystem::path& fileName);
bool StageSaveFile(const std::filesystem::path& fileName, const TSaveData& data,
                   std::string& error);
bool CommitStagedFile(const std::filesystem::path& fileName, std::string& error);
void DropStagedFile(const std::filesystem::path& fileName);

// record1.dat and Settei.ini replaced as one pair, each from its staged file. The journal
// (record1.dat + ".commit") is made, durably, only when both staged files are complete on disk;
// from then on the save is finished rather than undone, so a kill at any moment leaves the old
// pair or the new one. False, with a reason in `error` naming the file: when record1.dat could
// not take its place the old pair stays and the staged files are dropped; when only Settei.ini
// could not, the journal stays and the next start (RecoverSavePair) finishes the pair.
std::filesystem::path SaveJournalName(const std::filesystem::path& record);
bool CommitSavePair(const std::filesystem::path& record, const std::filesystem::path& settings,
                    std::string& error);
// What a save killed midway left: with its journal the staged files take their places, without
// one they are dropped. Run at start-up before either file is read, and before each save.
// False, with the reason in `error`, when the leftovers could not be cleared.
bool RecoverSavePair(const std::filesystem::path& record, const std::filesystem::path& settings,
                     std::string& error);

// A whole save: the folder made when missing, then record1.dat holding `data` and Settei.ini's
// save keys from `keys` (the additional question's too when withTuika) staged and committed as
// a pair, after settling
// what an earlier save left. On failure `error` names the file and the reason, and the result
// tells which of the two files the player is told of.
enum class TSavePairResult { Saved, RecordFailed, SettingsFailed };
TSavePairResult WriteSavePair(const std::filesystem::path& userDir, const TSaveData& data,
                              const game::TSettings& keys, bool withTuika, std::string& error);

// A best score the game can take from the file: from 0 to kMaxTokuten.
bool PlausibleBestScore(const TSaveData& data);

// Why a file of `fileSize` bytes cannot be continued, or empty when it is exactly one record:
// a shorter one lacks fields, a longer one is not a file the game wrote.
std::string SaveFileSizeProblem(std::uintmax_t fileSize);

// Why the saved game cannot be continued, or empty when it can: a finished game (30 correct
// answers) or values no game writes (a damaged or hand-made file). `catalogue` gives the
// built-in readings; `tuikaReading` is the reading Settei.ini keeps for a saved additional
// question (nullptr: not known, its length is not checked).
std::string SaveDataProblem(const TSaveData& data, const TCatalogue& catalogue,
                            const std::u16string* tuikaReading);
