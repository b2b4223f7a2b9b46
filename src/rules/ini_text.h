// Texts kept in Settei.ini, a Shift-JIS file: music paths and the saved additional question.
//
// A text that Shift-JIS holds exactly is written under its key as it always was. One that it
// cannot hold (a path like "música/Grüße.mp3") is written twice: its Shift-JIS form under the
// key, for older readers, and the exact UTF-8 text under the key + "UTF8", which they ignore.
// On reading, the UTF-8 key wins while the Shift-JIS key still matches it, so a value changed
// since by an older reader is not overridden by a stale UTF-8 one. A value typed by hand in a
// UTF-8 editor (well-formed UTF-8, which Shift-JIS text practically never is) is read as UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "platform/profile/profile.h"

namespace game {

// The text of the key as UTF-8, or defaultUtf8 when the key is absent.
std::string ReadIniText(const TCustomIniFile& ini, std::string_view section, std::string_view key,
                        std::string_view defaultUtf8);

// Writes the UTF-8 text as described above; false when the file cannot be written.
bool WriteIniText(TCustomIniFile& ini, std::string_view section, std::string_view key,
                  std::string_view utf8);

}  // namespace game
