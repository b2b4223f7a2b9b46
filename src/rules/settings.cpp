#include "rules/settings.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>
#include <variant>

#include "platform/base/files.h"
#include "platform/gdi/font.h"
#include "platform/profile/profile.h"
#include "rules/display_settings.h"
#include "rules/ini_text.h"

namespace game {
namespace {

constexpr const char* kIniFileName = "Settei.ini";
constexpr const char* kStyleFileName = "Font.dat";

// The numbers a number key may hold; any other keeps the field's default.
struct TRange {
  std::int32_t Min = std::numeric_limits<std::int32_t>::min();
  std::int32_t Max = std::numeric_limits<std::int32_t>::max();
};

// One key of Settei.ini and the field of the record it holds. The field's type says how it is
// stored: bool as "1"/"0" (any other number reads as on), a number in decimal within its range,
// a Shift-JIS text as its bytes, a UTF-8 or UTF-16 text as Shift-JIS with an exact UTF-8 copy
// when needed (ini_text.h).
struct TSettingKey {
  const char* Section;
  const char* Key;
  TSettingsGroup Group;
  std::variant<bool TSettings::*, std::int32_t TSettings::*, TShiftJisText TSettings::*,
               std::string TSettings::*, std::u16string TSettings::*>
      Field;
  TRange Range = {};  // a number's allowed values
};

// Every key, in the order a new file receives them.
const TSettingKey kSettingKeys[] = {
    {"Font", "Charset", TSettingsGroup::AtClose, &TSettings::FontCharset, {0, 255}},
    {"Font", "Name", TSettingsGroup::AtClose, &TSettings::FontName},
    {"BGM", "Music", TSettingsGroup::AtClose, &TSettings::Music},
    {"BGM", "Random", TSettingsGroup::AtClose, &TSettings::Random},
    {"BGM", "MusicName", TSettingsGroup::AtClose, &TSettings::MusicName},
    {"BGM", "MusicFolda", TSettingsGroup::AtClose, &TSettings::MusicFolda},
    {"RomajiHenkan", "Value", TSettingsGroup::AtClose, &TSettings::RomajiHenkan},
    {"KaitoMode", "Chosen", TSettingsGroup::AtClose, &TSettings::ChosenKaitoMode, {-1, 1}},
    {"Hyoji", "Bairitsu", TSettingsGroup::AtClose, &TSettings::WindowSize, {1, kLargestWindowSize}},
    {"Hyoji", "ZenGamen", TSettingsGroup::AtClose, &TSettings::FullScreen},
    {"Hyoji", "Kakudai", TSettingsGroup::AtClose, &TSettings::FitToWindow},
    {"ImiHyoji", "Value", TSettingsGroup::AtClose, &TSettings::ImiHyoji},
    {"Furigana", "Value", TSettingsGroup::AtClose, &TSettings::Furigana},
    {"TuikaMondai", "Mondai", TSettingsGroup::WithSavedTuika, &TSettings::TuikaMondai},
    {"TuikaMondai", "Seikai", TSettingsGroup::WithSavedTuika, &TSettings::TuikaSeikai},
    {"KaitoMode", "Value", TSettingsGroup::WithSave, &TSettings::KaitoMode, {0, 1}},
};

// A whole decimal number, blanks around it allowed; none for anything else ("banana", "3x", "").
std::optional<std::int32_t> WholeNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  std::int32_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

// Reads a key into its field; the field's value before is the default, and stays when the key
// is missing or holds what the row does not allow.
struct TReadKey {
  const TCustomIniFile& Ini;
  const TSettingKey& K;
  TSettings& Out;
  std::optional<std::int32_t> Number() const {
    const std::optional<std::int32_t> number = WholeNumber(Ini.ReadString(K.Section, K.Key, ""));
    if (!number || *number < K.Range.Min || *number > K.Range.Max) return std::nullopt;
    return number;
  }
  void operator()(bool TSettings::*f) const {
    if (const auto number = Number()) Out.*f = *number != 0;
  }
  void operator()(std::int32_t TSettings::*f) const {
    if (const auto number = Number()) Out.*f = *number;
  }
  void operator()(TShiftJisText TSettings::*f) const {
    Out.*f = Ini.ReadString(K.Section, K.Key, Out.*f);
  }
  void operator()(std::string TSettings::*f) const {
    Out.*f = ReadIniText(Ini, K.Section, K.Key, Out.*f);
  }
  void operator()(std::u16string TSettings::*f) const {
    Out.*f =
        codepage::Utf8ToUtf16(ReadIniText(Ini, K.Section, K.Key, codepage::Utf16ToUtf8(Out.*f)));
  }
};

struct TWriteKey {
  TCustomIniFile& Ini;
  const TSettingKey& K;
  const TSettings& In;
  bool operator()(bool TSettings::*f) const { return Ini.WriteBool(K.Section, K.Key, In.*f); }
  bool operator()(std::int32_t TSettings::*f) const {
    return Ini.WriteInteger(K.Section, K.Key, In.*f);
  }
  bool operator()(TShiftJisText TSettings::*f) const {
    return Ini.WriteString(K.Section, K.Key, In.*f);
  }
  bool operator()(std::string TSettings::*f) const {
    return WriteIniText(Ini, K.Section, K.Key, In.*f);
  }
  bool operator()(std::u16string TSettings::*f) const {
    return WriteIniText(Ini, K.Section, K.Key, codepage::Utf16ToUtf8(In.*f));
  }
};

}  // namespace

TSettingsFiles::TSettingsFiles(std::filesystem::path userDir)
    : iniName_(userDir / kIniFileName), styleName_(userDir / kStyleFileName) {}

TSettings TSettingsFiles::Read() const {
  TSettings settings;
  const TMemIniFile ini(iniName_);
  for (const TSettingKey& key : kSettingKeys) std::visit(TReadKey{ini, key, settings}, key.Field);

  std::error_code error;
  settings.FontSaved = std::filesystem::is_regular_file(iniName_, error) &&
                       std::filesystem::is_regular_file(styleName_, error);
  std::ifstream styleFile(styleName_, std::ios::binary);
  char styleByte = 0;
  if (styleFile.get(styleByte)) {
    settings.FontStyle = static_cast<std::uint8_t>(styleByte) & gdi::kAllFontStyles;
  }
  return settings;
}

bool TSettingsFiles::Write(const std::filesystem::path& iniFile, const TSettings& settings,
                           std::initializer_list<TSettingsGroup> groups, std::string* error) {
  // Every key of the group in one pass over the file: a key that cannot be written does not
  // keep the others out.
  TMemIniFile ini(iniFile);
  bool written = true;
  for (const TSettingKey& key : kSettingKeys) {
    const bool inGroups = std::find(groups.begin(), groups.end(), key.Group) != groups.end();
    if (inGroups && !std::visit(TWriteKey{ini, key, settings}, key.Field)) {
      written = false;
    }
  }
  written = ini.UpdateFile() && written;
  if (error != nullptr) *error = ini.LastError();
  return written;
}

bool TSettingsFiles::WriteFontStyle(std::uint8_t style, std::string* error) const {
  std::string reason;
  if (files::ReplaceFile(styleName_, std::string(1, static_cast<char>(style)), reason)) return true;
  if (error != nullptr) *error = reason;
  return false;
}

}  // namespace game
