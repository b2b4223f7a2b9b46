// The player's settings files in the per-user folder: Settei.ini (the character font, the music,
// the romaji option, the additional question of a saved game, the answer mode, the window's size)
// and Font.dat (the character font's style in one byte). Every section, key and default the game
// keeps there is here and in the key table of settings.cpp, and nowhere else. Settei.ini holds
// names and paths in Shift-JIS (music paths and the saved question that Shift-JIS cannot hold get
// an exact UTF-8 copy, see ini_text.h); the record holds paths in UTF-8 and questions in UTF-16.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

#include "platform/codepage/codepage.h"

namespace game {

// A text kept in Settei.ini as its Shift-JIS bytes, with no UTF-8 copy (the font's face name,
// which the font list and the font dialog give in Shift-JIS).
struct TShiftJisText : std::string {
  TShiftJisText(std::string bytes = {}) : std::string(std::move(bytes)) {}
};

// Every setting with its default: the values a missing file or key reads as.
//
// The one way a setting reaches Settei.ini: start-up reads the whole record once, each key
// checked against its row (TGameState::Settings); the game reads the setting there, and whatever
// changes it (a menu, the window's display) changes it there when it changes; close writes the
// record's group as it stands, a save its own keys with record1.dat. Only the character font
// (the Moji writer's own) and the music's choice are put in at close (KeepFontAndMusic).
//
// To add a setting: a field here with its default, and one row in kSettingKeys (settings.cpp)
// naming its section and key, whether it is written at close or with a save, and for a number
// its range. The field's type picks how the key is read and written (bool "1"/"0", a number, a
// text); a new section is just its name in the rows, keys of one section kept together. A value
// its row does not allow (not a number, out of range) keeps the default, so the game never sees
// it. Add a case to tests/game/settings_test.cpp.
struct TSettings {
  // [Font] the character font of the answer field and the flying characters. Taken only when
  // both files exist (FontSaved).
  TShiftJisText FontName = codepage::Utf8ToSjis("ＭＳ 明朝");
  std::int32_t FontCharset = 128;         // 0 to 255 (128: Shift-JIS)
  std::optional<std::uint8_t> FontStyle;  // Font.dat's byte, style bits only; none when empty
  bool FontSaved = false;                 // Settei.ini and Font.dat both exist

  // [BGM] the music the player chose.
  bool Music = true;
  bool Random = false;
  std::string MusicName;   // UTF-8; empty means the game's own music
  std::string MusicFolda;  // UTF-8; the folder random play draws from

  // [RomajiHenkan] romaji typed into the answer field becomes kana; on in files from before it.
  bool RomajiHenkan = true;

  // [ImiHyoji] a revealed answer shows the proverb's meaning; on in files from before it.
  bool ImiHyoji = true;

  // [Furigana] a revealed answer shows the reading over its kanji; on in files from before it.
  bool Furigana = true;

  // Kept beside record1.dat by a save. [TuikaMondai] the saved question when it is an additional
  // one: its reading and its written form.
  std::u16string TuikaMondai = u"ないとうぃすぷ";
  std::u16string TuikaSeikai = u"Nightwisp";
  // [KaitoMode] the answer mode of the saved game: 0 kanji-mixed, 1 hiragana.
  std::int32_t KaitoMode = 0;
  // [KaitoMode] the answer mode the player last chose (or a resumed game took), written at
  // close under a key of its own (older versions ignore it): 0 or 1; -1 (a file from before the
  // key) means none, and a start begins in kanji-mixed answers as it always did.
  std::int32_t ChosenKaitoMode = -1;

  // [Hyoji] how the window shows the frame, kept up to date by the window: its size as a multiple
  // of the frame (1 to kLargestWindowSize), full screen, and fitted smoothly to the window
  // instead of whole multiples.
  std::int32_t WindowSize = 1;
  bool FullScreen = false;
  bool FitToWindow = false;
};

// When a key is written.
enum class TSettingsGroup {
  AtClose,        // the player's choices, at close
  WithSave,       // beside record1.dat, with every save
  WithSavedTuika  // beside record1.dat, with a save whose question is an additional one
};

class TSettingsFiles {
 public:
  explicit TSettingsFiles(std::filesystem::path userDir);

  // Both files once; every key a file lacks keeps its default.
  TSettings Read() const;

  // The group's keys of the record into Settei.ini. Every key is written that can be: one that
  // cannot keeps no other from being written. False when one could not, with the first reason
  // (naming the file) in error.
  bool Write(const TSettings& settings, TSettingsGroup group, std::string* error = nullptr) const {
    return Write(iniName_, settings, {group}, error);
  }
  // The same for several groups at once into another file: a save writes its keys into a
  // staged copy of Settei.ini.
  static bool Write(const std::filesystem::path& iniFile, const TSettings& settings,
                    std::initializer_list<TSettingsGroup> groups, std::string* error = nullptr);
  // Font.dat replaced whole; false, with the reason in error, when it could not be.
  bool WriteFontStyle(std::uint8_t style, std::string* error = nullptr) const;

  // Settei.ini itself; a save stages a copy of it to receive its keys.
  const std::filesystem::path& IniFileName() const { return iniName_; }

 private:
  std::filesystem::path iniName_;
  std::filesystem::path styleName_;
};

}  // namespace game
