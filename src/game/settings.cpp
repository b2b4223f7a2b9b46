#include "game/settings.h"

#include <fstream>
#include <system_error>

#include "game/ini_text.h"
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
constexpr const char* kDefaultTuikaMondai = "ないとうぃすぷ";
constexpr const char* kDefaultTuikaSeikai = "Nightwisp";

// Writes one byte to a temporary file beside the target and renames it over the target, so a
// failed write never leaves an empty style file.
bool WriteStyleFile(const std::filesystem::path& fileName, std::uint8_t style) {
  std::filesystem::path temporary = fileName;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.put(static_cast<char>(style));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, fileName, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

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

TSavedTuika TSettingsFiles::ReadSavedTuika() const {
  const TIniFile ini(iniName_);
  return {codepage::Utf8ToUtf16(ReadIniText(ini, "TuikaMondai", "Mondai", kDefaultTuikaMondai)),
          codepage::Utf8ToUtf16(ReadIniText(ini, "TuikaMondai", "Seikai", kDefaultTuikaSeikai))};
}

std::int32_t TSettingsFiles::ReadKaitoMode() const {
  return TIniFile(iniName_).ReadInteger("KaitoMode", "Value", 0) == 1 ? 1 : 0;
}

bool TSettingsFiles::WriteAtClose(std::int32_t charset, const std::string& fontName,
                                  const TBgmSettings& bgm, bool romajiHenkan) const {
  TIniFile ini(iniName_);
  return ini.WriteInteger("Font", "Charset", charset) &&
         ini.WriteString("Font", "Name", fontName) && ini.WriteBool("BGM", "Music", bgm.Music) &&
         ini.WriteBool("BGM", "Random", bgm.Random) &&
         WriteIniText(ini, "BGM", "MusicName", bgm.MusicName) &&
         WriteIniText(ini, "BGM", "MusicFolda", bgm.MusicFolda) &&
         ini.WriteBool(kRomajiSection, kRomajiKey, romajiHenkan);
}

bool TSettingsFiles::WriteFontStyle(std::uint8_t style) const {
  return WriteStyleFile(styleName_, style);
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
