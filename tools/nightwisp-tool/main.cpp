// nightwisp-tool: the game's data, archive and file commands from the shell.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"

namespace {

const tool::Command kCommands[] = {
    {"catalogue", "catalogue [--ruby] [--extra FILE]",
     "print the proverb catalogue as UTF-8, one tab-separated entry per line", tool::RunCatalogue},
    {"qda", "qda list ARCHIVE | extract ARCHIVE ID [-o OUT] | pack [--stored] OUT FILE...",
     "list, extract or pack the entries of a QDA archive", tool::RunQda},
    {"picture",
     "picture FILE [--archive QDA] [--format 21|25|26] [--colorkey black|white] -o OUT.bmp",
     "load a picture into a texture as the game does and save it as a 32-bit BMP",
     tool::RunPicture},
    {"text", "text TEXT [--face NAME] [--height PX] [--bold] [--italic] -o OUT.bmp",
     "write TEXT (UTF-8) into a text texture as the game does and save it as a 32-bit BMP",
     tool::RunText},
    {"wav", "wav FILE",
     "load a wave file as the sound library does and print its format, or the load failure",
     tool::RunWav},
    {"save", "save FILE",
     "print every field of a saved game (record1.dat) and whether it can be continued",
     tool::RunSave},
    {"romaji", "romaji TEXT...",
     "type each TEXT into the answer field as romaji and print the field's text after Enter",
     tool::RunRomaji},
    {"history", "history [--csv]",
     "print the player's games with their measures, or with --csv every judged question",
     tool::RunHistory},
    {"speak", "speak N | --text SPEECH [-o FILE.wav]",
     "speak proverb N (or a speech string) as the game does, or write it as a WAV file",
     tool::RunSpeak},
};

void PrintHelp(FILE* out) {
  std::fprintf(out, "usage: nightwisp-tool COMMAND [ARGS...]\n\ncommands:\n");
  for (const auto& command : kCommands) {
    std::fprintf(out, "  %s\n      %s\n", command.usage, command.summary);
  }
  std::fprintf(out,
               "\nnightwisp-tool --help shows this text, nightwisp-tool --version the version.\n"
               "See nightwisp-tool(1).\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp(stderr);
    return 2;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(stdout);
    return 0;
  }
  if (name == "--version") {
    std::printf("nightwisp-tool %s\n", NIGHTWISP_VERSION);
    return 0;
  }
  for (const auto& command : kCommands) {
    if (name == command.name) {
      std::vector<std::string> args(argv + 2, argv + argc);
      // A command's --help is its usage, never an argument it acts on.
      if (std::find_if(args.begin(), args.end(), [](const std::string& arg) {
            return arg == "--help" || arg == "-h";
          }) != args.end()) {
        std::printf("usage: nightwisp-tool %s\n%s\n", command.usage, command.summary);
        return 0;
      }
      try {
        return command.run(args);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "nightwisp-tool %s: %s\n", command.name, e.what());
        return 1;
      }
    }
  }
  std::fprintf(stderr, "nightwisp-tool: unknown command '%s'\n\n", name.c_str());
  PrintHelp(stderr);
  return 2;
}
