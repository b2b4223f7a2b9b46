// The game window at every size, on the X server of xvfb-run with a 3840 × 2160 screen: what the
// server shows (read back from it) against each presented frame, at whole multiples, fitted, full
// screen, and with the desktop's own scale (QT_SCALE_FACTOR); the answer field with the frame.
#include <gtest/gtest.h>

#include <optional>

#include <QApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QScreen>

#include "support/shown_frame.h"
#include "support/window_fixture.h"

using e2e::RunFor;
using e2e::RunUntil;
using game::TDisplaySettings;

namespace {

constexpr QSize kFrame(688, 528);

class ScreensTest : public e2e::TWindowTest {
 protected:
  void SetUp() override {
    TWindowTest::SetUp();
    presented_ = QImage(kFrame, QImage::Format_RGB32);
    form_->SetPresenter(e2e::KeepingPresented(presented_, form_->Presenter()));
  }

  // Shows the frame so, and waits until the window has it and some frames have gone by.
  void Show(const TDisplaySettings& display) {
    form_->ApplyDisplay(display);
    RunFor(300);
    const long frames = form_->PresentedFrames();
    ASSERT_TRUE(RunUntil([&] { return form_->PresentedFrames() > frames + 20; }, 5000));
  }

  // A display item chosen from the menu, as a player does; then some frames go by.
  void Choose(game::TMenuItem item) {
    form_->Menu().Item(item)->trigger();
    RunFor(300);
    const long frames = form_->PresentedFrames();
    ASSERT_TRUE(RunUntil([&] { return form_->PresentedFrames() > frames + 20; }, 5000));
  }

  // The window as the X server shows it, in device pixels.
  QImage Shown() {
    return form_->screen()
        ->grabWindow(form_->winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
  double Ratio() const { return form_->Surface().devicePixelRatioF(); }
  // The surface's origin in the window, in device pixels.
  QPoint SurfaceOrigin() const {
    return form_->Surface()
        .ToDevice(QRect(form_->Surface().mapTo(form_.get(), QPoint(0, 0)), QSize(1, 1)))
        .topLeft();
  }
  // The frame pixels under the answer field.
  QRect FieldInFrame() const {
    const app::TFramePlacement placed = form_->Surface().Placement();
    const QRect field = form_->AnswerField().geometry().translated(-form_->Surface().pos());
    return placed.ToFrame(form_->Surface().ToDevice(field));
  }

  // Every frame pixel outside the answer field is a k × k block in the window, the frame centred
  // in the client area and black around it.
  void ExpectBlocks(int scale) {
    const app::TFramePlacement placed = form_->Surface().Placement();
    ASSERT_EQ(placed.Scale, scale);
    const QSize area = form_->Surface().ToDevice(form_->Surface().rect()).size();
    EXPECT_EQ(placed.Target.size(), kFrame * scale);
    EXPECT_EQ(placed.Target.topLeft(), QPoint((area.width() - kFrame.width() * scale) / 2,
                                              (area.height() - kFrame.height() * scale) / 2));
    EXPECT_TRUE(form_->Surface().ShownByX()) << "the frames went through Qt's painting";
    const QImage shown = Shown();
    // NIGHTWISP_TEST_PICTURES=DIR keeps what the server showed, for a person to look at.
    if (const QString dir = qEnvironmentVariable("NIGHTWISP_TEST_PICTURES"); !dir.isEmpty()) {
      shown.save(QStringLiteral("%1/%2-%3x.png")
                     .arg(dir, QString::fromUtf8(
                                   testing::UnitTest::GetInstance()->current_test_info()->name()))
                     .arg(scale));
    }
    const QPoint origin = SurfaceOrigin() + placed.Target.topLeft();
    EXPECT_EQ(e2e::DifferingPixels(shown, origin, presented_, FieldInFrame(), scale), 0);
    // The answer field itself, over the frame: its own colour inside.
    const QRect field = form_->Surface().ToDevice(
        form_->AnswerField().geometry().translated(-form_->Surface().pos()));
    const QPoint inField = SurfaceOrigin() + field.center() + QPoint(field.width() / 3, 0);
    EXPECT_EQ(QColor(shown.pixel(inField)), form_->AnswerField().palette().color(QPalette::Base))
        << "the answer field is not shown";
    ExpectBlackAround(shown, SurfaceOrigin(), placed);
  }

  static void ExpectBlackAround(const QImage& shown, QPoint surface,
                                const app::TFramePlacement& placed) {
    const QRect target = placed.Target.translated(surface);
    for (const QPoint& p :
         {target.topLeft() - QPoint(1, 0), target.topLeft() - QPoint(0, 1),
          target.bottomRight() + QPoint(1, 0), target.bottomRight() + QPoint(0, 1)}) {
      if (p.x() >= surface.x() && p.y() >= surface.y() && shown.rect().contains(p)) {
        EXPECT_EQ(shown.pixel(p) & 0xFFFFFF, 0u) << "at " << p.x() << "," << p.y();
      }
    }
  }

  QImage presented_;
};

// 1× in a window; with the desktop's own scale (QT_SCALE_FACTOR=2) that is 2 × 2 device pixels a
// frame pixel, still put straight into the X window.
TEST_F(ScreensTest, TheDesktopScaleIsMetByBlocksStraightIntoTheXWindow) {
  Show({1, false, false});
  ExpectBlocks(qRound(Ratio()));
}

// 2× in a window: the client area is twice the frame, each frame pixel a 2 × 2 block.
TEST_F(ScreensTest, TwiceTheSizeInAWindowShowsEachPixelAsATwoByTwoBlock) {
  Show({2, false, false});
  EXPECT_EQ(form_->centralWidget()->size(), kFrame * 2 / Ratio());
  EXPECT_TRUE(form_->MenuChecked(game::TMenuItem::Size2));
  EXPECT_EQ(S().Settings.WindowSize, 2) << "kept for Settei.ini";
  ExpectBlocks(2 * static_cast<int>(Ratio()));
}

// Full screen on 3840 × 2160: the largest whole multiple under the menu bar is 4.
TEST_F(ScreensTest, FullScreenShowsEachPixelAsAFourByFourBlockCentred) {
  Show({1, true, false});
  EXPECT_TRUE(form_->isFullScreen());
  EXPECT_EQ(form_->geometry(), form_->screen()->geometry());
  EXPECT_TRUE(S().Settings.FullScreen) << "kept for Settei.ini";
  ExpectBlocks(4);
  // Back in a window at its size, as F11 leaves it.
  Keys({QStringLiteral("F11")});
  RunFor(300);
  EXPECT_FALSE(form_->isFullScreen());
  EXPECT_FALSE(form_->Display().FullScreen);
  Keys({QStringLiteral("F11")});
  EXPECT_TRUE(form_->Display().FullScreen);
  // Escape is the input method's while it composes; then it leaves full screen.
  QInputMethodEvent composing(QStringLiteral("か"), {});
  QApplication::sendEvent(&form_->AnswerField(), &composing);
  Keys({QStringLiteral("Escape")});
  EXPECT_TRUE(form_->Display().FullScreen) << "Escape taken from the input method";
  QInputMethodEvent committed;
  committed.setCommitString(QString());
  QApplication::sendEvent(&form_->AnswerField(), &committed);
  Keys({QStringLiteral("Escape")});
  EXPECT_FALSE(form_->Display().FullScreen) << "Escape leaves full screen";
}

// Fitted: the frame fills the screen's height with its own shape, smoothly scaled.
TEST_F(ScreensTest, FitKeepsTheAspectRatioAndFillsOneSide) {
  Show({1, true, true});
  const app::TFramePlacement placed = form_->Surface().Placement();
  const QSize area = form_->Surface().ToDevice(form_->Surface().rect()).size();
  EXPECT_EQ(placed.Scale, 0);
  EXPECT_TRUE(S().Settings.FitToWindow) << "kept for Settei.ini";
  EXPECT_TRUE(placed.Target.height() == area.height() || placed.Target.width() == area.width());
  EXPECT_NEAR(static_cast<double>(placed.Target.width()) / placed.Target.height(),
              static_cast<double>(kFrame.width()) / kFrame.height(), 0.005);
  // Shrunk back to the frame's size, the window shows the frame (but where smoothing blurs).
  const QImage shown = Shown();
  const QImage back = shown.copy(placed.Target.translated(SurfaceOrigin()))
                          .scaled(kFrame, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  const QRect field = FieldInFrame();
  long total = 0, count = 0;
  for (int y = 0; y < kFrame.height(); y += 2) {
    for (int x = 0; x < kFrame.width(); x += 2) {
      if (field.adjusted(-2, -2, 2, 2).contains(x, y)) continue;
      const QRgb a = back.pixel(x, y), b = presented_.pixel(x, y);
      total += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b));
      ++count;
    }
  }
  EXPECT_LT(static_cast<double>(total) / count, 12.0) << "the fitted picture is not the frame";
  ExpectBlackAround(shown, SurfaceOrigin(), placed);
}

// The answer field sits where the frame puts it, its font 32 frame pixels high, at every size
// the 表示 menu gives; the input method's cursor rectangle (where its candidate window opens), as
// Qt last announced it to the input method and placed on the screen as the input method does,
// lies in the field as drawn.
TEST_F(ScreensTest, TheAnswerFieldFollowsTheFrameAtEveryScale) {
  QRect announced;
  const QObject listening;  // the connection ends with the test
  QObject::connect(
      QGuiApplication::inputMethod(), &QInputMethod::cursorRectangleChanged, &listening, [&] {
        const QRect cursor = QGuiApplication::inputMethod()->cursorRectangle().toRect();
        if (QWindow* window = QGuiApplication::focusWindow();
            window != nullptr && cursor.isValid()) {
          announced = QRect(window->mapToGlobal(cursor.topLeft()), cursor.size());
        }
      });
  form_->AnswerField().setFocus();
  const struct {
    game::TMenuItem Item;
    int Scale;
  } cases[] = {{game::TMenuItem::Size2, 2},
               {game::TMenuItem::Size3, 3},
               {game::TMenuItem::Full1, 4},
               {game::TMenuItem::Full1, 3},
               {game::TMenuItem::Size1, 1}};
  std::optional<QSize> chrome;  // the menu bar and borders, as the game places fireflies by them
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(game::MenuItemInfo(c.Item).Name) + " " + std::to_string(c.Scale));
    ASSERT_NO_FATAL_FAILURE(Choose(c.Item));
    const QSize outside(form_->OuterWidth() - form_->ClientWidth(),
                        form_->OuterHeight() - form_->ClientHeight());
    if (!chrome) chrome = outside;
    EXPECT_EQ(outside, *chrome) << "the frame's surroundings grew with the scale";
    const int k = c.Scale * static_cast<int>(Ratio());
    const app::TFramePlacement placed = form_->Surface().Placement();
    ASSERT_EQ(placed.Scale, k);
    const QRect device = form_->Surface().ToDevice(
        form_->AnswerField().geometry().translated(-form_->Surface().pos()));
    EXPECT_EQ(device, QRect(placed.Target.topLeft() + QPoint(40, 415) * k, QSize(641, 41) * k));
    EXPECT_EQ(qRound(form_->AnswerField().font().pixelSize() * Ratio()), 32 * k);
    // The game still draws around the field in the frame's own pixels.
    EXPECT_EQ(form_->AnswerBounds().Top, 415);

    const QRect field(form_->AnswerField().mapToGlobal(QPoint(0, 0)), form_->AnswerField().size());
    EXPECT_TRUE(field.contains(announced.center()))
        << "candidates open at " << announced.x() << "," << announced.y() << ", the field is at "
        << field.x() << "," << field.y();
  }
}

// The window is resizable by its frame: the picture follows at the largest whole multiple.
TEST_F(ScreensTest, AResizedWindowShowsTheLargestWholeMultiple) {
  Show({1, false, false});
  form_->move(0, 0);  // the larger window within the screen the server can read back
  form_->resize(kFrame.width() * 3 + 50, kFrame.height() * 3 + 200);
  RunFor(300);
  const long frames = form_->PresentedFrames();
  ASSERT_TRUE(RunUntil([&] { return form_->PresentedFrames() > frames + 20; }, 5000));
  EXPECT_FALSE(form_->MenuChecked(game::TMenuItem::Size3)) << "not exactly 3×";
  ExpectBlocks(3 * static_cast<int>(Ratio()));
}

// The window stays on the screen at every size the 表示 menu gives, and leaving full screen (F11
// or Escape) puts it back where it was.
TEST_F(ScreensTest, TheWindowStaysOnTheScreenAndComesBackFromFullScreen) {
  const QRect area = form_->screen()->availableGeometry();
  const auto onScreen = [&]() -> testing::AssertionResult {
    const QRect outer = form_->frameGeometry();
    if (area.contains(outer)) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "the window is at " << outer.x() << "," << outer.y() << " " << outer.width() << "x"
           << outer.height() << ", the screen " << area.width() << "x" << area.height();
  };
  for (int size = 1; size <= form_->LargestWindowSize(); ++size) {
    SCOPED_TRACE(size);
    // Near the bottom right corner first, where a larger window would stick out.
    ASSERT_NO_FATAL_FAILURE(Choose(game::TMenuItem::Size1));
    form_->move(area.bottomRight() -
                QPoint(form_->frameGeometry().width(), form_->frameGeometry().height()));
    RunFor(300);
    ASSERT_NO_FATAL_FAILURE(
        Choose(static_cast<game::TMenuItem>(static_cast<int>(game::TMenuItem::Size1) + size - 1)));
    RunFor(300);
    EXPECT_TRUE(onScreen());
    EXPECT_TRUE(form_->MenuChecked(
        static_cast<game::TMenuItem>(static_cast<int>(game::TMenuItem::Size1) + size - 1)));
  }
  ASSERT_NO_FATAL_FAILURE(Choose(game::TMenuItem::Size1));
  form_->move(area.topLeft() + QPoint(150, 100));
  RunFor(300);
  const QPoint before = form_->frameGeometry().topLeft();
  for (const char* leave : {"F11", "Escape"}) {
    SCOPED_TRACE(leave);
    Keys({QStringLiteral("F11")});
    ASSERT_TRUE(RunUntil([&] { return form_->isFullScreen(); }, 3000));
    RunFor(300);
    Keys({QString::fromLatin1(leave)});
    ASSERT_TRUE(RunUntil([&] { return !form_->isFullScreen(); }, 3000));
    RunFor(500);
    const QPoint after = form_->frameGeometry().topLeft();
    EXPECT_EQ(std::make_pair(after.x(), after.y()), std::make_pair(before.x(), before.y()));
    EXPECT_TRUE(onScreen());
  }
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
