// The real game window on the X server of xvfb-run, driven by real key presses from xdotool:
// keys, chords and focus as a Linux desktop delivers them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "support/shown_frame.h"
#include "support/window_fixture.h"

using e2e::RunFor;
using e2e::RunUntil;
using game::TMenuItem;

namespace {

class DesktopTest : public e2e::TWindowTest {
 protected:
  // Starts a question with a Ctrl tap and waits until it runs.
  void StartQuestionWithCtrlTap() {
    Keys({QStringLiteral("ctrl")});
    ASSERT_TRUE(RunUntil([&] { return S().Playing == 1; }, 3000));
  }
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

// A Ctrl at the title whose start opens a box (a history that cannot be opened) starts the game
// once the box is closed: one Ctrl, whatever box it raised.
TEST_F(DesktopTest, OneCtrlStartsTheGameThroughTheBoxItRaises) {
  // Where the history should be, a folder: the first question's history box.
  const std::filesystem::path user = documents_ / "Amaneya" / "NightwispData";
  std::filesystem::create_directories(user / "history.db");
  bool boxSeen = false;
  QTimer::singleShot(500, [&] {
    boxSeen = QApplication::activeModalWidget() != nullptr;
    Keys({QStringLiteral("Return")});
  });
  Keys({QStringLiteral("ctrl")});
  ASSERT_TRUE(
      RunUntil([&] { return boxSeen && QApplication::activeModalWidget() == nullptr; }, 3000))
      << "no box, or it stayed open";
  EXPECT_EQ(S().Playing, 1) << "the game did not start";
  EXPECT_EQ(S().TitleMode, 0);
  // The answer goes into the field at once.
  EXPECT_TRUE(RunUntil([&] { return QApplication::focusWidget() == &form_->AnswerField(); }, 1000));
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

// On an X server the frames go straight into the game's X window. What the server shows there must
// be the device's whole frame while fireflies fly, after another window covered it and went away
// (an expose, where Qt shows its own backing store), and after the window was hidden and shown
// again; the answer field stays Qt's, over the frame.
TEST_F(DesktopTest, TheXWindowShowsEveryPresentedFrameWithTheAnswerFieldOverIt) {
  QImage presented(688, 528, QImage::Format_RGB32);
  form_->SetPresenter(e2e::KeepingPresented(presented, form_->Presenter()));
  StartQuestionWithCtrlTap();
  auto shownEqualsFrame = [&](const char* when) {
    SCOPED_TRACE(when);
    const long frames = form_->PresentedFrames();
    ASSERT_TRUE(RunUntil([&] { return form_->PresentedFrames() > frames + 20; }, 3000));
    // Read back from the X server (no tick runs in between).
    const QImage shown = form_->screen()->grabWindow(form_->winId()).toImage();
    const QPoint origin = form_->Surface().mapTo(form_.get(), QPoint(0, 0));
    const QRect field = form_->AnswerField().geometry().translated(-form_->Surface().pos());
    EXPECT_EQ(e2e::DifferingPixels(shown, origin, presented, field), 0);
    // Inside the field, the frame must not show through: most pixels differ from it.
    const QRect inside = field.adjusted(4, 4, -4, -4);
    const QImage insideFrame = presented.copy(inside);
    const int frameInField =
        inside.width() * inside.height() -
        e2e::DifferingPixels(shown, origin + inside.topLeft(), insideFrame, {});
    EXPECT_LT(frameInField, inside.width() * inside.height() / 10) << "the frame over the field";
  };
  shownEqualsFrame("a question running");
  {
    QWidget other;
    other.setGeometry(form_->geometry());
    other.show();
    RunFor(300);
  }
  shownEqualsFrame("after another window covered it");
  form_->hide();
  RunFor(100);
  form_->show();
  shownEqualsFrame("hidden and shown again");
}

}  // namespace

// Qt's application lives as long as the tests, on the X server xvfb-run provides.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
