// Keys counted for the player's measures: only keys that type an answer. Where no X server
// sends them (the offscreen platform) Qt's key presses are counted, Enter told apart; on an X
// server the keyboard map's keysyms say the same of each keycode.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <vector>

#include "app/key_count.h"
#include "app/typing_keys.h"
#include "support/qt_app.h"

namespace {

struct TKeyCase {
  int QtKey;
  std::uint32_t Keysym;
  bool Types;
};

// Each key as Qt and as the X server name it, and whether it types.
const TKeyCase kKeys[] = {
    {Qt::Key_A, 0x61, true},
    {Qt::Key_Comma, 0x2c, true},
    {Qt::Key_Space, 0x20, true},
    {Qt::Key_Backspace, 0xff08, true},
    {Qt::Key_Delete, 0xffff, true},
    {Qt::Key_Return, 0xff0d, true},
    {Qt::Key_Enter, 0xff8d, true},
    {Qt::Key_Henkan, 0xff23, true},
    {Qt::Key_Muhenkan, 0xff22, true},
    {Qt::Key_Zenkaku_Hankaku, 0xff2a, true},
    {Qt::Key_Hiragana_Katakana, 0xff27, true},
    {Qt::Key_Left, 0xff51, true},
    {Qt::Key_Down, 0xff54, true},
    {Qt::Key_F1, 0xffbe, false},
    {Qt::Key_F2, 0xffbf, false},
    {Qt::Key_F11, 0xffc8, false},
    {Qt::Key_Escape, 0xff1b, false},
    {Qt::Key_Tab, 0xff09, false},
    {Qt::Key_PageUp, 0xff55, false},
    {Qt::Key_Home, 0xff50, false},
    {Qt::Key_Print, 0xff61, false},
    {Qt::Key_Shift, 0xffe1, false},
    {Qt::Key_Control, 0xffe3, false},
    {Qt::Key_Alt, 0xffe9, false},
    {Qt::Key_Meta, 0xffe7, false},
    {Qt::Key_CapsLock, 0xffe5, false},
};

TEST(KeyCountTest, CountsOnlyTheKeysThatType) {
  qt_test::App();
  QWidget window;
  std::vector<bool> counted;
  app::TServerKeys serverKeys;  // reads nothing off an X server
  ASSERT_FALSE(serverKeys.Watching());
  app::TKeyCount count(serverKeys, window, [&](bool enter) { counted.push_back(enter); });
  std::vector<bool> expected;
  for (const TKeyCase& key : kKeys) {
    SCOPED_TRACE(key.Keysym);
    EXPECT_EQ(app::QtKeyTypes(key.QtKey), key.Types);
    EXPECT_EQ(app::KeysymTypes(key.Keysym), key.Types);
    count.QtKeyPress(QKeyEvent(QEvent::KeyPress, key.QtKey, Qt::NoModifier));
    if (key.Types) expected.push_back(key.QtKey == Qt::Key_Return || key.QtKey == Qt::Key_Enter);
  }
  EXPECT_EQ(counted, expected);
}

}  // namespace
