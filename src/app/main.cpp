// Nightwisp: the program entry. Creates the game window (which runs start-up), and runs the
// event loop until the window closes.
#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/autoplay.h"
#include "app/form1.h"
#include "app/translations.h"
#include "platform/base/fatal.h"
#include "platform/base/files.h"
#include "platform/shell/shell.h"

namespace {

void ShowFatal(const std::string& message) {
  if (QApplication::instance() != nullptr) {
    // The game stops before the box: its loop would otherwise keep ticking inside the box.
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (auto* form = dynamic_cast<app::TForm1*>(window)) form->StopTicks();
    }
    QMessageBox::critical(nullptr, QStringLiteral("Nightwisp"), QString::fromStdString(message));
  }
}

void PrintUsage(FILE* out) {
  std::fprintf(out,
               "usage: nightwisp [--autoplay [--seed N] [--mistakes RATE] "
               "[--screenshots DIR] [--exit-after-game] [--fixed-step]]\n"
               "  --autoplay         a player-bot plays one game through the keyboard paths\n"
               "  --seed N           seed of the game's random draws (and the bot's)\n"
               "  --mistakes RATE    chance (0..1) that the bot answers wrongly\n"
               "  --screenshots DIR  save a PNG of the window at each new screen\n"
               "  --exit-after-game  close the window when the game is over or cleared\n"
               "  --fixed-step       the bot advances the game's clock by one 25 ms tick per\n"
               "                     frame: the same seed plays the same game, frame for frame\n"
               "  --stop-at N        the bot stops answering after N correct answers\n"
               "  --bench-log FILE   write the first frame's time and every tick's start\n");
}

}  // namespace

int main(int argc, char** argv) {
  bool autoplay = false;
  app::TAutoPlayOptions options;
  QString benchLog;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--autoplay") {
      autoplay = true;
    } else if (arg == "--seed" && hasValue) {
      options.Seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--mistakes" && hasValue) {
      options.Mistakes = std::strtod(argv[++i], nullptr);
    } else if (arg == "--screenshots" && hasValue) {
      options.ScreenshotDir = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--stop-at" && hasValue) {
      options.StopAt = std::atoi(argv[++i]);
    } else if (arg == "--bench-log" && hasValue) {
      benchLog = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--exit-after-game") {
      options.ExitAfterGame = true;
    } else if (arg == "--fixed-step") {
      options.FixedStep = true;
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return 0;
    } else {
      std::fprintf(stderr, "nightwisp: unknown argument '%s'\n", arg.c_str());
      PrintUsage(stderr);
      return 2;
    }
  }

  // What Qt still paints itself on an X server (the answer field, and every frame on a scaled
  // screen) is the part that changed, usually a few kilobytes: sent through the socket, that
  // costs less (to the game and the server) than Qt's shared-memory path, which waits for the
  // server to finish reading before every paint. The player's own setting wins.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Nightwisp"));
  QApplication::setApplicationDisplayName(QStringLiteral("Nightwisp"));
  QGuiApplication::setDesktopFileName(QStringLiteral("nightwisp"));
  if (!app::InstallJapaneseTranslations(application)) {
    std::fprintf(stderr,
                 "nightwisp: Qt's Japanese translations are not installed; "
                 "the standard dialogs stay in English\n");
  }
  fatal::SetReportHook(ShowFatal);

  game::TGamePaths paths;
  paths.AppDir = files::ExecutableFolder();
  paths.DocumentsDir = shell::DocumentsFolder();

  app::TForm1 form(paths);
  if (!benchLog.isEmpty()) form.BenchLog().Open(benchLog);
  QApplication::setWindowIcon(form.windowIcon());
  form.show();
  // The player comes before start-up: a fixed-step game's clock must be there first, and the
  // boxes start-up may show (a file it cannot read) wait for the bot's answer too.
  std::unique_ptr<app::TAutoPlayer> player;
  if (autoplay) player = std::make_unique<app::TAutoPlayer>(form, options);
  if (player) player->Start();
  form.Start();
  return application.exec();
}
