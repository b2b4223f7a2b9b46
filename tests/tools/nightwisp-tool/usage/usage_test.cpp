// The command lines of nightwisp-tool and nightwisp: every subcommand's --help prints its
// usage, an option without its value says what it needs, and the game's usage line names every
// option it takes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct TRun {
  int Status = -1;
  std::string Out;  // standard output, with standard error when asked for
};

// Runs the command line through the shell; the arguments are already quoted.
TRun RunCommand(const std::string& command, bool withErrors) {
  TRun run;
  FILE* pipe = popen((command + (withErrors ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Out.append(buffer, got);
  const int status = pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Tool(const std::string& arguments) {
  return std::string("'") + NIGHTWISP_TOOL_PATH + "' " + arguments;
}

TEST(ToolUsageTest, EverySubcommandsHelpPrintsItsUsage) {
  for (const char* command :
       {"catalogue", "qda", "picture", "text", "wav", "save", "romaji", "history"}) {
    for (const char* help : {"--help", "-h"}) {
      SCOPED_TRACE(std::string(command) + " " + help);
      const TRun run = RunCommand(Tool(std::string(command) + " " + help), false);
      EXPECT_EQ(run.Status, 0);
      EXPECT_EQ(run.Out.rfind(std::string("usage: nightwisp-tool ") + command, 0), 0u) << run.Out;
    }
  }
  // romaji's text is never its own option turned into kana.
  EXPECT_EQ(RunCommand(Tool("romaji --help"), false).Out.find("ーー"), std::string::npos);
}

#ifdef NIGHTWISP_GAME
std::string Game(const std::string& arguments) {
  return std::string("'") + NIGHTWISP_GAME + "' " + arguments;
}

TEST(GameUsageTest, AnOptionWithoutItsValueSaysWhatItNeeds) {
  struct Case {
    const char* arguments;
    const char* message;
  };
  const Case cases[] = {
      {"--seed", "nightwisp: --seed needs a number"},
      {"--autoplay --seed", "nightwisp: --seed needs a number"},
      {"--seed x", "nightwisp: --seed needs a number"},
      {"--seed -1", "nightwisp: --seed needs a number"},
      {"--stop-at", "nightwisp: --stop-at needs a number"},
      {"--mistakes", "nightwisp: --mistakes needs a number from 0 to 1"},
      {"--mistakes 2", "nightwisp: --mistakes needs a number from 0 to 1"},
      {"--screenshots", "nightwisp: --screenshots needs a folder"},
      {"--bench-log", "nightwisp: --bench-log needs a file name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const TRun run = RunCommand(Game(c.arguments), true);
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out.rfind(c.message, 0), 0u) << run.Out;
  }
}

TEST(GameUsageTest, TheUsageLineNamesEveryOption) {
  const TRun run = RunCommand(Game("--help"), false);
  EXPECT_EQ(run.Status, 0);
  // The usage lines: up to the first line that does not continue them.
  const std::size_t end = run.Out.find("\nA typing quiz");
  ASSERT_NE(end, std::string::npos) << run.Out;
  const std::string usage = run.Out.substr(0, end);
  for (const char* option :
       {"--autoplay", "--seed N", "--mistakes RATE", "--screenshots DIR", "--exit-after-game",
        "--fixed-step", "--stop-at N", "--bench-log FILE", "--help", "--version"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option << " is not in\n" << usage;
  }
}
#endif

}  // namespace
