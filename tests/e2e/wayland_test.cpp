// The game on a Wayland compositor (Weston's headless back end, started by wayland_test.sh, with
// its screenshooter allowed): the player-bot plays a whole game, and what the compositor shows,
// read back from it at the title, at 2× chosen from the display menu, during play and at the end,
// is one of the frames the device presented just before; the answer field takes the bot's input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QProcess>

#include <deque>
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
constexpr std::size_t kRecentFrames = 12;

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
    // The frames the device presented last, newest first.
    form_->SetPresenter([this, show = form_->Presenter()](UINT w, UINT h, INT pitch,
                                                          const std::uint32_t* pixels,
                                                          const TFrameChange& change) {
      QImage frame(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
      for (UINT y = 0; y < h; ++y) {
        std::memcpy(frame.scanLine(static_cast<int>(y)),
                    reinterpret_cast<const std::uint8_t*>(pixels) + y * pitch, w * 4);
      }
      recent_.push_front(std::move(frame));
      if (recent_.size() > kRecentFrames) recent_.pop_back();
      show(w, h, pitch, pixels, change);
    });
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

  // Where one of the recent frames, at scale k, stands in the compositor's picture outside the
  // answer field; the number of frames back it is, or -1 when none is there.
  int ShownFrame(int scale) {
    const QImage picture = CompositorPicture();
    if (picture.isNull()) return -1;
    const QRect field = app::TForm1::kAnswerPlace;
    const QSize shown = kFrame * scale;
    for (std::size_t back = 0; back < recent_.size(); ++back) {
      const QImage& frame = recent_[back];
      // A few pixels first, then every one.
      const QPoint probes[] = {{10, 10}, {344, 60}, {600, 300}, {100, 500}, {670, 20}};
      for (int y = 0; y + shown.height() <= picture.height(); ++y) {
        for (int x = 0; x + shown.width() <= picture.width(); ++x) {
          bool candidate = true;
          for (const QPoint& p : probes) {
            candidate = candidate && (picture.pixel(QPoint(x, y) + p * scale) & 0xFFFFFF) ==
                                         (frame.pixel(p) & 0xFFFFFF);
          }
          if (candidate && e2e::DifferingPixels(picture, {x, y}, frame, field, scale) == 0) {
            return static_cast<int>(back);
          }
        }
      }
    }
    return -1;
  }

  std::filesystem::path work_;
  std::unique_ptr<app::TForm1> form_;
  std::deque<QImage> recent_;
};

TEST_F(WaylandTest, ABotGameRunsToItsEndAndTheCompositorShowsItsFrames) {
  ASSERT_TRUE(RunUntil([&] { return form_->PresentedFrames() > 40; }, 10000));
  EXPECT_GE(ShownFrame(1), 0) << "the title is not on the compositor's output";

  // The display menu opens and its 2× item makes each frame pixel a 2 × 2 block.
  QMenu* display = form_->Menu().Item(game::TMenuItem::View1)->menu();
  ASSERT_NE(display, nullptr);
  display->popup(form_->mapToGlobal(QPoint(0, 0)));
  ASSERT_TRUE(RunUntil([&] { return display->isVisible(); }, 3000)) << "the menu did not open";
  form_->Menu().Item(game::TMenuItem::Size2)->trigger();
  display->hide();
  ASSERT_TRUE(RunUntil([&] { return form_->Surface().Placement().Scale == 2; }, 5000));
  RunFor(500);
  EXPECT_GE(ShownFrame(2), 0) << "2× is not on the compositor's output";
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
  EXPECT_GE(ShownFrame(1), 0) << "a question is not on the compositor's output";
  ASSERT_TRUE(RunUntil([&] { return s.GameClear == 1; }, 300000)) << "the game did not end";
  EXPECT_EQ(s.SeikaiCount, 30) << "the answers typed into the field were not all right";

  // The last frame, and nothing after it, is what the compositor shows at the end.
  form_->StopTicks();
  RunFor(500);
  EXPECT_EQ(ShownFrame(1), 0) << "the game-clear frame is not on the compositor's output";
  EXPECT_GE(QDir(options.ScreenshotDir).entryList({QStringLiteral("*-game-clear.png")}).size(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
