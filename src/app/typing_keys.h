// Which keys type an answer, for the player's measures: letters, digits and punctuation,
// Space, BackSpace and Delete, Enter, the arrows that move among an input method's segments
// and candidates, and the input method's own keys (変換, 無変換, ひらがな, 半角/全角, …). The
// game's keys (F1 a hint, F2 a pause, F11 full screen), Escape, Tab, the page keys and the
// other function keys type nothing: they neither count nor start the answer clock.
#pragma once

#include <cstdint>

namespace app {

// Qt's key code (Qt::Key) of a key press.
bool QtKeyTypes(int key);
// The first keysym an X server binds to a keycode.
bool KeysymTypes(std::uint32_t keysym);

}  // namespace app
