#include "rules/ini_text.h"

#include "platform/codepage/codepage.h"

namespace game {
namespace {

std::string Utf8Key(std::string_view key) { return std::string(key) + "UTF8"; }

}  // namespace

std::string ReadIniText(const TCustomIniFile& ini, std::string_view section, std::string_view key,
                        std::string_view defaultUtf8) {
  const std::string sjis = ini.ReadString(section, key, codepage::Utf8ToSjis(defaultUtf8));
  const std::string utf8 = ini.ReadString(section, Utf8Key(key), "");
  if (!utf8.empty() && codepage::Utf8ToSjis(utf8) == sjis) return utf8;
  // A value a player typed in a UTF-8 editor (a path of their own) is taken as it stands.
  if (codepage::IsUnmarkedUtf8(sjis)) return sjis;
  return codepage::SjisToUtf8(sjis);
}

bool WriteIniText(TCustomIniFile& ini, std::string_view section, std::string_view key,
                  std::string_view utf8) {
  const std::string sjis = codepage::Utf8ToSjis(utf8);
  if (!ini.WriteString(section, key, sjis)) return false;
  const bool exact = codepage::SjisToUtf8(sjis) == utf8;
  if (exact) {
    // Cleared only when a former text left one behind, so that the file stays as it was.
    if (ini.ReadString(section, Utf8Key(key), "").empty()) return true;
    return ini.WriteString(section, Utf8Key(key), "");
  }
  return ini.WriteString(section, Utf8Key(key), utf8);
}

}  // namespace game
