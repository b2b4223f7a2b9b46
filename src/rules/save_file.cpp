// record1.dat: the 1052-byte image read and written whole, and the checks that keep a damaged
// file from being continued.
#include "rules/save_file.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/base/files.h"
#include "rules/game_state.h"

namespace {

// The record is the file's image: fields little-endian, no padding (checked in save_data.h).
static_assert(std::endian::native == std::endian::little,
              "record1.dat is little-endian; a big-endian build needs byte swapping here");

// Limits of values a game can write. Positions and speeds stay well inside these; anything
// beyond them is a damaged file and would overflow the frame's arithmetic.
constexpr std::int32_t kMaxCoordinate = 100000;
constexpr std::int32_t kMaxSpeed = 10000;
// The hint counts after the F1 that gave the question up.
constexpr std::int32_t kMaxHintMoji = kMaxHintsPerQuestion + 1;
constexpr std::int32_t kMaxHintCount = kMaxHintsPerStage + 1;

bool Within(std::int32_t value, std::int32_t limit) { return value >= -limit && value <= limit; }

std::string Range(const char* name, std::int32_t value) {
  return std::string(name) + " out of range (" + std::to_string(value) + ")";
}

}  // namespace

void DecodeSaveData(std::string_view bytes, TSaveData& data) {
  const std::size_t n = std::min(bytes.size(), kSaveDataSize);
  std::memcpy(reinterpret_cast<unsigned char*>(&data), bytes.data(), n);
}

std::string EncodeSaveData(const TSaveData& data) {
  std::string bytes(kSaveDataSize, '\0');
  std::memcpy(bytes.data(), &data, kSaveDataSize);
  return bytes;
}

bool ReadSaveFile(const std::filesystem::path& fileName, TSaveData& data, std::uintmax_t& fileSize,
                  std::string& error) {
  std::error_code code;
  if (std::filesystem::is_directory(fileName, code)) {
    error = fileName.string() + " is a folder";
    return false;
  }
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    error = "cannot open " + fileName.string();
    return false;
  }
  // One byte more than the record tells a longer file from an exact one; the real size is
  // asked only then, so a huge file is never read.
  std::string bytes(kSaveDataSize + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) {
    error = "cannot read " + fileName.string();
    return false;
  }
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  fileSize = bytes.size();
  if (fileSize > kSaveDataSize) {
    fileSize = std::filesystem::file_size(fileName, code);
    if (code) fileSize = bytes.size();
  }
  DecodeSaveData(bytes, data);
  return true;
}

std::filesystem::path StagedFileName(const std::filesystem::path& fileName) {
  std::filesystem::path staged = fileName;
  staged += ".tmp";
  return staged;
}

bool StageSaveFile(const std::filesystem::path& fileName, const TSaveData& data,
                   std::string& error) {
  return files::WriteSyncedFile(StagedFileName(fileName), EncodeSaveData(data), error);
}

bool CommitStagedFile(const std::filesystem::path& fileName, std::string& error) {
  if (files::RenameSynced(StagedFileName(fileName), fileName, error)) return true;
  DropStagedFile(fileName);
  return false;
}

void DropStagedFile(const std::filesystem::path& fileName) {
  std::error_code code;
  std::filesystem::remove(StagedFileName(fileName), code);
}

bool WriteSaveFile(const std::filesystem::path& fileName, const TSaveData& data,
                   std::string& error) {
  return StageSaveFile(fileName, data, error) && CommitStagedFile(fileName, error);
}

std::filesystem::path SaveJournalName(const std::filesystem::path& record) {
  std::filesystem::path journal = record;
  journal += ".commit";
  return journal;
}

namespace {

// Removes fileName, durably; a file that is not there is removed already.
bool RemoveSynced(const std::filesystem::path& fileName, std::string& error) {
  std::error_code code;
  std::filesystem::remove(fileName, code);
  if (code) {
    error = "cannot remove " + fileName.string() + ": " + code.message();
    return false;
  }
  files::SyncFolder(fileName.parent_path());
  return true;
}

// The staged file takes its place when there is one; a finished rename left none.
bool FinishStaged(const std::filesystem::path& fileName, std::string& error) {
  std::error_code code;
  if (!std::filesystem::exists(StagedFileName(fileName), code)) return true;
  return files::RenameSynced(StagedFileName(fileName), fileName, error);
}

// A copy of Settei.ini, staged beside it, to receive a save's keys. A missing file stages as
// none: the first key written creates it.
bool StageSettings(const std::filesystem::path& settings, std::string& error) {
  std::error_code code;
  const std::filesystem::path staged = StagedFileName(settings);
  std::filesystem::remove(staged, code);
  const std::filesystem::file_status status = std::filesystem::status(settings, code);
  if (!std::filesystem::exists(status)) return true;
  if (!std::filesystem::is_regular_file(status)) {
    error = settings.string() + " is not a file";
    return false;
  }
  std::filesystem::copy_file(settings, staged, code);
  if (code) error = "cannot copy " + settings.string() + ": " + code.message();
  return !code;
}

}  // namespace

bool CommitSavePair(const std::filesystem::path& record, const std::filesystem::path& settings,
                    std::string& error) {
  const std::filesystem::path journal = SaveJournalName(record);
  // The journal appears whole, by a rename, after both staged files were synced.
  if (!files::WriteSyncedFile(StagedFileName(journal), "", error) ||
      !files::RenameSynced(StagedFileName(journal), journal, error)) {
    DropStagedFile(journal);
    DropStagedFile(record);
    DropStagedFile(settings);
    return false;
  }
  if (!files::RenameSynced(StagedFileName(record), record, error)) {
    // Nothing has moved: the journal goes first, then the staged files, so the old pair stays.
    std::string ignored;
    if (RemoveSynced(journal, ignored)) {
      DropStagedFile(record);
      DropStagedFile(settings);
    }
    return false;
  }
  // record1.dat is the new one: from here the pair is finished, now or at the next start.
  return FinishStaged(settings, error) && RemoveSynced(journal, error);
}

bool RecoverSavePair(const std::filesystem::path& record, const std::filesystem::path& settings,
                     std::string& error) {
  std::error_code code;
  const std::filesystem::path journal = SaveJournalName(record);
  DropStagedFile(journal);
  // What the INI writer left of the staged copy when it was killed holds nothing a pair needs.
  files::RemoveStaleTemporaries(settings.parent_path(), StagedFileName(settings).filename());
  if (std::filesystem::exists(journal, code)) {
    return FinishStaged(record, error) && FinishStaged(settings, error) &&
           RemoveSynced(journal, error);
  }
  DropStagedFile(record);
  DropStagedFile(settings);
  return true;
}

TSavePairResult WriteSavePair(const std::filesystem::path& userDir, const TSaveData& data,
                              const game::TSettings& keys, bool withTuika, std::string& error) {
  std::error_code folderError;
  std::filesystem::create_directories(userDir, folderError);
  const std::filesystem::path record = userDir / kSaveFileName;
  const std::filesystem::path settings = game::TSettingsFiles(userDir).IniFileName();
  if (!RecoverSavePair(record, settings, error) || !StageSaveFile(record, data, error)) {
    return TSavePairResult::RecordFailed;
  }
  const std::filesystem::path staged = StagedFileName(settings);
  using game::TSettingsFiles;
  using game::TSettingsGroup;
  const bool keysWritten =
      StageSettings(settings, error) &&
      (withTuika
           ? TSettingsFiles::Write(
                 staged, keys, {TSettingsGroup::WithSavedTuika, TSettingsGroup::WithSave}, &error)
           : TSettingsFiles::Write(staged, keys, {TSettingsGroup::WithSave}, &error));
  if (!keysWritten) {
    DropStagedFile(record);
    DropStagedFile(settings);
    return TSavePairResult::SettingsFailed;
  }
  if (!CommitSavePair(record, settings, error)) return TSavePairResult::RecordFailed;
  return TSavePairResult::Saved;
}

bool PlausibleBestScore(const TSaveData& data) {
  return data.SaikoTokuten >= 0 && data.SaikoTokuten <= kMaxTokuten;
}

std::string SaveFileSizeProblem(std::uintmax_t fileSize) {
  if (fileSize == kSaveDataSize) return {};
  return "the file is " + std::to_string(fileSize) + " bytes, not " + std::to_string(kSaveDataSize);
}

std::string SaveDataProblem(const TSaveData& d, const TCatalogue& catalogue,
                            const std::u16string* tuikaReading) {
  if (d.SeikaiCount == kGameClearCount) return "the game was finished (SeikaiCount 30)";
  if (d.SeikaiCount > kGameClearCount) return Range("SeikaiCount", d.SeikaiCount);
  if (d.SeikaiCount < 0) return Range("SeikaiCount", d.SeikaiCount);
  if (d.MondaiNo < 1) return Range("MondaiNo", d.MondaiNo);
  if (d.MojiCount < 0 || d.MojiCount > kMaxMondaiLength) return Range("MojiCount", d.MojiCount);
  if (d.MondaiNo <= kBuiltInMondaiCount) {
    const std::int32_t length = MojiLength(catalogue.Reading(d.MondaiNo));
    if (d.MojiCount != length) {
      return "MojiCount " + std::to_string(d.MojiCount) + " does not match question " +
             std::to_string(d.MondaiNo) + " (" + std::to_string(length) + " characters)";
    }
  } else if (tuikaReading != nullptr) {
    const std::int32_t length = MojiLength(*tuikaReading);
    if (d.MojiCount != length) {
      return "MojiCount " + std::to_string(d.MojiCount) +
             " does not match the saved additional question (" + std::to_string(length) +
             " characters)";
    }
  }
  if (d.ShutsudaiCount < 0 || d.ShutsudaiCount > kBuiltInMondaiCount) {
    return Range("ShutsudaiCount", d.ShutsudaiCount);
  }
  if (d.KakushiNo < 0 || d.KakushiNo > kMaxMondaiLength) return Range("KakushiNo", d.KakushiNo);
  if (d.RenzokuCount < 0 || d.RenzokuCount > kGameClearCount) {
    return Range("RenzokuCount", d.RenzokuCount);
  }
  if (d.FuseikaiCount < 0 || d.FuseikaiCount >= kGameOverCount) {
    return Range("FuseikaiCount", d.FuseikaiCount);
  }
  if (d.TimeLeft < 0 || d.TimeLeft > 60000) return Range("TimeLeft", d.TimeLeft);
  if (d.PauseTotal < 0) return Range("PauseTotal", d.PauseTotal);
  if (d.Playing > 1) return Range("Playing", d.Playing);
  if (d.Tokuten < 0 || d.Tokuten > kMaxTokuten) return Range("Tokuten", d.Tokuten);
  if (!PlausibleBestScore(d)) return Range("SaikoTokuten", d.SaikoTokuten);
  if (d.BonusMode > 1) return Range("BonusMode", d.BonusMode);
  if (d.HintMoji < 0 || d.HintMoji > kMaxHintMoji) return Range("HintMoji", d.HintMoji);
  // A running question gives up at its fourth hint, and hints no character past its last.
  if (d.Playing == 1 && (d.HintMoji > kMaxHintsPerQuestion || d.HintMoji > d.MojiCount)) {
    return Range("HintMoji", d.HintMoji);
  }
  if (d.HintCount < 0 || d.HintCount > kMaxHintCount) return Range("HintCount", d.HintCount);
  for (std::int32_t i = 0; i < d.MojiCount; ++i) {
    const std::string at = "[" + std::to_string(i) + "]";
    if (!Within(d.X[i], kMaxCoordinate)) return Range(("X" + at).c_str(), d.X[i]);
    if (!Within(d.Y[i], kMaxCoordinate)) return Range(("Y" + at).c_str(), d.Y[i]);
    if (!Within(d.DX[i], kMaxSpeed)) return Range(("DX" + at).c_str(), d.DX[i]);
    if (!Within(d.DY[i], kMaxSpeed)) return Range(("DY" + at).c_str(), d.DY[i]);
    if (d.Akarusa[i] < 0 || d.Akarusa[i] > 255) {
      return Range(("Akarusa" + at).c_str(), d.Akarusa[i]);
    }
    if (d.Akarumu[i] > 1) return Range(("Akarumu" + at).c_str(), d.Akarumu[i]);
  }
  return {};
}
