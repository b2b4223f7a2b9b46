#include "game/settings.h"

#include <fstream>
#include <system_error>

#include "game/ini_text.h"
#include "platform/base/files.h"
#include "platform/codepage/codepage.h"
#include "platform/gdi/font.h"
#include "platform/gdi/gdi.h"
#include "platform/profile/profile.h"

namespace game {
namespace {

constexpr const char* kIniFileName = "Settei.ini";
constexpr const char* kStyleFileName = "Font.dat";

constexpr const char* kDefaultFontName = "ＭＳ 明朝";
// The romaji option: "1" on, "0" off.
constexpr const char* kRomajiSection = "RomajiHenkan";
constexpr const char* kRomajiKey = "Value";
// The meaning beneath a revealed answer: a section of its own, absent in older files (on).
constexpr const char* kImiSection = "ImiHyoji";
constexpr const char* kImiKey = "Value";
constexpr const char* kDefaultTuikaMondai = "ないとうぃすぷ";
constexpr const char* kDefaultTuikaSeikai = "Nightwisp";

}  // namespace

TSettingsFiles::TSettingsFiles(std::filesystem::path userDir)
    : iniName_(userDir / kIniFileName), styleName_(userDir / kStyleFileName) {}

std::optional<TFontSettings> TSettingsFiles::ReadFont() const {
  std::error_code error;
  if (!std::filesystem::is_regular_file(iniName_, error) ||
      !std::filesystem::is_regular_file(styleName_, error)) {
    return std::nullopt;
  }
  const TIniFile ini(iniName_);
  TFontSettings font{ini.ReadString("Font", "Name", codepage::Utf8ToSjis(kDefaultFontName)),
                     ini.ReadInteger("Font", "Charset", gdi::SHIFTJIS_CHARSET), std::nullopt};
  std::ifstream styleFile(styleName_, std::ios::binary);
  char styleByte = 0;
  if (styleFile.get(styleByte))
    font.Style = static_cast<std::uint8_t>(styleByte) & gdi::kAllFontStyles;
  return font;
}

std::optional<TBgmSettings> TSettingsFiles::ReadBgm() const {
  std::error_code error;
  if (!std::filesystem::exists(iniName_, error)) return std::nullopt;
  const TIniFile ini(iniName_);
  TBgmSettings bgm;
  bgm.Music = ini.ReadBool("BGM", "Music", true);
  bgm.Random = ini.ReadBool("BGM", "Random", false);
  // An absent key reads empty.
  bgm.MusicName = ReadIniText(ini, "BGM", "MusicName", "");
  bgm.MusicFolda = ReadIniText(ini, "BGM", "MusicFolda", "");
  return bgm;
}

std::optional<bool> TSettingsFiles::ReadRomajiHenkan() const {
  std::error_code error;
  if (!std::filesystem::is_regular_file(iniName_, error)) return std::nullopt;
  return TIniFile(iniName_).ReadBool(kRomajiSection, kRomajiKey, true);
}

std::optional<bool> TSettingsFiles::ReadImiHyoji() const {
  std::error_code error;
  if (!std::filesystem::is_regular_file(iniName_, error)) return std::nullopt;
  return TIniFile(iniName_).ReadBool(kImiSection, kImiKey, true);
}

TSavedTuika TSettingsFiles::ReadSavedTuika() const {
  const TIniFile ini(iniName_);
  return {codepage::Utf8ToUtf16(ReadIniText(ini, "TuikaMondai", "Mondai", kDefaultTuikaMondai)),
          codepage::Utf8ToUtf16(ReadIniText(ini, "TuikaMondai", "Seikai", kDefaultTuikaSeikai))};
}

std::int32_t TSettingsFiles::ReadKaitoMode() const {
  return TIniFile(iniName_).ReadInteger("KaitoMode", "Value", 0) == 1 ? 1 : 0;
}

bool TSettingsFiles::WriteAtClose(std::int32_t charset, const std::string& fontName,
                                  const TBgmSettings& bgm, bool romajiHenkan, bool imiHyoji) const {
  TIniFile ini(iniName_);
  return ini.WriteInteger("Font", "Charset", charset) &&
         ini.WriteString("Font", "Name", fontName) && ini.WriteBool("BGM", "Music", bgm.Music) &&
         ini.WriteBool("BGM", "Random", bgm.Random) &&
         WriteIniText(ini, "BGM", "MusicName", bgm.MusicName) &&
         WriteIniText(ini, "BGM", "MusicFolda", bgm.MusicFolda) &&
         ini.WriteBool(kRomajiSection, kRomajiKey, romajiHenkan) &&
         ini.WriteBool(kImiSection, kImiKey, imiHyoji);
}

bool TSettingsFiles::WriteFontStyle(std::uint8_t style) const {
  std::string error;
  return files::ReplaceFile(styleName_, std::string(1, static_cast<char>(style)), error);
}

bool TSettingsFiles::WriteSaveKeys(const std::filesystem::path& iniFile, const TSavedTuika* tuika,
                                   std::int32_t kaitoMode) {
  TIniFile ini(iniFile);
  if (tuika != nullptr &&
      !(WriteIniText(ini, "TuikaMondai", "Mondai", codepage::Utf16ToUtf8(tuika->Mondai)) &&
        WriteIniText(ini, "TuikaMondai", "Seikai", codepage::Utf16ToUtf8(tuika->Seikai)))) {
    return false;
  }
  return ini.WriteInteger("KaitoMode", "Value", kaitoMode);
}

}  // namespace game
