// Keys counted for the player's measures where no X server sends them (the offscreen platform):
// Qt's key presses, Enter told apart, lone modifiers left out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <vector>

#include "app/key_count.h"
#include "support/qt_app.h"

namespace {

TEST(KeyCountTest, CountsEveryKeyButLoneModifiers) {
  qt_test::App();
  QWidget window;
  std::vector<bool> counted;
  app::TServerKeys serverKeys;  // reads nothing off an X server
  ASSERT_FALSE(serverKeys.Watching());
  app::TKeyCount count(serverKeys, window, [&](bool enter) { counted.push_back(enter); });
  const int keys[] = {Qt::Key_A,     Qt::Key_Shift,  Qt::Key_Backspace, Qt::Key_Control,
                      Qt::Key_Space, Qt::Key_Return, Qt::Key_Alt,       Qt::Key_Henkan,
                      Qt::Key_Enter, Qt::Key_Meta,   Qt::Key_F1};
  for (int key : keys) count.QtKeyPress(QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
  EXPECT_EQ(counted, (std::vector<bool>{false, false, false, true, false, true, false}));
}

}  // namespace
