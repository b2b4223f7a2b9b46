// The player's settings files in the per-user folder: Settei.ini (the character font, the music,
// the romaji option, the additional question of a saved game, the answer mode) and Font.dat (the
// character font's style in one byte). Every section, key and default the game keeps there is read
// and written here and nowhere else. Settei.ini holds names and paths in Shift-JIS (music paths
// and the saved question that Shift-JIS cannot hold get an exact UTF-8 copy, see ini_text.h); the
// game's side of these calls holds paths in UTF-8 and questions in UTF-16.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace game {

// The character font of the answer field and the flying characters.
struct TFontSettings {
  std::string Name;                   // face name, Shift-JIS
  std::int32_t Charset;               // as stored; the caller keeps the low byte
  std::optional<std::uint8_t> Style;  // Font.dat's byte, style bits only; none when it is empty
};

// The music the player chose.
struct TBgmSettings {
  bool Music = true;
  bool Random = false;
  std::string MusicName;   // UTF-8; empty means the game's own music
  std::string MusicFolda;  // UTF-8; the folder random play draws from
};

// The additional question a saved game keeps: its reading and its written form.
struct TSavedTuika {
  std::u16string Mondai;
  std::u16string Seikai;
};

class TSettingsFiles {
 public:
  explicit TSettingsFiles(std::filesystem::path userDir);

  // The character font, only when both files exist; the face defaults to "ＭＳ 明朝" and the
  // character set to Shift-JIS.
  std::optional<TFontSettings> ReadFont() const;
  // The music, only when Settei.ini exists.
  std::optional<TBgmSettings> ReadBgm() const;
  // The romaji option, only when Settei.ini exists; on when the file has no such key (files
  // from before the option).
  std::optional<bool> ReadRomajiHenkan() const;
  // The meaning option, only when Settei.ini exists; on when the file has no such section.
  std::optional<bool> ReadImiHyoji() const;
  TSavedTuika ReadSavedTuika() const;
  // The answer mode of a saved game: 1 (hiragana), or 0 (kanji-mixed) for any other value.
  std::int32_t ReadKaitoMode() const;

  // What the game writes at close: the font's keys, the music's, the romaji and meaning
  // options. The first key that cannot be written ends the writing; false then.
  bool WriteAtClose(std::int32_t charset, const std::string& fontName, const TBgmSettings& bgm,
                    bool romajiHenkan, bool imiHyoji) const;
  // Font.dat replaced whole; false when it could not be.
  bool WriteFontStyle(std::uint8_t style) const;

  // Settei.ini itself; a save stages a copy of it to receive the keys below.
  const std::filesystem::path& IniFileName() const { return iniName_; }
  // The keys a saved game keeps beside record1.dat, written into iniFile (Settei.ini or its
  // staged copy): the additional question's texts when the saved question is one (tuika not
  // null), then the answer mode. The first key that cannot be written ends the writing.
  static bool WriteSaveKeys(const std::filesystem::path& iniFile, const TSavedTuika* tuika,
                            std::int32_t kaitoMode);

 private:
  std::filesystem::path iniName_;
  std::filesystem::path styleName_;
};

}  // namespace game
