// Nightwisp: the program entry. Creates the game window (which runs start-up), and runs the
// event loop until the window closes.
#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
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
    // The game stops before the box: its loop would otherwise keep ticking inside the box, and
    // a frame it left half drawn would show behind it.
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (auto* form = dynamic_cast<app::TForm1*>(window)) form->StopForFatalError();
    }
    QMessageBox::critical(nullptr, QStringLiteral("Nightwisp"),
                          QString::fromStdString(fatal::BoxText(message)));
  }
}

void PrintUsage(FILE* out) {
  std::fprintf(out,
               "usage: nightwisp [--autoplay [--seed N] [--mistakes RATE] [--screenshots DIR]\n"
               "                  [--exit-after-game] [--fixed-step] [--stop-at N]]\n"
               "                 [--bench-log FILE]\n"
               "       nightwisp --help | --version\n"
               "A typing quiz of Japanese proverbs. See nightwisp(6).\n"
               "  --autoplay         a player-bot plays one game through the keyboard paths\n"
               "  --seed N           seed of the game's random draws (and the bot's)\n"
               "  --mistakes RATE    chance (0..1) that the bot answers wrongly\n"
               "  --screenshots DIR  save a PNG of the window at each new screen\n"
               "  --exit-after-game  close the window when the game is over or cleared\n"
               "  --fixed-step       the bot advances the game's clock by one 25 ms tick per\n"
               "                     frame: the same seed plays the same game, frame for frame\n"
               "  --stop-at N        the bot stops answering after N correct answers\n"
               "  --bench-log FILE   write the first frame's time and every tick's start\n"
               "  --help             print this text\n"
               "  --version          print the version\n");
}

// A whole number from 0 to max, all of the text.
std::optional<unsigned long> WholeNumber(const char* text, unsigned long max) {
  if (text == nullptr || *text < '0' || *text > '9') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (errno != 0 || *end != '\0' || value > max) return std::nullopt;
  return value;
}

std::optional<double> Rate(const char* text) {
  if (text == nullptr || *text == '\0') return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (*end != '\0' || !(value >= 0.0 && value <= 1.0)) return std::nullopt;
  return value;
}

// An option's value that is missing or not of its kind: the message names what it needs.
int BadValue(const std::string& option, const char* needs) {
  std::fprintf(stderr, "nightwisp: %s needs %s\n", option.c_str(), needs);
  PrintUsage(stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool autoplay = false;
  app::TAutoPlayOptions options;
  QString benchLog;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    // The value after an option that takes one (nullptr at the end).
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--autoplay") {
      autoplay = true;
    } else if (arg == "--seed") {
      const auto seed = WholeNumber(value, UINT32_MAX);
      if (!seed) return BadValue(arg, "a number (0 to 4294967295)");
      options.Seed = static_cast<std::uint32_t>(*seed);
      ++i;
    } else if (arg == "--mistakes") {
      const auto rate = Rate(value);
      if (!rate) return BadValue(arg, "a number from 0 to 1");
      options.Mistakes = *rate;
      ++i;
    } else if (arg == "--screenshots") {
      if (value == nullptr || *value == '\0') return BadValue(arg, "a folder");
      options.ScreenshotDir = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--stop-at") {
      const auto count = WholeNumber(value, INT32_MAX);
      if (!count) return BadValue(arg, "a number of correct answers");
      options.StopAt = static_cast<int>(*count);
      ++i;
    } else if (arg == "--bench-log") {
      if (value == nullptr || *value == '\0') return BadValue(arg, "a file name");
      benchLog = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--exit-after-game") {
      options.ExitAfterGame = true;
    } else if (arg == "--fixed-step") {
      options.FixedStep = true;
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("nightwisp %s\n", NIGHTWISP_VERSION);
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
  QGuiApplication::setDesktopFileName(QStringLiteral(NIGHTWISP_DESKTOP_ID));
  if (!app::InstallJapaneseTranslations(application)) {
    std::fprintf(stderr,
                 "nightwisp: Qt's Japanese translations are not installed; "
                 "the standard dialogs stay in English\n");
  }
  fatal::SetReportHook(ShowFatal);

  game::TGamePaths paths;
  paths.AppDir = files::GameDataFolder();
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
