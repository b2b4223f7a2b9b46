// nightwisp-tool's subcommands. Each lives in its own cmd_*.cpp and is listed once in main.cpp.
#pragma once

#include <string>
#include <vector>

namespace tool {

// args excludes the program name and the subcommand itself. Returns the exit status.
using CommandFunction = int (*)(const std::vector<std::string>& args);

struct Command {
  const char* name;
  const char* usage;    // one line: "catalogue [--extra FILE]"
  const char* summary;  // one line: what it does
  CommandFunction run;
};

int RunCatalogue(const std::vector<std::string>& args);
int RunQda(const std::vector<std::string>& args);
int RunPicture(const std::vector<std::string>& args);
int RunText(const std::vector<std::string>& args);
int RunSave(const std::vector<std::string>& args);
int RunWav(const std::vector<std::string>& args);
int RunRomaji(const std::vector<std::string>& args);
int RunHistory(const std::vector<std::string>& args);
int RunSpeak(const std::vector<std::string>& args);

}  // namespace tool
