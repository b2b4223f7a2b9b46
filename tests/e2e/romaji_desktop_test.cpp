// Romaji without an input method, in the real game window on the X server of xvfb-run: keys
// typed by xdotool become kana in the answer field, pending letters show as typed, English
// proverbs keep their letters, and the 設定 menu's option switches the conversion off.
#include <gtest/gtest.h>

#include <QApplication>

#include "support/window_fixture.h"

namespace {

using e2e::RunFor;
using e2e::RunUntil;

class RomajiDesktopTest : public e2e::TWindowTest {
 protected:
  QString Field() const { return form_->AnswerField().text(); }
  // Waits a little for the keys still on their way, then tells whether the field shows text.
  testing::AssertionResult Shows(const QString& text) {
    if (RunUntil([&] { return Field() == text; }, 2000)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the field shows " << Field().toStdString();
  }

  static void Key(const QString& key) { Keys({key}); }

  // A menu item chosen with the keyboard, as a player does: Alt with the menu's mnemonic, then
  // the item's.
  void ChooseFromMenu(const char* menuKey, const char* itemKey) {
    Key(QStringLiteral("alt+%1").arg(menuKey));
    Key(QString::fromLatin1(itemKey));
  }

  // Ctrl asks a question; the test then makes it the proverb it wants to type.
  void Ask(std::int32_t mondaiNo) {
    Key(QStringLiteral("ctrl"));
    ASSERT_TRUE(RunUntil([&] { return S().Playing == 1; }, 3000));
    S().MondaiNo = mondaiNo;
  }
  void Enter() {
    Key(QStringLiteral("Return"));
    ASSERT_TRUE(RunUntil([&] { return S().Playing == 0; }, 3000)) << "Enter did not judge";
  }
};

TEST_F(RomajiDesktopTest, HiraganaModeTakesRomajiAndJudgesItCorrect) {
  ChooseFromMenu("g", "h");  // ゲーム → ひらがなだけで解答
  ASSERT_TRUE(RunUntil([&] { return S().KaitoMode == 1; }, 3000));

  Ask(2);  // さるもきからおちる
  Type(QStringLiteral("sarumok"));
  EXPECT_TRUE(Shows(QStringLiteral("さるもk"))) << "the pending letter shows as typed";
  Key(QStringLiteral("BackSpace"));
  EXPECT_TRUE(Shows(QStringLiteral("さるも")));
  // A selection is replaced by what is typed over it, romaji included.
  Key(QStringLiteral("shift+Home"));
  Type(QStringLiteral("sa"));
  EXPECT_TRUE(Shows(QStringLiteral("さ")));
  Type(QStringLiteral("rumokikaraochiru"));
  EXPECT_TRUE(Shows(QStringLiteral("さるもきからおちる")));
  Enter();
  EXPECT_EQ(S().SeikaiCount, 1);

  // A lone n is still pending when Enter is pressed: it becomes ん before the judgement.
  Ask(16);  // ももくりさんねんかきはちねん
  Type(QStringLiteral("momokurisannnenkakihachinen"));
  EXPECT_TRUE(Shows(QStringLiteral("ももくりさんねんかきはちねn")));
  Enter();
  EXPECT_TRUE(Shows(QStringLiteral("ももくりさんねんかきはちねん")));
  EXPECT_EQ(S().SeikaiCount, 2);
}

TEST_F(RomajiDesktopTest, AnEnglishProverbKeepsItsLetters) {
  Ask(168);  // I think,therefore I am.
  Type(QStringLiteral("I think,therefore I am."));
  EXPECT_TRUE(Shows(QStringLiteral("I think,therefore I am.")));
  Enter();
  EXPECT_EQ(S().SeikaiCount, 1);
}

TEST_F(RomajiDesktopTest, WithTheOptionOffRomajiStaysRomaji) {
  ChooseFromMenu("s", "r");  // 設定 → ローマ字のかな変換
  ASSERT_TRUE(RunUntil([&] { return !S().Settings.RomajiHenkan; }, 3000));
  ASSERT_FALSE(form_->MenuChecked(game::TMenuItem::Romaji1));
  ChooseFromMenu("g", "h");
  ASSERT_TRUE(RunUntil([&] { return S().KaitoMode == 1; }, 3000));
  Ask(2);
  Type(QStringLiteral("sarumokikaraochiru"));
  EXPECT_TRUE(Shows(QStringLiteral("sarumokikaraochiru")));
  Enter();
  EXPECT_EQ(S().FuseikaiCount, 1);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
