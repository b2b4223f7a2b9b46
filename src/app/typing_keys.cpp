#include "app/typing_keys.h"

#include <Qt>

namespace app {

bool QtKeyTypes(int key) {
  // Below Qt's special keys lie the characters themselves.
  if (key > 0 && key < Qt::Key_Escape) return true;
  // The Japanese and Korean input keys: Kanji, Muhenkan, Henkan, … Hangul_Special.
  if (key >= Qt::Key_Kanji && key <= Qt::Key_Hangul_Special) return true;
  switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
      return true;
    default:
      return false;
  }
}

bool KeysymTypes(std::uint32_t keysym) {
  // Latin, kana and the other character sets, and keysyms that carry a Unicode character.
  if (keysym >= 0x20 && keysym < 0xfe00) return true;
  if (keysym >= 0x01000100 && keysym <= 0x0110ffff) return true;
  // The Japanese keyboard's keys: Kanji (0xff21) to the Korean ones (0xff3f).
  if (keysym >= 0xff21 && keysym <= 0xff3f) return true;
  // The keypad's space, Enter, operators and digits (not its F keys or movement keys).
  if (keysym == 0xff80 || keysym == 0xff8d || (keysym >= 0xffaa && keysym <= 0xffb9)) {
    return true;
  }
  switch (keysym) {
    case 0xff08:  // BackSpace
    case 0xffff:  // Delete
    case 0xff0d:  // Return
    case 0xff51:  // Left
    case 0xff52:  // Up
    case 0xff53:  // Right
    case 0xff54:  // Down
      return true;
    default:
      return false;
  }
}

}  // namespace app
