// The real game window on the X server of xvfb-run, with its own documents folder, started and
// waiting at the title prompt with the input focus; keys come from xdotool as a desktop sends them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>

#include "app/form1.h"
#include "platform/base/files.h"
#include "support/event_loop.h"

namespace e2e {

class TWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    documents_ = std::filesystem::temp_directory_path() /
                 ("nightwisp-window-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(documents_);
    std::filesystem::create_directories(documents_);
    game::TGamePaths paths;
    paths.AppDir = files::ExecutableFolder();
    paths.DocumentsDir = documents_;
    form_ = std::make_unique<app::TForm1>(paths);
    form_->show();
    form_->Start();
    // The title prompt without its seven seconds' wait.
    form_->Game().State().TitleTime -= 7000;
    ASSERT_TRUE(
        RunUntil([&] { return S().Ready == 1 && form_->MenuEnabled(game::TMenuItem::G1); }, 5000));
    form_->activateWindow();
    ASSERT_TRUE(RunUntil([&] { return form_->isActiveWindow(); }, 3000));
  }
  void TearDown() override {
    form_.reset();
    std::filesystem::remove_all(documents_);
  }

  TGameState& S() { return form_->Game().State(); }

  // Real key presses through the X server, to whichever window has the input focus.
  static void Keys(const QStringList& keys) {
    for (const QString& key : keys) {
      ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), key}), 0)
          << "xdotool key " << key.toStdString();
      RunFor(200);
    }
  }
  static void Type(const QString& text) {
    ASSERT_EQ(QProcess::execute(
                  QStringLiteral("xdotool"),
                  {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text}),
              0);
    RunFor(200);
  }

  std::filesystem::path documents_;
  std::unique_ptr<app::TForm1> form_;
};

}  // namespace e2e
