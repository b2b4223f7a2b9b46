// The real game window on the X server of xvfb-run, driven by real key presses from xdotool:
// keys, chords and focus as a Linux desktop delivers them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

#include <filesystem>
#include <functional>

#include "app/form1.h"
#include "platform/base/files.h"
#include "platform/shell/shell.h"
#include "support/event_loop.h"

namespace fs = std::filesystem;
using e2e::RunFor;
using e2e::RunUntil;
using game::TMenuItem;

namespace {

class DesktopTest : public testing::Test {
 protected:
  void SetUp() override {
    documents_ =
        fs::temp_directory_path() / ("nightwisp-desktop-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(documents_);
    fs::create_directories(documents_);
    game::TGamePaths paths;
    paths.AppDir = files::ExecutableFolder();
    paths.DocumentsDir = documents_;
    form_ = std::make_unique<app::TForm1>(paths);
    form_->show();
    form_->Start();
    // The title prompt without its seven seconds' wait.
    form_->Game().State().TitleTime -= 7000;
    ASSERT_TRUE(
        RunUntil([&] { return S().Ready == 1 && form_->MenuEnabled(TMenuItem::G1); }, 5000));
    form_->activateWindow();
    ASSERT_TRUE(RunUntil([&] { return form_->isActiveWindow(); }, 3000));
  }
  void TearDown() override {
    form_.reset();
    fs::remove_all(documents_);
  }

  TGameState& S() { return form_->Game().State(); }

  // Real key presses through the X server, to whichever window has the input focus.
  static void Keys(const QStringList& keys) {
    for (const QString& key : keys) {
      ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), key}), 0)
          << "xdotool key " << key.toStdString();
      RunFor(150);
    }
  }
  static void Type(const QString& text) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("type"), text}), 0);
    RunFor(200);
  }

  // Starts a question with a Ctrl tap and waits until it runs.
  void StartQuestionWithCtrlTap() {
    Keys({QStringLiteral("ctrl")});
    ASSERT_TRUE(RunUntil([&] { return S().Playing == 1; }, 3000));
  }

  fs::path documents_;
  std::unique_ptr<app::TForm1> form_;
};

// Ctrl pressed alone starts a question; Ctrl held for another key is a chord for the answer
// field or the input method, and the question, its clock and the streak stay as they were.
TEST_F(DesktopTest, OnlyACtrlTapAsksANewQuestion) {
  StartQuestionWithCtrlTap();
  const std::int32_t mondaiNo = S().MondaiNo;
  S().RenzokuCount = 3;
  Type(QStringLiteral("123"));
  ASSERT_EQ(form_->AnswerField().text(), QStringLiteral("123"));

  QApplication::clipboard()->setText(QStringLiteral("456"));
  Keys({QStringLiteral("ctrl+a"), QStringLiteral("ctrl+v"), QStringLiteral("ctrl+space")});
  EXPECT_EQ(form_->AnswerField().text(), QStringLiteral("456")) << "select all and paste";
  EXPECT_EQ(S().MondaiNo, mondaiNo) << "a chord replaced the question";
  EXPECT_EQ(S().RenzokuCount, 3);
  EXPECT_EQ(S().Playing, 1);

  // A tap replaces the question (every question is asked once a cycle) and breaks the run.
  Keys({QStringLiteral("ctrl")});
  EXPECT_NE(S().MondaiNo, mondaiNo);
  EXPECT_EQ(S().RenzokuCount, 0);
  EXPECT_TRUE(form_->AnswerField().text().isEmpty());
}

// After a box or a dialog, Enter judges the answer at once: the focus is back in the field.
TEST_F(DesktopTest, EnterJudgesTheAnswerAfterABoxAndAfterTheFontDialog) {
  for (const char* round : {"box", "font dialog"}) {
    SCOPED_TRACE(round);
    StartQuestionWithCtrlTap();
    const int judgedBefore = S().SeikaiCount + S().FuseikaiCount;
    if (std::string(round) == "box") {
      // A message box opened while the question runs, closed with its OK button.
      QTimer::singleShot(300, [] { Keys({QStringLiteral("Return")}); });
      form_->ShowMessage("test");
    } else {
      // The font dialog from the settings menu (opening the menu pauses), cancelled; F2 resumes.
      QTimer::singleShot(600, [] { Keys({QStringLiteral("Escape")}); });
      form_->Game().TopMenuClick();
      form_->Game().MenuClick(TMenuItem::Font1);
      RunFor(200);
      Keys({QStringLiteral("F2")});
      ASSERT_EQ(S().Paused, 0);
    }
    RunFor(200);
    Type(QStringLiteral("123"));
    Keys({QStringLiteral("Return")});
    EXPECT_TRUE(RunUntil([&] { return S().Playing == 0; }, 3000)) << "Enter did not judge";
    EXPECT_EQ(S().SeikaiCount + S().FuseikaiCount, judgedBefore + 1);
    EXPECT_EQ(QApplication::focusWidget(), &form_->AnswerField());
  }
}

}  // namespace

// Qt's application lives as long as the tests, on the X server xvfb-run provides.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
