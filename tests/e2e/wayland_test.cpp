// The game on a Wayland compositor (Weston's headless back end, started by wayland_test.sh, with
// its screenshooter allowed): the player-bot plays a whole game, and what the compositor shows,
// read back from it at the title, at 2× chosen from the display menu, during play and at the end,
// is the frame the device presented last; the answer field takes the bot's input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QProcess>

#include <filesystem>

#include "app/autoplay.h"
#include "app/form1.h"
#include "platform/base/files.h"
#include "support/event_loop.h"
#include "support/shown_frame.h"

using e2e::RunFor;
using e2e::RunUntil;

namespace {

constexpr QSize kFrame(688, 528);

class WaylandTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"))
        << "the test runs on a Wayland compositor only";
    work_ = std::filesystem::temp_directory_path() /
            ("nightwisp-wayland-" + std::to_string(::getpid()));
    std::filesystem::remove_all(work_);
    std::filesystem::create_directories(work_ / "shots");
    game::TGamePaths paths;
    paths.AppDir = files::ExecutableFolder();
    paths.DocumentsDir = work_;
    form_ = std::make_unique<app::TForm1>(paths);
    form_->SetPresenter(e2e::KeepingPresented(last_, form_->Presenter()));
    form_->show();
    form_->Start();
  }
  void TearDown() override {
    form_.reset();
    std::filesystem::remove_all(work_);
  }

  // The compositor's picture of its whole output.
  QImage CompositorPicture() {
    const QDir dir(QString::fromStdString(work_.string()));
    for (const QString& old : dir.entryList({QStringLiteral("wayland-screenshot-*.png")})) {
      QFile::remove(dir.filePath(old));
    }
    QProcess shooter;
    shooter.setWorkingDirectory(dir.path());
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    // The compositor answers while this loop runs: the game keeps presenting meanwhile.
    EXPECT_TRUE(RunUntil([&] { return shooter.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(shooter.exitCode(), 0) << shooter.readAllStandardError().toStdString();
    const QStringList shots = dir.entryList({QStringLiteral("wayland-screenshot-*.png")});
    if (shots.isEmpty()) return {};
    return QImage(dir.filePath(shots.first())).convertToFormat(QImage::Format_RGB32);
  }

  // Whether the last presented frame, at scale k, stands in the compositor's picture outside the
  // answer field. The game's ticks are held meanwhile, so no other frame follows it.
  bool FrameOnScreen(int scale) {
    form_->StopTicks();
    RunFor(300);
    const QImage picture = CompositorPicture();
    form_->ResumeTicks();
    if (picture.isNull()) return false;
    // NIGHTWISP_TEST_PICTURES=DIR keeps the compositor's pictures, for a person to look at.
    if (const QString dir = qEnvironmentVariable("NIGHTWISP_TEST_PICTURES"); !dir.isEmpty()) {
      picture.save(QStringLiteral("%1/wayland-%2-%3x.png").arg(dir).arg(++pictures_).arg(scale));
    }
    const QRect field = app::TForm1::kAnswerPlace;
    // The window's top left corner is on the output; a larger window may reach past its edges,
    // and the part on the output is compared, half the frame at least.
    const QPoint probes[] = {{10, 10}, {344, 60}, {100, 200}, {300, 250}, {20, 150}};
    for (int y = 0; y + 264 * scale <= picture.height(); ++y) {
      for (int x = 0; x + 344 * scale <= picture.width(); ++x) {
        bool candidate = true;
        for (const QPoint& p : probes) {
          candidate = candidate && (picture.pixel(QPoint(x, y) + p * scale) & 0xFFFFFF) ==
                                       (last_.pixel(p) & 0xFFFFFF);
        }
        if (!candidate) continue;
        const QRect onOutput =
            QRect(0, 0, (picture.width() - x) / scale, (picture.height() - y) / scale)
                .intersected(last_.rect());
        if (e2e::DifferingPixels(picture, {x, y}, last_.copy(onOutput), field, scale) == 0) {
          return true;
        }
      }
    }
    picture.save(QString::fromStdString((work_ / "unmatched.png").string()));
    last_.save(QString::fromStdString((work_ / "last-frame.png").string()));
    return false;
  }

  std::filesystem::path work_;
  std::unique_ptr<app::TForm1> form_;
  QImage last_ = QImage(kFrame, QImage::Format_RGB32);  // the frame presented last
  int pictures_ = 0;
};

TEST_F(WaylandTest, ABotGameRunsToItsEndAndTheCompositorShowsItsFrames) {
  ASSERT_TRUE(RunUntil([&] { return form_->PresentedFrames() > 40; }, 10000));
  EXPECT_TRUE(FrameOnScreen(1)) << "the title is not on the compositor's output";

  // The display menu opens and its 2× item makes each frame pixel a 2 × 2 block.
  QMenu* display = form_->Menu().Item(game::TMenuItem::View1)->menu();
  ASSERT_NE(display, nullptr);
  display->popup(form_->mapToGlobal(QPoint(0, 0)));
  ASSERT_TRUE(RunUntil([&] { return display->isVisible(); }, 3000)) << "the menu did not open";
  form_->Menu().Item(game::TMenuItem::Size2)->trigger();
  display->hide();
  ASSERT_TRUE(RunUntil([&] { return form_->Surface().Placement().Scale == 2; }, 5000));
  RunFor(500);
  EXPECT_TRUE(FrameOnScreen(2)) << "2× is not on the compositor's output";
  form_->Menu().Item(game::TMenuItem::Size1)->trigger();
  ASSERT_TRUE(RunUntil([&] { return form_->Surface().Placement().Scale == 1; }, 5000));

  app::TAutoPlayOptions options;
  options.Seed = 11;
  options.Mistakes = 0;
  options.ScreenshotDir = QString::fromStdString((work_ / "shots").string());
  app::TAutoPlayer player(*form_, options);
  player.Start();
  const TGameState& s = form_->Game().State();
  ASSERT_TRUE(RunUntil([&] { return s.SeikaiCount >= 5 && s.Playing == 1; }, 120000));
  EXPECT_TRUE(FrameOnScreen(1)) << "a question is not on the compositor's output";
  ASSERT_TRUE(RunUntil([&] { return s.GameClear == 1; }, 300000)) << "the game did not end";
  EXPECT_EQ(s.SeikaiCount, 30) << "the answers typed into the field were not all right";

  // The bot's picture of the last screen, and the compositor's.
  EXPECT_TRUE(RunUntil(
      [&] {
        return !QDir(options.ScreenshotDir)
                    .entryList({QStringLiteral("*-game-clear.png")})
                    .isEmpty();
      },
      10000));
  EXPECT_TRUE(FrameOnScreen(1)) << "the game-clear frame is not on the compositor's output";
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
